// The window against the receiver simulator over TCP on 127.0.0.1: opened as
// tcp://127.0.0.1:PORT, its views show the sentences, the Receiver page the
// fix, and a CFG-MSG set and poll on the Configure page are answered and
// acknowledged over the connection; opened as tcp-listen://, the simulator
// connects in and the sentences arrive.

#include "tests/receiver-sim/PortEnd.h"
#include "tests/receiver-sim/ChildProcess.h"
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
} // namespace
