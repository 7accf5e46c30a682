// The Receiver page against the receiver simulator as a rover: RTCM 3
// corrections written into its port by the window's sender turn its fix RTK
// float, then fixed, with the baseline to the base and the RTCM it took in;
// when they stop, RTK is lost. With ZEPO_SCREENSHOT_DIR set, the page
// showing "RTK fixed" is saved there as a PNG file.

#include "protocol/UbxFrame.h"
#include "protocol/commands/UbxCommands.h"
#include "tests/receiver-sim/ChildProcess.h"
#include "tests/support/NamedControl.h"
#include "tests/support/ScratchEnvironment.h"
#include "tests/window/WindowTestSupport.h"
#include "tools/receiver-sim/RtcmOutput.h"
#include "widgets/ValuePanel.h"
#include "window/app/MainForm.h"
#include "window/parts/WindowSender.h"

#include <QApplication>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
constexpr int kWaitMs = 20000;
constexpr int kStation = 12;

std::string RateOnUart1(std::uint8_t ubxClass, std::uint8_t id) {
    return ToByteString(BuildUbxFrame(ubx::CfgMsgSet({ubxClass, id, {0, 1, 0, 0, 0, 0}})));
}

// A base 1.1 km north of where the simulated rover circles.
EcefVector BasePosition() {
    NavigationSolution base;
    base.latitude = 47.2953;
    base.longitude = 8.5653;
    base.altitudeMsl = 480;
    base.geoidSeparation = 48;
    return EcefPosition(base);
}

TEST(RtkRoverWithSimulator, CorrectionsFromTheWindowFixTheSolution) {
    ScratchEnvironment scratch;
    ChildProcess simulator(scratch, kReceiverSimulator,
                           {"--port", "COM23", "--baud", "115200", "--ubx", "--generation", "9",
                            "--rtk-fix-after", "3", "--rtk-timeout", "3"});
    ASSERT_TRUE(WaitForAnnouncement("COM23")) << simulator.Errors();
    int argc = 1;
    char name[] = "test_rtk_rover_with_simulator";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    TMainForm form;
    form.resize(1100, 700);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    ASSERT_TRUE(OpenPortAt(form, "COM23", "115200"));
    ShowPage(form, "tabReceiver");
    auto* panel = Named<TValuePanel>(form, "pnlFix");
    auto* sender = PartOf<TWindowSender>(form);
    sender->SendData(RateOnUart1(0x01, 0x3C) + RateOnUart1(0x02, 0x32));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return panel->Value("lbFixRtk") == "no corrections"; }, kWaitMs))
        << panel->Value("lbFixRtk").toStdString();

    // The base's position and observations once a second, as a caster sends them.
    const NavigationModel sky(std::time(nullptr), 1);
    const std::string corrections = Rtcm1005Frame(kStation, BasePosition()) +
                                    *RtcmMsm4Frame(Gnss::Gps, sky.Current(), kStation, false);
    QTimer base;
    QObject::connect(&base, &QTimer::timeout, [&] {
        if (!sender->IsSending())
            sender->SendData(corrections);
    });
    base.start(1000);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return panel->Value("lbFixRtk").startsWith("RTK float, baseline "); }, kWaitMs))
        << panel->Value("lbFixRtk").toStdString();
    // The rover circles 250 m round a point 1.1 km from the base.
    const QRegularExpression fixed(
        R"(^RTK fixed, baseline (\d+\.\d{3} km|[89]\d\d\.\d{3} m), corrections \d+\.\d s old$)");
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return fixed.match(panel->Value("lbFixRtk")).hasMatch(); }, kWaitMs))
        << panel->Value("lbFixRtk").toStdString();
    EXPECT_EQ(panel->Value("lbFixType"), "RTK fixed");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return panel->Value("lbFixRtcm").endsWith(" used, 0 CRC failed, station 12") &&
                   !panel->Value("lbFixRtcm").startsWith("0 ");
        },
        kWaitMs))
        << panel->Value("lbFixRtcm").toStdString();
    if (const QString folder = qEnvironmentVariable("ZEPO_SCREENSHOT_DIR"); !folder.isEmpty()) {
        QTest::qWait(300);
        form.grab().save(folder + "/receiver-page-rtk-fixed.png");
    }

    base.stop();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return panel->Value("lbFixRtk").startsWith("no corrections, the last "); }, kWaitMs))
        << panel->Value("lbFixRtk").toStdString();
    form.close();
}
} // namespace
