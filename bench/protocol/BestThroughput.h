#pragma once
// Throughput of work over a buffer, measured on this thread's processor time
// (the machine is shared: wall time is not ours), the best of several rounds.

#include <algorithm>
#include <cstddef>
#include <functional>
#include <time.h>

inline double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Bytes per second of work over bytes, the best of rounds runs.
inline double BestThroughput(std::size_t bytes, const std::function<void()>& work, int rounds = 7) {
    double best = 0;
    for (int round = 0; round < rounds; ++round) {
        const double start = ThreadSeconds();
        work();
        best = std::max(best, static_cast<double>(bytes) / (ThreadSeconds() - start));
    }
    return best;
}
