// The deviation plot and the time chart: each point drawn where its metres or
// its time and value put it, in its colour, on scales that follow the data,
// and lines broken where a series has no values.

#include "widgets/DeviationPlot.h"
#include "widgets/TimeChart.h"

#include <QtTest>
#include <cmath>
#include <limits>

namespace {

int Distance(const QColor& a, const QColor& b) {
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                     std::abs(a.blue() - b.blue())});
}

bool Near(const QPointF& a, const QPointF& b) {
    return QLineF(a, b).length() < 0.5;
}

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

} // namespace

class TestHistoryPlots : public QObject {
    Q_OBJECT
private slots:
    void deviationPlotScaleFollowsTheSpread_data();
    void deviationPlotScaleFollowsTheSpread();
    void deviationPlotDrawsPointsWhereTheyAre();
    void timeChartScalesToTheSpan();
    void timeChartDrawsLinesAndBreaksThem();
};

void TestHistoryPlots::deviationPlotScaleFollowsTheSpread_data() {
    QTest::addColumn<double>("farthest");
    QTest::addColumn<double>("ringStep");
    QTest::addColumn<double>("radius");
    QTest::addColumn<QString>("scaleText");
    QTest::newRow("on the reference") << 0.0 << 0.01 << 0.05 << "1 cm";
    QTest::newRow("centimetres") << 0.12 << 0.05 << 0.15 << "5 cm";
    QTest::newRow("two metres") << 2.0 << 0.5 << 2.5 << "50 cm";
    QTest::newRow("seven metres") << 7.0 << 2.0 << 8.0 << "2 m";
    QTest::newRow("kilometres") << 3100.0 << 1000.0 << 4000.0 << "1 km";
}

void TestHistoryPlots::deviationPlotScaleFollowsTheSpread() {
    QFETCH(double, farthest);
    QFETCH(double, ringStep);
    QFETCH(double, radius);
    QFETCH(QString, scaleText);
    TDeviationPlot plot;
    plot.resize(300, 300);
    plot.SetPoints({{0.1 * farthest, 0}, {-farthest * 0.6, -farthest * 0.8}});
    QCOMPARE(plot.RingStep(), ringStep);
    QCOMPARE(plot.Radius(), radius);
    QCOMPARE(DistanceText(plot.RingStep()), scaleText);
    // The scale bar is one ring step long.
    const double perMetre = plot.PixelOf(1, 0).x() - plot.PixelOf(0, 0).x();
    QCOMPARE_LT(std::abs(plot.ScaleBarRect().width() - plot.RingStep() * perMetre), 0.01);
}

void TestHistoryPlots::deviationPlotDrawsPointsWhereTheyAre() {
    TDeviationPlot plot;
    plot.resize(320, 300);
    const std::vector<TDeviationPoint> points = {
        {3, 0, TDeviationPlot::Fix3D},      {0, -2, TDeviationPlot::RtkFixed},
        {-1.5, 1.5, TDeviationPlot::NoFix}, {2, 2, TDeviationPlot::RtkFloat},
        {-3, -1, TDeviationPlot::Dgnss},    {0.5, -0.5, 99}, // an unknown kind: as no fix
    };
    plot.SetPoints(points);

    // Equal axes, north up, east right, the reference in the middle; the
    // outer ring reaches past the farthest point but within the smaller side.
    const QPointF centre(160, 150);
    QVERIFY(Near(plot.PixelOf(0, 0), centre));
    const double perMetre = plot.PixelOf(1, 0).x() - centre.x();
    QVERIFY(Near(plot.PixelOf(0, 1), centre + QPointF(0, -perMetre)));
    QVERIFY(Near(plot.PixelOf(-2, -3), centre + QPointF(-2 * perMetre, 3 * perMetre)));
    QVERIFY(plot.Radius() >= std::hypot(3, 1) && plot.Radius() * perMetre <= 150);

    const QImage image = plot.grab().toImage();
    for (const TDeviationPoint& point : points) {
        const QPoint at = plot.PixelOf(point.East, point.North).toPoint();
        QVERIFY2(Distance(image.pixelColor(at), TDeviationPlot::KindColour(point.Kind)) < 40,
                 qPrintable(QString("%1 at %2, %3")
                                .arg(TDeviationPlot::KindName(point.Kind))
                                .arg(point.East)
                                .arg(point.North)));
    }
    // Away from points, rings and lines: the background.
    const QColor background = plot.palette().color(QPalette::Base);
    QVERIFY(Distance(image.pixelColor(plot.PixelOf(-1, 0.4).toPoint()), background) < 10);
    QCOMPARE(TDeviationPlot::KindName(99), "No fix");
    QCOMPARE(TDeviationPlot::KindName(TDeviationPlot::RtkFixed), "RTK fixed");
}

