// The Deviation and Charts pages over a known drive: the window of fixes
// shown and its statistics, Clear, a typed reference and a mistyped one, the
// base station's position as the reference while the receiver reports one; the
// charts spanning the fixes' own UTC time, and the satellites picked for
// C/N0.

#include "protocol/history/DeviationStatistics.h"
#include "tests/support/NamedControl.h"
#include "widgets/DeviationPlot.h"
#include "widgets/TimeChart.h"
#include "window/pages/ChartsPage.h"
#include "window/pages/DeviationPage.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace {
constexpr double kStart = 1765000000; // UTC seconds
const protocol::ReferencePoint kBase{47.2853, 8.5653, 500.0};

// A fix at kStart + second, north of kBase by northDegrees.
protocol::FixRecord FixAt(double second, double northDegrees = 0,
                          protocol::FixKind kind = protocol::FixKind::Fix3D) {
    protocol::FixRecord fix;
    fix.UtcSeconds = kStart + second;
    fix.Latitude = kBase.Latitude + northDegrees;
    fix.Longitude = kBase.Longitude;
    fix.HeightMsl = 500.0;
    fix.Kind = kind;
    fix.SatellitesUsed = 9;
    fix.Hdop = 0.8f;
    return fix;
}

QString Text(const QWidget& page, const char* name) {
    return Named<QLabel>(page, name)->text();
}
} // namespace

class TestHistoryPages : public QObject {
    Q_OBJECT
private slots:
    void deviationPageShowsTheChosenWindow();
    void deviationPageTakesATypedReference();
    void deviationPageTakesTheBaseStation();
    void chartsSpanTheFixesOwnTime();
};

void TestHistoryPages::deviationPageShowsTheChosenWindow() {
    protocol::PositionHistory fixes;
    for (int second = 0; second < 1200; ++second)
        fixes.Add(
            FixAt(second, 0, second % 2 ? protocol::FixKind::RtkFixed : protocol::FixKind::Fix3D));
    TDeviationPage page(nullptr, fixes);
    auto* window = Named<QComboBox>(page, "cbDeviationWindow");
    auto* plot = Named<TDeviationPlot>(page, "pbDeviation");
    const struct {
        int Window;
        std::size_t Count;
    } windows[] = {{TDeviationPage::wLastMinute, 61},
                   {TDeviationPage::wLast5Minutes, 301},
                   {TDeviationPage::wEverything, 1200}};
    for (const auto& [index, count] : windows) {
        window->setCurrentIndex(index);
        page.Redraw();
        QCOMPARE(plot->Points().size(), count);
        QCOMPARE(Text(page, "lbDeviationCount"), QString::number(count));
    }
    QCOMPARE(Text(page, "lbDeviationMax"), "0.000 m");
    QCOMPARE(Text(page, "lbDeviationMeanLatitude"), "47.28530000° N");
    QCOMPARE(plot->Points().back().Kind, TDeviationPlot::RtkFixed);

    // Clear: only the fixes that come next.
    Named<QPushButton>(page, "btnDeviationClear")->click();
    QCOMPARE(plot->Points().size(), 0u);
    QCOMPARE(Text(page, "lbDeviationCount"), "0");
    QCOMPARE(Text(page, "lbDeviationCep50"), "");
    fixes.Add(FixAt(1200));
    page.FixesChanged();
    page.Redraw();
    QCOMPARE(plot->Points().size(), 1u);
}

void TestHistoryPages::deviationPageTakesATypedReference() {
    protocol::PositionHistory fixes;
    for (int second = 0; second < 10; ++second)
        fixes.Add(FixAt(second, second % 2 ? 0.0001 : 0));
    const double north = protocol::EastNorthOf(FixAt(0, 0.0001), kBase).North;
    QVERIFY(north > 11 && north < 11.2);
    TDeviationPage page(nullptr, fixes);
    auto* plot = Named<TDeviationPlot>(page, "pbDeviation");
    page.Redraw();
    // About the mean: half the fixes a half step south, half north.
    QCOMPARE_LT(std::abs(page.Statistics()->MaxHorizontalM - north / 2), 0.01);

    Named<QRadioButton>(page, "rbDeviationTyped")->setChecked(true);
    Named<QLineEdit>(page, "edDeviationLatitude")->setText("47.2853");
    Named<QLineEdit>(page, "edDeviationLongitude")->setText("8.5653");
    Named<QLineEdit>(page, "edDeviationHeight")->setText("499.5");
    page.Redraw();
    QCOMPARE(plot->Points().front().North, 0.0);
    QCOMPARE_LT(std::abs(plot->Points().back().North - north), 0.001);
    QCOMPARE_LT(std::abs(page.Statistics()->MaxHorizontalM - north), 0.001);
    QCOMPARE(Text(page, "lbDeviationHeightMean"), "500.000 m (+0.500 m from the reference)");

    // A mistyped reference says what is wrong and shows nothing.
    auto* error = Named<QLabel>(page, "lbDeviationReferenceError");
    for (const char* latitude : {"95", "47,2853", ""}) {
        Named<QLineEdit>(page, "edDeviationLatitude")->setText(latitude);
        page.Redraw();
        QVERIFY(!error->isHidden());
        QCOMPARE(error->text(),
                 "Type the reference latitude in degrees, from -90 to 90 (south negative)");
        QVERIFY(plot->Points().empty() && !page.Statistics());
    }

    // The mean taken as a typed reference reads as the mean.
    Named<QRadioButton>(page, "rbDeviationMean")->setChecked(true);
    page.Redraw();
    const protocol::ReferencePoint mean = page.Statistics()->Mean;
    Named<QPushButton>(page, "btnDeviationUseMean")->click();
    QVERIFY(Named<QRadioButton>(page, "rbDeviationTyped")->isChecked());
    page.Redraw();
    QVERIFY(error->isHidden());
    QCOMPARE_LT(std::abs(page.Statistics()->Reference.Latitude - mean.Latitude), 1e-9);
    QCOMPARE_LT(std::abs(page.Statistics()->MaxHorizontalM - north / 2), 0.01);
}

