// Soak run: ZEPO Monitor's window with its port open on the receiver
// simulator streaming mixed NMEA, PUBX and UBX traffic at a high rate, for a
// long time. A 20 ms timer on the GUI thread measures how late it fires (the
// window must answer within 100 ms throughout), and the resident memory is
// sampled every second (it must stay bounded). Prints both as it goes and a
// summary at the end; exits 1 when either limit was broken.
//
//   soak_monitor [--seconds N] [--rate BYTES_PER_SECOND] [--view 0-4] [--delay MS] [--watches]
//
// A pseudo-terminal holds only some 18 KB between two of the window's
// once-a-second polls, so the simulator is held back to that; the rate that
// reached the window is printed. --delay sets the port's poll interval
// (the window's own is 1000 ms) to let more through.
// --view picks the receive view (0 ASCII, the window's default and the
// costliest, as it names every control byte; 1 Decimal, 2 Hexa, 3 NMEA).
// --watches also turns on the GGA and PUBX watches, whose panes keep every
// matching line, so memory then grows with the traffic by design.

#include "tests/support/NamedControl.h"
#include "window/app/MainForm.h"
#include "window/blocks/RadioGroup.h"
#include "window/pages/ComPortPage.h"
#include "window/pages/NmeaPubxPage.h"
#include "window/pages/NmeaStandardPage.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {
constexpr int kTickMs = 20;
constexpr qint64 kLatencyLimitMs = 100;
constexpr double kGrowthLimitMb = 32; // over the second half of the run
const char* const kViewNames[] = {"ASCII", "Decimal", "Hexa", "NMEA", "UBX"};

struct Options {
    int seconds = 600;
    long rate = 50000;
    int view = 0;
    int delayMs = 0; // 0: the window's own
    bool watches = false;
};

Options ParseOptions(int argc, char** argv) {
    Options options;
    for (int k = 1; k < argc; ++k) {
        const std::string name = argv[k];
        if (name == "--watches")
            options.watches = true;
        else if (name == "--seconds" && k + 1 < argc)
            options.seconds = std::atoi(argv[++k]);
        else if (name == "--rate" && k + 1 < argc)
            options.rate = std::atol(argv[++k]);
        else if (name == "--delay" && k + 1 < argc)
            options.delayMs = std::max(1, std::atoi(argv[++k]));
        else if (name == "--view" && k + 1 < argc)
            options.view = std::clamp(std::atoi(argv[++k]), 0, 4);
        else {
            std::fprintf(stderr, "Usage: soak_monitor [--seconds N] [--rate N] [--view 0-4] "
                                 "[--delay MS] [--watches]\n");
            std::exit(2);
        }
    }
    return options;
}

double ResidentMb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1048576.0;
}

// A private runtime and settings directory, so the run neither meets a
// simulator the user already runs nor touches the user's stored port.
std::string PrivateEnvironment() {
    char root[] = "/tmp/zepo-soak-XXXXXX";
    if (mkdtemp(root) == nullptr) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    const std::string run = std::string(root) + "/run";
    mkdir(run.c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
    setenv("XDG_CONFIG_HOME", root, 1);
    return root;
}

pid_t StartSimulator(long rate) {
    const std::string rateText = std::to_string(rate);
    char* argv[] = {const_cast<char*>(ZEPO_RECEIVER_SIM), const_cast<char*>("--rate"),
                    const_cast<char*>(rateText.c_str()), nullptr};
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int error = posix_spawn(&pid, argv[0], &quiet, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (error != 0) {
        std::perror("cannot start the receiver simulator");
        std::exit(1);
    }
    return pid;
}

bool OpenSimulatorPort(TMainForm& form) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        Named<TComPortPage>(form, "tabComPort")->RefreshPortList();
        const auto found =
            Named<QListWidget>(form, "lstPorts")->findItems("COM13", Qt::MatchExactly);
        if (!found.isEmpty()) {
            Named<QListWidget>(form, "lstPorts")->setCurrentItem(found.first());
            Named<QPushButton>(form, "btnOpen")->click();
            return form.portSerial.IsConnected() == MakeCommPort(13);
        }
        usleep(100000);
    }
    return false;
}
} // namespace

