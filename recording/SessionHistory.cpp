#include "recording/SessionHistory.h"

#include "protocol/HexDigit.h"

#include <algorithm>
#include <cstdio>

SessionHistory::SessionHistory(std::size_t maxBytes, std::size_t maxLines)
    : maxBytes_(maxBytes), maxLines_(maxLines) {
    // Room for the whole bound from the start: growing a run of hundreds of
    // MB by copying would hold the old and the new run at once. The system
    // gives the memory only as bytes arrive.
    bytes_.reserve(maxBytes_ + maxBytes_ / 8);
}

void SessionHistory::Append(std::int64_t utcMs, std::string_view chunk) {
    if (chunk.empty())
        return;
    chunks_.push_back({EndOffset(), utcMs});
    for (std::size_t at = chunk.find('\n'); at != std::string_view::npos;
         at = chunk.find('\n', at + 1))
        lineEnds_.push_back(EndOffset() + at + 1);
    bytes_.append(chunk);
    if (bytes_.size() > maxBytes_ || lineEnds_.size() > maxLines_)
        DropOldest();
}

void SessionHistory::DropOldest() {
    // Drops a tenth more than needed at once, so the run is moved rarely.
    std::uint64_t keepFrom = dropped_;
    if (bytes_.size() > maxBytes_)
        keepFrom = EndOffset() - maxBytes_ + maxBytes_ / 10;
    if (lineEnds_.size() > maxLines_) {
        const std::size_t surplus = lineEnds_.size() - maxLines_ + maxLines_ / 10;
        keepFrom = std::max(keepFrom, lineEnds_[std::min(surplus, lineEnds_.size()) - 1]);
    }
    keepFrom = std::min(keepFrom, EndOffset());
    bytes_.erase(0, keepFrom - dropped_);
    dropped_ = keepFrom;
    while (!lineEnds_.empty() && lineEnds_.front() <= dropped_) {
        lineEnds_.pop_front();
        ++droppedLines_;
    }
    while (chunks_.size() > 1 && chunks_[1].offset <= dropped_)
        chunks_.pop_front();
}

void SessionHistory::Clear() {
    droppedLines_ = EndLine();
    dropped_ = EndOffset();
    bytes_.clear();
    chunks_.clear();
    lineEnds_.clear();
}

std::uint64_t SessionHistory::EndLine() const {
    const bool unfinished = lineEnds_.empty() ? !bytes_.empty() : lineEnds_.back() < EndOffset();
    return droppedLines_ + lineEnds_.size() + (unfinished ? 1 : 0);
}

std::uint64_t SessionHistory::LineStart(std::uint64_t line) const {
    if (line <= droppedLines_)
        return FirstOffset();
    const std::uint64_t index = line - droppedLines_ - 1;
    return index < lineEnds_.size() ? lineEnds_[index] : EndOffset();
}

std::uint64_t SessionHistory::LineEnd(std::uint64_t line) const {
    return LineStart(line + 1);
}

std::uint64_t SessionHistory::LineOf(std::uint64_t offset) const {
    const auto after = std::upper_bound(lineEnds_.begin(), lineEnds_.end(), offset);
    return droppedLines_ + static_cast<std::uint64_t>(after - lineEnds_.begin());
}

std::string_view SessionHistory::BytesFrom(std::uint64_t offset, std::size_t count) const {
    offset = std::clamp(offset, FirstOffset(), EndOffset());
    return std::string_view(bytes_).substr(offset - dropped_, count);
}

std::int64_t SessionHistory::ReceivedAt(std::uint64_t offset) const {
    const auto after =
        std::upper_bound(chunks_.begin(), chunks_.end(), offset,
                         [](std::uint64_t at, const Chunk& chunk) { return at < chunk.offset; });
    return after == chunks_.begin() ? 0 : std::prev(after)->utcMs;
}

std::optional<std::uint64_t> SessionHistory::Find(std::string_view needle,
                                                  std::uint64_t from) const {
    if (needle.empty())
        return std::nullopt;
    from = std::clamp(from, FirstOffset(), EndOffset());
    const std::size_t at = bytes_.find(needle, from - dropped_);
    if (at == std::string::npos)
        return std::nullopt;
    return dropped_ + at;
}

std::string SessionHistory::HexDump(std::uint64_t offset, std::size_t rows) const {
    std::string dump;
    std::uint64_t row = std::max(offset, FirstOffset()) / 16 * 16;
    for (; rows > 0 && row < EndOffset(); --rows, row += 16) {
        const std::uint64_t start = std::max(row, FirstOffset());
        const std::string_view bytes = BytesFrom(start, row + 16 - start);
        char text[32];
        std::snprintf(text, sizeof text, "%08llX ", static_cast<unsigned long long>(row));
        dump += text;
        std::string ascii(start - row, ' ');
        dump.append(3 * (start - row), ' ');
        for (const char c : bytes) {
            std::snprintf(text, sizeof text, " %02X", static_cast<unsigned char>(c));
            dump += text;
            ascii += (c >= 0x20 && c < 0x7F) ? c : '.';
        }
        dump.append(3 * (16 - ascii.size()) + 2, ' ');
        dump += ascii + '\n';
    }
    return dump;
}

std::optional<std::string> ParseHexBytes(std::string_view text) {
    std::string digits;
    for (const char c : text)
        if (c != ' ' && c != '-' && c != ',')
            digits += c;
    if (digits.empty() || digits.size() % 2 != 0)
        return std::nullopt;
    std::string bytes;
    for (std::size_t at = 0; at < digits.size(); at += 2) {
        const int high = HexDigitValue(digits[at]);
        const int low = HexDigitValue(digits[at + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes += static_cast<char>(high * 16 + low);
    }
    return bytes;
}
