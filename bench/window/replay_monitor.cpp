// Replay run: a 10 MB recording of mixed NMEA, PUBX and UBX output (the
// simulated receiver's, epoch after epoch) replayed as fast as possible
// through the window with every view on: the data pane, the Receiver and
// Messages pages' feed and the History page, shown. Prints the rate at which
// the window took the recording against its goal, the worst lateness of a
// 20 ms timer on the window's thread against its goal and the peak memory
// (maximum resident set size); exits 1 when a goal was missed or a byte did
// not arrive. The goal is judged on the window thread's processor time,
// the wall-clock rate is printed beside it.
//
//   replay_monitor [--megabytes N]   (default 10)

#include "bench/window/TimerLateness.h"
#include "tests/support/NamedControl.h"
#include "tests/support/ScratchEnvironment.h"
#include "tools/receiver-sim/NmeaOutput.h"
#include "tools/receiver-sim/UbxOutput.h"
#include "window/app/MainForm.h"
#include "window/pages/RecordPage.h"
#include "window/parts/SessionControl.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <sys/resource.h>

namespace {
constexpr double kGoalMBps = 5.0;
constexpr qint64 kLatencyGoalMs = 250;
constexpr double kMB = 1e6;

// The simulated receiver's output with UBX on, epoch after epoch.
QByteArray Recording(std::size_t size) {
    NavigationModel model(1500000000, 11);
    std::string bytes;
    bytes.reserve(size + 8192);
    while (bytes.size() < size) {
        const NavigationSolution& epoch = model.Advance();
        for (auto id : kStandardMessages)
            for (const auto& sentence : StandardMessage(id, epoch))
                bytes += sentence;
        bytes += NavPvtFrame(epoch) + NavSatFrame(epoch) + NavStatusFrame(epoch) +
                 NavDopFrame(epoch) + NavPosllhFrame(epoch) + Pubx00Position(epoch);
    }
    return QByteArray::fromStdString(bytes);
}

// Processor time of the window's thread: the machine is shared, wall time
// is not ours alone.
double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

long PeakMemoryKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}
} // namespace

int main(int argc, char** argv) {
    int megabytes = 10;
    for (int k = 1; k < argc; ++k) {
        if (std::string(argv[k]) == "--megabytes" && k + 1 < argc) {
            megabytes = std::max(1, std::atoi(argv[++k]));
        } else {
            std::fprintf(stderr, "Usage: replay_monitor [--megabytes N]\n");
            return 2;
        }
    }
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ScratchEnvironment scratch;
    const QString path = QString::fromStdString(scratch.root()) + "/drive.ubx";
    const QByteArray recording = Recording(static_cast<std::size_t>(megabytes * kMB));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(recording) != recording.size())
            return 1;
    }

    QApplication application(argc, argv);
    QTimer dismiss;
    QObject::connect(&dismiss, &QTimer::timeout, [] {
        if (auto* notice = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            notice->accept();
    });
    dismiss.start(20);
    TMainForm form;
    form.show();
    ShowPage(form, "tabHistory");
    const long idleKiB = PeakMemoryKiB();

    long long delivered = 0;
    const auto show = form.portSerial.OnReceive;
    form.portSerial.OnReceive = [&](TSerialPort* port, const std::string& buffer) {
        delivered += static_cast<long long>(buffer.size());
        show(port, buffer);
    };
    Named<QComboBox>(form, "cbReplayPace")->setCurrentIndex(1); // as fast as possible
    QElapsedTimer clock;
    clock.start();
    const TimerLateness lateness;
    const double cpuStart = ThreadSeconds();
    Named<TRecordPage>(form, "tabRecord")->OpenRecording(path);
    const bool complete = QTest::qWaitFor([&] { return delivered >= recording.size(); }, 600000);
    const double seconds = static_cast<double>(clock.nsecsElapsed()) * 1e-9;
    const double cpuSeconds = ThreadSeconds() - cpuStart;
    const qint64 worstLateMs = lateness.WorstMs();
    form.portSerial.OnReceive = show;

    const double rate = static_cast<double>(delivered) / kMB / seconds;
    const double cpuRate = static_cast<double>(delivered) / kMB / cpuSeconds;
    const long peakKiB = PeakMemoryKiB();
    const bool passed = complete && delivered == recording.size() && cpuRate >= kGoalMBps &&
                        worstLateMs <= kLatencyGoalMs;
    std::printf("Replay of %.1f MB as fast as possible through the window, views on\n",
                static_cast<double>(recording.size()) / kMB);
    std::printf("delivered        %lld of %lld bytes in %.2f s\n", delivered,
                static_cast<long long>(recording.size()), seconds);
    std::printf("window's rate    %.2f MB/s of its thread's processor time, %.2fx the goal of "
                "%.0f MB/s\n",
                cpuRate, cpuRate / kGoalMBps, kGoalMBps);
    std::printf("wall-clock rate  %.2f MB/s (%.2fx the goal)\n", rate, rate / kGoalMBps);
    std::printf("latency max      %lld ms, %.2fx the goal of %lld ms\n",
                static_cast<long long>(worstLateMs),
                static_cast<double>(worstLateMs) / kLatencyGoalMs,
                static_cast<long long>(kLatencyGoalMs));
    std::printf("peak memory      %.1f MB (%.1f MB before the replay, %.2fx the recording)\n",
                peakKiB / 1024.0, idleKiB / 1024.0,
                (peakKiB - idleKiB) * 1024.0 / static_cast<double>(recording.size()));
    std::printf("%s\n", passed ? "PASS" : "FAIL");
    return passed ? 0 : 1;
}
