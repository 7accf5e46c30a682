// The spectrum chart: frequencies map to pixels and back across the plot,
// and the cursor names the frequency and level under the mouse.

#include "widgets/SpectrumChart.h"

#include <QtTest>

class TestSpectrumChart : public QObject {
    Q_OBJECT
private slots:
    void frequencyAndCursorFollowThePlot();
};

void TestSpectrumChart::frequencyAndCursorFollowThePlot() {
    TSpectrumChart chart;
    chart.resize(500, 240);
    std::vector<QPointF> points;
    for (int k = 0; k <= 128; ++k)
        points.emplace_back(1511.42 + k, k == 64 ? 60.0 : 20.0);
    chart.SetSpectrum("RF block 0", points);
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));

    const double low = chart.XOf(1511.42), high = chart.XOf(1639.42);
    QVERIFY(low > 0 && high < chart.width() && high - low > 300);
    QCOMPARE_LT(std::abs(chart.XOf(1575.42) - (low + high) / 2), 0.01);
    for (const double MHz : {1511.42, 1550.0, 1602.0})
        QCOMPARE_LT(std::abs(chart.MHzAt(chart.XOf(MHz)) - MHz), 1e-9);

    QVERIFY(chart.CursorText().isEmpty());
    QTest::mouseMove(&chart, QPoint(qRound(chart.XOf(1575.42)), chart.height() / 2));
    // Within half a pixel of the peak: its frequency to a tenth, its level.
    QTRY_VERIFY(chart.CursorText().endsWith(" MHz, 60.0 dB"));
    QCOMPARE_LT(std::abs(chart.CursorText().section(' ', 0, 0).toDouble() - 1575.42), 0.2);
    QTest::mouseMove(&chart, QPoint(2, chart.height() / 2)); // left of the plot
    QTRY_VERIFY(chart.CursorText().isEmpty());
}

QTEST_MAIN(TestSpectrumChart)
#include "test_spectrum_chart.moc"
