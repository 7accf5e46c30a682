// The NTRIP page against a real caster on loopback: RTKLIB's str2str relays
// what the test writes to its input as mountpoint TEST, for user "rover".
// The sourcetable is listed with its distance from a typed position; a wrong
// password, a mountpoint the caster lacks and a port nobody listens on are
// told as such; the corrections reach the receiver's pseudo-terminal byte
// for byte, and again after the caster was stopped and started anew; while
// another write is still going out they wait for its end. The password is
// kept in the settings and shown nowhere. Skipped where str2str
// (Debian package rtklib) is not installed.

#include "protocol/Rtcm3Frame.h"
#include "tests/receiver-sim/ChildProcess.h"
#include "tests/support/LoopbackSocket.h"
#include "tests/support/NamedControl.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/ScratchEnvironment.h"
#include "tests/window/WindowTestSupport.h"
#include "window/app/MainForm.h"
#include "window/blocks/TextPane.h"
#include "window/parts/SettingsStore.h"
#include "window/parts/WindowSender.h"

#include <QAbstractButton>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <csignal>
#include <memory>
#include <random>

using namespace std::string_literals;

namespace {
const QString kPassword = "s3cret-Pass";

// str2str as the caster: input from a TCP client at inPort, NTRIP at casterPort.
std::unique_ptr<ChildProcess> StartCaster(const ScratchEnvironment& scratch, int inPort,
                                          int casterPort) {
    return std::make_unique<ChildProcess>(
        scratch, *FindProgram("str2str"),
        std::vector<std::string>{
            "-in", "tcpsvr://:" + std::to_string(inPort), "-out",
            "ntripc://rover:" + kPassword.toStdString() + "@:" + std::to_string(casterPort) +
                "/TEST:Testville;RTCM 3.2;1005(10),1077(1);2;GPS+GLO;ZEPO;DEU;50.10;8.60;0;0;"
                "sim;none;B;N;9600;"});
}

// The caster's input, once it takes connections.
LoopbackSocket FeedCaster(int inPort) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        LoopbackSocket feed(SOCK_STREAM);
        if (feed.Connect(inPort))
            return feed;
        QTest::qWait(50);
    }
    throw std::runtime_error("the caster's input never listened");
}

// count RTCM 3 frames as a base station sends them: a station position
// (1005) first in every ten, observations (1077) with random contents else.
std::string SomeCorrections(int count, unsigned seed) {
    std::mt19937 random(seed);
    std::string frames;
    for (int i = 0; i < count; ++i) {
        std::string payload = i % 10 == 0 ? "\x3E\xD0"s : "\x43\x50"s;
        payload.resize(i % 10 == 0 ? 19 : 100 + random() % 200);
        for (std::size_t at = 2; at < payload.size(); ++at)
            payload[at] = static_cast<char>(random());
        frames += protocol::BuildRtcm3Frame(payload);
    }
    return frames;
}

// What the window writes to the receiver's line, up to count bytes, while
// the window goes on working.
std::string WrittenToReceiver(PtyPeer& receiver, std::size_t count) {
    std::string written;
    for (int wait = 0; wait < 300 && written.size() < count; ++wait) {
        QTest::qWait(10);
        written += receiver.read(count - written.size(), 20);
    }
    return written;
}

void Type(TMainForm& form, const QString& name, const QString& text) {
    Named<QLineEdit>(form, name)->setText(text);
}

void ChooseCaster(TMainForm& form, int port, const QString& password, const QString& mountpoint) {
    ShowPage(form, "tabNtrip");
    Type(form, "edNtripHost", "127.0.0.1");
    Named<QSpinBox>(form, "spNtripPort")->setValue(port);
    Type(form, "edNtripUser", "rover");
    Type(form, "edNtripPassword", password);
    Type(form, "edNtripMountpoint", mountpoint);
}

QString State(TMainForm& form) {
    return Named<QLabel>(form, "lblNtripState")->text();
}

QString PortLog(TMainForm& form) {
    return PaneLines(Named<QPlainTextEdit>(form, "moComPort")).join('\n');
}
} // namespace

class NtripCasterTest : public QObject {
    Q_OBJECT
    ScratchEnvironment scratch_;

private slots:
    void initTestCase() {
        if (!FindProgram("str2str"))
            QSKIP("str2str (Debian package rtklib) is not installed");
    }

    void sourcetableAndRefusalsAreTold() {
        const int inPort = UnusedPort(), casterPort = UnusedPort();
        const auto caster = StartCaster(scratch_, inPort, casterPort);
        std::unique_ptr<TMainForm> form = ShowFreshWindow();
        ChooseCaster(*form, casterPort, kPassword, "TEST");
        Type(*form, "edNtripPosition", "50.0, 8.6");
        auto* table = Named<QTableWidget>(*form, "tblNtripMountpoints");
        auto* connectButton = Named<QAbstractButton>(*form, "btnNtripConnect");

        const LoopbackSocket feed = FeedCaster(inPort); // the caster is up
        Click(Named<QAbstractButton>(*form, "btnNtripSourcetable"));
        QTRY_COMPARE_WITH_TIMEOUT(table->rowCount(), 1, 10000);
        const QStringList expected = {"TEST",  "Testville", "RTCM 3.2",    "1005(10),1077(1)",
                                      "L1+L2", "GPS+GLO",   "50.10, 8.60", "11.1 km"};
        for (int column = 0; column < expected.size(); ++column)
            QCOMPARE(table->item(0, column)->text(), expected[column]);

        Type(*form, "edNtripPassword", "wrong");
        Click(connectButton);
        QTRY_VERIFY(State(*form).contains(
            "refused user \"rover\" with this password (HTTP/1.0 401 Unauthorized)"));
        QCOMPARE(connectButton->text(), QString("Connect"));

        table->setRowCount(0);
        ChooseCaster(*form, casterPort, kPassword, "NOPE");
        Click(connectButton);
        QTRY_VERIFY(State(*form).contains(
            QString("127.0.0.1:%1 has no mountpoint \"NOPE\"; its sourcetable is shown")
                .arg(casterPort)));
        QCOMPARE(table->rowCount(), 1);
        const QPoint cell = table->visualItemRect(table->item(0, 0)).center();
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell);
        QCOMPARE(Named<QLineEdit>(*form, "edNtripMountpoint")->text(), QString("TEST"));

