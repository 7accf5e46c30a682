// The sky plot and the signal chart: each satellite drawn once where its
// azimuth, elevation and C/N0 put it, in its constellation's colour, used and
// unused telling apart; the sky plot's numbers never over one another or over
// a mark.

#include "widgets/SignalChart.h"
#include "widgets/SkyPlot.h"

#include <QtTest>

namespace {

const TSatelliteMarks kSky = {
    {TConstellation::Gps, 5, 0, 90, 44, true},        // zenith
    {TConstellation::Glonass, 71, 90, 20, 31, false}, // east, low
    {TConstellation::Galileo, 12, 225, 45, 38, true}, // south-west
    {TConstellation::BeiDou, 7, 315, 60, 25, false},  // north-west, high
    {TConstellation::Gps, 23, 135, 10, 0, false},     // south-east, not tracked
    {TConstellation::Sbas, 133, 180, -5, 0, false},   // below the horizon
};

// How close a pixel is to a colour: the largest difference of its channels.
int Distance(const QColor& a, const QColor& b) {
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                     std::abs(a.blue() - b.blue())});
}

bool Near(const QPointF& a, const QPointF& b) {
    return QLineF(a, b).length() < 0.5;
}

} // namespace

class TestSatellitePictures : public QObject {
    Q_OBJECT
private slots:
    void skyPlotPlacesNorthUpEastRight();
    void skyPlotDrawsEachSatelliteWhereItIs();
    void skyPlotLabelsNeverOverlap();
    void signalChartBarsFollowCn0InGroups();
    void signalChartSetsASatellitesBandsSideBySide();
};

void TestSatellitePictures::skyPlotPlacesNorthUpEastRight() {
    TSkyPlot plot;
    plot.resize(300, 260);
    const QPointF centre(150, 130);
    QVERIFY(Near(plot.PositionOf(123, 90), centre));
    const QPointF north = plot.PositionOf(0, 0), east = plot.PositionOf(90, 0);
    const double horizon = centre.y() - north.y();
    QVERIFY(horizon > 100 && horizon < 130); // fits the smaller side
    QVERIFY(Near(north, centre + QPointF(0, -horizon)));
    QVERIFY(Near(east, centre + QPointF(horizon, 0)));
    QVERIFY(Near(plot.PositionOf(180, 45), centre + QPointF(0, horizon / 2)));
    QVERIFY(Near(plot.PositionOf(270, 60), centre + QPointF(-horizon / 3, 0)));
}

void TestSatellitePictures::skyPlotDrawsEachSatelliteWhereItIs() {
    TSkyPlot plot;
    plot.resize(300, 300);
    plot.SetSatellites(kSky);
    const QImage image = plot.grab().toImage();
    const QColor background = plot.palette().color(QPalette::Base);
    for (const TSatelliteMark& satellite : kSky) {
        const QColor colour = LookOf(satellite.Constellation).Colour;
        const QPointF at = plot.PositionOf(satellite.Azimuth, std::max(0.0, satellite.Elevation));
        const QColor middle = image.pixelColor(at.toPoint());
        const QString name =
            QString("%1 %2").arg(LookOf(satellite.Constellation).Name).arg(satellite.Number);
        if (satellite.Elevation < 0) {
            QVERIFY2(Distance(middle, colour) > 60, qPrintable(name + " drawn below the horizon"));
            continue;
        }
        // Used: filled; not used: an outline around the background.
        const QColor expected = satellite.Used ? colour : background;
        QVERIFY2(Distance(middle, expected) < 40, qPrintable(name + " centre"));
        bool outlined = false;
        for (int dx = -7; dx <= 7; ++dx)
            outlined |= Distance(image.pixelColor(at.toPoint() + QPoint(dx, 0)), colour) < 40;
        QVERIFY2(outlined, qPrintable(name + " symbol"));
    }
}

void TestSatellitePictures::skyPlotLabelsNeverOverlap() {
    TSkyPlot plot;
    plot.resize(300, 300);
    plot.SetSatellites(kSky);
    auto labels = plot.LabelRects();
    for (std::size_t index = 0; index < kSky.size(); ++index)
        QCOMPARE(labels[index].has_value(), kSky[index].Elevation >= 0); // room for each

    // Forty satellites in a quarter of the sky, most of them close together.
    TSatelliteMarks crowded;
    for (int index = 0; index < 40; ++index)
        crowded.push_back({TConstellation(index % kConstellationCount), 100 + index,
                           20.0 + (index % 8) * 4, 25.0 + (index / 8) * 6, 40, index % 2 == 0});
    plot.SetSatellites(crowded);
    labels = plot.LabelRects();
    std::vector<QRectF> drawn;
    for (const auto& label : labels)
        if (label)
            drawn.push_back(*label);
    QVERIFY(drawn.size() >= 5); // the crowd leaves room for some
    for (std::size_t a = 0; a < drawn.size(); ++a) {
        QVERIFY(QRectF(plot.rect()).contains(drawn[a]));
        for (std::size_t b = a + 1; b < drawn.size(); ++b)
            QVERIFY2(!drawn[a].intersects(drawn[b]),
                     qPrintable(QString("labels %1 and %2").arg(a).arg(b)));
        for (const TSatelliteMark& satellite : crowded) {
            const QPointF at = plot.PositionOf(satellite.Azimuth, satellite.Elevation);
            const double half = TSkyPlot::kMarkSize / 2;
            QVERIFY(
                !drawn[a].intersects(QRectF(at - QPointF(half, half), at + QPointF(half, half))));
        }
    }
}

