// Applying a configuration file's frames against a receiver on a
// pseudo-terminal that answers as each case's script says: the next frame
// goes only after the answer to the one before; a NAK or no answer stops the
// run unless told to go on; a cancelled run sends nothing more; a closed
// port stops it at once.

#include "protocol/commands/ConfigValues.h"
#include "protocol/commands/UbxCommands.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/ScratchEnvironment.h"
#include "tests/window/CommanderLine.h"
#include "tests/window/ScriptedReceiver.h"
#include "window/parts/ConfigFileRunner.h"

#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <atomic>

namespace {

using Answer = ScriptedReceiver::Answer;
using Names = std::vector<std::string>;

constexpr int kWaitMs = 10000;

// The receiver's answers to its first, second... frame: A ACK-ACK, N ACK-NAK,
// - none; ACK-ACK past the end.
ScriptedReceiver::Script InTurn(std::string answers) {
    return [answers](const TUBXPacket&, int index) {
        const char answer = index < static_cast<int>(answers.size()) ? answers[index] : 'A';
        return answer == 'A' ? Answer::Ack : answer == 'N' ? Answer::Nak : Answer::None;
    };
}

std::vector<ubx::TNamedFrame> ThreeFrames() {
    const ubx::TConfigValue rate[] = {{0x30210001, 200}};
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
        const struct {
            const char* answers;
            bool goOn;
            QStringList outcomes; // the frames sent, each with its answer
            QString summary;
        } cases[] = {
            {"",
             false,
             {"CFG-VALSET: ACK-ACK", "CFG-RATE: ACK-ACK", "CFG-MSG: ACK-ACK"},
             "Applied 3 of 3 frames"},
            {"AN",
             false,
             {"CFG-VALSET: ACK-ACK", "CFG-RATE: ACK-NAK"},
             "Stopped at frame 2 of 3 (CFG-RATE): ACK-NAK"},
            {"N",
             true,
             {"CFG-VALSET: ACK-NAK", "CFG-RATE: ACK-ACK", "CFG-MSG: ACK-ACK"},
             "Applied 2 of 3 frames; not applied: frame 1 of 3 (CFG-VALSET): ACK-NAK"},
            {"AA-",
             false,
             {"CFG-VALSET: ACK-ACK", "CFG-RATE: ACK-ACK", "CFG-MSG: no answer"},
             "Stopped at frame 3 of 3 (CFG-MSG): no answer"},
        };
        for (const auto& c : cases) {
            // The receiver takes its time over the first frame: nothing more
            // may come before its answer.
            std::atomic<bool> early = false;
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
            Names sent;
            connect(&runner, &TConfigFileRunner::FrameSettled,
                    [&](int number, const QString& name, const QString& outcome) {
                        QCOMPARE(number, outcomes.size() + 1);
                        outcomes << outcome.section(" after ", 0, 0); // without the time
                        sent.push_back(name.toStdString());
                    });
            QSignalSpy finished(&runner, &TConfigFileRunner::Finished);
            runner.Start(ThreeFrames(), c.goOn);
            QVERIFY(runner.Running());
            QVERIFY2(finished.wait(kWaitMs), c.answers);
            QCOMPARE(finished.first().first().toString(), c.summary);
            QCOMPARE(outcomes, c.outcomes);
            QVERIFY(!runner.Running());
            QTest::qWait(100);
            QCOMPARE(receiver.Frames(), sent);
            QVERIFY2(!early, c.answers);
        }
    }

    void cancelledRunSendsNothingMore() {
        ScriptedReceiver receiver(peer_.masterFd(), InTurn("-"));
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
};

QTEST_MAIN(TestConfigFileRunner)
#include "test_config_file_runner.moc"
