// The NTRIP page against a real caster on loopback: RTKLIB's str2str relays
// what the test writes to its input as mountpoint TEST, for user "rover".
// The sourcetable is listed with its distance from a typed position; a wrong
// password, a mountpoint the caster lacks and a port nobody listens on are
// told as such; the corrections reach the receiver's pseudo-terminal byte
// for byte, and again after the caster was stopped and started anew; while
// another write is still going out they wait for its end. The password is
// kept in the settings and shown nowhere. Behind a TLS front with a
// self-signed certificate the caster is refused as untrusted, and served
// once that certificate is trusted. Skipped where str2str (Debian package
// rtklib) is not installed.

#include "protocol/Rtcm3Frame.h"
#include "tests/receiver-sim/ChildProcess.h"
#include "tests/support/LoopbackSocket.h"
#include "tests/support/NamedControl.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/ScratchEnvironment.h"
#include "tests/window/WindowTestSupport.h"
#include "window/app/MainForm.h"
#include "window/blocks/TextPane.h"
#include "window/parts/NtripSettings.h"
#include "window/parts/SettingsStore.h"
#include "window/parts/WindowSender.h"

#include <QAbstractButton>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
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

// A caster as HTTPS casters run: TLS, with a self-signed certificate for
// 127.0.0.1 made by openssl, in front of the plain caster at casterPort;
// each connection's bytes pass through both ways.
class TlsFront {
public:
    TlsFront(const ScratchEnvironment& scratch, const std::string& openssl, int casterPort)
        : certificateFile_(QString::fromStdString(scratch.root() + "/caster.pem")) {
        const std::string keyFile = scratch.root() + "/caster.key";
        ChildProcess made(scratch, openssl,
                          {"req", "-x509", "-newkey", "ec", "-pkeyopt",
                           "ec_paramgen_curve:prime256v1", "-nodes", "-days", "1", "-subj",
                           "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1", "-keyout",
                           keyFile, "-out", certificateFile_.toStdString()});
        if (made.WaitForExit() != 0)
            throw std::runtime_error("openssl made no certificate: " + made.Errors());
        QFile key(QString::fromStdString(keyFile));
        if (!key.open(QIODevice::ReadOnly))
            throw std::runtime_error("openssl wrote no key");
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.setLocalCertificate(QSslCertificate::fromPath(certificateFile_).value(0));
        configuration.setPrivateKey(QSslKey(&key, QSsl::Ec));
        configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
        server_.setSslConfiguration(configuration);
        QObject::connect(&server_, &QTcpServer::pendingConnectionAvailable, &server_,
                         [this, casterPort] { Relay(casterPort); });
        if (!server_.listen(QHostAddress::LocalHost))
            throw std::runtime_error("the TLS front cannot listen");
    }

    int port() const { return server_.serverPort(); }
    const QString& certificateFile() const { return certificateFile_; }

private:
    void Relay(int casterPort) {
        while (QTcpSocket* client = server_.nextPendingConnection()) {
            auto* plain = new QTcpSocket(client);
            const auto forward = [client, plain] {
                if (plain->state() == QAbstractSocket::ConnectedState)
                    plain->write(client->readAll());
            };
            QObject::connect(client, &QTcpSocket::readyRead, plain, forward);
            QObject::connect(plain, &QTcpSocket::connected, plain, forward);
            QObject::connect(plain, &QTcpSocket::readyRead, client,
                             [client, plain] { client->write(plain->readAll()); });
            QObject::connect(plain, &QTcpSocket::disconnected, client, [client, plain] {
                client->write(plain->readAll());
                client->disconnectFromHost();
            });
            QObject::connect(client, &QTcpSocket::disconnected, plain,
                             [plain] { plain->disconnectFromHost(); });
            plain->connectToHost(QHostAddress::LocalHost, static_cast<quint16>(casterPort));
        }
    }

    const QString certificateFile_;
    QSslServer server_;
};
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

    void tlsCasterIsServedOnceItsCertificateIsTrusted() {
        const std::optional<std::string> openssl = FindProgram("openssl");
        if (!openssl || !QSslSocket::supportsSsl())
            QSKIP("openssl or Qt's TLS backend is not installed");
        PtyPeer receiver;
        receiver.announce("COM7");
        const int inPort = UnusedPort(), casterPort = UnusedPort();
        const auto caster = StartCaster(scratch_, inPort, casterPort);
        const TlsFront front(scratch_, *openssl, casterPort);
        std::unique_ptr<TMainForm> form = ShowFreshWindow();
        QVERIFY(OpenPortAt(*form, "COM7", "9600"));
        ShowPage(*form, "tabNtrip");
        Named<QSpinBox>(*form, "spNtripPort")->setValue(2102); // a port casters serve TLS on
        QVERIFY(Named<QAbstractButton>(*form, "cbNtripTls")->isChecked());
        ChooseCaster(*form, front.port(), kPassword, "TEST");
        const LoopbackSocket feed = FeedCaster(inPort);
        auto* connectButton = Named<QAbstractButton>(*form, "btnNtripConnect");

        // Refused, and not tried again: the certificate will not change.
        qunsetenv("ZEPO_NTRIP_EXTRA_CA");
        Click(connectButton);
        QTRY_VERIFY_WITH_TIMEOUT(
            State(*form).startsWith(
                QString("127.0.0.1:%1: the caster's certificate is not trusted: The certificate "
                        "is self-signed, and untrusted")
                    .arg(front.port())),
            10000);
        QCOMPARE(connectButton->text(), QString("Connect"));

        qputenv("ZEPO_NTRIP_EXTRA_CA", front.certificateFile().toUtf8());
        Click(Named<QAbstractButton>(*form, "btnNtripSourcetable"));
        QTRY_COMPARE_WITH_TIMEOUT(Named<QTableWidget>(*form, "tblNtripMountpoints")->rowCount(), 1,
                                  10000);
        Click(connectButton);
        QTRY_VERIFY_WITH_TIMEOUT(State(*form).startsWith("Connected to"), 10000);
        const std::string corrections = SomeCorrections(20, 4);
        feed.SendAll(corrections);
        QCOMPARE(WrittenToReceiver(receiver, corrections.size()), corrections);
        QVERIFY(RestoreNtripSettings().Tls);
        qunsetenv("ZEPO_NTRIP_EXTRA_CA");
    }
};

QTEST_MAIN(NtripCasterTest)
#include "test_ntrip_with_caster.moc"
