#pragma once
// The bytes a connection has read from its device but not yet delivered.
// The reader appends as bytes arrive, with the time of each read; a delivery
// takes the oldest bytes, at most kLargestChunk of them, so that a device
// that floods the line reaches the owner in pieces it can take in one go.
// It is bounded, so that a consumer that falls far behind costs a known
// amount of memory: what does not fit is counted for the owner to report,
// never dropped silently. A source that waits for its reader (a replay) is
// held back instead: its reader reads no more while a chunk's worth waits.
// Safe to use from two threads.

#include "serial/ReadMarks.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class ReceiveBuffer {
public:
    static constexpr std::size_t kLargestChunk = std::size_t{1} << 20;

    ReceiveBuffer(std::size_t limit, bool holdSource) : limit_(limit), holdSource_(holdSource) {}

    // Keeps as much of data, read at `at`, as the bound leaves room for;
    // counts the rest. True when a whole chunk waits now.
    bool Append(const char* data, std::size_t size, const ReadTime& at);
    // How much the next read may take: for a held source, once there is
    // room for it (0 when stopping turned true meanwhile).
    std::size_t RoomForRead(std::size_t readSize, const std::atomic<bool>& stopping);
    struct Taken {
        std::string bytes;           // the oldest bytes kept, in order
        std::vector<ReadMark> marks; // when those bytes were read
        std::uint64_t dropped;       // what did not fit after those bytes
        bool more;                   // bytes still wait after these
    };
    Taken Take();
    // Bytes that did not fit since the buffer was made.
    std::uint64_t Dropped() const;
    // Forgets what waits undelivered (the device's input was discarded).
    void Clear();

private:
    const std::size_t limit_;
    const bool holdSource_;
    mutable std::mutex mutex_;
    std::condition_variable taken_;
    // The bytes in blocks of up to a read's size, so that taking a chunk off
    // the front moves nothing else.
    std::deque<std::string> blocks_;
    std::size_t size_ = 0;
    ReadMarks marks_;
    std::uint64_t dropped_ = 0;
    std::uint64_t droppedUnreported_ = 0;
    // Where in the bytes the unreported drops happened: they are reported with
    // the chunk that ends there.
    std::optional<std::size_t> dropAt_;
};
