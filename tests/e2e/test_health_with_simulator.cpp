// The Health page against the receiver simulator on its pseudo-terminal: the
// page's Enable button turns the health messages on (CFG-MSG for generation
// 8, CFG-VALSET for 9), then the antenna shows OK, or short with its
// warning; a jammer raises the jamming indicator, says so and shows as the
// spectrum's peak at its frequency, and the Receiver page's chart draws each
// satellite's L1 and L2 signals side by side; many messages at 9600 baud fill UART1's
// transmit buffer and the page says what to do. With ZEPO_SCREENSHOT_DIR set
// the jammed page is saved there as health-page.png, and at 1600 x 1000 as
// health-page-1600x1000.png.

#include "tests/receiver-sim/ChildProcess.h"
#include "tests/support/NamedControl.h"
#include "tests/support/ScratchEnvironment.h"
#include "tests/window/WindowTestSupport.h"
#include "widgets/SignalChart.h"
#include "widgets/SpectrumChart.h"
#include "widgets/TrendGauge.h"
#include "widgets/ValuePanel.h"
#include "window/app/MainForm.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace {
constexpr int kWaitMs = 20000;
constexpr double kJammerMHz = 1575.0;

QString Text(const TMainForm& form, const char* name) {
    return Named<QLabel>(form, name)->text();
}

// The frequency of the spectrum line's highest point in the chart's picture:
// the column whose line pixel stands highest.
double PeakMHz(TSpectrumChart& chart) {
    const QImage picture = chart.grab().toImage();
    int peakX = -1, peakY = picture.height();
    for (int x = 0; x < picture.width(); ++x)
        for (int y = 0; y < peakY; ++y) {
            const QColor pixel = picture.pixelColor(x, y);
            // The blue line, however smoothed into the white around it.
            if (pixel.blue() > pixel.red() + 60 && pixel.blue() > pixel.green() + 30) {
                peakX = x;
                peakY = y;
                break;
            }
        }
    return peakX < 0 ? 0 : chart.MHzAt(peakX);
}

struct HealthCase {
    const char* Name;
    std::vector<std::string> Arguments;
    const char* Baud;
    std::function<void(TMainForm&)> Check;
};

void PrintTo(const HealthCase& c, std::ostream* os) {
    *os << c.Name;
}

class HealthWithSimulator : public testing::TestWithParam<HealthCase> {};

TEST_P(HealthWithSimulator, PageShowsTheSimulatedConditions) {
    const HealthCase& test = GetParam();
    ScratchEnvironment scratch;
    ChildProcess simulator(scratch, kReceiverSimulator, test.Arguments);
    ASSERT_TRUE(WaitForAnnouncement("COM13")) << simulator.Errors();

    int argc = 1;
    char name[] = "test_health_with_simulator";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    const DeferredDeletions deferred;
    TMainForm form;
    form.resize(1100, 700);
    form.show();
    ShowPage(form, "tabComPort");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    ASSERT_TRUE(OpenPortAt(form, "COM13", test.Baud));
    ShowPage(form, "tabHealth");
    Click(Named<QPushButton>(form, "btnHealthOn"));
    const auto answered = [&] {
        const QString answers = Text(form, "lblHealthAnswer");
        return answers.startsWith("MON-SPAN, MON-RF") && !answers.contains("waiting");
    };
    ASSERT_TRUE(QTest::qWaitFor(answered, kWaitMs)) << Text(form, "lblHealthAnswer").toStdString();
    EXPECT_TRUE(Text(form, "lblHealthAnswer").section('\n', 0, 0).endsWith(": ACK-ACK"));
    test.Check(form);
    form.close();
}

void AntennaOk(TMainForm& form) {
    EXPECT_TRUE(QTest::qWaitFor([&] { return Text(form, "lbAntenna") == "OK, power on"; }, kWaitMs))
        << Text(form, "lbAntenna").toStdString();
    EXPECT_EQ(Text(form, "lbJamming"), "OK");
    EXPECT_TRUE(QTest::qWaitFor([&] { return Text(form, "lbCpu").endsWith("%)"); }, kWaitMs));
    EXPECT_FALSE(Named<TValuePanel>(form, "pnlHealth")->IsStale("lbAntenna"));
    EXPECT_TRUE(Named<QLabel>(form, "lbHealthWarning")->isHidden())
        << Text(form, "lbHealthWarning").toStdString();
}

