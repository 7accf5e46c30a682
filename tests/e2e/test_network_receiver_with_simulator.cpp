// The window against the receiver simulator over TCP on 127.0.0.1: opened as
// tcp://127.0.0.1:PORT, its views show the sentences, the Receiver page the
// fix, and a CFG-MSG set and poll on the Configure page are answered and
// acknowledged over the connection; opened as tcp-listen://, the simulator
// connects in and the sentences arrive. Behind ser2net's RFC 2217 accepter
// (where installed), opened as rfc2217://, the window sets the far line's
// rate, and the Configure page moves the receiver and that line to 115200
// baud, where a CFG-MSG set is acknowledged.

#include "serial/VirtualPorts.h"
#include "tests/receiver-sim/PortEnd.h"
#include "tests/receiver-sim/Ser2netBridge.h"
#include "tests/support/LoopbackSocket.h"
#include "tests/support/NamedControl.h"
#include "tests/support/ScratchEnvironment.h"
#include "tests/window/WindowTestSupport.h"
#include "window/app/MainForm.h"
#include "window/blocks/TextPane.h"
#include "window/pages/ConfigurePage.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

namespace {
constexpr int kWaitMs = 15000;

class NetworkReceiverWithSimulator : public testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "test_network_receiver_with_simulator";
        static char* argv[] = {name, nullptr};
        application_ = new QApplication(argc, argv);
    }
    static void TearDownTestSuite() { delete application_; }

    void SetUp() override {
        form_ = std::make_unique<TMainForm>();
        form_->resize(1100, 700);
        form_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
    }
    void TearDown() override { form_.reset(); }

    // Opens the source as the port page does, at 9600 baud.
    void Open(const QString& source) {
        form_->ChoosePort(source);
        form_->ChooseBaudRate("9600");
        form_->OpenPort();
    }
    bool SentencesArrive() {
        return QTest::qWaitFor(
            [&] {
                return Named<QPlainTextEdit>(*form_, "moData")->toPlainText().contains("$GPGGA");
            },
            kWaitMs);
    }
    QString Shown(const char* label) { return Named<QLabel>(*form_, label)->text(); }
    TConfigurePage* ConfigurePage() {
        auto* page = Named<TConfigurePage>(*form_, "tabConfigure");
        ShowPageOf(*form_, page);
        return page;
    }
    // Clicks the page's button and waits until the label shows expected; the
    // old text is cleared first so that an earlier answer does not count.
    static bool ClickAndSee(QWidget* page, const char* button, const char* label,
                            const QString& expected) {
        auto* shown = Named<QLabel>(*page, label);
        shown->clear();
        Click(Named<QPushButton>(*page, button));
        const bool seen =
            QTest::qWaitFor([&] { return shown->text().startsWith(expected); }, kWaitMs);
        if (!seen)
            ADD_FAILURE() << shown->text().toStdString();
        return seen;
    }

    static QApplication* application_;
    ScratchEnvironment scratch_;
    std::unique_ptr<TMainForm> form_;
};
QApplication* NetworkReceiverWithSimulator::application_ = nullptr;

TEST_F(NetworkReceiverWithSimulator, WindowConnectsAndConfiguresTheReceiver) {
    const std::string port = std::to_string(UnusedPort());
    ChildProcess simulator(scratch_, kReceiverSimulator, {"--tcp", port});
    const QString source = QString::fromStdString("tcp://127.0.0.1:" + port);
    // The simulator listens once a plain connect gets in.
    ASSERT_TRUE(WaitFor([&] { return LoopbackSocket(SOCK_STREAM).Connect(std::stoi(port)); }))
        << simulator.Errors();
    Open(source);
    ASSERT_TRUE(SentencesArrive()) << simulator.Output();

    ShowPage(*form_, "tabReceiver");
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return Shown("lbFixLatitude").startsWith("47.28"); }, kWaitMs))
        << Shown("lbFixLatitude").toStdString();

    TConfigurePage* page = ConfigurePage();
    Named<QComboBox>(*page, "cbMessage")->setCurrentText("GSV");
    auto* gsvOnUart1 = Named<QSpinBox>(*page, "spPortRateUART1");
    gsvOnUart1->setValue(0);
    ClickAndSee(page, "btnSetMsg", "lblMsgAnswer", "CFG-MSG: ACK-ACK after");
    gsvOnUart1->setValue(7);
    ClickAndSee(page, "btnPollMsg", "lblMsgAnswer", "CFG-MSG: answered after");
    EXPECT_EQ(gsvOnUart1->value(), 0);
    EXPECT_EQ(form_->PortState()->text(), "");
}

TEST_F(NetworkReceiverWithSimulator, ReceiverConnectsToTheListeningWindow) {
    const std::string port = std::to_string(UnusedPort());
    const QString source = QString::fromStdString("tcp-listen://127.0.0.1:" + port);
    Open(source);
    ChildProcess simulator(scratch_, kReceiverSimulator, {"--tcp-connect", "127.0.0.1:" + port});
    ASSERT_TRUE(SentencesArrive()) << simulator.Output() << simulator.Errors();
    EXPECT_TRUE(
        PaneLines(Named<QPlainTextEdit>(*form_, "moComPort")).contains("Connected to " + source));
}

TEST_F(NetworkReceiverWithSimulator, ReceiverBehindAnRfc2217BridgeMovesToAnotherRate) {
    ChildProcess simulator(scratch_, kReceiverSimulator, {"--port", "COM18"});
    ASSERT_TRUE(WaitForAnnouncement("COM18")) << simulator.Errors();
    // The bridge's line starts at a rate the receiver does not talk at.
    const auto ser2net = Ser2netBridge::Start(scratch_, *FindVirtualPort("COM18"),
                                              Ser2netBridge::Accepter::Rfc2217, "115200n81");
    if (!ser2net)
        GTEST_SKIP() << "ser2net is not installed";
    ASSERT_TRUE(ser2net->Listening()) << ser2net->process().Errors();
    Open(QString("rfc2217://127.0.0.1:%1").arg(ser2net->port()));
    ASSERT_TRUE(SentencesArrive()) << ser2net->process().Errors();

    TConfigurePage* page = ConfigurePage();
    Named<QComboBox>(*page, "cbReceiverBaud")->setCurrentText("115200");
    ClickAndSee(page, "btnSetBaud", "lblBaudAnswer",
                "Receiver and monitor at 115200 baud: valid messages arrive.");
    Named<QComboBox>(*page, "cbMessage")->setCurrentText("GSV");
    Named<QSpinBox>(*page, "spPortRateUART1")->setValue(0);
    ClickAndSee(page, "btnSetMsg", "lblMsgAnswer", "CFG-MSG: ACK-ACK after");
}
} // namespace
