// The share server at the 921600-baud rate: fed the counting pattern at
// 92 kB/s, as the port's reader feeds it, for --seconds (10 by default) with
// no client, then with 1, 4 and 16 loopback clients, each a thread with a
// plain socket reading and checking every byte. Prints per run the server's
// CPU (the process's, less the clients' own threads) and what each client
// adds to it against the run without clients, and whether every client got
// every byte in order; exits 1 when one did not.
//
//   share_server [--seconds N]

#include "bench/serial/NetworkBench.h"
#include "serial/ShareServer.h"
#include "tests/support/LoopbackSocket.h"
#include "tests/support/LossyWriter.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <pthread.h>
#include <string>
#include <thread>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;
// 921600 baud with a start and a stop bit: ten bits a byte.
constexpr std::size_t kRate = 92160;

// A client of the server reading on a thread of its own.
class Client {
public:
    explicit Client(int port) : socket_(SOCK_STREAM) {
        connected_ = socket_.Connect(port);
        thread_ = std::thread([this] { Read(); });
        pthread_getcpuclockid(thread_.native_handle(), &cpuClock_);
    }
    ~Client() {
        stop_ = true;
        thread_.join();
    }
    std::uint64_t Count() const { return count_; }
    bool Exact(std::uint64_t fed) const { return connected_ && count_ == fed && inOrder_; }
    double CpuMs() const {
        timespec t{};
        clock_gettime(cpuClock_, &t);
        return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
    }

private:
    void Read() {
        PatternCheck check;
        while (!stop_ && connected_) {
            PollAndRead(socket_.fd(), check, 10);
            inOrder_ = check.InOrder();
            count_ = check.Count();
        }
    }

    LoopbackSocket socket_;
    bool connected_ = false;
    std::atomic<bool> stop_ = false;
    std::atomic<std::uint64_t> count_ = 0;
    std::atomic<bool> inOrder_ = true;
    std::thread thread_;
    clockid_t cpuClock_{};
};

struct Outcome {
    std::uint64_t fed = 0;
    double serverCpuMs = 0;
    bool exact = true;
    std::uint64_t drops = 0;
};

double ClientsCpuMs(const std::vector<std::unique_ptr<Client>>& clients) {
    double sum = 0;
    for (const auto& client : clients)
        sum += client->CpuMs();
    return sum;
}

Outcome Run(std::size_t clientCount, std::chrono::seconds duration) {
    ShareServer::Options options;
    ShareServer server(
        options, [](const std::string&) {}, [](const std::string&) {});
    std::vector<std::unique_ptr<Client>> clients;
    for (std::size_t i = 0; i < clientCount; ++i)
        clients.push_back(std::make_unique<Client>(server.Port()));
    const auto connectBy = Clock::now() + std::chrono::seconds(5);
    while (server.CurrentCounts().clients < clientCount && Clock::now() < connectBy)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));

    Outcome outcome;
    const double before = ProcessCpuMs() - ClientsCpuMs(clients);
    outcome.fed = StreamPaced(kRate, duration, [&](const char* data, std::size_t size) {
        server.Feed(data, size);
        return true;
    });
    const auto giveUp = Clock::now() + std::chrono::seconds(5);
    const auto behind = [&] {
        return std::any_of(clients.begin(), clients.end(),
                           [&](const auto& client) { return client->Count() < outcome.fed; });
    };
    while (behind() && Clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    outcome.serverCpuMs = ProcessCpuMs() - ClientsCpuMs(clients) - before;
    for (const auto& client : clients)
        outcome.exact = outcome.exact && client->Exact(outcome.fed);
    outcome.drops = server.CurrentCounts().drops;
    return outcome;
}
} // namespace

int main(int argc, char** argv) {
    const auto seconds = StreamSeconds(argc, argv, "share_server");
    if (!seconds)
        return 2;
    const std::chrono::seconds duration = *seconds;

    std::printf("The share server fed %zu bytes/s for %d s:\n", kRate,
                static_cast<int>(duration.count()));
    std::printf("%8s %12s %12s %18s %10s\n", "clients", "bytes fed", "server CPU",
                "added per client", "of none");
    const Outcome none = Run(0, duration);
    std::printf("%8d %12llu %9.0f ms\n", 0, static_cast<unsigned long long>(none.fed),
                none.serverCpuMs);
    std::fflush(stdout);
    bool passed = true;
    for (const std::size_t count : {1, 4, 16}) {
        const Outcome o = Run(count, duration);
        const bool ok = o.exact && o.drops == 0;
        passed = passed && ok;
        std::printf("%8zu %12llu %9.0f ms %15.1f ms %9.2fx  %s\n", count,
                    static_cast<unsigned long long>(o.fed), o.serverCpuMs,
                    (o.serverCpuMs - none.serverCpuMs) / static_cast<double>(count),
                    o.serverCpuMs / none.serverCpuMs,
                    ok ? "every client every byte in order" : "A CLIENT MISSED BYTES");
        std::fflush(stdout);
    }
    std::printf("%s\n", passed ? "PASS" : "FAIL");
    return passed ? 0 : 1;
}
