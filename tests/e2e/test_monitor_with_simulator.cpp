// ZEPO Monitor's window against the receiver simulator, as a user meets
// them: the window, in a process of its own, opens the simulator's port from
// the port list, shows its sentences, collects GGA lines and PUBX answers,
// sees the CFG-ANT answer in the Hexa view, and closes; the simulator then
// ends by itself and leaves no announcement behind.

#include "serial/VirtualPorts.h"
#include "tests/receiver-sim/ChildProcess.h"
#include "tests/support/NamedControl.h"
#include "tests/support/ScratchEnvironment.h"
#include "tests/window/WindowTestSupport.h"
#include "window/app/MainForm.h"
#include "window/blocks/RadioGroup.h"
#include "window/pages/ComPortPage.h"
#include "window/pages/NmeaPubxPage.h"
#include "window/pages/NmeaStandardPage.h"

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
enum { Hexa = 2, Nmea = 3 };
constexpr int kWaitMs = 15000;

void Choose(QComboBox* box, const QString& startOfItem) {
    for (int index = 0; index < box->count(); ++index)
        if (box->itemText(index).startsWith(startOfItem))
            return box->setCurrentIndex(index);
    FAIL() << startOfItem.toStdString() << " is not in " << box->objectName().toStdString();
}

bool Shows(QPlainTextEdit* pane, const QString& text) {
    return pane->toPlainText().contains(text);
}

// Presses the button until the answer shows: an answer cut in two by the
// once-a-second poll shows in neither chunk whole.
bool PressUntil(QAbstractButton* button, const std::function<bool()>& answered) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        Click(button);
        if (QTest::qWaitFor(answered, kWaitMs / 3))
            return true;
    }
    return false;
}

