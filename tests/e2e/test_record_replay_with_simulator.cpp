// Record, then replay, against the receiver simulator: over 4 MB of its
// mixed NMEA, PUBX and UBX traffic recorded from the window holds exactly
// the bytes the window received and handed to its views, every one in an
// intact sentence or frame; replayed as fast as possible into a second
// window, every one of its messages is counted on the Messages page, with
// the same counts per type and the same fix as the live run, and the same
// fixes charted over the drive's own time: minutes of it, replayed in
// seconds.

#include "tests/receiver-sim/ChildProcess.h"
#include "tests/receiver-sim/ReceivedTraffic.h"
#include "tests/support/NamedControl.h"
#include "tests/support/ScratchEnvironment.h"
#include "tests/window/WindowTestSupport.h"
#include "widgets/TimeChart.h"
#include "window/app/MainForm.h"
#include "window/pages/ChartsPage.h"
#include "window/pages/ComPortPage.h"
#include "window/pages/HistoryPage.h"
#include "window/pages/RecordPage.h"
#include "window/parts/ReceiverFeed.h"
#include "window/parts/SessionControl.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>
#include <map>

namespace {
constexpr qint64 kTraffic = 4500000;
constexpr int kWaitMs = 30000;

qint64 ReceivedCount(const TMainForm& form) {
    // "RX: 1234  TX: 0"
    return form.StatusPanel(5)->text().section(' ', 1, 1).toLongLong();
}

// The Messages page's count per message type.
std::map<QString, QString> CountsPerType(TMainForm& form) {
    PartOf<TReceiverFeed>(form)->Redraw();
    auto* types = Named<QTableWidget>(form, "tvMessageTypes");
    std::map<QString, QString> counts;
    for (int row = 0; row < types->rowCount(); ++row)
        counts[types->item(row, 0)->text()] = types->item(row, 1)->text();
    return counts;
}

QString FixText(const TMainForm& form) {
    QString fix;
    for (const char* name : {"lbFixTime", "lbFixLatitude", "lbFixLongitude", "lbFixSatellites"})
        fix += Named<QLabel>(form, name)->text() + "; ";
    return fix;
}

// Waits until the views have been handed every byte the port received,
// then closes the port.
bool ClosedWithEverythingShown(TMainForm& form, qint64 received) {
    if (!QTest::qWaitFor(
            [&] {
                return static_cast<qint64>(
                           Named<THistoryPage>(form, "tabHistory")->History().EndOffset()) ==
                       received;
            },
            kWaitMs))
        return false;
    ShowPage(form, "tabComPort");
    Click(Named<QPushButton>(form, "btnClose"));
    return QTest::qWaitFor([&] { return form.portSerial.IsConnected() == spNone; }, kWaitMs);
}
} // namespace

TEST(RecordReplayWithSimulator, ReplayGivesWhatTheLiveRunGave) {
    ScratchEnvironment scratch;
    ChildProcess simulator(scratch, kReceiverSimulator, {"--rate", "1500000"});
    ASSERT_TRUE(WaitForAnnouncement("COM13")) << simulator.Errors();
    const QString path = QString::fromStdString(scratch.root()) + "/drive.ubx";

    int argc = 1;
    char name[] = "test_record_replay_with_simulator";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);

    TMainForm live;
    live.show();
    ShowPage(live, "tabComPort");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&live));
    ASSERT_TRUE(ClickListItem(Named<QListWidget>(live, "lstPorts"), "COM13"));
    PartOf<TSessionControl>(live)->StartRecording(path, false);
    Click(Named<QPushButton>(live, "btnOpen"));
    ASSERT_EQ(live.portSerial.IsConnected(), spCOM13);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ReceivedCount(live) >= kTraffic; }, kWaitMs))
        << live.StatusPanel(5)->text().toStdString();
    // Paused, the simulator leaves the line quiet until everything reached
    // the recording and the views.
    simulator.Signal(SIGSTOP);
    QTest::qWait(500);
    PartOf<TSessionControl>(live)->Refresh();
    ASSERT_TRUE(ClosedWithEverythingShown(live, ReceivedCount(live)));
    PartOf<TSessionControl>(live)->StopRecording();
    simulator.Signal(SIGCONT);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray recorded = file.readAll();
    EXPECT_EQ(recorded.size(), ReceivedCount(live));
    const ReceivedTraffic traffic = SplitTraffic(recorded.toStdString());
    EXPECT_TRUE(traffic.faults.empty()) << traffic.faults.front();
    EXPECT_GT(traffic.frames.size(), 100u);
    EXPECT_GT(traffic.sentences.size(), 1000u);

    TMainForm replay;
    replay.show();
    Named<QComboBox>(replay, "cbReplayPace")->setCurrentIndex(1); // as fast as possible
    Named<TRecordPage>(replay, "tabRecord")->OpenRecording(path);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ReceivedCount(replay) == recorded.size(); }, kWaitMs))
        << replay.StatusPanel(5)->text().toStdString();
    ASSERT_TRUE(ClosedWithEverythingShown(replay, recorded.size()));

    const std::map<QString, QString> liveCounts = CountsPerType(live);
    EXPECT_TRUE(liveCounts.contains("NAV-PVT") && liveCounts.contains("GPGGA"));
    const std::map<QString, QString> replayCounts = CountsPerType(replay);
    EXPECT_EQ(replayCounts, liveCounts);
    std::size_t listed = 0;
    for (const auto& [type, count] : replayCounts)
        listed += count.toULongLong();
    // A message the recording's end cut off is listed too, as it stands.
    EXPECT_EQ(listed, traffic.frames.size() + traffic.sentences.size() +
                          (traffic.unfinished.empty() ? 0 : 1));
    EXPECT_EQ(FixText(replay).toStdString(), FixText(live).toStdString());

    const protocol::PositionHistory& liveFixes = PartOf<TReceiverFeed>(live)->Positions();
    const protocol::PositionHistory& fixes = PartOf<TReceiverFeed>(replay)->Positions();
    ASSERT_EQ(fixes.size(), liveFixes.size());
    const double newest = fixes[fixes.size() - 1].UtcSeconds;
    EXPECT_EQ(newest, liveFixes[liveFixes.size() - 1].UtcSeconds);
    EXPECT_GT(newest - fixes[0].UtcSeconds, 600);
    // The last five minutes of the drive, an epoch a second.
    Named<TChartsPage>(replay, "tabCharts")->Redraw();
    auto* height = Named<TTimeChart>(replay, "chHeight");
    EXPECT_EQ(height->End(), newest);
    EXPECT_EQ(height->Start(), newest - 300);
    EXPECT_EQ(height->Series().at(0).Points.size(), 301u);
    EXPECT_EQ(Named<TTimeChart>(replay, "chCn0")->Series().at(0).Points.size(), 301u);
    Screenshot(replay, Named<QWidget>(replay, "tabCharts"), "charts-page-replay", replay.size());
    Screenshot(replay, Named<QWidget>(replay, "tabDeviation"), "deviation-page-replay",
               replay.size());
}
