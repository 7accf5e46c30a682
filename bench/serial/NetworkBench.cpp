#include "bench/serial/NetworkBench.h"

#include "tests/support/LoopbackSocket.h"
#include "tests/support/LossyWriter.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
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

namespace {
double ThreadCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}
} // namespace

StreamOutcome StreamToReader(std::size_t bytesPerSecond, std::chrono::seconds duration,
                             const std::function<void(int port)>& connect, PatternCheck& check,
                             const std::function<void()>& serve) {
    using Clock = std::chrono::steady_clock;
    LoopbackSocket listener(SOCK_STREAM);
    const int port = listener.BindLoopback();
    ::listen(listener.fd(), 1);
    StreamOutcome outcome;
    double peerCpuMs = 0;
    const double cpuBefore = ProcessCpuMs();
    const auto start = Clock::now();
    connect(port);
    std::optional<LoopbackSocket> link;
    std::atomic<bool> sending = true;
    std::thread peer([&] {
        link.emplace(listener.Accept());
        if (link->fd() >= 0)
            outcome.sent =
                StreamPaced(bytesPerSecond, duration, [&](const char* data, std::size_t size) {
                    for (std::size_t done = 0; done < size;) {
                        const ssize_t n =
                            ::send(link->fd(), data + done, size - done, MSG_NOSIGNAL);
                        if (n <= 0)
                            return false;
                        done += static_cast<std::size_t>(n);
                    }
                    return true;
                });
        peerCpuMs = ThreadCpuMs();
        sending = false;
    });
    while (sending)
        serve();
    peer.join();
    const auto giveUp = Clock::now() + std::chrono::seconds(10);
    while (check.Count() < outcome.sent && Clock::now() < giveUp)
        serve();
    outcome.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    outcome.cpuMs = ProcessCpuMs() - cpuBefore - peerCpuMs;
    outcome.delivered = check.Count();
    outcome.inOrder = check.InOrder();
    return outcome;
}

StreamOutcome StreamToPlainReader(std::size_t bytesPerSecond, std::chrono::seconds duration) {
    LoopbackSocket reader(SOCK_STREAM);
    PatternCheck check;
    return StreamToReader(
        bytesPerSecond, duration, [&](int port) { reader.Connect(port); }, check,
        [&] { PollAndRead(reader.fd(), check, 10); });
}

void PrintStreamOutcome(const char* reader, const StreamOutcome& o, const StreamOutcome& plain) {
    std::printf("  %-16s sent %11llu  delivered %11llu  %6.2f MB/s  CPU %7.0f ms  %5.2fx plain  "
                "%s\n",
                reader, static_cast<unsigned long long>(o.sent),
                static_cast<unsigned long long>(o.delivered),
                static_cast<double>(o.delivered) / o.seconds / 1e6, o.cpuMs, o.cpuMs / plain.cpuMs,
                o.Complete() ? "all bytes in order" : "BYTES LOST OR REORDERED");
    std::fflush(stdout);
}