void TestSatellitePictures::signalChartBarsFollowCn0InGroups() {
    TSignalChart chart;
    chart.resize(400, 200);
    chart.SetSatellites(kSky);
    const QImage image = chart.grab().toImage();
    const QColor background = chart.palette().color(QPalette::Base);

    // Drawn by constellation, then by number, left to right.
    QList<int> numbers;
    for (const TSatelliteMark& satellite : chart.Satellites())
        numbers << satellite.Number;
    QCOMPARE(numbers, QList<int>({5, 23, 71, 12, 7, 133}));
    double right = 0;
    for (const TSatelliteMark& satellite : chart.Satellites()) {
        const QRectF bar = chart.BarOf(satellite.Constellation, satellite.Number);
        QVERIFY(bar.left() >= right);
        right = bar.right();
    }

    // Heights in proportion to C/N0 on one baseline.
    const QRectF gps5 = chart.BarOf(TConstellation::Gps, 5);
    const double perDb = gps5.height() / 44;
    QVERIFY(perDb > 1);
    for (const TSatelliteMark& satellite : kSky) {
        const QRectF bar = chart.BarOf(satellite.Constellation, satellite.Number);
        QCOMPARE_LT(std::abs(bar.height() - satellite.Cn0 * perDb), 0.5);
        QCOMPARE(bar.bottom(), gps5.bottom());
    }
    QVERIFY(chart.BarOf(TConstellation::Gps, 99).isEmpty());

    // A used bar is filled in the constellation's colour, an unused one is
    // pale; above each bar is the background.
    for (const TSatelliteMark& satellite : kSky) {
        if (satellite.Cn0 == 0)
            continue;
        const QRectF bar = chart.BarOf(satellite.Constellation, satellite.Number);
        const QColor colour = LookOf(satellite.Constellation).Colour;
        const QColor inside = image.pixelColor(bar.center().toPoint());
        if (satellite.Used) {
            QVERIFY(Distance(inside, colour) < 20);
        } else {
            QVERIFY(Distance(inside, colour) > 60);
            QVERIFY(Distance(inside, background) > 20);
        }
        const QPoint above(bar.center().x(), bar.top() - 4);
        QVERIFY(Distance(image.pixelColor(above), background) < 40);
    }
}

// Two bands of GPS 5 and one of GPS 9: GPS 5's bars share its place, L1
// first, without overlap, each as high as its own C/N0; GPS 9 comes after.
void TestSatellitePictures::signalChartSetsASatellitesBandsSideBySide() {
    TSignalChart chart;
    chart.resize(400, 200);
    TSatelliteMark l2{TConstellation::Gps, 5, 0, 0, 30, true};
    l2.Band = TSignalBand::L2;
    TSatelliteMark l1{TConstellation::Gps, 5, 0, 0, 45, true};
    l1.Band = TSignalBand::L1;
    TSatelliteMark other{TConstellation::Gps, 9, 0, 0, 40, true};
    other.Band = TSignalBand::L1;
    chart.SetSatellites({l2, other, l1});
    const QRectF first = chart.BarOf(TConstellation::Gps, 5, TSignalBand::L1);
    const QRectF second = chart.BarOf(TConstellation::Gps, 5, TSignalBand::L2);
    const QRectF next = chart.BarOf(TConstellation::Gps, 9, TSignalBand::L1);
    QCOMPARE(chart.BarOf(TConstellation::Gps, 5), first);
    QVERIFY(first.right() <= second.left() + 0.01);
    QVERIFY(second.left() - first.right() < 1);
    QVERIFY(second.right() < next.left());
    QCOMPARE_LT(std::abs(first.height() / second.height() - 45.0 / 30), 0.01);
    QVERIFY(chart.BarOf(TConstellation::Gps, 9, TSignalBand::L2).isEmpty());
}

QTEST_MAIN(TestSatellitePictures)
#include "test_satellite_pictures.moc"
