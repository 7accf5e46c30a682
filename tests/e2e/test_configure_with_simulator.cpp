// The "Configure" page and the UBX composer against the receiver simulator on
// its pseudo-terminal, one window and one simulator for the whole suite, in
// this order: each settings task gets the receiver's answer (a poll fills
// the fields, a set is acknowledged and read back, a restart goes
// unanswered); the composer's NAV-PVT poll comes back decoded, a bad
// CFG-RATE is refused, "Poll CFG_PRT" sends the port poll and shows the
// port's settings; the receiver moves to 115200 baud with the monitor
// following, the baud search finds it there from the wrong rate, and both go
// back to 9600. With ZEPO_SCREENSHOT_DIR set, the Configure page is saved
// there as a PNG file.

#include "tests/receiver-sim/ChildProcess.h"
#include "tests/support/NamedControl.h"
#include "tests/support/ScratchEnvironment.h"
#include "tests/window/ModalBoxCatcher.h"
#include "tests/window/WindowTestSupport.h"
#include "window/app/MainForm.h"
#include "window/pages/ConfigurePage.h"
#include "window/pages/UbxProtocolPage.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace {
constexpr int kWaitMs = 10000;

class ConfigureWithSimulator : public testing::Test {
protected:
    // The simulator starts at its default 9600 baud, which the window opens at.
    static void SetUpTestSuite() {
        scratch_ = new ScratchEnvironment;
        simulator_ = new ChildProcess(*scratch_, kReceiverSimulator, {"--port", "COM17"});
        static int argc = 1;
        static char name[] = "test_configure_with_simulator";
        static char* argv[] = {name, nullptr};
        application_ = new QApplication(argc, argv);
        form_ = new TMainForm;
        form_->resize(1100, 700);
        form_->show();
    }
    static void TearDownTestSuite() {
        delete form_;
        delete application_;
        delete simulator_;
        delete scratch_;
    }
    void SetUp() override {
        if (form_->portSerial.IsConnected())
            return;
        ASSERT_TRUE(WaitForAnnouncement("COM17")) << simulator_->Errors();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form_));
        ShowPage(*form_, "tabComPort");
        ASSERT_TRUE(ClickListItem(Named<QListWidget>(*form_, "lstPorts"), "COM17"));
        ASSERT_TRUE(ClickListItem(Named<QListWidget>(*form_, "lstBaudRate"), "9600"));
        Click(Named<QPushButton>(*form_, "btnOpen"));
        ASSERT_EQ(form_->portSerial.IsConnected(), MakeCommPort(17));
    }

    static TConfigurePage* page() { return Named<TConfigurePage>(*form_, "tabConfigure"); }
    static TUbxProtocolPage* composer() { return Named<TUbxProtocolPage>(*form_, "ts"); }
    static QString portLog() { return Named<QPlainTextEdit>(*form_, "moComPort")->toPlainText(); }

    // Clicks and waits until what shows starts with expected; the old text is
    // cleared first so that an earlier answer does not count.
    static bool ClickAndSee(QAbstractButton* button, QLabel* shown, const QString& expected) {
        shown->clear();
        Click(button);
        return QTest::qWaitFor([&] { return shown->text().startsWith(expected); }, kWaitMs);
    }

    static ScratchEnvironment* scratch_;
    static ChildProcess* simulator_;
    static QApplication* application_;
    static TMainForm* form_;
};
ScratchEnvironment* ConfigureWithSimulator::scratch_ = nullptr;
ChildProcess* ConfigureWithSimulator::simulator_ = nullptr;
QApplication* ConfigureWithSimulator::application_ = nullptr;
TMainForm* ConfigureWithSimulator::form_ = nullptr;

void Screenshot(QWidget& form) {
    const QString folder = qEnvironmentVariable("ZEPO_SCREENSHOT_DIR");
    if (!folder.isEmpty())
        form.grab().save(folder + "/configure-page.png");
}