// Runs checks on a window of its own, in a process of its own, that opens
// the simulator's port COM<number>.
void InWindowProcess(int number, const std::function<void(TMainForm&)>& checks) {
    const pid_t monitor = fork();
    if (monitor == 0) {
        alarm(150); // a modal box nobody answers must not hang the run
        int argc = 1;
        char name[] = "test_monitor_with_simulator";
        char* argv[] = {name, nullptr};
        QApplication application(argc, argv);
        TMainForm form;
        form.show();
        ShowPage(form, "tabComPort");
        if (QTest::qWaitForWindowExposed(&form) &&
            ClickListItem(Named<QListWidget>(form, "lstPorts"), "COM" + QString::number(number)) &&
            // The simulator talks at 115200 baud; at any other rate the window hears noise.
            ClickListItem(Named<QListWidget>(form, "lstBaudRate"), "115200")) {
            Click(Named<QPushButton>(form, "btnOpen"));
            if (form.portSerial.IsConnected() == MakeCommPort(number))
                checks(form);
            else
                ADD_FAILURE() << "COM" << number << " did not open";
        } else {
            ADD_FAILURE() << "COM" << number << " is not listed";
        }
        std::fflush(nullptr);
        _exit(testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    waitpid(monitor, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the window's checks failed";
}

void UseTheWindow(TMainForm& form) {
    auto* data = Named<QPlainTextEdit>(form, "moData");
    auto* nmeaWatch = Named<QPlainTextEdit>(form, "moNMEAWatch");
    ShowPage(form, "tabNMEA");
    Click(Named<TRadioGroup>(form, "rgMode")->Button(Nmea));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return Shows(data, "$GPRMC,") && Shows(data, "$GPGSV,3,3,12,"); }, kWaitMs))
        << data->toPlainText().toStdString() << " log "
        << Named<QPlainTextEdit>(form, "moComPort")->toPlainText().toStdString()
        << int(form.portSerial.IsConnected());

    Choose(Named<QComboBox>(form, "cbNMEAWatch"), "GGA");
    ASSERT_TRUE(QTest::qWaitFor([&] { return nmeaWatch->blockCount() >= 2; }, kWaitMs));
    for (const QString& line : nmeaWatch->toPlainText().split('\n', Qt::SkipEmptyParts))
        EXPECT_TRUE(line.startsWith("$GPGGA,")) << line.toStdString();

    ShowPage(form, "tabUBX");
    Choose(Named<QComboBox>(form, "cbPUBXWatch"), "$PUBX,00");
    EXPECT_TRUE(PressUntil(Named<QPushButton>(form, "btnPollLatLon"), [&] {
        return Shows(Named<QPlainTextEdit>(form, "moUBXWatch"), "$PUBX,00,");
    }));

    ShowPage(form, "tabNMEA");
    Click(Named<TRadioGroup>(form, "rgMode")->Button(Hexa));
    ShowPage(form, "tabComPort");
    bool antenna = false, acknowledged = false;
    EXPECT_TRUE(PressUntil(Named<QPushButton>(form, "btnPollCFG_ANT"),
                           [&] {
                               antenna = antenna || Shows(data, "B5-62-6-13-4-0-");
                               acknowledged = acknowledged || Shows(data, "B5-62-5-1-2-0-6-13-");
                               return antenna && acknowledged;
                           }))
        << "CFG-ANT answer " << antenna << ", ACK-ACK " << acknowledged;

    form.close();
    EXPECT_EQ(form.portSerial.IsConnected(), spNone);
}
// UBX output interleaved with NMEA: the NMEA view shows the sentences of
// every chunk, none cut short or mixed with frame bytes, and the GGA watch
// collects one line per second.
void WatchMixedOutput(TMainForm& form) {
    auto* data = Named<QPlainTextEdit>(form, "moData");
    auto* nmeaWatch = Named<QPlainTextEdit>(form, "moNMEAWatch");
    ShowPage(form, "tabNMEA");
    Choose(Named<QComboBox>(form, "cbNMEAWatch"), "GGA");
    Click(Named<TRadioGroup>(form, "rgMode")->Button(Nmea));
    const auto wholeChunk = [&] {
        const QString text = data->toPlainText();
        for (const char* sentence : {"$GPRMC,", "$GPGGA,", "$GPGSA,", "$GPGLL,", "$GPZDA,"})
            if (!text.contains(sentence))
                return false;
        return true;
    };
    const int watched = nmeaWatch->blockCount();
    for (int chunk = 0; chunk < 4; ++chunk) {
        ASSERT_TRUE(QTest::qWaitFor(wholeChunk, kWaitMs)) << data->toPlainText().toStdString();
        for (const QChar c : data->toPlainText())
            ASSERT_TRUE(c == '\n' || (c >= ' ' && c <= '~'))
                << "frame bytes in " << data->toPlainText().toStdString();
        data->clear();
    }
    const QStringList lines = nmeaWatch->toPlainText().split('\n', Qt::SkipEmptyParts);
    EXPECT_GE(lines.size(), watched + 3);
    for (const QString& line : lines)
        EXPECT_TRUE(line.startsWith("$GPGGA,")) << line.toStdString();
    form.close();
}
} // namespace

TEST(MonitorWithSimulator, UbxInterleavedWithNmeaLeavesEverySentenceInTheNmeaView) {
    ScratchEnvironment scratch;
    ChildProcess simulator(scratch, kReceiverSimulator,
                           {"--baud", "115200", "--ubx", "--port", "COM14"});
    ASSERT_TRUE(WaitForAnnouncement("COM14")) << simulator.Errors();
    InWindowProcess(14, WatchMixedOutput);
    EXPECT_EQ(simulator.WaitForExit(), 0) << simulator.Output();
}

TEST(MonitorWithSimulator, WindowWorksTheSimulatedReceiverAndLeavesNoAnnouncement) {
    ScratchEnvironment scratch;
    ChildProcess simulator(scratch, kReceiverSimulator, {"--baud", "115200"});
    ASSERT_TRUE(WaitForAnnouncement("COM13")) << simulator.Errors();

    InWindowProcess(13, UseTheWindow);

    EXPECT_EQ(simulator.WaitForExit(), 0) << simulator.Output();
    EXPECT_NE(simulator.Output().find("COM13 opened."), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(
        std::filesystem::symlink_status(VirtualPortDirectory() + "/COM13")));
}
