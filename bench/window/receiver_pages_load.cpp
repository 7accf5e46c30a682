// Load run of the Receiver and Messages pages: ZEPO Monitor's window with its
// port open on the receiver simulator streaming mixed NMEA and UBX traffic at
// the rate of a 921600-baud line, the two pages shown in turn every two
// seconds. A 20 ms timer on the GUI thread measures how late it fires; the
// process's CPU time and resident memory are read at the start and the end.
// Prints the worst lateness and the CPU share of one core against their goals,
// the memory, the rate that reached the window and the messages stored;
// exits 1 when a goal was missed.
//
//   receiver_pages_load [--seconds N] [--rate BYTES_PER_SECOND]   (60 s, 92000)

#include "bench/window/TimerLateness.h"
#include "bench/window/WindowOnPort.h"
#include "tests/receiver-sim/ChildProcess.h"
#include "tests/support/NamedControl.h"
#include "tests/support/ScratchEnvironment.h"
#include "tests/window/WindowTestSupport.h"
#include "window/app/MainForm.h"
#include "window/pages/ComPortPage.h"
#include "window/pages/MessagesPage.h"
#include "window/pages/ReceiverPage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {
constexpr int kPageSwitchMs = 2000;
constexpr qint64 kLatencyGoalMs = 100;
constexpr double kCpuGoal = 0.25; // of one core

double ResidentMb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1048576.0;
}

// User and system time of every thread of the process, in seconds.
double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}
} // namespace

int main(int argc, char** argv) {
    int seconds = 60;
    long rate = 92000;
    if (!ReadSecondsAndRate(argc, argv, "receiver_pages_load", seconds, rate, 1L))
        return 2;
    UseOffscreenWithoutDisplay();
    ScratchEnvironment scratch;
    ChildProcess simulator(scratch, kReceiverSimulator, {"--rate", std::to_string(rate), "--ubx"});
    if (!WaitForAnnouncement("COM13")) {
        std::fprintf(stderr, "receiver_pages_load: no simulator: %s\n", simulator.Errors().c_str());
        return 1;
    }

    QApplication application(argc, argv);
    TMainForm form;
    form.resize(1100, 700);
    form.show();
    ShowPage(form, "tabComPort");
    if (!ClickListItem(Named<QListWidget>(form, "lstPorts"), "COM13")) {
        std::fprintf(stderr, "receiver_pages_load: the window does not list COM13\n");
        return 1;
    }
    long long receivedBytes = 0;
    form.portSerial.OnReceive = [&, show = form.portSerial.OnReceive](TSerialPort* port,
                                                                      const std::string& buffer) {
        receivedBytes += static_cast<long long>(buffer.size());
        show(port, buffer);
    };
    Click(Named<QPushButton>(form, "btnOpen"));
    if (form.portSerial.IsConnected() != MakeCommPort(13)) {
        std::fprintf(stderr, "receiver_pages_load: the window could not open COM13\n");
        return 1;
    }
    ShowPage(form, "tabReceiver");
    std::printf("Receiver pages load: %d s of %ld bytes/s mixed NMEA and UBX traffic, the Receiver "
                "and Messages pages shown in turn\n",
                seconds, rate);
    std::fflush(stdout);

    QTimer switchPage;
    QObject::connect(&switchPage, &QTimer::timeout, [&] {
        const bool receiverShown =
            Named<QTabWidget>(form, "pcZEPOMonitor")->currentWidget()->objectName() ==
            "tabReceiver";
        ShowPage(form, receiverShown ? "tabMessages" : "tabReceiver");
    });
    switchPage.start(kPageSwitchMs);

    QElapsedTimer clock;
    const double startMb = ResidentMb();
    const double startCpu = CpuSeconds();
    clock.start();
    qint64 worstMs = 0;
    {
        const TimerLateness lateness;
        QTest::qWait(seconds * 1000);
        worstMs = lateness.WorstMs();
    }
    const double cpuShare =
        (CpuSeconds() - startCpu) / (static_cast<double>(clock.elapsed()) / 1e3);
    const double endMb = ResidentMb();
    const auto* messages = Named<QTableView>(form, "tvMessages");
    const int stored = messages ? messages->model()->rowCount() : -1;
    Click(Named<QPushButton>(form, "btnClose"));

    const bool responsive = worstMs < kLatencyGoalMs;
    const bool light = cpuShare < kCpuGoal;
    std::printf("GUI timer latency max: %lld ms, %.2fx the goal of %lld ms %s\n",
                static_cast<long long>(worstMs),
                static_cast<double>(worstMs) / static_cast<double>(kLatencyGoalMs),
                static_cast<long long>(kLatencyGoalMs), responsive ? "" : "FAIL");
    std::printf("CPU: %.1f %% of one core, %.2fx the goal of %.0f %% %s\n", cpuShare * 100,
                cpuShare / kCpuGoal, kCpuGoal * 100, light ? "" : "FAIL");
    std::printf("Memory (RSS): start %.1f MB, end %.1f MB\n", startMb, endMb);
    std::printf("Received: %lld bytes, %.0f bytes/s; messages listed: %d\n", receivedBytes,
                static_cast<double>(receivedBytes) * 1e3 / static_cast<double>(clock.elapsed()),
                stored);
    std::printf("%s\n", responsive && light ? "PASS" : "FAIL");
    return responsive && light ? 0 : 1;
}