TEST_F(ConfigureWithSimulator, EachTaskGetsTheReceiversAnswer) {
    ShowPageOf(*form_, page());
    ModalBoxCatcher catcher; // confirms saving, loading, defaults and restarts
    const auto rates = [] {
        return std::pair(Named<QSpinBox>(*page(), "spMeasRate")->value(),
                         Named<QSpinBox>(*page(), "spNavRate")->value());
    };
    const auto gsvOnUart1 = [] { return Named<QSpinBox>(*page(), "spPortRateUART1")->value(); };
    struct Step {
        const char* what;
        std::function<void()> prepare;
        QPushButton* button;
        QLabel* shown;
        QString expected;
        std::function<void()> check = {};
    };
    const std::vector<Step> steps = {
        {"poll the navigation rate",
         {},
         Named<QPushButton>(*page(), "btnPollRate"),
         Named<QLabel>(*page(), "lblRateAnswer"),
         "CFG-RATE: answered after",
         [&] { EXPECT_EQ(rates(), std::pair(1000, 1)); }},
        {"set the navigation rate", [] { Named<QSpinBox>(*page(), "spMeasRate")->setValue(500); },
         Named<QPushButton>(*page(), "btnSetRate"), Named<QLabel>(*page(), "lblRateAnswer"),
         "CFG-RATE: ACK-ACK after"},
        {"read the new navigation rate back",
         [] { Named<QSpinBox>(*page(), "spMeasRate")->setValue(1000); },
         Named<QPushButton>(*page(), "btnPollRate"), Named<QLabel>(*page(), "lblRateAnswer"),
         "CFG-RATE: answered after", [&] { EXPECT_EQ(rates(), std::pair(500, 1)); }},
        {"poll the GSV rates",
         [] { Named<QComboBox>(*page(), "cbMessage")->setCurrentText("GSV"); },
         Named<QPushButton>(*page(), "btnPollMsg"), Named<QLabel>(*page(), "lblMsgAnswer"),
         "CFG-MSG: answered after", [&] { EXPECT_EQ(gsvOnUart1(), 1); }},
        {"turn GSV off on UART1", [] { Named<QSpinBox>(*page(), "spPortRateUART1")->setValue(0); },
         Named<QPushButton>(*page(), "btnSetMsg"), Named<QLabel>(*page(), "lblMsgAnswer"),
         "CFG-MSG: ACK-ACK after"},
        {"read the GSV rates back",
         [] { Named<QSpinBox>(*page(), "spPortRateUART1")->setValue(7); },
         Named<QPushButton>(*page(), "btnPollMsg"), Named<QLabel>(*page(), "lblMsgAnswer"),
         "CFG-MSG: answered after", [&] { EXPECT_EQ(gsvOnUart1(), 0); }},
        {"save",
         {},
         Named<QPushButton>(*page(), "btnSaveCfg"),
         Named<QLabel>(*page(), "lblCfgAnswer"),
         "CFG-CFG: ACK-ACK after"},
        {"load",
         {},
         Named<QPushButton>(*page(), "btnLoadCfg"),
         Named<QLabel>(*page(), "lblCfgAnswer"),
         "CFG-CFG: ACK-ACK after"},
        {"revert to defaults",
         {},
         Named<QPushButton>(*page(), "btnDefaultCfg"),
         Named<QLabel>(*page(), "lblCfgAnswer"),
         "CFG-CFG: ACK-ACK after"},
        {"read the default navigation rate",
         {},
         Named<QPushButton>(*page(), "btnPollRate"),
         Named<QLabel>(*page(), "lblRateAnswer"),
         "CFG-RATE: answered after",
         [&] { EXPECT_EQ(rates(), std::pair(1000, 1)); }},
        // A receiver does not answer a restart.
        {"hot start",
         {},
         Named<QPushButton>(*page(), "btnHotStart"),
         Named<QLabel>(*page(), "lblCfgAnswer"),
         "CFG-RST: sent (receivers do not answer a reset)"},
        {"warm start",
         {},
         Named<QPushButton>(*page(), "btnWarmStart"),
         Named<QLabel>(*page(), "lblCfgAnswer"),
         "CFG-RST: sent (receivers do not answer a reset)"},
        {"cold start",
         {},
         Named<QPushButton>(*page(), "btnColdStart"),
         Named<QLabel>(*page(), "lblCfgAnswer"),
         "CFG-RST: sent (receivers do not answer a reset)"},
    };
    for (const Step& step : steps) {
        if (step.prepare)
            step.prepare();
        EXPECT_TRUE(ClickAndSee(step.button, step.shown, step.expected))
            << step.what << ": " << step.shown->text().toStdString();
        if (step.check)
            step.check();
    }
    EXPECT_EQ(catcher.boxes().size(), 6u);

    Named<QPlainTextEdit>(*page(), "moVersion")->clear();
    Click(Named<QPushButton>(*page(), "btnPollVersion"));
    const QString version = "Software: ROM CORE 3.01 (107888)\nHardware: 00080000\n"
                            "Extension: FWVER=SPG 3.01\nExtension: PROTVER=18.00";
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return Named<QPlainTextEdit>(*page(), "moVersion")->toPlainText().startsWith(version);
        },
        kWaitMs))
        << Named<QPlainTextEdit>(*page(), "moVersion")->toPlainText().toStdString();
    Screenshot(*form_);
}