void TestHistoryPlots::timeChartScalesToTheSpan() {
    TTimeChart chart;
    chart.resize(600, 200);
    // A value far outside the span does not scale the chart.
    chart.SetSeries({{"Height", Qt::red, {{900, 5000}, {1000, 412.3}, {1100, 418.9}}}}, 1000, 1300);
    QCOMPARE_LE(chart.Bottom(), 412.3);
    QCOMPARE_GE(chart.Top(), 418.9);
    QCOMPARE_LT(chart.Top() - chart.Bottom(), 20.0);
    const double steps = (chart.Top() - chart.Bottom()) / chart.ValueStep();
    QCOMPARE_LT(std::abs(steps - std::round(steps)), 1e-6);
    QVERIFY(steps >= 2 && steps <= 10);
    // The span runs across the plot; times at round steps fit beneath it.
    const QRectF plot = chart.PlotArea();
    QVERIFY(Near(chart.PixelOf(1000, chart.Bottom()), plot.bottomLeft()));
    QVERIFY(Near(chart.PixelOf(1300, chart.Top()), plot.topRight()));
    QVERIFY(chart.TimeStep() >= 30 && chart.TimeStep() <= 120);

    chart.SetBaseline(0);
    QCOMPARE(chart.Bottom(), 0.0);
    QCOMPARE_GE(chart.Top(), 418.9);
    chart.SetSeries({}, 1000, 1300);
    QCOMPARE(chart.Bottom(), 0.0);
    QCOMPARE(chart.Top(), 1.0);
}

void TestHistoryPlots::timeChartDrawsLinesAndBreaksThem() {
    TTimeChart chart;
    chart.resize(600, 200);
    // Red: a line from 0 to 40 s, none from 40 to 60 s (no value), then on;
    // blue: 20 s between two points, too far apart to be joined.
    std::vector<QPointF> red, blue = {{10, 20}, {30, 20}};
    for (int second = 0; second <= 100; ++second)
        red.emplace_back(second, second > 40 && second < 60 ? kNone : 10);
    chart.SetSeries({{"Red", QColor(Qt::red), red}, {"Blue", QColor(Qt::blue), blue}}, 0, 100);
    chart.SetBaseline(0);
    const QImage image = chart.grab().toImage();
    // How close the pixels a line's width round a value come to a colour.
    const auto closest = [&](double seconds, double value, const QColor& colour) {
        const QPoint at = chart.PixelOf(seconds, value).toPoint();
        int best = 255;
        for (int dy = -1; dy <= 1; ++dy)
            best = std::min(best, Distance(image.pixelColor(at + QPoint(0, dy)), colour));
        return best;
    };
    QCOMPARE_LT(closest(20.5, 10, Qt::red), 60);
    QCOMPARE_LT(closest(80.5, 10, Qt::red), 60);
    QCOMPARE_GT(closest(50.5, 10, Qt::red), 100);
    QCOMPARE_LT(closest(10, 20, Qt::blue), 60); // each point a dot
    QCOMPARE_GT(closest(20.5, 20, Qt::blue), 100);
}

QTEST_MAIN(TestHistoryPlots)
#include "test_history_plots.moc"
