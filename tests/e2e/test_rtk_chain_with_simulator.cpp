// RTK from end to end on 127.0.0.1: a simulated base station in one window,
// surveyed in and its RTCM output turned on from the Base page, shared by
// that window; RTKLIB's str2str reads the share and serves it as an NTRIP
// caster; a second window's NTRIP page takes the mountpoint and writes it to
// a simulated rover, whose fix turns RTK fixed on the Receiver page. Two
// taps in the test see what the caster sent the second window and what
// reached the rover: the same bytes. The base's window then measures its
// fixes against the base station's own position. Skipped where str2str
// (Debian package rtklib) is not installed.

#include "protocol/UbxFrame.h"
#include "protocol/commands/UbxCommands.h"
#include "protocol/framing/Framer.h"
#include "tests/receiver-sim/ChildProcess.h"
#include "tests/receiver-sim/PortEnd.h"
#include "tests/support/LoopbackSocket.h"
#include "tests/support/NamedControl.h"
#include "tests/support/ScratchEnvironment.h"
#include "tests/window/WindowTestSupport.h"
#include "widgets/ValuePanel.h"
#include "window/app/MainForm.h"
#include "window/parts/WindowSender.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

namespace {
constexpr int kWaitMs = 20000;
const std::string kUser = "rover", kPassword = "base-pw", kMountpoint = "ZEPO";

// Passes the first connection made to it on to 127.0.0.1:target, keeping
// what went each way.
class TcpTap : public QObject {
public:
    explicit TcpTap(int target) : target_(static_cast<quint16>(target)) {
        server_.listen(QHostAddress::LocalHost);
        connect(&server_, &QTcpServer::newConnection, this, [this] { Accept(); });
    }
    int Port() const { return server_.serverPort(); }
    const std::string& FromClient() const { return fromClient_; }
    const std::string& FromTarget() const { return fromTarget_; }

private:
    void Accept() {
        QTcpSocket* client = server_.nextPendingConnection();
        server_.close();
        auto* target = new QTcpSocket(this);
        target->connectToHost(QHostAddress::LocalHost, target_);
        if (!target->waitForConnected(5000)) {
            client->close();
            return;
        }
        Relay(client, target, fromClient_);
        Relay(target, client, fromTarget_);
    }
    void Relay(QTcpSocket* from, QTcpSocket* to, std::string& kept) {
        const auto pass = [from, to, &kept] {
            const QByteArray bytes = from->readAll();
            kept.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
            to->write(bytes);
        };
        connect(from, &QTcpSocket::readyRead, this, pass);
        connect(from, &QTcpSocket::disconnected, to, &QTcpSocket::disconnectFromHost);
        pass();
    }

