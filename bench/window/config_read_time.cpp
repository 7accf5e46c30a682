// Reading the whole configuration database of a generation 9 receiver: ZEPO
// Monitor's window on the receiver simulator at 115200 baud, the window
// receiving once per its usual 1000 ms Delay, "Read" clicked on the
// "Configuration" page for every key from RAM, BBR, Flash and Default.
// Prints per run the time until the page reports, the CFG-VALGET polls sent
// and answers settled, and the keys read per layer; then the slowest run
// against the goal. Exits 1 when the goal was missed or a read failed.
//
//   config_read_time [--runs N]   (3)

#include "tests/receiver-sim/ChildProcess.h"
#include "tests/support/NamedControl.h"
#include "tests/support/ScratchEnvironment.h"
#include "tests/window/WindowTestSupport.h"
#include "window/app/MainForm.h"
#include "window/pages/ConfigurationPage.h"
#include "window/parts/ConfigDatabaseSession.h"
#include "window/parts/UbxCommander.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
constexpr qint64 kGoalMs = 5000;
constexpr int kGiveUpMs = 60000;
} // namespace

int main(int argc, char** argv) {
    int runs = 3;
    for (int k = 1; k < argc; ++k) {
        const std::string name = argv[k];
        if (name == "--runs" && k + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++k]));
        } else {
            std::fprintf(stderr, "Usage: config_read_time [--runs N]\n");
            return 2;
        }
    }
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ScratchEnvironment scratch;
    ChildProcess simulator(scratch, kReceiverSimulator,
                           {"--port", "COM14", "--baud", "115200", "--generation", "9"});
    if (!WaitForAnnouncement("COM14")) {
        std::fprintf(stderr, "config_read_time: no simulator: %s\n", simulator.Errors().c_str());
        return 1;
    }
    QApplication application(argc, argv);
    DeferredDeletions deferred;
    TMainForm form;
    form.show();
    if (!OpenPortAt(form, "COM14", "115200")) {
        std::fprintf(stderr, "config_read_time: COM14 did not open at 115200 baud\n");
        return 1;
    }
    auto* page = Named<TConfigurationPage>(form, "tabConfiguration");
    ShowPageOf(form, page);
    auto* session = PartOf<TConfigDatabaseSession>(form);
    std::size_t answers = 0;
    QObject::connect(PartOf<TUbxCommander>(form), &TUbxCommander::Settled,
                     [&](const TUBXPacket& command, const ubx::TCommandOutcome&) {
                         answers += command.ID == ubx::kIdCfgValGet ? 1 : 0;
                     });
    QString report;
    bool succeeded = false;
    QObject::connect(session, &TConfigDatabaseSession::Finished, [&](const QString& text, bool ok) {
        report = text;
        succeeded = ok;
    });

    std::printf("Reading every key of a generation 9 receiver at 115200 baud, window Delay "
                "%u ms\n",
                form.portSerial.Delay());
    qint64 slowest = 0;
    bool allRead = true;
    for (int run = 1; run <= runs; ++run) {
        answers = 0;
        report.clear();
        QElapsedTimer clock;
        clock.start();
        Named<QPushButton>(*page, "btnConfigRead")->click();
        if (!QTest::qWaitFor([&] { return !report.isEmpty(); }, kGiveUpMs)) {
            std::printf("run %d: no report after %d ms\n", run, kGiveUpMs);
            return 1;
        }
        const qint64 took = clock.elapsed();
        const TConfigReadFigures& read = session->LastRead();
        std::printf("run %d: %lld ms, %zu polls, %zu answers, keys RAM %zu, BBR %zu, Flash %zu, "
                    "Default %zu%s\n",
                    run, static_cast<long long>(took), read.polls, answers, read.keys[0],
                    read.keys[1], read.keys[2], read.keys[3],
                    succeeded ? "" : (" FAILED: " + report.toStdString()).c_str());
        slowest = std::max(slowest, took);
        allRead = allRead && succeeded && read.keys[0] > 0 && read.keys[0] == read.keys[3];
    }
    const bool pass = allRead && slowest < kGoalMs;
    std::printf("slowest read: %lld ms (goal < %lld ms): %s\n", static_cast<long long>(slowest),
                static_cast<long long>(kGoalMs), pass ? "PASS" : "FAIL");
    return pass ? 0 : 1;
}
