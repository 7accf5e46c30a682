// Receive throughput of the serial port component on a pseudo-terminal.
//
// A writer thread streams a counting byte pattern into the pty for a while,
// once as fast as the line takes it and once at the pace of a 921600 baud
// line. First a plain read loop on the same pty gives the line's own rate;
// then the component, polling every Delay ms and delivering through OnReceive
// on the main thread, is measured at several Delays. Every run checks that
// the bytes delivered equal the bytes written, in order. Last, the CPU time
// an open, idle port costs at Delay 1000.

#include "serial/SerialPort.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/ScratchEnvironment.h"

#include <QCoreApplication>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace {
using Clock = std::chrono::steady_clock;
constexpr auto kStreamTime = std::chrono::seconds(2);

// Bytes per second of a 921600 baud line with 8 data bits, 1 start and 1 stop bit.
constexpr std::size_t kFastLineRate = 92160;

char PatternByte(std::uint64_t position) {
    return static_cast<char>(position % 251);
}

// Writes the pattern into the line until kStreamTime has passed, at most
// bytesPerSecond (0: as fast as the line takes it); returns the number of
// bytes written.
std::uint64_t Stream(PtyPeer& peer, std::size_t bytesPerSecond) {
    constexpr auto kTick = std::chrono::milliseconds(10);
    const std::size_t blockSize = bytesPerSecond == 0 ? 4096 : bytesPerSecond / 100;
    std::string block(blockSize, '\0');
    std::uint64_t written = 0;
    const auto start = Clock::now();
    const auto end = start + kStreamTime;
    for (auto next = start; Clock::now() < end; next += kTick) {
        if (bytesPerSecond != 0)
            std::this_thread::sleep_until(next);
        for (std::size_t i = 0; i < block.size(); ++i)
            block[i] = PatternByte(written + i);
        peer.write(block);
        written += block.size();
    }
    return written;
}

// Counts bytes as they arrive and checks they continue the pattern.
struct Delivery {
    std::atomic<std::uint64_t> count = 0;
    std::atomic<bool> inOrder = true;
    Clock::time_point last;

    void Take(const char* data, std::size_t size) {
        const std::uint64_t at = count;
        for (std::size_t i = 0; i < size; ++i)
            if (data[i] != PatternByte(at + i))
                inOrder = false;
        last = Clock::now();
        count = at + size;
    }
};

struct Result {
    double megabytesPerSecond;
    bool complete;
};

Result Measure(PtyPeer& peer, std::size_t pace, Delivery& delivery,
               const std::function<void()>& serve) {
    const auto start = Clock::now();
    std::atomic<std::uint64_t> written = 0;
    std::atomic<bool> writing = true;
    std::thread writer([&] {
        written = Stream(peer, pace);
        writing = false;
    });
    const auto giveUp = start + kStreamTime + std::chrono::seconds(30);
    while ((writing || delivery.count < written) && Clock::now() < giveUp)
        serve();
    writer.join();
    const double seconds = std::chrono::duration<double>(delivery.last - start).count();
    return {static_cast<double>(delivery.count) / seconds / 1e6,
            delivery.count == written && delivery.inOrder};
}

Result PlainReadLoop(PtyPeer& peer, std::size_t pace) {
    const int fd = ::open(peer.devicePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    Delivery delivery;
    char buffer[65536];
    const Result result = Measure(peer, pace, delivery, [&] {
        pollfd pfd{fd, POLLIN, 0};
        if (poll(&pfd, 1, 10) > 0) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n > 0)
                delivery.Take(buffer, static_cast<std::size_t>(n));
        }
    });
    ::close(fd);
    return result;
}

Result Component(PtyPeer& peer, std::size_t pace, std::uint32_t delayMs) {
    TSerialPort port;
    port.SetPort(spCOM13);
    port.SetDelay(delayMs);
    Delivery delivery;
    port.OnReceive = [&](TSerialPort*, const std::string& chunk) {
        delivery.Take(chunk.data(), chunk.size());
    };
    port.Open();
    // Wakes each wait for events at least this often, to see the writer
    // done: processEvents with a time limit never waits, and its spinning
    // took a whole core from the port's reader on this 2-core machine.
    QTimer tick;
    tick.start(10);
    const Result result = Measure(peer, pace, delivery, [] {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    });
    port.Close();
    return result;
}

double ProcessCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double IdleCpuMsPerSecond() {
    TSerialPort port;
    port.SetPort(spCOM13);
    port.SetDelay(1000);
    port.Open();
    constexpr int kSeconds = 5;
    const double before = ProcessCpuMs();
    std::this_thread::sleep_for(std::chrono::seconds(kSeconds));
    const double used = ProcessCpuMs() - before;
    port.Close();
    return used / kSeconds;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ScratchEnvironment scratch;
    PtyPeer peer;
    peer.announce("COM13");

    bool allComplete = true;
    for (const std::size_t pace : {std::size_t{0}, kFastLineRate}) {
        if (pace == 0)
            std::printf("writer as fast as the line takes it:\n");
        else
            std::printf("writer at the pace of a 921600 baud line (%.3f MB/s):\n", pace / 1e6);
        const Result plain = PlainReadLoop(peer, pace);
        allComplete = allComplete && plain.complete;
        std::printf("  plain read loop  %8.3f MB/s                 %s\n", plain.megabytesPerSecond,
                    plain.complete ? "all bytes in order" : "BYTES LOST OR REORDERED");
        for (const std::uint32_t delay : {1u, 10u, 100u, 1000u}) {
            const Result r = Component(peer, pace, delay);
            allComplete = allComplete && r.complete;
            std::printf("  Delay %4u ms    %8.3f MB/s  %5.2f of plain  %s\n", delay,
                        r.megabytesPerSecond, r.megabytesPerSecond / plain.megabytesPerSecond,
                        r.complete ? "all bytes in order" : "BYTES LOST OR REORDERED");
        }
    }
    std::printf("idle port at Delay 1000: %.3f ms CPU per second\n", IdleCpuMsPerSecond());
    return allComplete ? 0 : 1;
}
