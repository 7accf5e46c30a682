// The "Configure" page on a pseudo-terminal announced as COM7, with the test
// as the receiver: a polled value fills the fields and its answer shows
// decoded; a NAK and a missing answer show as such; a confirmed save goes
// out; a baud change is followed once acknowledged and kept when valid
// messages arrive, undone when none do, not made when refused; the baud search stops at the rate
// with valid messages, and what it found is cleared when the user opens the port again.

#include "protocol/commands/OutputMessages.h"
#include "protocol/commands/UbxCommands.h"
#include "tests/support/NamedControl.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/ScratchEnvironment.h"
#include "tests/window/ModalBoxCatcher.h"
#include "tests/window/WindowTestSupport.h"
#include "window/app/MainForm.h"
#include "window/blocks/TextPane.h"
#include "window/pages/ConfigurePage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

using namespace ubx;

namespace {
constexpr int kWaitMs = 8000;
std::string Frame(const TUBXPacket& packet) {
    return ToByteString(BuildUbxFrame(packet));
}
std::string Ack(bool acknowledged, std::uint8_t cls, std::uint8_t id) {
    return Frame(MakeUbxPacket(kClassAck, acknowledged ? kIdAckAck : kIdAckNak, {cls, id}));
}
const std::string kValidSentence = "$GPTXT,01,01,02,ANTSTATUS=OK*3B\r\n";
} // namespace

class ConfigureTest : public QObject {
    Q_OBJECT
    ScratchEnvironment scratch_;
    PtyPeer peer_;
    std::unique_ptr<TMainForm> form_;

    TConfigurePage* page() const { return Named<TConfigurePage>(*form_, "tabConfigure"); }
    bool labelStarts(QLabel* label, const QString& start) {
        return QTest::qWaitFor([&] { return label->text().startsWith(start); }, kWaitMs);
    }
    // Reads the command the click wrote, then answers it.
    void answer(const std::string& expected, const std::string& reply) {
        QCOMPARE(peer_.read(expected.size()), expected);
        peer_.write(reply);
    }

    // What the window writes when an answer has reached it: the events are
    // processed until the echo shows, and only then is the line read.
    std::string writtenOnceAnswered(int count) {
        QPlainTextEdit* log = Named<QPlainTextEdit>(*form_, "moComPort");
        const int lines = log->blockCount();
        const bool wrote = QTest::qWaitFor([&] { return log->blockCount() > lines; }, kWaitMs);
        return wrote ? peer_.read(count) : std::string();
    }

private slots:
    void initTestCase() { peer_.announce("COM7"); }
    void init() {
        WriteStore({});
        form_ = std::make_unique<TMainForm>();
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        ShowPage(*form_, "tabComPort");
        QVERIFY(ClickListItem(Named<QListWidget>(*form_, "lstPorts"), "COM7"));
        Click(Named<QPushButton>(*form_, "btnOpen"));
        QCOMPARE(form_->portSerial.IsConnected(), MakeCommPort(7));
        ShowPageOf(*form_, page());
        // The page asks which receiver answers, then reads the chosen
        // message's rates as it shows.
        answer(Frame(MonVerPoll()), MonVerAnswer("18.00"));
        QVERIFY(
            labelStarts(Named<QLabel>(*page(), "lblReceiver"),
                        "Generation 8 receiver, protocol 18.00: configured through the legacy"));
        const TOutputMessage& shown = OutputMessages()[0];
        answer(Frame(CfgMsgPoll(shown.Class, shown.Id)),
               Frame(CfgMsgSet({shown.Class, shown.Id, {0, 1, 0, 0, 0, 0}})) +
                   Ack(true, kClassCfg, kIdCfgMsg));
        QVERIFY(labelStarts(Named<QLabel>(*page(), "lblMsgAnswer"), "CFG-MSG: answered"));
        QCOMPARE(Named<QSpinBox>(*page(), "spPortRateUART1")->value(), 1);
    }
    void cleanup() { form_.reset(); }

