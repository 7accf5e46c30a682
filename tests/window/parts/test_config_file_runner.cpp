// Applying a configuration file's frames and recording configuration
// commands, against a receiver on a pseudo-terminal that answers as each
// case's script says: the next frame goes only after the answer to the one
// before; a NAK or no answer stops the run unless told to go on; a
// cancelled run sends nothing more; a closed port stops it at once. The
// recorder keeps only the acknowledged CFG commands sent while it is on.

#include "protocol/commands/ConfigValues.h"
#include "protocol/commands/UbxCommands.h"
#include "protocol/configfiles/FrameFile.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/ScratchEnvironment.h"
#include "tests/window/CommanderLine.h"
#include "tests/window/ScriptedReceiver.h"
#include "window/parts/ConfigCommandRecorder.h"
#include "window/parts/ConfigFileRunner.h"

#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <chrono>

namespace {

using Answer = ScriptedReceiver::Answer;
using Names = std::vector<std::string>;

constexpr int kWaitMs = 10000;
constexpr std::uint32_t kRateMeas = 0x30210001;

// The answers the receiver gives to its first, second... frame.
ScriptedReceiver::Script InTurn(std::vector<Answer> answers) {
    return [answers](const TUBXPacket&, int index) {
        return index < static_cast<int>(answers.size()) ? answers[index] : Answer::Ack;
    };
}

std::vector<ubx::TNamedFrame> ThreeFrames() {
    const ubx::TConfigValue rate[] = {{kRateMeas, 200}};
    return {{"CFG-VALSET", ubx::CfgValSet(ubx::kLayerRam, rate)},
            {"CFG-RATE", ubx::CfgRateSet(ubx::TCfgRate{})},
            {"CFG-MSG", ubx::CfgMsgSet(ubx::TCfgMsg{0xF0, 0x03, {0, 1, 0, 0, 0, 0}})}};
}

} // namespace

class TestConfigFileRunner : public QObject {
    Q_OBJECT
    ScratchEnvironment scratch_;
    PtyPeer peer_;

private slots:
    void initTestCase() { peer_.announce("COM23"); }

    void appliesInTurnAndStopsAsTold() {
        const Names all = {"CFG-VALSET", "CFG-RATE", "CFG-MSG"};
        const struct {
            const char* legend;
            std::vector<Answer> answers;
            bool goOn;
            Names sent;
            QStringList outcomes;
            QString summary;
        } cases[] = {
            {"all acknowledged",
             {},
             false,
             all,
             {"1 CFG-VALSET: ACK-ACK", "2 CFG-RATE: ACK-ACK", "3 CFG-MSG: ACK-ACK"},
             "Applied 3 of 3 frames"},
            {"stops at a NAK",
             {Answer::Ack, Answer::Nak},
             false,
             {"CFG-VALSET", "CFG-RATE"},
             {"1 CFG-VALSET: ACK-ACK", "2 CFG-RATE: ACK-NAK"},
             "Stopped at frame 2 of 3 (CFG-RATE): ACK-NAK"},
            {"goes on past a NAK",
             {Answer::Nak},
             true,
             all,
             {"1 CFG-VALSET: ACK-NAK", "2 CFG-RATE: ACK-ACK", "3 CFG-MSG: ACK-ACK"},
             "Applied 2 of 3 frames; not applied: frame 1 of 3 (CFG-VALSET): ACK-NAK"},
            {"stops at no answer",
             {Answer::Ack, Answer::Ack, Answer::None},
             false,
             all,
             {"1 CFG-VALSET: ACK-ACK", "2 CFG-RATE: ACK-ACK", "3 CFG-MSG: no answer"},
             "Stopped at frame 3 of 3 (CFG-MSG): no answer"},
        };
        for (const auto& c : cases) {
            // The receiver takes its time over the first frame: nothing more
            // may come before its answer.
            bool early = false;
            const ScriptedReceiver::Script inTurn = InTurn(c.answers);
            ScriptedReceiver receiver(peer_.masterFd(), [&](const TUBXPacket& frame, int index) {
                if (index == 0) {
                    QThread::msleep(150);
                    early = !peer_.read(1, 50).empty();
                }
                return inTurn(frame, index);
            });
            CommanderLine line(MakeCommPort(23));
            TConfigFileRunner runner(nullptr, line.commander);
            QStringList outcomes;
            connect(&runner, &TConfigFileRunner::FrameSettled,
                    [&](int number, const QString& name, const QString& outcome) {
                        // "CFG-RATE: ACK-ACK after 12 ms", without the time
                        QVERIFY(outcome.startsWith(name + ": "));
                        outcomes << QString::number(number) + " " +
                                        outcome.section(" after ", 0, 0);
                    });
            QSignalSpy finished(&runner, &TConfigFileRunner::Finished);
            runner.Start(ThreeFrames(), c.goOn);
            QVERIFY2(runner.Running(), c.legend);
            QVERIFY2(finished.wait(kWaitMs), c.legend);
            QCOMPARE(finished.first().first().toString(), c.summary);
            QCOMPARE(outcomes, c.outcomes);
            QVERIFY2(!runner.Running(), c.legend);
            QTest::qWait(100);
            QCOMPARE(receiver.Frames(), c.sent);
            QVERIFY2(!early, c.legend);
        }
    }