int main(int argc, char** argv) {
    const Options options = ParseOptions(argc, argv);
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const std::string root = PrivateEnvironment();
    const pid_t simulator = StartSimulator(options.rate);

    QApplication application(argc, argv);
    TMainForm form;
    form.show();
    if (options.delayMs > 0)
        form.portSerial.SetDelay(options.delayMs);
    if (!OpenSimulatorPort(form)) {
        std::fprintf(stderr, "soak_monitor: the window could not open the simulator's port\n");
        kill(simulator, SIGTERM);
        return 1;
    }
    Named<TRadioGroup>(form, "rgMode")->SetItemIndex(options.view);
    // Count what reaches the window, then hand each chunk on to it.
    long long receivedBytes = 0, chunks = 0;
    form.portSerial.OnReceive = [&, show = form.portSerial.OnReceive](TSerialPort* port,
                                                                      const std::string& buffer) {
        receivedBytes += static_cast<long long>(buffer.size());
        ++chunks;
        show(port, buffer);
    };
    if (options.watches) {
        Named<QComboBox>(form, "cbNMEAWatch")
            ->setCurrentIndex(
                Named<QComboBox>(form, "cbNMEAWatch")->findText("GGA", Qt::MatchStartsWith));
        Named<QComboBox>(form, "cbPUBXWatch")->setCurrentIndex(1);
    }
    std::printf("Soak: %d s of %ld bytes/s mixed traffic into the %s view%s\n", options.seconds,
                options.rate, kViewNames[options.view],
                options.watches ? " with the GGA and PUBX watches on" : "");
    std::printf("%8s %16s %16s %10s\n", "second", "latency max ms", "this minute ms", "RSS MB");

    QElapsedTimer clock;
    clock.start();
    qint64 lastTick = 0, worst = 0, worstThisMinute = 0;
    double startMb = ResidentMb(), halfwayMb = startMb, peakMb = startMb;
    int second = 0;

    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        const qint64 late = now - lastTick - kTickMs;
        lastTick = now;
        worst = std::max(worst, late);
        worstThisMinute = std::max(worstThisMinute, late);
        if (now / 1000 <= second)
            return;
        second = static_cast<int>(now / 1000);
        const double mb = ResidentMb();
        peakMb = std::max(peakMb, mb);
        if (second == options.seconds / 2)
            halfwayMb = mb;
        if (second % 60 == 0 || second == 10 || second >= options.seconds) {
            std::printf("%8d %16lld %16lld %10.1f\n", second, static_cast<long long>(worst),
                        static_cast<long long>(worstThisMinute), mb);
            std::fflush(stdout);
            worstThisMinute = 0;
        }
        if (second >= options.seconds)
            form.close();
    });
    lastTick = clock.elapsed();
    tick.start(kTickMs);
    QApplication::exec(); // until the timer closes the window

    const double endMb = ResidentMb();
    const double growth = endMb - halfwayMb;
    std::printf("GUI timer latency max: %lld ms (limit %lld ms)\n", static_cast<long long>(worst),
                static_cast<long long>(kLatencyLimitMs));
    std::printf(
        "Memory (RSS): start %.1f MB, peak %.1f MB, end %.1f MB, second-half growth %.1f MB\n",
        startMb, peakMb, endMb, growth);
    std::printf("Received: %lld bytes in %lld chunks, %.0f bytes/s\n", receivedBytes, chunks,
                static_cast<double>(receivedBytes) * 1000.0 / static_cast<double>(clock.elapsed()));
    std::printf("Data pane lines: %d, GGA watch lines: %d, PUBX watch lines: %d\n",
                Named<QPlainTextEdit>(form, "moData")->blockCount(),
                Named<QPlainTextEdit>(form, "moNMEAWatch")->blockCount(),
                Named<QPlainTextEdit>(form, "moUBXWatch")->blockCount());

    kill(simulator, SIGTERM);
    waitpid(simulator, nullptr, 0);
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    const bool responsive = worst <= kLatencyLimitMs;
    const bool bounded = options.watches || growth <= kGrowthLimitMb;
    std::printf("%s\n", responsive && bounded ? "PASS" : "FAIL");
    return responsive && bounded ? 0 : 1;
}
