// Flood run: ZEPO Monitor's window with its port open on a pseudo-terminal
// that a writer thread fills as fast as the kernel takes bytes, for each
// receive view in turn. A 20 ms timer on the GUI thread measures how late it
// fires, and how much of that lateness the thread spent on its own work: on
// this shared machine other processes can hold both cores for longer than
// the goal, so the check is on the window's own share and the wall figure is
// printed beside it; at the end of each view's run the writer stops and every byte
// written must have been handed to the window or reported as overflow: a
// writer at full pty speed outruns any window, and what the receive buffer
// cannot hold is an overflow the window shows, not a silent loss. The UBX
// view's "Found UBX" notice is dismissed as soon as it shows. Prints, per
// view, the worst lateness against its goal and the bytes delivered and
// reported against the bytes written, then the peak memory (maximum resident
// set size) against its goal; exits 1 when a goal was missed or a byte was
// neither delivered nor reported.
//
//   flood_monitor [--seconds N] [--view 0-4]   (N per view, default 60; every view)

#include "bench/window/TimerLateness.h"
#include "bench/window/WindowOnPort.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/ScratchEnvironment.h"
#include "window/app/MainForm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {
constexpr qint64 kLatencyGoalMs = 250;
constexpr long kMemoryGoalMiB = 300;
const char* const kViewNames[] = {"ASCII", "Decimal", "Hexa", "NMEA", "UBX"};

// NMEA-like lines with a few control and high bytes, so every view has work.
std::string Traffic() {
    std::string text;
    for (int n = 0; text.size() < 64 * 1024; ++n)
        text += "$GPGGA,092750.000,5321.6802,N,00630.3372,W,1,8,1.03,61.7,M,55.2,M,," +
                std::to_string(n) + "*76\r\n\t\xB5\x62";
    return text;
}

// Writes text to the line over and over until told to stop; counts the bytes.
class Flood {
public:
    explicit Flood(int fd) : fd_(fd), thread_([this] { Run(); }) {}
    ~Flood() { Stop(); }
    void Stop() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }
    long long Written() const { return written_; }

private:
    void Run() {
        const std::string text = Traffic();
        std::size_t at = 0;
        while (!stop_) {
            const ssize_t n = ::write(fd_, text.data() + at, text.size() - at);
            if (n > 0) {
                written_ += n;
                at = (at + static_cast<std::size_t>(n)) % text.size();
            } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                return;
            } else {
                pollfd pfd{fd_, POLLOUT, 0};
                poll(&pfd, 1, 10);
            }
        }
    }

    int fd_;
    std::atomic<bool> stop_ = false;
    std::atomic<long long> written_ = 0;
    std::thread thread_;
};

struct ViewResult {
    qint64 worstMs = 0;
    qint64 worstOwnMs = 0;
    long long written = 0;
    long long delivered = 0;
    long long overflowed = 0;
};

long PeakResidentMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

ViewResult FloodView(TMainForm& form, PtyPeer& peer, int view, int seconds) {
    ViewResult result;
    long long delivered = 0;
    const auto count = [&](const std::string& chunk) {
        delivered += static_cast<long long>(chunk.size());
    };
    WithPortOpen(form, view, count, [&] {
        const TimerLateness lateness;
        Flood flood(peer.masterFd());
        QTest::qWait(seconds * 1000);
        flood.Stop();
        result.written = flood.Written();
        // What is still on its way comes with the next polls.
        (void)QTest::qWaitFor(
            [&] {
                result.overflowed = static_cast<long long>(form.portSerial.DroppedBytes());
                return delivered + result.overflowed >= result.written;
            },
            10000);
        result.worstMs = lateness.WorstMs();
        result.worstOwnMs = lateness.WorstOwnMs();
    });
    result.delivered = delivered;
    return result;
}
} // namespace

int main(int argc, char** argv) {
    int seconds = 60, first = 0, last = 4;
    for (int k = 1; k < argc; ++k) {
        const std::string name = argv[k];
        if (name == "--seconds" && k + 1 < argc) {
            seconds = std::max(1, std::atoi(argv[++k]));
        } else if (name == "--view" && k + 1 < argc) {
            first = last = std::clamp(std::atoi(argv[++k]), 0, 4);
        } else {
            std::fprintf(stderr, "Usage: flood_monitor [--seconds N] [--view 0-4]\n");
            return 2;
        }
    }
    UseOffscreenWithoutDisplay();
    ScratchEnvironment scratch;
    PtyPeer peer;
    peer.announce("COM7");

    QApplication application(argc, argv);
    QTimer dismiss;
    QObject::connect(&dismiss, &QTimer::timeout, [] {
        if (auto* notice = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            notice->accept();
    });
    dismiss.start(TimerLateness::kTickMs);
    TMainForm form;
    form.show();
    if (!ChoosePort(form, "COM7"))
        return 1;

    std::printf("Flood: %d s per view of a pseudo-terminal written at full speed\n", seconds);
    std::printf("%-8s %14s %10s %10s %14s %14s %14s\n", "view", "own late ms", "of goal", "wall ms",
                "bytes written", "delivered", "overflowed");
    bool passed = true;
    for (int view = first; view <= last; ++view) {
        const ViewResult r = FloodView(form, peer, view, seconds);
        const bool ok = r.worstOwnMs <= kLatencyGoalMs && r.delivered + r.overflowed == r.written;
        passed = passed && ok;
        std::printf("%-8s %14lld %9.2fx %10lld %14lld %14lld %14lld %s\n", kViewNames[view],
                    static_cast<long long>(r.worstOwnMs),
                    static_cast<double>(r.worstOwnMs) / static_cast<double>(kLatencyGoalMs),
                    static_cast<long long>(r.worstMs), r.written, r.delivered, r.overflowed,
                    ok ? "" : "FAIL");
        std::fflush(stdout);
    }
    const long peak = PeakResidentMiB();
    const bool light = peak < kMemoryGoalMiB;
    passed = passed && light;
    std::printf("peak memory %ld MiB, %.2fx of the %ld MiB goal %s\n", peak,
                static_cast<double>(peak) / kMemoryGoalMiB, kMemoryGoalMiB, light ? "" : "FAIL");
    std::printf("%s\n", passed ? "PASS" : "FAIL");
    return passed ? 0 : 1;
}
