// Loss on a line that behaves like a UART: a writer sends at a fixed byte
// rate into the pty without ever waiting, and counts every byte the kernel
// refuses as lost, as a real line overruns. At 115200, 460800 and 921600 baud
// and 3 Mbaud, a plain poll-and-read loop on the same pty and the component
// at Delay 1000 and at Delay 10 each take the stream for --seconds (30 by
// default); printed: bytes offered, refused and delivered, and whether the
// delivered bytes are the stream in order. Exits 1 when the component lost
// bytes where the plain loop lost none. A stall of this shared machine can
// overrun the kernel's queue under any reader: a case that lost more than
// the plain loop is run again beside a new plain loop, up to three times,
// and fails only when it loses more every time, as a fault of its own would.
// When the plain loop itself lost bytes in every such attempt, the machine
// could not keep up with the line at all: the case is reported as
// inconclusive, not as a fault of the component.
//
//   serial_lossy_line [--seconds N]

#include "serial/SerialPort.h"
#include "tests/support/LossyWriter.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/ScratchEnvironment.h"

#include <QCoreApplication>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <string>
#include <thread>
#include <unistd.h>

namespace {
using Clock = std::chrono::steady_clock;
constexpr int kAttempts = 3;

struct Outcome {
    LossyWriteResult sent;
    std::uint64_t delivered = 0;
    bool inOrder = true;
};

// Streams at the rate while serve() keeps the reader going, then lets the
// reader catch up with what was accepted.
Outcome Run(PtyPeer& peer, std::size_t rate, std::chrono::seconds duration, PatternCheck& check,
            const std::function<void()>& serve) {
    std::atomic<bool> writing = true;
    Outcome outcome;
    std::thread line([&] {
        outcome.sent = WriteLossy(peer.masterFd(), rate, duration);
        writing = false;
    });
    while (writing)
        serve();
    line.join();
    const std::uint64_t accepted = outcome.sent.offered - outcome.sent.refused;
    const auto giveUp = Clock::now() + std::chrono::seconds(3);
    while (check.Count() < accepted && Clock::now() < giveUp)
        serve();
    outcome.delivered = check.Count();
    outcome.inOrder = check.InOrder();
    return outcome;
}

Outcome PlainReadLoop(PtyPeer& peer, std::size_t rate, std::chrono::seconds duration) {
    const int fd = ::open(peer.devicePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    PatternCheck check;
    const Outcome outcome = Run(peer, rate, duration, check, [&] { PollAndRead(fd, check, 10); });
    ::close(fd);
    return outcome;
}

Outcome Component(PtyPeer& peer, std::size_t rate, std::chrono::seconds duration,
                  std::uint32_t delayMs) {
    TSerialPort port;
    port.SetPort(spCOM13);
    port.SetDelay(delayMs);
    PatternCheck check;
    port.OnReceive = [&](TSerialPort*, const std::string& chunk) {
        check.Take(chunk.data(), chunk.size());
    };
    port.Open();
    // Wakes each wait for events at least this often, to see the writer
    // done: processEvents with a time limit never waits, and its spinning
    // took a whole core from the port's reader on this 2-core machine.
    QTimer tick;
    tick.start(10);
    const Outcome outcome = Run(peer, rate, duration, check, [] {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    });
    port.Close();
    return outcome;
}

void Print(const char* reader, const Outcome& o) {
    std::printf("  %-18s offered %10llu  refused %9llu  delivered %10llu  %s\n", reader,
                static_cast<unsigned long long>(o.sent.offered),
                static_cast<unsigned long long>(o.sent.refused),
                static_cast<unsigned long long>(o.delivered),
                o.inOrder ? "in order" : "OUT OF ORDER");
    std::fflush(stdout);
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int seconds = 30;
    if (argc == 3 && std::string(argv[1]) == "--seconds")
        seconds = std::max(1, std::atoi(argv[2]));
    const std::chrono::seconds duration(seconds);
    ScratchEnvironment scratch;
    PtyPeer peer;
    peer.announce("COM13");

    bool asGoodAsPlain = true;
    int inconclusive = 0;
    for (const long baud : {115200L, 460800L, 921600L, 3000000L}) {
        // 8 data bits with a start and a stop bit: ten bits a byte.
        const auto rate = static_cast<std::size_t>(baud / 10);
        std::printf("%ld baud (%zu bytes/s), %d s each:\n", baud, rate, seconds);
        Outcome plain = PlainReadLoop(peer, rate, duration);
        Print("plain read loop", plain);
        for (const std::uint32_t delay : {1000u, 10u}) {
            bool asGood = false, complete = true, plainAlwaysLost = true;
            for (int attempt = 1; attempt <= kAttempts && !asGood; ++attempt) {
                if (attempt > 1) {
                    std::printf("  again, beside a new plain loop:\n");
                    plain = PlainReadLoop(peer, rate, duration);
                    Print("plain read loop", plain);
                }
                const Outcome o = Component(peer, rate, duration, delay);
                Print(delay == 1000 ? "Delay 1000 ms" : "Delay 10 ms", o);
                complete = o.inOrder && o.delivered == o.sent.offered - o.sent.refused;
                asGood = complete && o.sent.refused <= plain.sent.refused;
                plainAlwaysLost = plainAlwaysLost && plain.sent.refused > 0;
                if (!complete) // a byte accepted but not delivered is no scheduling noise
                    break;
            }
            if (!asGood && complete && plainAlwaysLost)
                ++inconclusive;
            else
                asGoodAsPlain = asGoodAsPlain && asGood;
        }
    }
    if (inconclusive > 0)
        std::printf("INCONCLUSIVE: %d case(s) ran while even the plain loop lost bytes\n",
                    inconclusive);
    std::printf("%s\n", asGoodAsPlain ? "PASS: no loss beyond the plain loop's" : "FAIL");
    return asGoodAsPlain ? 0 : 1;
}
