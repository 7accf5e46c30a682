// The Health page on reports handed to it: the warnings say what to do, in
// the port's name and figures, for a transmit buffer running full and for
// overruns that grew, put an antenna fault first, and go with the reports
// once those are stale, when the values and pictures grey out.

#include "serial/SerialPort.h"
#include "tests/support/NamedControl.h"
#include "widgets/TrendGauge.h"
#include "widgets/ValuePanel.h"
#include "window/pages/HealthPage.h"
#include "window/parts/ReceiverIdentity.h"
#include "window/parts/UbxCommander.h"
#include "window/parts/WindowSender.h"

#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QtTest>

class TestHealthPage : public QObject {
    Q_OBJECT
private slots:
    void warningsFollowTheReportsAndGoStaleWithThem();
};

void TestHealthPage::warningsFollowTheReportsAndGoStaleWithThem() {
    TSerialPort port;
    QWidget window;
    QStatusBar bar;
    TWindowSender sender(&bar, port, {});
    TUbxCommander commander(&window, sender, port);
    TReceiverIdentity identity(&window, commander);
    auto now = std::chrono::steady_clock::time_point{};
    THealthPage page(&window, commander, identity, [&now] { return now; });
    const auto warning = [&] { return Named<QLabel>(page, "lbHealthWarning")->text(); };

    protocol::ReceiverSnapshot snapshot;
    protocol::ReceiverHealth& health = snapshot.Health;
    protocol::RfBlockStatus block;
    block.Antenna = protocol::AntennaStatus::Ok;
    block.Power = protocol::AntennaPower::On;
    block.Jamming = protocol::JammingState::Ok;
    health.RfBlocks = std::vector{block};
    health.RfBlockReports = 1;
    protocol::PortTraffic uart1;
    uart1.PortId = 0x0100;
    uart1.TxUsagePercent = 95;
    uart1.Overruns = 3;
    health.Comms = protocol::CommsReport{{}, false, true, {uart1}};
    TReceiverFeed::TFresh fresh;
    fresh.Comms = true;
    page.Show(snapshot, fresh);
    QCOMPARE(Named<QLabel>(page, "lbAntenna")->text(), QString("OK, power on"));
    QCOMPARE(warning(), QString("UART1 transmit buffer 95 % full: the receiver is dropping "
                                "output; lower message rates or raise the baud rate"));

    now += std::chrono::seconds(1);
    health.Comms->Ports[0].TxUsagePercent = 40;
    health.Comms->Ports[0].Overruns = 5;
    block.Antenna = protocol::AntennaStatus::Short;
    block.Power = protocol::AntennaPower::Off;
    health.RfBlocks = std::vector{block};
    health.RfBlockReports = 2;
    page.Show(snapshot, fresh);
    QCOMPARE(Named<QLabel>(page, "lbAntenna")->text(), QString("short, power off"));
    QCOMPARE(warning(), QString("Antenna short circuit: the antenna or its cable is shorted; "
                                "check them\nUART1 receive overruns rose from 3 to 5: the "
                                "receiver lost bytes sent to it"));

    // Nothing for longer than three seconds: the values grey out and the
    // warnings of what is no longer reported go.
    now += std::chrono::seconds(4);
    page.Show(snapshot, {});
    QVERIFY(Named<TValuePanel>(page, "pnlHealth")->IsStale("lbAntenna"));
    QVERIFY(Named<TTrendGauge>(page, "ggJamming0")->IsStale());
    QVERIFY(!Named<QProgressBar>(page, "pbTxUART1")->isEnabled());
    QCOMPARE(warning(), QString());
}

QTEST_MAIN(TestHealthPage)
#include "test_health_page.moc"
