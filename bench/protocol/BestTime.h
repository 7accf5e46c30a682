#pragma once
// Timing for the protocol benchmarks: processor time of this thread, since
// the machine is shared and wall time is not ours, best of several runs.

#include <algorithm>
#include <cstddef>
#include <functional>
#include <time.h>

inline double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The shortest of rounds runs of work, in seconds.
inline double BestSeconds(int rounds, const std::function<void()>& work) {
    double best = 1e300;
    for (int round = 0; round < rounds; ++round) {
        const double start = ThreadSeconds();
        work();
        best = std::min(best, ThreadSeconds() - start);
    }
    return best;
}

// Bytes per second of work over bytes, the best of rounds runs.
inline double BestThroughput(std::size_t bytes, const std::function<void()>& work, int rounds = 7) {
    return static_cast<double>(bytes) / BestSeconds(rounds, work);
}
