// Message times and the line's load, the window against the receiver
// simulator on its pseudo-terminal, with the port's default Delay of 1000 ms
// (one chunk a second). Set to 5 Hz NAV-PVT through the Configure page at
// 115200 baud, the Messages page shows five distinct times a second, 200 ms
// apart, and the table of message types 5 Hz. At 9600 baud the same rate,
// with everything else the simulator sends, fills the line: the Receiver
// page and the status bar say so, and that NAV-PVT comes slower than asked.
// With ZEPO_SCREENSHOT_DIR set, the Receiver page saying so is saved there as
// a PNG file. A base station's RTCM 3 among the NMEA and UBX is listed as
// RTCM3 messages by type and counted once a second without CRC failures.

#include "tests/receiver-sim/ChildProcess.h"
#include "tests/support/NamedControl.h"
#include "tests/support/ScratchEnvironment.h"
#include "tests/window/WindowTestSupport.h"
#include "window/app/MainForm.h"
#include "window/pages/ConfigurePage.h"
#include "window/pages/MessagesPage.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <set>

namespace {
constexpr int kAnswerMs = 10000;

// The window on the simulator's port at baud, and the simulator.
class MessageTimesWithSimulator : public testing::Test {
protected:
    void Open(const std::string& baud, const std::vector<std::string>& options) {
        std::vector<std::string> arguments = {"--port", "COM19", "--baud", baud};
        arguments.insert(arguments.end(), options.begin(), options.end());
        simulator_ = std::make_unique<ChildProcess>(scratch_, kReceiverSimulator, arguments);
        ASSERT_TRUE(WaitForAnnouncement("COM19")) << simulator_->Errors();
        form_.resize(1100, 700);
        form_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form_));
        ASSERT_TRUE(OpenPortAt(form_, "COM19", baud.c_str()));
        ASSERT_EQ(form_.portSerial.Delay(), 1000u);
    }

    // Sets the navigation rate to 5 Hz and NAV-PVT to every solution on
    // UART1, as a user does on the Configure page.
    void AskFiveHertzPvt() {
        auto* page = Named<TConfigurePage>(form_, "tabConfigure");
        ShowPageOf(form_, page);
        Named<QSpinBox>(*page, "spMeasRate")->setValue(200);
        ASSERT_TRUE(ClickAndSee(Named<QPushButton>(*page, "btnSetRate"),
                                Named<QLabel>(*page, "lblRateAnswer"), "CFG-RATE: ACK-ACK"));
        // Choosing the message polls its rates into the fields first.
        auto* answer = Named<QLabel>(*page, "lblMsgAnswer");
        answer->clear();
        Named<QComboBox>(*page, "cbMessage")->setCurrentText("NAV-PVT");
        ASSERT_TRUE(QTest::qWaitFor([&] { return answer->text().startsWith("CFG-MSG: answered"); },
                                    kAnswerMs));
        Named<QSpinBox>(*page, "spPortRateUART1")->setValue(1);
        ASSERT_TRUE(
            ClickAndSee(Named<QPushButton>(*page, "btnSetMsg"), answer, "CFG-MSG: ACK-ACK"));
    }

    static bool ClickAndSee(QPushButton* button, QLabel* shown, const QString& expected) {
        shown->clear();
        Click(button);
        return QTest::qWaitFor([&] { return shown->text().startsWith(expected); }, kAnswerMs);
    }

    QString WarningOnPage() const {
        auto* label = Named<QLabel>(form_, "lbLineWarning");
        return label->isVisibleTo(label->parentWidget()) ? label->text() : QString();
    }
    QString WarningInStatusBar() const {
        auto* label = Named<QLabel>(form_, "sbLineWarning");
        return label->isVisible() ? label->text() : QString();
    }

    ScratchEnvironment scratch_;
    std::unique_ptr<ChildProcess> simulator_;
    int argc_ = 1;
    char name_[40] = "test_message_times_with_simulator";
    char* argv_[2] = {name_, nullptr};
    QApplication application_{argc_, argv_};
    TMainForm form_;
};

