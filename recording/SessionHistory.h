#pragma once
// Everything received this session, with receive times, bounded to the
// newest kMaxLines lines or kMaxBytes bytes, whichever comes first. The
// bytes are kept as one run, so a search finds matches that span chunks.
// Offsets count from the start of the session and stay valid as the oldest
// bytes go.

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

class SessionHistory {
public:
    static constexpr std::size_t kMaxBytes = 256u << 20;
    static constexpr std::size_t kMaxLines = 1000000;

    explicit SessionHistory(std::size_t maxBytes = kMaxBytes, std::size_t maxLines = kMaxLines);

    void Append(std::int64_t utcMs, std::string_view chunk);
    void Clear();

    std::uint64_t FirstOffset() const { return dropped_; }
    std::uint64_t EndOffset() const { return dropped_ + bytes_.size(); }
    std::size_t Lines() const { return lineEnds_.size(); }
    // Lines are numbered from the start of the session too; the kept ones
    // are FirstLine() … EndLine() - 1, the last one unfinished while no line
    // feed has ended it yet.
    std::uint64_t FirstLine() const { return droppedLines_; }
    std::uint64_t EndLine() const;
    // Where the line starts and ends (past its line feed), in offsets.
    std::uint64_t LineStart(std::uint64_t line) const;
    std::uint64_t LineEnd(std::uint64_t line) const;
    // The line holding the byte at offset.
    std::uint64_t LineOf(std::uint64_t offset) const;
    // The kept bytes from offset on (clamped to what is kept).
    std::string_view BytesFrom(std::uint64_t offset, std::size_t count) const;
    // When the byte at offset was received.
    std::int64_t ReceivedAt(std::uint64_t offset) const;

    // The first match of needle at or after offset; its offset.
    std::optional<std::uint64_t> Find(std::string_view needle, std::uint64_t from) const;

    // "00000010  24 47 50 ...  $GP..." lines, 16 bytes each, from the row
    // holding offset, with the row's offset in hexadecimal.
    std::string HexDump(std::uint64_t offset, std::size_t rows) const;

private:
    void DropOldest();

    std::size_t maxBytes_;
    std::size_t maxLines_;
    std::string bytes_;
    std::uint64_t dropped_ = 0;
    std::uint64_t droppedLines_ = 0;
    struct Chunk {
        std::uint64_t offset;
        std::int64_t utcMs;
    };
    std::deque<Chunk> chunks_;
    std::deque<std::uint64_t> lineEnds_; // offsets just past each line feed
};

// "B5 62 01" or "b56201" → bytes; nothing when the text is not hex pairs.
std::optional<std::string> ParseHexBytes(std::string_view text);