    void answersNaksAndSilenceShowNextToTheTask() {
        ModalBoxCatcher catcher; // presses "Send"
        Click(Named<QPushButton>(*page(), "btnPollRate"));
        answer(Frame(CfgRatePoll()),
               Frame(CfgRateSet({200, 2, 1})) + Ack(true, kClassCfg, kIdCfgRate));
        QVERIFY2(labelStarts(Named<QLabel>(*page(), "lblRateAnswer"), "CFG-RATE: answered after"),
                 qPrintable(Named<QLabel>(*page(), "lblRateAnswer")->text() +
                            (catcher.boxes().empty() ? "" : catcher.boxes()[0].text)));
        QCOMPARE(Named<QSpinBox>(*page(), "spMeasRate")->value(), 200);
        QCOMPARE(Named<QSpinBox>(*page(), "spNavRate")->value(), 2);
        const QString log = Named<QPlainTextEdit>(*form_, "moComPort")->toPlainText();
        QVERIFY2(log.contains("CFG-RATE: answered after") && log.contains("200"), qPrintable(log));

        Named<QSpinBox>(*page(), "spPortRateUART1")->setValue(5);
        Click(Named<QPushButton>(*page(), "btnSetMsg"));
        answer(Frame(CfgMsgSet({0xF0, 0x00, {0, 5, 0, 0, 0, 0}})),
               Ack(false, kClassCfg, kIdCfgMsg));
        QVERIFY(labelStarts(Named<QLabel>(*page(), "lblMsgAnswer"), "CFG-MSG: ACK-NAK after"));

        // No device chosen: refused before asking, nothing sent.
        for (const char* device : {"cbDevBBR", "cbDevFlash", "cbDevEEPROM", "cbDevSPIFlash"})
            Named<QCheckBox>(*page(), device)->setChecked(false);
        Click(Named<QPushButton>(*page(), "btnSaveCfg"));
        QVERIFY(labelStarts(Named<QLabel>(*page(), "lblCfgAnswer"), "Choose at least one device"));
        QCOMPARE(catcher.boxes().size(), 0u);
        Named<QCheckBox>(*page(), "cbDevBBR")->setChecked(true);
        Named<QCheckBox>(*page(), "cbDevFlash")->setChecked(true);
        Click(Named<QPushButton>(*page(), "btnSaveCfg"));
        QVERIFY(catcher.waitFor(1));
        QCOMPARE(peer_.read(21), Frame(CfgCfg(TCfgAction::Save, kDevBbr | kDevFlash)));
        QVERIFY(labelStarts(Named<QLabel>(*page(), "lblCfgAnswer"), "CFG-CFG: no answer after"));
        QVERIFY(PaneLines(Named<QPlainTextEdit>(*form_, "moComPort"))
                    .constLast()
                    .startsWith("CFG-CFG: no answer"));
    }

    // The window frames the port once: an answer split across two reads is
    // answered and listed as one message each.
    void anAnswerSplitAcrossReadsIsFramedOnce() {
        ModalBoxCatcher catcher;
        Click(Named<QPushButton>(*page(), "btnPollRate"));
        const std::string reply = Frame(CfgRateSet({250, 1, 1})) + Ack(true, kClassCfg, kIdCfgRate);
        QCOMPARE(peer_.read(Frame(CfgRatePoll()).size()), Frame(CfgRatePoll()));
        peer_.write(reply.substr(0, 9));
        QTest::qWait(1500); // past the port's delay: the rest comes in the next chunk
        peer_.write(reply.substr(9));
        QVERIFY(labelStarts(Named<QLabel>(*page(), "lblRateAnswer"), "CFG-RATE: answered after"));
        QCOMPARE(Named<QSpinBox>(*page(), "spMeasRate")->value(), 250);
        const auto* list = Named<QTableView>(*form_, "tvMessages");
        // MON-VER, the CFG-MSG the page read as it showed and its ACK, then the two answers.
        QVERIFY(QTest::qWaitFor([&] { return list->model()->rowCount() == 5; }, kWaitMs));
    }