void TestHistoryPages::deviationPageTakesTheBaseStation() {
    protocol::PositionHistory fixes;
    for (int second = 0; second < 10; ++second)
        fixes.Add(FixAt(second, second % 2 ? 0.0001 : 0));
    const double north = protocol::EastNorthOf(FixAt(0, 0.0001), kBase).North;
    TDeviationPage page(nullptr, fixes);
    auto* plot = Named<TDeviationPlot>(page, "pbDeviation");
    auto* error = Named<QLabel>(page, "lbDeviationReferenceError");
    Named<QRadioButton>(page, "rbDeviationBase")->setChecked(true);
    protocol::BaseStation base;
    base.Place = protocol::Position{kBase.Latitude, kBase.Longitude, 548.0, std::nullopt};
    // None reported, reported, then gone again (another receiver).
    for (const bool reported : {false, true, false}) {
        page.ShowBase(reported ? std::optional(base) : std::nullopt);
        page.Redraw();
        QCOMPARE(error->isHidden(), reported);
        if (!reported) {
            QCOMPARE(error->text(),
                     "The receiver has sent no base station position (RTCM 1005 or 1006) yet");
            QVERIFY(plot->Points().empty() && !page.Statistics());
            continue;
        }
        QCOMPARE(plot->Points().front().North, 0.0);
        QCOMPARE_LT(std::abs(page.Statistics()->MaxHorizontalM - north), 0.001);
        QCOMPARE(Text(page, "lbDeviationHeightMean"), "500.000 m");
    }
}

void TestHistoryPages::chartsSpanTheFixesOwnTime() {
    protocol::PositionHistory fixes;
    protocol::SignalHistory signalHistory;
    std::vector<protocol::TrackedSatellite> sky(2);
    sky[0].System = sky[1].System = protocol::Constellation::Gps;
    sky[0].Number = 5;
    sky[0].Cn0DbHz = 40;
    sky[1].Number = 7;
    sky[1].Cn0DbHz = 30;
    for (int second = 0; second < 7200; ++second) {
        fixes.Add(FixAt(second));
        signalHistory.Add(kStart + second, sky);
    }
    const double newest = kStart + 7199;
    TChartsPage page(nullptr, fixes, signalHistory);
    page.Redraw();
    auto* height = Named<TTimeChart>(page, "chHeight");
    QCOMPARE(height->End(), newest);
    QCOMPARE(height->Start(), newest - 300);
    QCOMPARE(height->Series().at(0).Points.size(), 301u);
    Named<QComboBox>(page, "cbChartsSpan")->setCurrentIndex(TChartsPage::sp60Minutes);
    page.Redraw();
    QCOMPARE(height->Start(), newest - 3600);
    auto* satellites = Named<TTimeChart>(page, "chSatellites");
    QCOMPARE(satellites->Series().at(1).Name, "In view");
    QCOMPARE(satellites->Series().at(1).Points.back(), QPointF(newest, 2));
    QCOMPARE(satellites->Series().at(0).Points.back(), QPointF(newest, 9));

    // The satellites of the span to pick from; a picked one gets its line.
    auto* list = Named<QListWidget>(page, "lstChartsSatellites");
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), "GPS 5");
    auto* cn0 = Named<TTimeChart>(page, "chCn0");
    QCOMPARE(cn0->Series().size(), 1u);
    QCOMPARE(cn0->Series().at(0).Points.back(), QPointF(newest, 35));
    list->item(1)->setCheckState(Qt::Checked);
    page.Redraw();
    QCOMPARE(cn0->Series().size(), 2u);
    QCOMPARE(cn0->Series().at(1).Name, "GPS 7");
    QCOMPARE(cn0->Series().at(1).Points.back(), QPointF(newest, 30));
    list->item(1)->setCheckState(Qt::Unchecked);
    page.Redraw();
    QCOMPARE(cn0->Series().size(), 1u);
}

QTEST_MAIN(TestHistoryPages)
#include "test_history_pages.moc"
