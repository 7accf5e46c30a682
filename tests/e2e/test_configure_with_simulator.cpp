// The "Configure" page and the UBX composer against the receiver simulator on
// its pseudo-terminal, one window and one simulator for each receiver
// generation (8 with the legacy messages, 9 and 10 through the configuration
// database), in this order: each settings task gets the receiver's answer (a
// poll fills the fields, a set is acknowledged and read back, a restart goes
// unanswered) and no command is refused; the composer's NAV-PVT poll comes
// back decoded, a bad CFG-RATE is refused, "Poll CFG_PRT" sends the port poll
// and shows the port's settings; the receiver moves to 115200 baud with the
// monitor following, the baud search finds it there from the wrong rate, and
// both go back to 9600. With ZEPO_SCREENSHOT_DIR set, the Configure page is
// saved there as a PNG file.

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
#include <map>

namespace {
constexpr int kWaitMs = 10000;

class ConfigureWithSimulator : public testing::TestWithParam<int> {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "test_configure_with_simulator";
        static char* argv[] = {name, nullptr};
        application_ = new QApplication(argc, argv);
    }
    static void TearDownTestSuite() {
        StopReceiver();
        delete application_;
    }
    // The simulator starts at its default 9600 baud, which the window opens at.
    static void StartReceiver(int generation) {
        scratch_ = new ScratchEnvironment;
        simulator_ = new ChildProcess(
            *scratch_, kReceiverSimulator,
            {"--port", "COM17", "--generation", QString::number(generation).toStdString()});
        generation_ = generation;
        form_ = new TMainForm;
        form_->resize(1100, 700);
        form_->show();
    }
    static void StopReceiver() {
        delete form_;
        delete simulator_;
        delete scratch_;
        form_ = nullptr;
    }
    void SetUp() override {
        if (generation_ != GetParam()) {
            StopReceiver();
            StartReceiver(GetParam());
        }
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

    // The command that carries a setting: the legacy message, or on a
    // receiver with a configuration database CFG-VALGET to read and
    // CFG-VALSET to write.
    static QString Polled(const QString& legacy) {
        return (generation_ >= 9 ? QString("CFG-VALGET") : legacy) + ": answered after";
    }
    static QString Acknowledged(const QString& legacy) {
        return (generation_ >= 9 ? QString("CFG-VALSET") : legacy) + ": ACK-ACK after";
    }

    static ScratchEnvironment* scratch_;
    static ChildProcess* simulator_;
    static QApplication* application_;
    static TMainForm* form_;
    static int generation_;
};
int ConfigureWithSimulator::generation_ = 0;
ScratchEnvironment* ConfigureWithSimulator::scratch_ = nullptr;
ChildProcess* ConfigureWithSimulator::simulator_ = nullptr;
QApplication* ConfigureWithSimulator::application_ = nullptr;
TMainForm* ConfigureWithSimulator::form_ = nullptr;

void Screenshot(QWidget& form) {
    const QString folder = qEnvironmentVariable("ZEPO_SCREENSHOT_DIR");
    if (!folder.isEmpty())
        form.grab().save(folder + "/configure-page.png");
}

TEST_P(ConfigureWithSimulator, EachTaskGetsTheReceiversAnswer) {
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
         Polled("CFG-RATE"),
         [&] { EXPECT_EQ(rates(), std::pair(1000, 1)); }},
        {"set the navigation rate", [] { Named<QSpinBox>(*page(), "spMeasRate")->setValue(500); },
         Named<QPushButton>(*page(), "btnSetRate"), Named<QLabel>(*page(), "lblRateAnswer"),
         Acknowledged("CFG-RATE")},
        {"read the new navigation rate back",
         [] { Named<QSpinBox>(*page(), "spMeasRate")->setValue(1000); },
         Named<QPushButton>(*page(), "btnPollRate"), Named<QLabel>(*page(), "lblRateAnswer"),
         Polled("CFG-RATE"), [&] { EXPECT_EQ(rates(), std::pair(500, 1)); }},
        {"poll the GSV rates",
         [] { Named<QComboBox>(*page(), "cbMessage")->setCurrentText("GSV"); },
         Named<QPushButton>(*page(), "btnPollMsg"), Named<QLabel>(*page(), "lblMsgAnswer"),
         Polled("CFG-MSG"), [&] { EXPECT_EQ(gsvOnUart1(), 1); }},
        {"turn GSV off on UART1", [] { Named<QSpinBox>(*page(), "spPortRateUART1")->setValue(0); },
         Named<QPushButton>(*page(), "btnSetMsg"), Named<QLabel>(*page(), "lblMsgAnswer"),
         Acknowledged("CFG-MSG")},
        {"read the GSV rates back",
         [] { Named<QSpinBox>(*page(), "spPortRateUART1")->setValue(7); },
         Named<QPushButton>(*page(), "btnPollMsg"), Named<QLabel>(*page(), "lblMsgAnswer"),
         Polled("CFG-MSG"), [&] { EXPECT_EQ(gsvOnUart1(), 0); }},
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
         Polled("CFG-RATE"),
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

    const std::map<int, QString> receivers = {
        {8, "Generation 8 receiver, protocol 18.00: configured through the legacy CFG messages"},
        {9, "Generation 9 receiver, protocol 27.31: configured through the configuration database"},
        {10,
         "Generation 10 receiver, protocol 34.10: configured through the configuration database"}};
    EXPECT_EQ(Named<QLabel>(*page(), "lblReceiver")->text(), receivers.at(generation_));
    EXPECT_FALSE(portLog().contains("ACK-NAK")) << portLog().toStdString();

    Named<QPlainTextEdit>(*page(), "moVersion")->clear();
    Click(Named<QPushButton>(*page(), "btnPollVersion"));
    const QString version = generation_ == 8
                                ? "Software: ROM CORE 3.01 (107888)\nHardware: 00080000\n"
                                  "Extension: FWVER=SPG 3.01\nExtension: PROTVER=18.00"
                                : "Software: ";
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return Named<QPlainTextEdit>(*page(), "moVersion")->toPlainText().startsWith(version);
        },
        kWaitMs))
        << Named<QPlainTextEdit>(*page(), "moVersion")->toPlainText().toStdString();
    Screenshot(*form_);
}

TEST_P(ConfigureWithSimulator, ComposerAndPortPollAreAnsweredAndDecoded) {
    if (GetParam() != 8)
        GTEST_SKIP() << "the composer sends the same frames to every generation";
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

TEST_P(ConfigureWithSimulator, MonitorFollowsTheReceiverToAnotherRateAndFindsIt) {
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
    EXPECT_EQ(portLog().split('\n').filter(Acknowledged("CFG-PRT")).size(), 2)
        << portLog().toStdString();
    EXPECT_FALSE(portLog().contains("ACK-NAK")) << portLog().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Generations, ConfigureWithSimulator, testing::Values(8, 9, 10),
                         [](const testing::TestParamInfo<int>& info) {
                             return "Generation" + std::to_string(info.param);
                         });
} // namespace