    void baudChangeIsFollowedUndoneOrRefused() {
        const TCfgPrt polled{1, 0, 0x08C0, 9600, 0x0007, 0x0003, 0};
        Named<QComboBox>(*page(), "cbReceiverBaud")->setCurrentText("115200");
        Click(
            Named<QPushButton>(*page(), "btnSetBaud")); // polls first: the masks are kept as polled
        answer(Frame(CfgPrtPoll()), Frame(CfgPrtSet(polled)) + Ack(true, kClassCfg, kIdCfgPrt));
        TCfgPrt changed = polled;
        changed.baudRate = 115200;
        QCOMPARE(writtenOnceAnswered(28), Frame(CfgPrtSet(changed)));
        peer_.write(Ack(true, kClassCfg, kIdCfgPrt)); // at the old rate, then it changes
        QVERIFY(QTest::qWaitFor([&] { return form_->portSerial.BaudRate() == br115200; }, 2000));
        QCOMPARE(
            PaneLines(Named<QPlainTextEdit>(*form_, "moComPort")).filter("CFG-PRT: ACK-ACK").size(),
            1);
        peer_.write(kValidSentence);
        QVERIFY(labelStarts(Named<QLabel>(*page(), "lblBaudAnswer"),
                            "Receiver and monitor at 115200 baud"));
        QCOMPARE(Named<QListWidget>(*form_, "lstBaudRate")->currentItem()->text(),
                 QString("115200"));

        Named<QComboBox>(*page(), "cbReceiverBaud")->setCurrentText("4800");
        Click(Named<QPushButton>(*page(), "btnSetBaud")); // nothing valid comes back at 4800
        changed.baudRate = 4800;
        QCOMPARE(writtenOnceAnswered(28), Frame(CfgPrtSet(changed)));
        QVERIFY(labelStarts(Named<QLabel>(*page(), "lblBaudAnswer"),
                            "No valid messages at 4800 baud within 3 s: back to 115200 baud."));
        QCOMPARE(form_->portSerial.BaudRate(), br115200);

        Named<QComboBox>(*page(), "cbReceiverBaud")->setCurrentText("38400");
        Click(Named<QPushButton>(*page(), "btnSetBaud")); // refused: both stay at 115200
        changed.baudRate = 38400;
        answer(Frame(CfgPrtSet(changed)), Ack(false, kClassCfg, kIdCfgPrt));
        QVERIFY(labelStarts(Named<QLabel>(*page(), "lblBaudAnswer"), "CFG-PRT: ACK-NAK after"));
        QVERIFY(Named<QLabel>(*page(), "lblBaudAnswer")
                    ->text()
                    .endsWith(": the receiver stays at its rate."));
        QCOMPARE(form_->portSerial.BaudRate(), br115200);
        QVERIFY(Named<QPushButton>(*page(), "btnSetBaud")->isEnabled());
    }

    void baudSearchStopsAtTheRateWithValidMessages() {
        form_->ChooseBaudRate("4800");
        Click(Named<QPushButton>(*page(), "btnFindBaud")); // 9600 first: silence there
        QVERIFY(QTest::qWaitFor([&] { return form_->portSerial.BaudRate() == br038400; }, kWaitMs));
        peer_.write(kValidSentence);
        QVERIFY(labelStarts(Named<QLabel>(*page(), "lblFindBaud"),
                            "Tried 9600: nothing valid, 38400: valid messages"));
        QCOMPARE(form_->portSerial.BaudRate(), br038400);
        // Opened again at a rate of the user's choice: what was found no longer holds.
        ShowPage(*form_, "tabComPort");
        Click(Named<QPushButton>(*form_, "btnClose"));
        QVERIFY(OpenPortAt(*form_, "COM7", "4800"));
        QCOMPARE(form_->portSerial.BaudRate(), br004800);
        QCOMPARE(Named<QLabel>(*page(), "lblFindBaud")->text(), QString());
        QCOMPARE(Named<QLabel>(*page(), "lblReceiver")->text(), QString());
    }
};

QTEST_MAIN(ConfigureTest)
#include "test_configure.moc"
