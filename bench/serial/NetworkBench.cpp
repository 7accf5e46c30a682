#include "bench/serial/NetworkBench.h"

#include "tests/support/LossyWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

std::uint64_t StreamPaced(std::size_t bytesPerSecond, std::chrono::milliseconds duration,
                          const StreamSink& take) {
    using Clock = std::chrono::steady_clock;
    constexpr auto kTick = std::chrono::milliseconds(1);
    std::uint64_t taken = 0;
    std::vector<char> block;
    const auto start = Clock::now();
    for (auto next = start + kTick; next <= start + duration; next += kTick) {
        std::this_thread::sleep_until(next);
        const auto elapsed = std::chrono::duration<double>(next - start).count();
        const auto due = static_cast<std::uint64_t>(elapsed * static_cast<double>(bytesPerSecond));
        if (due == taken)
            continue;
        block.resize(static_cast<std::size_t>(due - taken));
        CountingPattern(taken, block.data(), block.size());
        if (!take(block.data(), block.size()))
            break;
        taken = due;
    }
    return taken;
}

double ProcessCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

std::optional<std::chrono::seconds> StreamSeconds(int argc, char** argv, const char* program) {
    if (argc == 1)
        return std::chrono::seconds(10);
    if (argc == 3 && std::string(argv[1]) == "--seconds")
        return std::chrono::seconds(std::max(1, std::atoi(argv[2])));
    std::fprintf(stderr, "Usage: %s [--seconds N]\n", program);
    return std::nullopt;
}
