#pragma once
// Timing for the protocol benchmarks: processor time of this thread, since
// the machine is shared and wall time is not ours.

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <functional>
#include <time.h>
#include <vector>

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

// One work measured in turn with others over the same bytes: its best speed
// and its speed relative to the first work's.
struct InTurn {
    double BytesPerSecond = 0;
    double Ratio = 0; // the median over the rounds of the first work's time / this work's
};

// The works run one after another, round after round: each round's works see
// the same machine (its clock speed, its other load), which changes between
// rounds on a shared machine; a work's ratio is its median over the rounds.
inline std::vector<InTurn>
MeasureInTurn(std::size_t bytes, const std::vector<std::function<void()>>& works, int rounds = 15) {
    std::vector<std::vector<double>> seconds(works.size());
    for (int round = 0; round < rounds; ++round)
        for (std::size_t w = 0; w < works.size(); ++w)
            seconds[w].push_back(BestSeconds(1, works[w]));
    std::vector<InTurn> measured;
    for (std::size_t w = 0; w < works.size(); ++w) {
        std::vector<double> ratios;
        for (int round = 0; round < rounds; ++round)
            ratios.push_back(seconds[0][round] / seconds[w][round]);
        std::nth_element(ratios.begin(), ratios.begin() + rounds / 2, ratios.end());
        const double best = *std::min_element(seconds[w].begin(), seconds[w].end());
        measured.push_back({static_cast<double>(bytes) / best, ratios[rounds / 2]});
    }
    return measured;
}

// A row of the protocol benchmarks' tables: speed in MB/s, ratio, goal.
inline void PrintInTurn(const char* label, const InTurn& measured, double goal = 0) {
    if (goal > 0)
        std::printf("%-34s %10.0f %10.3f %8.3f\n", label, measured.BytesPerSecond / 1e6,
                    measured.Ratio, goal);
    else
        std::printf("%-34s %10.0f %10.3f %8s\n", label, measured.BytesPerSecond / 1e6,
                    measured.Ratio, "");
}
