// A network source under a fast stream: a peer on 127.0.0.1 (a thread with a
// plain socket) sends the counting pattern at 10 MB/s for --seconds (10 by
// default), first to a plain poll-and-read loop, then to the port component
// opened on tcp://127.0.0.1:PORT at Delay 1000 (the window's) and at Delay
// 10, its OnReceive checking the pattern on the main thread. TCP holds the
// peer back rather than losing bytes, so every byte sent must arrive, in
// order. Prints per reader the bytes sent and delivered, the rate delivered
// and the process CPU (user and system, less the peer's) against the plain
// loop's; exits 1 when a byte was lost or reordered.
//
//   network_source [--seconds N]

#include "bench/serial/NetworkBench.h"
#include "serial/SerialPort.h"
#include "tests/support/LossyWriter.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <string>

namespace {
constexpr std::size_t kRate = 10'000'000;

StreamOutcome Component(std::chrono::seconds duration, std::uint32_t delayMs) {
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
    const StreamOutcome outcome = StreamToReader(
        kRate, duration,
        [&](int port) {
            source.SetCustomPortName("tcp://127.0.0.1:" + std::to_string(port));
            source.SetPort(spCustom);
            source.Open();
        },
        check, [] { QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents); });
    source.Close();
    return outcome;
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
    const StreamOutcome plain = StreamToPlainReader(kRate, duration);
    PrintStreamOutcome("plain read loop", plain, plain);
    bool passed = plain.Complete();
    for (const std::uint32_t delay : {1000u, 10u}) {
        const StreamOutcome o = Component(duration, delay);
        PrintStreamOutcome(delay == 1000 ? "port, Delay 1000" : "port, Delay 10", o, plain);
        passed = passed && o.Complete();
    }
    std::printf("%s\n", passed ? "PASS: no byte lost" : "FAIL");
    return passed ? 0 : 1;
}
