// The Deviation and Charts pages against the receiver simulator on its
// pseudo-terminal (multi-GNSS, --ubx). The simulated receiver drives round a
// 250 m circle about 47.2853 N 8.5653 E: with that centre typed as the
// reference every fix lies 250 m from it. The charts fill with C/N0, as many
// satellites in view as the simulator's sky holds, and heights about 500 m,
// over the last five minutes of the receiver's own time. With
// ZEPO_SCREENSHOT_DIR set, both pages are saved there as PNG files.

#include "tests/receiver-sim/ChildProcess.h"
#include "tests/support/NamedControl.h"
#include "tests/support/ScratchEnvironment.h"
#include "tests/window/WindowTestSupport.h"
#include "tools/receiver-sim/NavigationModel.h"
#include "widgets/DeviationPlot.h"
#include "widgets/TimeChart.h"
#include "window/app/MainForm.h"
#include "window/pages/ChartsPage.h"
#include "window/pages/DeviationPage.h"
#include "window/parts/ReceiverFeed.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

namespace {
constexpr int kWaitMs = 20000;
constexpr double kCircleRadius = 250;

// Metres from a statistics label ("250.123 m").
double MetresIn(const TMainForm& form, const char* name) {
    return Named<QLabel>(form, name)->text().section(' ', 0, 0).toDouble();
}

std::size_t Finite(const TTimeSeries& series) {
    return std::count_if(series.Points.begin(), series.Points.end(),
                         [](const QPointF& point) { return std::isfinite(point.y()); });
}
} // namespace

TEST(HistoryPagesWithSimulator, PagesChartTheSimulatedDrive) {
    ScratchEnvironment scratch;
    ChildProcess simulator(scratch, kReceiverSimulator, {"--baud", "115200", "--gnss", "--ubx"});
    ASSERT_TRUE(WaitForAnnouncement("COM13")) << simulator.Errors();
    const std::size_t inView = NavigationModel(0, 1, true).Current().satellites.size();

    int argc = 1;
    char name[] = "test_history_pages_with_simulator";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    const DeferredDeletions deferred;
    TMainForm form;
    const QSize defaultSize = form.size();
    form.resize(1100, 700);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    ASSERT_TRUE(OpenPortAt(form, "COM13", "115200"));

    ShowPage(form, "tabDeviation");
    Named<QRadioButton>(form, "rbDeviationTyped")->setChecked(true);
    Named<QLineEdit>(form, "edDeviationLatitude")->setText("47.2853");
    Named<QLineEdit>(form, "edDeviationLongitude")->setText("8.5653");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return Named<QLabel>(form, "lbDeviationCount")->text().toInt() >= 5; }, kWaitMs));
    EXPECT_NEAR(MetresIn(form, "lbDeviationCep50"), kCircleRadius, 1.5);
    EXPECT_NEAR(MetresIn(form, "lbDeviationMax"), kCircleRadius, 1.5);
    EXPECT_NEAR(MetresIn(form, "lbDeviationHeightMean"), 500, 3);
    for (const TDeviationPoint& point : Named<TDeviationPlot>(form, "pbDeviation")->Points()) {
        EXPECT_NEAR(std::hypot(point.East, point.North), kCircleRadius, 1.5);
        EXPECT_EQ(point.Kind, TDeviationPlot::Fix3D);
    }

    ShowPage(form, "tabCharts");
    auto* cn0 = Named<TTimeChart>(form, "chCn0");
    ASSERT_TRUE(QTest::qWaitFor([&] { return Finite(cn0->Series().at(0)) >= 8; }, kWaitMs));
    const protocol::PositionHistory& fixes = PartOf<TReceiverFeed>(form)->Positions();
    Named<TChartsPage>(form, "tabCharts")->Redraw(); // up to the newest fix
    EXPECT_EQ(cn0->End(), fixes[fixes.size() - 1].UtcSeconds);
    EXPECT_EQ(cn0->End() - cn0->Start(), 300);
    for (const QPointF& mean : cn0->Series().at(0).Points)
        EXPECT_TRUE(mean.y() > 25 && mean.y() <= 54) << mean.y();
    const TTimeSeries& satellites = Named<TTimeChart>(form, "chSatellites")->Series().at(1);
    EXPECT_EQ(satellites.Points.back().y(), inView);
    for (const QPointF& height : Named<TTimeChart>(form, "chHeight")->Series().at(0).Points)
        EXPECT_NEAR(height.y(), 499.6, 2.6);

    Screenshot(form, Named<TDeviationPage>(form, "tabDeviation"), "deviation-page", defaultSize);
    Screenshot(form, Named<TChartsPage>(form, "tabCharts"), "charts-page", defaultSize);
    form.close();
}