    void cancelledRunSendsNothingMore() {
        ScriptedReceiver receiver(peer_.masterFd(), InTurn({Answer::None}));
        CommanderLine line(MakeCommPort(23));
        TConfigFileRunner runner(nullptr, line.commander);
        QSignalSpy settled(&runner, &TConfigFileRunner::FrameSettled);
        QSignalSpy finished(&runner, &TConfigFileRunner::Finished);
        runner.Start(ThreeFrames(), true);
        QVERIFY(QTest::qWaitFor([&] { return receiver.Frames().size() == 1; }, kWaitMs));
        runner.Cancel();
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toString(), QString("Cancelled: applied 0 of 3 frames"));
        // The first frame's time runs out unheard.
        QTest::qWait(1500);
        QCOMPARE(settled.size(), 0);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(receiver.Frames(), Names{"CFG-VALSET"});
    }

    void closedPortStopsAtTheFirstFrame() {
        CommanderLine line(MakeCommPort(23));
        line.port.Close();
        TConfigFileRunner runner(nullptr, line.commander);
        QSignalSpy finished(&runner, &TConfigFileRunner::Finished);
        runner.Start(ThreeFrames(), true);
        QCOMPARE(finished.size(), 1);
        const QString summary = finished.first().first().toString();
        QVERIFY2(summary.startsWith("Stopped at frame 1 of 3 (CFG-VALSET): ") &&
                     summary.contains("not open"),
                 qPrintable(summary));
        QVERIFY(!runner.Running());
    }

    void recorderKeepsAcknowledgedConfigurationWhileOn() {
        // The receiver refuses CFG-MSG and acknowledges the rest.
        ScriptedReceiver receiver(peer_.masterFd(), [](const TUBXPacket& frame, int) {
            if (frame.ID == ubx::kIdCfgRst)
                return Answer::None;
            return frame.ID == ubx::kIdCfgMsg ? Answer::Nak : Answer::Ack;
        });
        CommanderLine line(MakeCommPort(23));
        TConfigCommandRecorder recorder(nullptr, line.commander);
        QSignalSpy settled(&line.commander, &TUbxCommander::Settled);
        const auto send = [&](const TUBXPacket& command) {
            const qsizetype before = settled.size();
            line.commander.Send(command);
            QVERIFY(QTest::qWaitFor([&] { return settled.size() > before; }, kWaitMs));
        };
        const TUBXPacket rate = ubx::CfgRateSet(ubx::TCfgRate{500, 1, 1});
        const TUBXPacket save = ubx::CfgCfg(ubx::TCfgAction::Save);
        send(rate); // before the recording
        recorder.Start();
        send(rate);
        send(ubx::CfgMsgSet(ubx::TCfgMsg{0xF0, 0x03, {}})); // refused
        send(MakeUbxPacket(0x02, 0x41, {0, 0, 0, 0}));      // acknowledged, no CFG command
        send(ubx::CfgRst(ubx::TStartKind::Hot));            // never answered
        send(save);
        recorder.Stop();
        send(rate);
        const std::vector<TUBXPacket> kept = {rate, save};
        QCOMPARE(recorder.FrameFile(), ubx::WriteFrameFile(kept));
    }
};

QTEST_MAIN(TestConfigFileRunner)
#include "test_config_file_runner.moc"