        const int nobody = UnusedPort();
        ChooseCaster(*form, nobody, kPassword, "TEST");
        Click(connectButton);
        QTRY_VERIFY(State(*form).contains(
            QString("127.0.0.1:%1 refused the connection (no caster listens there); "
                    "connecting again in 1 s")
                .arg(nobody)));
        QCOMPARE(connectButton->text(), QString("Disconnect"));
        Click(connectButton);
        QCOMPARE(State(*form), QString("Off"));
    }

    void correctionsWaitForAWriteGoingOn() {
        PtyPeer receiver;
        receiver.announce("COM7");
        const int inPort = UnusedPort(), casterPort = UnusedPort();
        const auto caster = StartCaster(scratch_, inPort, casterPort);
        std::unique_ptr<TMainForm> form = ShowFreshWindow();
        QVERIFY(OpenPortAt(*form, "COM7", "9600"));
        ChooseCaster(*form, casterPort, kPassword, "TEST");
        const LoopbackSocket feed = FeedCaster(inPort);
        Click(Named<QAbstractButton>(*form, "btnNtripConnect"));
        QTRY_VERIFY_WITH_TIMEOUT(State(*form).startsWith("Connected to"), 10000);

        // More than the line holds while the receiver does not read: the
        // write goes on in the background.
        const std::string text(512 * 1024, 'x');
        auto* sender = PartOf<TWindowSender>(*form);
        sender->SendQuietly(text);
        QVERIFY(sender->IsSending());
        const std::string corrections = SomeCorrections(10, 3);
        feed.SendAll(corrections);
        QTRY_VERIFY(Named<QLabel>(*form, "lblNtripReceived")
                        ->text()
                        .startsWith(QString("Received: %1 bytes").arg(corrections.size())));
        QCOMPARE(WrittenToReceiver(receiver, text.size() + corrections.size()), text + corrections);
    }

    void correctionsReachTheReceiverAcrossACasterRestart() {
        PtyPeer receiver;
        receiver.announce("COM7");
        const int inPort = UnusedPort(), casterPort = UnusedPort();
        auto caster = StartCaster(scratch_, inPort, casterPort);
        std::unique_ptr<TMainForm> form = ShowFreshWindow();
        QVERIFY(OpenPortAt(*form, "COM7", "9600"));
        ChooseCaster(*form, casterPort, kPassword, "TEST");
        LoopbackSocket feed = FeedCaster(inPort);
        Click(Named<QAbstractButton>(*form, "btnNtripConnect"));
        const QString connected = QString("Connected to TEST at 127.0.0.1:%1").arg(casterPort);
        QTRY_COMPARE_WITH_TIMEOUT(State(*form), connected, 10000);

        const std::string first = SomeCorrections(30, 1);
        for (std::size_t at = 0; at < first.size(); at += 300) {
            feed.SendAll(first.substr(at, 300));
            QTest::qWait(50);
        }
        QCOMPARE(WrittenToReceiver(receiver, first.size()), first);
        const QString size = QString::number(first.size());
        QTRY_VERIFY(Named<QLabel>(*form, "lblNtripWritten")
                        ->text()
                        .startsWith("Written to the receiver: " + size + " bytes"));
        QVERIFY(Named<QLabel>(*form, "lblNtripReceived")
                    ->text()
                    .startsWith("Received: " + size + " bytes"));
        QCOMPARE(Named<QLabel>(*form, "lblNtripTypes")->text(),
                 QString("Messages: RTCM 1005: 3, RTCM 1077: 27"));

        caster->Signal(SIGINT);
        QVERIFY(caster->WaitForExit() >= 0);
        QTRY_VERIFY_WITH_TIMEOUT(PortLog(*form).contains("closed the connection; connecting again"),
                                 10000);
        feed.Close();
        caster = StartCaster(scratch_, inPort, casterPort);
        const LoopbackSocket feedAgain = FeedCaster(inPort);
        QTRY_COMPARE_WITH_TIMEOUT(State(*form), connected, 20000);
        const std::string second = SomeCorrections(10, 2);
        feedAgain.SendAll(second);
        QCOMPARE(WrittenToReceiver(receiver, second.size()), second);

        // The password is kept with the settings, and shown nowhere.
        QFile store(SettingsStore::FilePath());
        QVERIFY(store.open(QIODevice::ReadOnly));
        QVERIFY(store.readAll().contains(kPassword.toUtf8()));
        QCOMPARE(store.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther),
                 QFileDevice::Permissions());
        const QString base64 = QString("rover:" + kPassword).toUtf8().toBase64();
        for (const QLabel* label : form->findChildren<QLabel*>())
            QVERIFY(!label->text().contains(kPassword) && !label->text().contains(base64));
        QVERIFY(!PortLog(*form).contains(kPassword) && !PortLog(*form).contains(base64));
        QVERIFY(!PortLog(*form).contains("Sent(Hex)"));
    }
};

QTEST_MAIN(NtripCasterTest)
#include "test_ntrip_with_caster.moc"
