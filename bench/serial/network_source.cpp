// A network source under a fast stream: a peer on 127.0.0.1 (a thread with a
// plain socket) sends the counting pattern at 10 MB/s for --seconds (10 by
// default), first to a plain poll-and-read loop, then to the port component
// opened on tcp://127.0.0.1:PORT at Delay 1000 (the window's) and at Delay
// 10, its OnReceive checking the pattern on the main thread. TCP holds the
// peer back rather than losing bytes, so every byte sent must arrive, in
// order. Prints per reader the bytes sent and delivered, the rate delivered
// and the process CPU (user and system, the peer's share included in every
// run) against the plain loop's; exits 1 when a byte was lost or reordered.
//
//   network_source [--seconds N]

#include "bench/serial/NetworkBench.h"
#include "serial/SerialPort.h"
#include "tests/support/LoopbackSocket.h"
#include "tests/support/LossyWriter.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <thread>

namespace {
using Clock = std::chrono::steady_clock;
constexpr std::size_t kRate = 10'000'000;

struct Outcome {
    std::uint64_t sent = 0;
    std::uint64_t delivered = 0;
    bool inOrder = true;
    double seconds = 0;
    double cpuMs = 0;

    bool Complete() const { return sent > 0 && delivered == sent && inOrder; }
};

// Listens on 127.0.0.1, has connect(port) reach it, and streams to whoever
// connected while serve() keeps the reader going; the link stays up until the
// reader has caught up (or a bounded wait ran out).
Outcome Run(std::chrono::seconds duration, const std::function<void(int port)>& connect,
            PatternCheck& check, const std::function<void()>& serve) {
    LoopbackSocket listener(SOCK_STREAM);
    const int port = listener.BindLoopback();
    ::listen(listener.fd(), 1);
    Outcome outcome;
    const double cpuBefore = ProcessCpuMs();
    const auto start = Clock::now();
    connect(port);
    std::optional<LoopbackSocket> link;
    std::atomic<bool> sending = true;
    std::thread peer([&] {
        link.emplace(listener.Accept());
        if (link->fd() >= 0)
            outcome.sent = StreamPaced(kRate, duration, [&](const char* data, std::size_t size) {
                for (std::size_t done = 0; done < size;) {
                    const ssize_t n = ::send(link->fd(), data + done, size - done, MSG_NOSIGNAL);
                    if (n <= 0)
                        return false;
                    done += static_cast<std::size_t>(n);
                }
                return true;
            });
        sending = false;
    });
    while (sending)
        serve();
    peer.join();
    const auto giveUp = Clock::now() + std::chrono::seconds(10);
    while (check.Count() < outcome.sent && Clock::now() < giveUp)
        serve();
    outcome.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    outcome.cpuMs = ProcessCpuMs() - cpuBefore;
    outcome.delivered = check.Count();
    outcome.inOrder = check.InOrder();
    return outcome;
}

Outcome PlainReadLoop(std::chrono::seconds duration) {
    LoopbackSocket reader(SOCK_STREAM);
    PatternCheck check;
    return Run(
        duration, [&](int port) { reader.Connect(port); }, check,
        [&] { PollAndRead(reader.fd(), check, 10); });
}

Outcome Component(std::chrono::seconds duration, std::uint32_t delayMs) {
    TSerialPort source;
    source.SetDelay(delayMs);
    PatternCheck check;
    source.OnReceive = [&](TSerialPort*, const std::string& chunk) {
        check.Take(chunk.data(), chunk.size());
    };
    // Ends each wait for events at least this often, to see the peer done.
    // (processEvents with a time limit never waits: it would spin and its
    // CPU would count against the port.)
    QTimer tick;
    tick.start(10);
    const Outcome outcome = Run(
        duration,
        [&](int port) {
            source.SetCustomPortName("tcp://127.0.0.1:" + std::to_string(port));
            source.SetPort(spCustom);
            source.Open();
        },
        check, [] { QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents); });
    source.Close();
    return outcome;
}

void Print(const char* reader, const Outcome& o, const Outcome& plain) {
    std::printf("  %-16s sent %11llu  delivered %11llu  %6.2f MB/s  CPU %7.0f ms  %5.2fx plain  "
                "%s\n",
                reader, static_cast<unsigned long long>(o.sent),
                static_cast<unsigned long long>(o.delivered),
                static_cast<double>(o.delivered) / o.seconds / 1e6, o.cpuMs, o.cpuMs / plain.cpuMs,
                o.Complete() ? "all bytes in order" : "BYTES LOST OR REORDERED");
    std::fflush(stdout);
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const auto seconds = StreamSeconds(argc, argv, "network_source");
    if (!seconds)
        return 2;
    const std::chrono::seconds duration = *seconds;

    std::printf("A TCP peer on 127.0.0.1 sending %.0f MB/s for %d s into each reader:\n",
                kRate / 1e6, static_cast<int>(duration.count()));
    const Outcome plain = PlainReadLoop(duration);
    Print("plain read loop", plain, plain);
    bool passed = plain.Complete();
    for (const std::uint32_t delay : {1000u, 10u}) {
        const Outcome o = Component(duration, delay);
        Print(delay == 1000 ? "port, Delay 1000" : "port, Delay 10", o, plain);
        passed = passed && o.Complete();
    }
    std::printf("%s\n", passed ? "PASS: no byte lost" : "FAIL");
    return passed ? 0 : 1;
}
