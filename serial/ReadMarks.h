#pragma once
// When the bytes of a chunk were read from the device. Each mark closes a run
// of the chunk's bytes: those after the mark before it, up to its end, came
// off the device by the read it stands for and carry that read's time. The
// marks of one chunk are bounded: the reads of one millisecond share the
// last one's mark, and past kMaxMarks neighbouring marks merge pairwise into
// the later one, so a byte's time is never earlier than its read.

#include <chrono>
#include <cstddef>
#include <vector>

struct ReadTime {
    std::chrono::system_clock::time_point wall;   // for the time shown
    std::chrono::steady_clock::time_point steady; // for rates
    static ReadTime Now();
};

struct ReadMark {
    std::size_t end = 0; // the chunk's bytes up to and including this read
    ReadTime at;
};

class ReadMarks {
public:
    static constexpr std::size_t kMaxMarks = 4096;

    // The bytes up to end were read at `at` (ends and times never go back).
    void Add(std::size_t end, const ReadTime& at);
    // The marks of the first count bytes; a read that goes past them is cut
    // there, both parts keeping its time. The marks left count from byte
    // count on.
    std::vector<ReadMark> Take(std::size_t count);
    void Clear() { marks_.clear(); }

private:
    std::vector<ReadMark> marks_;
};
