// The "Base" page on a pseudo-terminal announced as COM8, with the test as
// the receiver: survey-in and RTCM output go out as the legacy messages to
// a generation 8 receiver and as configuration keys to a generation 9 one,
// each answer beside its button; a position far from the earth is refused
// before anything goes out; NAV-SVIN shows live.

#include "protocol/commands/BaseStation.h"
#include "tests/protocol/StreamBytes.h"
#include "tests/support/NamedControl.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/ScratchEnvironment.h"
#include "tests/window/WindowTestSupport.h"
#include "widgets/ValuePanel.h"
#include "window/app/MainForm.h"
#include "window/blocks/RadioGroup.h"
#include "window/pages/BasePage.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

using namespace ubx;

namespace {
constexpr int kWaitMs = 8000;

std::string Frame(const TUBXPacket& packet) {
    return ToByteString(BuildUbxFrame(packet));
}
std::string Ack(bool acknowledged, std::uint8_t id) {
    return Frame(MakeUbxPacket(kClassAck, acknowledged ? kIdAckAck : kIdAckNak, {kClassCfg, id}));
}
} // namespace

class BasePageTest : public QObject {
    Q_OBJECT
    ScratchEnvironment scratch_;
    PtyPeer peer_;
    std::unique_ptr<TMainForm> form_;

    TBasePage* page() const { return Named<TBasePage>(*form_, "tabBase"); }
    QLabel* label(const char* name) const { return Named<QLabel>(*page(), name); }
    bool labelShows(QLabel* shown, const QString& text) {
        return QTest::qWaitFor([&] { return shown->text() == text; }, kWaitMs);
    }
    void answer(const std::string& expected, const std::string& reply) {
        // The window writes once it has processed what it waits on: events
        // run while the line is read.
        std::string written;
        // Whether all came or not, the comparison below shows what did.
        static_cast<void>(QTest::qWaitFor(
            [&] {
                written += peer_.read(expected.size() - written.size(), 20);
                return written.size() >= expected.size();
            },
            kWaitMs));
        QCOMPARE(QString::fromStdString(Hex(TBufToSend(written.begin(), written.end()))),
                 QString::fromStdString(Hex(TBufToSend(expected.begin(), expected.end()))));
        peer_.write(reply);
    }
    // The answers' timings, "after 12 ms", made alike.
    static QString Untimed(QString text) {
        return text.replace(QRegularExpression(" after \\d+ ms"), "");
    }

private slots:
    void initTestCase() { peer_.announce("COM8"); }
    void init() {
        form_ = ShowFreshWindow();
        QVERIFY(form_ && OpenPortAt(*form_, "COM8", "9600"));
        ShowPageOf(*form_, page());
    }
    void cleanup() { form_.reset(); }

    void legacyReceiverTakesCfgTmode3AndCfgMsg() {
        Click(Named<QPushButton>(*page(), "btnSendBaseMode"));
        answer(Frame(MonVerPoll()), MonVerAnswer("18.00"));
        // The commands go out one after the other; the answers come in order.
        answer(Frame(CfgTmode3({})) + Frame(CfgMsgSet({0x01, 0x3B, {0, 1, 0, 0, 0, 0}})),
               Ack(true, kIdCfgTmode3) + Ack(false, kIdCfgMsg));
        QVERIFY(QTest::qWaitFor(
            [&] {
                return Untimed(label("lblBaseModeAnswer")->text()) ==
                       "Base position: CFG-TMODE3: ACK-ACK\nNAV-SVIN output: CFG-MSG: ACK-NAK";
            },
            kWaitMs));

        Click(Named<QPushButton>(*page(), "btnEnableRtcm"));
        std::string commands, acks;
        for (const int type : kBaseRtcmTypes) {
            commands += Frame(CfgMsgRtcm(type, {0, 1, 0, 0, 0, 0}));
            acks += Ack(true, kIdCfgMsg);
        }
        answer(commands, acks);
        QVERIFY(QTest::qWaitFor(
            [&] {
                return Untimed(label("lblRtcmAnswer")->text()) ==
                       "RTCM 1005: CFG-MSG: ACK-ACK\nRTCM 1074: CFG-MSG: ACK-ACK\n"
                       "RTCM 1084: CFG-MSG: ACK-ACK\nRTCM 1094: CFG-MSG: ACK-ACK\n"
                       "RTCM 1124: CFG-MSG: ACK-ACK\nRTCM 1230: CFG-MSG: ACK-ACK";
            },
            kWaitMs));
    }

    void databaseReceiverTakesKeysAndAWrongPositionGoesNowhere() {
        Named<TRadioGroup>(*page(), "rgBaseMode")->SetItemIndex(1);      // fixed position
        Named<QComboBox>(*page(), "cbPositionKind")->setCurrentIndex(1); // ECEF, all zero
        Click(Named<QPushButton>(*page(), "btnSendBaseMode"));
        QCOMPARE(label("lblBaseModeAnswer")->text(),
                 QString("ECEF X, Y and Z put the base 0 km from the earth's centre; a base "
                         "lies near its surface, 6300 to 6500 km."));
        QCOMPARE(QString::fromStdString(peer_.readUntilQuiet()), QString());

        Named<QSpinBox>(*page(), "spRtcmRateUSB")->setValue(2);
        Click(Named<QPushButton>(*page(), "btnEnableRtcm"));
        answer(Frame(MonVerPoll()), MonVerAnswer("27.31"));
        answer(Frame(RtcmOutputValSet({0, 1, 0, 2, 0, 0})), Ack(true, kIdCfgValSet));
        QVERIFY(QTest::qWaitFor(
            [&] {
                return Untimed(label("lblRtcmAnswer")->text()) ==
                       "RTCM 1005, 1074, 1084, 1094, 1124, 1230: CFG-VALSET: ACK-ACK";
            },
            kWaitMs));
    }

    void surveyInShowsLive() {
        const std::string svin = PayloadWriter()
                                     .Zeros(8)
                                     .U4(73)
                                     .I4(427000012)
                                     .I4(64000034)
                                     .I4(465000056)
                                     .Zeros(4)
                                     .U4(18234)
                                     .U4(73)
                                     .U1(0)
                                     .U1(1)
                                     .Zeros(2)
                                     .Bytes();
        peer_.write(UbxBytes(0x01, 0x3B, svin));
        auto* panel = Named<TValuePanel>(*page(), "pnlSurvey");
        QVERIFY(
            QTest::qWaitFor([&] { return panel->Value("lbSvinState") == "surveying"; }, kWaitMs));
        QCOMPARE(panel->Value("lbSvinDuration"), QString("73 s"));
        QCOMPARE(panel->Value("lbSvinObservations"), QString("73"));
        QCOMPARE(panel->Value("lbSvinAccuracy"), QString("1.8234 m"));
        QVERIFY(panel->Value("lbSvinPosition").contains("° N"));
    }
};

QTEST_MAIN(BasePageTest)
#include "test_base_page.moc"