TEST_F(MessageTimesWithSimulator, FiveFixesASecondShowFiveTimesAndFiveHertz) {
    Open("115200", {});
    AskFiveHertzPvt();
    ShowPage(form_, "tabMessages");
    // A whole rate window of 5 Hz fixes, and the second after it.
    QTest::qWait(7500);

    const TMessageListModel& list = Named<TMessagesPage>(form_, "tabMessages")->Messages();
    std::vector<qint64> times;
    for (int row = 0; row < list.rowCount(); ++row)
        if (list.NameOf(list.At(row)) == "NAV-PVT")
            times.push_back(list.At(row).ReceivedMs);
    ASSERT_GE(times.size(), 25u);
    // The last four whole seconds: five fixes in each, at five times.
    std::map<qint64, std::set<qint64>> bySecond;
    for (qint64 ms : times)
        bySecond[ms / 1000].insert(ms);
    bySecond.erase(std::prev(bySecond.end()));
    while (bySecond.size() > 4)
        bySecond.erase(bySecond.begin());
    for (const auto& [second, inSecond] : bySecond)
        EXPECT_EQ(inSecond.size(), 5u) << "second " << second;
    for (std::size_t i = times.size() - 15; i < times.size(); ++i) {
        EXPECT_GT(times[i] - times[i - 1], 100) << i;
        EXPECT_LT(times[i] - times[i - 1], 300) << i;
    }

    auto* types = Named<QTableWidget>(form_, "tvMessageTypes");
    bool pvtSeen = false;
    for (int row = 0; row < types->rowCount(); ++row)
        if (types->item(row, 0)->text() == "NAV-PVT") {
            pvtSeen = true;
            EXPECT_NEAR(types->item(row, 2)->text().toDouble(), 5.0, 0.4);
        }
    EXPECT_TRUE(pvtSeen);
    // The line carries it all: nothing to say.
    EXPECT_EQ(WarningOnPage(), "");
    EXPECT_EQ(WarningInStatusBar(), "");
    form_.close();
}

TEST_F(MessageTimesWithSimulator, BaseStationRtcmIsListedAndCountedByType) {
    Open("115200", {"--gnss", "--base", "--survey-in", "1"});
    ShowPage(form_, "tabMessages");
    const std::set<std::string> sent = {"RTCM 1005", "RTCM 1074", "RTCM 1084",
                                        "RTCM 1094", "RTCM 1124", "RTCM 1230"};
    // Each type counted at 1 Hz without CRC failures, once a whole rate
    // window has passed after the survey.
    auto* types = Named<QTableWidget>(form_, "tvMessageTypes");
    const auto countedAtOneHertz = [&] {
        std::set<std::string> counted;
        for (int row = 0; row < types->rowCount(); ++row) {
            const std::string name = types->item(row, 0)->text().toStdString();
            if (sent.contains(name) && std::abs(types->item(row, 2)->text().toDouble() - 1) < 0.3 &&
                types->item(row, 4)->text() == "0")
                counted.insert(name);
        }
        return counted == sent;
    };
    EXPECT_TRUE(QTest::qWaitFor(countedAtOneHertz, 20000));

    const TMessageListModel& list = Named<TMessagesPage>(form_, "tabMessages")->Messages();
    std::set<std::string> listed;
    for (int row = 0; row < list.rowCount(); ++row)
        if (list.data(list.index(row, TMessageListModel::colProtocol)).toString() == "RTCM3")
            listed.insert(list.NameOf(list.At(row)));
    EXPECT_EQ(listed, sent);
    form_.close();
}

TEST_F(MessageTimesWithSimulator, FullLineIsSaid) {
    Open("9600", {"--ubx"});
    AskFiveHertzPvt();
    ShowPage(form_, "tabReceiver");
    const QString full = "9600 baud is full: the receiver cannot send everything it is asked to; "
                         "raise the baud rate or lower message rates";
    EXPECT_TRUE(QTest::qWaitFor([&] { return WarningOnPage().contains(full); }, 20000))
        << WarningOnPage().toStdString();
    EXPECT_TRUE(WarningInStatusBar().contains(full)) << WarningInStatusBar().toStdString();
    // The rate asked is judged once a whole rate window has passed.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return WarningOnPage().contains(QRegularExpression("NAV-PVT arrives at [0-3]\\.")); },
        20000))
        << WarningOnPage().toStdString();
    EXPECT_TRUE(WarningOnPage().contains("though 5.0 Hz was asked for"));
    if (const QString folder = qEnvironmentVariable("ZEPO_SCREENSHOT_DIR"); !folder.isEmpty()) {
        QTest::qWait(300); // the page laid out anew for the text
        form_.grab().save(folder + "/receiver-page-line-full.png");
    }
    form_.close();
}
} // namespace