    QTcpServer server_;
    quint16 target_;
    std::string fromClient_, fromTarget_;
};

std::string RateOnUart1(std::uint8_t ubxClass, std::uint8_t id) {
    return ToByteString(BuildUbxFrame(ubx::CfgMsgSet({ubxClass, id, {0, 1, 0, 0, 0, 0}})));
}

std::unique_ptr<TMainForm> ShowWindow() {
    auto form = std::make_unique<TMainForm>();
    form->resize(1100, 700);
    form->show();
    return QTest::qWaitForWindowExposed(form.get()) ? std::move(form) : nullptr;
}

bool Shows(const std::function<QString()>& text,
           const std::function<bool(const QString&)>& wanted) {
    if (QTest::qWaitFor([&] { return wanted(text()); }, kWaitMs))
        return true;
    ADD_FAILURE() << "shown: " << text().toStdString();
    return false;
}

// Every command the label lists was acknowledged.
bool AllAcknowledged(const QString& answers) {
    const QStringList lines = answers.split('\n');
    return std::all_of(lines.begin(), lines.end(),
                       [](const QString& line) { return line.contains(": ACK-ACK"); });
}

// The caster's bytes less the NMEA sentences and UBX frames among them.
std::string CorrectionsOf(const std::string& bytes) {
    std::string kept;
    const auto keep = [&kept](protocol::Message&& message) {
        if (message.Kind != protocol::MessageKind::Nmea &&
            message.Kind != protocol::MessageKind::Ubx)
            kept += message.Bytes;
    };
    protocol::Framer framer;
    framer.Feed(bytes, keep);
    framer.Flush(keep);
    return kept;
}

TEST(RtkChainWithSimulator, BaseStreamReachesTheRoverThroughACaster) {
    const auto str2str = FindProgram("str2str");
    if (!str2str)
        GTEST_SKIP() << "str2str (Debian package rtklib) is not installed";
    ScratchEnvironment scratch;
    ChildProcess base(scratch, kReceiverSimulator,
                      {"--port", "COM21", "--baud", "115200", "--ubx", "--generation", "9",
                       "--base", "--survey-in", "2"});
    const int roverPort = UnusedPort();
    ChildProcess rover(scratch, kReceiverSimulator,
                       {"--tcp", std::to_string(roverPort), "--baud", "115200", "--ubx",
                        "--generation", "9", "--rtk-fix-after", "3", "--rtk-timeout", "3"});
    ASSERT_TRUE(WaitForAnnouncement("COM21")) << base.Errors();
    ASSERT_TRUE(WaitFor([&] { return LoopbackSocket(SOCK_STREAM).Connect(roverPort); }))
        << rover.Errors();

    int argc = 1;
    char name[] = "test_rtk_chain_with_simulator";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    const DeferredDeletions deferred;
    const std::unique_ptr<TMainForm> baseWindow = ShowWindow(), roverWindow = ShowWindow();
    ASSERT_TRUE(baseWindow && roverWindow);

    // The base: survey-in for 3 s, then RTCM output on its line.
    ASSERT_TRUE(OpenPortAt(*baseWindow, "COM21", "115200"));
    ShowPage(*baseWindow, "tabBase");
    Named<QSpinBox>(*baseWindow, "spSurveyDuration")->setValue(3);
    Named<QDoubleSpinBox>(*baseWindow, "spSurveyAccuracy")->setValue(5);
    auto* survey = Named<TValuePanel>(*baseWindow, "pnlSurvey");
    const auto surveyState = [&] { return survey->Value("lbSvinState"); };
    Click(Named<QAbstractButton>(*baseWindow, "btnSendBaseMode"));
    ASSERT_TRUE(Shows([&] { return Named<QLabel>(*baseWindow, "lblBaseModeAnswer")->text(); },
                      AllAcknowledged));
    ASSERT_TRUE(Shows(surveyState, [](const QString& state) { return state == "surveying"; }));
    ASSERT_TRUE(Shows(surveyState, [](const QString& state) { return state == "valid"; }));
    Click(Named<QAbstractButton>(*baseWindow, "btnEnableRtcm"));
    ASSERT_TRUE(Shows([&] { return Named<QLabel>(*baseWindow, "lblRtcmAnswer")->text(); },
                      AllAcknowledged));

    // Shared, and served by str2str as the caster.
    const int sharePort = UnusedPort(), casterPort = UnusedPort();
    ShowPage(*baseWindow, "tabComPort");
    Named<QLineEdit>(*baseWindow, "edShareAddress")
        ->setText(QString("127.0.0.1:%1").arg(sharePort));
    Click(Named<QAbstractButton>(*baseWindow, "btnShare"));
    ChildProcess caster(scratch, *str2str,
                        {"-in", "tcpcli://127.0.0.1:" + std::to_string(sharePort), "-out",
                         "ntripc://" + kUser + ":" + kPassword + "@:" + std::to_string(casterPort) +
                             "/" + kMountpoint});
    ASSERT_TRUE(WaitFor([&] { return LoopbackSocket(SOCK_STREAM).Connect(casterPort); }))
        << caster.Errors();

    // The rover's window, through a tap to the rover and one to the caster.
    TcpTap roverTap(roverPort), casterTap(casterPort);
    roverWindow->ChoosePort(QString("tcp://127.0.0.1:%1").arg(roverTap.Port()));
    roverWindow->ChooseBaudRate("115200");
    roverWindow->OpenPort();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !roverTap.FromTarget().empty(); }, kWaitMs));
    const std::string rates = RateOnUart1(0x01, 0x3C) + RateOnUart1(0x02, 0x32);
    PartOf<TWindowSender>(*roverWindow)->SendData(rates);
    ASSERT_TRUE(QTest::qWaitFor([&] { return roverTap.FromClient().ends_with(rates); }, kWaitMs));
    const std::size_t ownWrites = roverTap.FromClient().size();

    ShowPage(*roverWindow, "tabNtrip");
    Named<QLineEdit>(*roverWindow, "edNtripHost")->setText("127.0.0.1");
    Named<QSpinBox>(*roverWindow, "spNtripPort")->setValue(casterTap.Port());
    Named<QLineEdit>(*roverWindow, "edNtripUser")->setText(QString::fromStdString(kUser));
    Named<QLineEdit>(*roverWindow, "edNtripPassword")->setText(QString::fromStdString(kPassword));
    Named<QLineEdit>(*roverWindow, "edNtripMountpoint")
        ->setText(QString::fromStdString(kMountpoint));
    Click(Named<QAbstractButton>(*roverWindow, "btnNtripConnect"));
    ASSERT_TRUE(Shows([&] { return Named<QLabel>(*roverWindow, "lblNtripState")->text(); },
                      [](const QString& state) { return state.startsWith("Connected to"); }));

    ShowPage(*roverWindow, "tabReceiver");
    auto* fix = Named<TValuePanel>(*roverWindow, "pnlFix");
    const QRegularExpression fixed(R"(^RTK fixed, baseline .+, corrections (\d+\.\d) s old$)");
    EXPECT_TRUE(Shows([&] { return fix->Value("lbFixRtk"); },
                      [&](const QString& rtk) {
                          const auto match = fixed.match(rtk);
                          return match.hasMatch() && match.captured(1).toDouble() < 2;
                      }));

    // Between the base's epochs every correction the caster sent has reached
    // the rover; the base's NMEA and UBX, which the caster passes on too, not.
    const std::string answer = "ICY 200 OK\r\n";
    const auto sent = [&] { return CorrectionsOf(casterTap.FromTarget().substr(answer.size())); };
    const auto reached = [&] { return roverTap.FromClient().substr(ownWrites); };
    ASSERT_TRUE(casterTap.FromTarget().starts_with(answer)) << casterTap.FromTarget().substr(0, 40);
    EXPECT_TRUE(QTest::qWaitFor([&] { return sent() == reached(); }, kWaitMs))
        << sent().size() << " bytes sent, " << reached().size() << " reached the rover";
    EXPECT_GT(sent().size(), 300u); // a few epochs of RTCM 3
    Click(Named<QAbstractButton>(*roverWindow, "btnNtripConnect"));

    // The base's own fixes round the position its RTCM 1005 gives.
    ShowPage(*baseWindow, "tabDeviation");
    Named<QRadioButton>(*baseWindow, "rbDeviationBase")->setChecked(true);
    EXPECT_TRUE(Shows([&] { return Named<QLabel>(*baseWindow, "lbDeviationCount")->text(); },
                      [](const QString& count) { return count.toInt() > 0; }));
}
} // namespace
