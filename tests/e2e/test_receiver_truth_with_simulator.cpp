// The Receiver page never shows an old value as current, against the receiver
// simulator reporting an RTK fixed solution: GGA quality 4 with RMC mode R
// shows "RTK fixed"; with GSV turned off the sky goes stale within three
// seconds; a cold start greys out everything that depends on the fix while
// the receiver has none, and nothing counts as used.

#include "protocol/NmeaSentence.h"
#include "tests/receiver-sim/ChildProcess.h"
#include "tests/support/NamedControl.h"
#include "tests/support/ScratchEnvironment.h"
#include "tests/window/ModalBoxCatcher.h"
#include "tests/window/WindowTestSupport.h"
#include "widgets/SkyPlot.h"
#include "widgets/ValuePanel.h"
#include "window/app/MainForm.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {
constexpr int kWaitMs = 15000;

TEST(ReceiverTruthWithSimulator, NothingOldOrLostShowsAsCurrent) {
    ScratchEnvironment scratch;
    ChildProcess simulator(scratch, kReceiverSimulator,
                           {"--port", "COM19", "--baud", "115200", "--rtk"});
    ASSERT_TRUE(WaitForAnnouncement("COM19")) << simulator.Errors();
    int argc = 1;
    char name[] = "test_receiver_truth_with_simulator";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    TMainForm form;
    form.resize(1100, 700);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    ASSERT_TRUE(OpenPortAt(form, "COM19", "115200"));
    ShowPage(form, "tabReceiver");
    auto* panel = Named<TValuePanel>(form, "pnlFix");
    const auto sky = [&] { return Named<TSkyPlot>(form, "pbSky")->Satellites(); };

    ASSERT_TRUE(QTest::qWaitFor([&] { return panel->Value("lbFixType") == "RTK fixed"; }, kWaitMs))
        << panel->Value("lbFixType").toStdString();
    EXPECT_EQ(panel->Value("lbFixQuality"), "RTK fixed");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !sky().empty(); }, kWaitMs));

    // GSV off: the marks grey out within three seconds (and a redraw).
    form.portSerial.SendString(BuildPubx40("GSV", 0, 0, 0, 0, 0));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const TSatelliteMarks marks = sky();
            return !marks.empty() && std::all_of(marks.begin(), marks.end(),
                                                 [](const auto& mark) { return mark.Stale; });
        },
        4500));
    form.portSerial.SendString(BuildPubx40("GSV", 1, 1, 1, 1, 1));

    // A cold start: while the receiver has no fix, nothing fix-dependent is current.
    ShowPage(form, "tabConfigure");
    {
        ModalBoxCatcher catcher; // confirms the restart
        Click(Named<QPushButton>(form, "btnColdStart"));
    }
    ShowPage(form, "tabReceiver");
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel->Value("lbFixType") == "no fix"; }, kWaitMs));
    for (const char* value : {"lbFixLatitude", "lbFixLongitude", "lbFixHeightMsl", "lbFixSpeed",
                              "lbFixDop", "lbFixAccuracy"})
        EXPECT_TRUE(panel->IsStale(value)) << value;
    EXPECT_TRUE(panel->Value("lbFixSatellites").startsWith("0 / "))
        << panel->Value("lbFixSatellites").toStdString();
    EXPECT_TRUE(
        std::none_of(sky().begin(), sky().end(), [](const auto& mark) { return mark.Used; }));
    // The fix returns, and with it current values.
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel->Value("lbFixType") == "RTK fixed"; }, kWaitMs));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !panel->IsStale("lbFixLatitude"); }, 2000));
    form.close();
}

} // namespace
