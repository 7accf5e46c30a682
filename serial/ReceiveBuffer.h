#pragma once
// The bytes a connection has read from its device but not yet delivered.
// The reader appends as bytes arrive, with the time of each read; the
// delivery takes everything at once. It is bounded, so that a consumer that
// falls far behind costs a known amount of memory: what does not fit is
// counted for the owner to report, never dropped silently. Safe to use from
// two threads.

#include "serial/ReadMarks.h"

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class ReceiveBuffer {
public:
    explicit ReceiveBuffer(std::size_t limit) : limit_(limit) {}

    // Keeps as much of data, read at `at`, as the bound leaves room for;
    // counts the rest.
    void Append(const char* data, std::size_t size, const ReadTime& at);
    struct Taken {
        std::string bytes;           // everything kept since the last take, in order
        std::vector<ReadMark> marks; // when those bytes were read
        std::uint64_t dropped;       // what did not fit after those bytes
    };
    Taken TakeAll();
    // Bytes that did not fit since the buffer was made.
    std::uint64_t Dropped() const;
    // Forgets what waits undelivered (the device's input was discarded).
    void Clear();

private:
    const std::size_t limit_;
    mutable std::mutex mutex_;
    std::string bytes_;
    ReadMarks marks_;
    std::uint64_t dropped_ = 0;
    std::uint64_t droppedUnreported_ = 0;
};
