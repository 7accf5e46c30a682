// UBX commands meeting a long write on a pseudo-terminal: the command waits
// for the write to end and follows it whole, the receiver's answer still
// reaches it, and a command whose port closed before its turn ends as not
// sent.

#include "protocol/commands/UbxCommands.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/ScratchEnvironment.h"
#include "tests/window/CommanderLine.h"

#include <QTest>
#include <QThread>
#include <algorithm>
#include <optional>
#include <thread>

namespace {

constexpr std::size_t kLongWrite = 512 * 1024;

TUBXPacket Command() {
    return ubx::CfgRateSet({200, 1, 1});
}

} // namespace

class TestCommandsInTurn : public QObject {
    Q_OBJECT
    ScratchEnvironment scratch_;
    PtyPeer peer_;

private slots:
    void initTestCase() { peer_.announce("COM26"); }

    void commandFollowsTheLongWriteWholeAndIsAnswered() {
        const std::string frame = ToByteString(BuildUbxFrame(Command()));
        const std::string longWrite(kLongWrite, 'x');
        // A slow device: takes the line in small bites, and acknowledges the
        // command once all of it has arrived.
        std::string arrived;
        std::jthread device([&] {
            const std::size_t total = kLongWrite + frame.size();
            while (arrived.size() < total) {
                const std::string bite =
                    peer_.read(std::min<std::size_t>(4096, total - arrived.size()), 5000);
                if (bite.empty())
                    return;
                arrived += bite;
                QThread::msleep(2);
            }
            peer_.write(ToByteString(BuildUbxFrame(MakeUbxPacket(0x05, 0x01, {0x06, 0x08}))));
        });
        CommanderLine line(MakeCommPort(26));
        line.sender.SendData(longWrite);
        QVERIFY(line.sender.IsSending());
        std::optional<ubx::TCommandOutcome> outcome;
        std::uint32_t written = 0;
        line.commander.Send(
            Command(), [&](const ubx::TCommandOutcome& settled) { outcome = settled; },
            [&](std::uint32_t count) { written = count; });
        QTRY_VERIFY_WITH_TIMEOUT(outcome.has_value(), 20000);
        device.join();
        QCOMPARE(outcome->kind, ubx::TAnswerKind::Acknowledged);
        QCOMPARE(written, std::uint32_t(frame.size()));
        QCOMPARE(arrived.size(), kLongWrite + frame.size());
        QVERIFY(arrived == longWrite + frame); // byte-exact, in order
    }

    void portClosedBeforeItsTurnEndsTheCommandAsNotSent() {
        CommanderLine line(MakeCommPort(26));
        line.sender.SendData(std::string(kLongWrite, 'x')); // nobody reads
        QVERIFY(line.sender.IsSending());
        QStringList logged;
        connect(&line.commander, &TUbxCommander::Logged,
                [&](const QString& text) { logged << text; });
        line.commander.Send(Command());
        line.port.Close();
        QTRY_VERIFY(!line.sender.IsSending());
        QCOMPARE(logged, QStringList{"CFG-RATE: not sent (the port closed before its turn)"});
        peer_.readUntilQuiet(100);
    }
};

QTEST_MAIN(TestCommandsInTurn)
#include "test_commands_in_turn.moc"