void AntennaShort(TMainForm& form) {
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return Text(form, "lbAntenna").startsWith("short"); }, kWaitMs))
        << Text(form, "lbAntenna").toStdString();
    EXPECT_TRUE(Text(form, "lbHealthWarning").startsWith("Antenna short circuit"));
}

void Jammed(TMainForm& form) {
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return Text(form, "lbHealthWarning").contains("RF block 0 (L1) is jammed"); },
        kWaitMs))
        << Text(form, "lbHealthWarning").toStdString();
    EXPECT_TRUE(Text(form, "lbJamming").contains("0: warning"));
    auto* gauge = Named<TTrendGauge>(form, "ggJamming0");
    ASSERT_FALSE(gauge->History().empty());
    EXPECT_GT(gauge->History().back(), 100);
    // The spectrum comes in its own message; its chart is laid out once shown.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const auto* chart = form.findChild<TSpectrumChart*>("pbSpectrum0");
            return chart && chart->isVisible() && chart->width() > 100;
        },
        kWaitMs));
    auto* spectrum = Named<TSpectrumChart>(form, "pbSpectrum0");
    EXPECT_NEAR(PeakMHz(*spectrum), kJammerMHz, 1.5);
    EXPECT_LT(Named<TTrendGauge>(form, "ggJamming1")->History().back(), 50) << "L2 not jammed";
    EXPECT_GT(Named<QTableView>(form, "tvSignals")->model()->rowCount(), 10);
    // The Receiver page's chart: L1 and L2 bars side by side for each GPS satellite.
    auto* chart = Named<TSignalChart>(form, "pbSignals");
    const auto bothBands = [&] {
        std::size_t gps = 0;
        for (const TSatelliteMark& bar : chart->Satellites())
            if (bar.Constellation == TConstellation::Gps) {
                ++gps;
                const QRectF l1 = chart->BarOf(TConstellation::Gps, bar.Number, TSignalBand::L1);
                const QRectF l2 = chart->BarOf(TConstellation::Gps, bar.Number, TSignalBand::L2);
                if (l1.isEmpty() || l2.isEmpty() || l1.right() > l2.left() + 0.01)
                    return false;
            }
        return gps > 0;
    };
    EXPECT_TRUE(QTest::qWaitFor(bothBands, kWaitMs));
    if (const QString folder = qEnvironmentVariable("ZEPO_SCREENSHOT_DIR"); !folder.isEmpty()) {
        QTest::qWait(3000);
        form.grab().save(folder + "/health-page.png");
        form.resize(1600, 1000);
        QTest::qWait(1500);
        form.grab().save(folder + "/health-page-1600x1000.png");
    }
}

void TxBufferFull(TMainForm& form) {
    const QRegularExpression warning(
        "UART1 transmit buffer \\d+ % full: the receiver is dropping output; lower message "
        "rates or raise the baud rate");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return warning.match(Text(form, "lbHealthWarning")).hasMatch(); }, kWaitMs))
        << Text(form, "lbHealthWarning").toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Conditions, HealthWithSimulator,
    testing::Values(
        HealthCase{"AntennaOk", {"--baud", "115200"}, "115200", AntennaOk},
        HealthCase{"AntennaShort",
                   {"--baud", "115200", "--generation", "9", "--antenna", "short"},
                   "115200",
                   AntennaShort},
        HealthCase{"Jammed",
                   {"--baud", "115200", "--generation", "9", "--gnss", "--jam", "1575.0"},
                   "115200",
                   Jammed},
        HealthCase{"TxBufferFull", {"--generation", "9", "--ubx"}, "9600", TxBufferFull}),
    [](const testing::TestParamInfo<HealthCase>& info) { return std::string(info.param.Name); });
} // namespace