TEST_F(ConfigureWithSimulator, ComposerAndPortPollAreAnsweredAndDecoded) {
    ShowPageOf(*form_, composer());
    const auto send = [](const QString& ubxClass, QComboBox* ids, const QString& id,
                         const QString& payload, const QString& expected) {
        Named<QComboBox>(*composer(), "cbClassID")->setEditText(ubxClass);
        ids->setEditText(id);
        Named<QLineEdit>(*composer(), "edPayload")->setText(payload);
        return ClickAndSee(Named<QPushButton>(*composer(), "btnSend"),
                           Named<QLabel>(*composer(), "lblAnswer"), expected);
    };
    EXPECT_TRUE(send("NAV 01  p.157", Named<QComboBox>(*composer(), "cbMsgID"), "PVT", "",
                     "NAV-PVT: answered after"))
        << Named<QLabel>(*composer(), "lblAnswer")->text().toStdString();
    EXPECT_TRUE(portLog().contains(QRegularExpression("NAV-PVT: answered after \\d+ ms: .*lat "
                                                      "47\\.28")))
        << portLog().toStdString();
    // A navigation ratio of 0 is no rate a receiver takes.
    EXPECT_TRUE(send("CFG 06  p.107", Named<QComboBox>(*composer(), "cbCFG"), "RATE",
                     "E8 03 00 00 01 00", "CFG-RATE: ACK-NAK after"))
        << Named<QLabel>(*composer(), "lblAnswer")->text().toStdString();

    Named<QPlainTextEdit>(*form_, "moComPort")->clear();
    Click(Named<QPushButton>(*composer(), "btnPollCFG_PRT"));
    EXPECT_EQ(Named<QLabel>(*form_, "lblNumSent")->text(), "Bytes Sent: 8");
    EXPECT_TRUE(
        QTest::qWaitFor([] { return portLog().contains("CFG-PRT: answered after"); }, kWaitMs));
    const QStringList lines = portLog().split('\n');
    EXPECT_EQ(lines.filter("Sent(Hex):").join('|').trimmed().toStdString(),
              "Sent(Hex): B5 62 06 00 00 00 06 18");
    EXPECT_EQ(lines
                  .filter(QRegularExpression("CFG-PRT: answered after \\d+ ms: portID 1, .*"
                                             "baudRate 9600 Bd"))
                  .size(),
              1)
        << portLog().toStdString();
}

TEST_F(ConfigureWithSimulator, MonitorFollowsTheReceiverToAnotherRateAndFindsIt) {
    ShowPageOf(*form_, page());
    Named<QComboBox>(*page(), "cbReceiverBaud")->setCurrentText("115200");
    EXPECT_TRUE(ClickAndSee(Named<QPushButton>(*page(), "btnSetBaud"),
                            Named<QLabel>(*page(), "lblBaudAnswer"),
                            "Receiver and monitor at 115200 baud: valid messages arrive."))
        << Named<QLabel>(*page(), "lblBaudAnswer")->text().toStdString();
    EXPECT_EQ(form_->portSerial.BaudRate(), br115200);

    // The monitor moved to a wrong rate; the search tries the likely rates in turn.
    form_->ChooseBaudRate("4800");
    EXPECT_TRUE(ClickAndSee(Named<QPushButton>(*page(), "btnFindBaud"),
                            Named<QLabel>(*page(), "lblFindBaud"),
                            "Tried 9600: nothing valid, 38400: nothing valid, 115200: valid"))
        << Named<QLabel>(*page(), "lblFindBaud")->text().toStdString();
    EXPECT_EQ(form_->portSerial.BaudRate(), br115200);

    Named<QComboBox>(*page(), "cbReceiverBaud")->setCurrentText("9600");
    EXPECT_TRUE(ClickAndSee(Named<QPushButton>(*page(), "btnSetBaud"),
                            Named<QLabel>(*page(), "lblBaudAnswer"),
                            "Receiver and monitor at 9600 baud: valid messages arrive."))
        << Named<QLabel>(*page(), "lblBaudAnswer")->text().toStdString();
    EXPECT_EQ(form_->portSerial.BaudRate(), br009600);
    // Each change was acknowledged at the old rate before the monitor moved.
    EXPECT_EQ(portLog().split('\n').filter("CFG-PRT: ACK-ACK after").size(), 2)
        << portLog().toStdString();
}
} // namespace
