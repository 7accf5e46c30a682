// The Receiver and Messages pages against the receiver simulator on its
// pseudo-terminal, in NMEA, --ubx and multi-GNSS --ubx mode: the fix panel
// shows the simulated time, position and as many satellites in view as the
// simulator's sky holds, the pictures one mark per satellite of every
// constellation, the message list names, filters and decodes what arrives, and
// each sentence type comes about once a second. With ZEPO_SCREENSHOT_DIR set,
// both pages are saved there as PNG files.

#include "tests/receiver-sim/ChildProcess.h"
#include "tests/support/NamedControl.h"
#include "tests/support/ScratchEnvironment.h"
#include "tests/window/WindowTestSupport.h"
#include "tools/receiver-sim/NavigationModel.h"
#include "widgets/SignalChart.h"
#include "widgets/SkyPlot.h"
#include "window/app/MainForm.h"
#include "window/pages/ComPortPage.h"
#include "window/pages/MessagesPage.h"
#include "window/pages/ReceiverPage.h"
#include "window/parts/ReceiverFeed.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>
#include <set>

namespace {
constexpr int kWaitMs = 15000;

QString Text(const TMainForm& form, const char* name) {
    auto* label = form.findChild<QLabel*>(name);
    return label ? label->text() : QString("(no %1)").arg(name);
}

// How many satellites of how many constellations the simulator keeps in view:
// one that sets is replaced by one rising, so the count holds at every epoch.
struct SkyCount {
    std::size_t satellites = 0;
    std::size_t constellations = 0;
};
SkyCount SimulatedSky(bool multiGnss) {
    const NavigationModel model(0, 1, multiGnss);
    std::set<Gnss> systems;
    for (const SatelliteView& satellite : model.Current().satellites)
        systems.insert(satellite.system);
    return {model.Current().satellites.size(), systems.size()};
}

class ReceiverPagesWithSimulator : public testing::TestWithParam<std::vector<std::string>> {};

TEST_P(ReceiverPagesWithSimulator, PagesShowTheSimulatedReceiver) {
    ScratchEnvironment scratch;
    std::vector<std::string> arguments{"--baud", "115200"};
    std::string mode;
    for (const std::string& argument : GetParam()) {
        arguments.push_back(argument);
        mode += argument;
    }
    const SkyCount sky = SimulatedSky(mode.find("--gnss") != std::string::npos);
    const QString inView = QString("/ %1").arg(sky.satellites);
    ChildProcess simulator(scratch, kReceiverSimulator, arguments);
    ASSERT_TRUE(WaitForAnnouncement("COM13")) << simulator.Errors();

    int argc = 1;
    char name[] = "test_receiver_pages_with_simulator";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    const DeferredDeletions deferred;
    TMainForm form;
    const QSize defaultSize = form.size();
    form.resize(1100, 700);
    form.show();
    ShowPage(form, "tabComPort");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    ASSERT_TRUE(ClickListItem(Named<QListWidget>(form, "lstPorts"), "COM13"));
    // The simulator talks at 115200 baud; at any other rate the window hears noise.
    ASSERT_TRUE(ClickListItem(Named<QListWidget>(form, "lstBaudRate"), "115200"));
    Click(Named<QPushButton>(form, "btnOpen"));
    ShowPage(form, "tabReceiver");

    // Fix panel: the simulated receiver moves a few metres around 47.2853 N
    // 8.5653 E with the simulator's satellites in view.
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return Text(form, "lbFixSatellites").endsWith(inView); }, kWaitMs))
        << Text(form, "lbFixSatellites").toStdString() << ", expected " << inView.toStdString();
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return Text(form, "lbFixLatitude").startsWith("47.28"); }, kWaitMs));
    EXPECT_TRUE(Text(form, "lbFixLatitude").endsWith("° N"));
    EXPECT_TRUE(Text(form, "lbFixLongitude").startsWith("8.56"));
    EXPECT_TRUE(Text(form, "lbFixLongitude").endsWith("° E"));
    EXPECT_EQ(Text(form, "lbFixLatitude").section(' ', 0, 0).section('.', 1).size(), 8)
        << "seven places and the degree sign";
    const QDateTime utc = QDateTime::fromString(Text(form, "lbFixTime"), "yyyy-MM-dd HH:mm:ss.zzz");
    EXPECT_TRUE(utc.isValid()) << Text(form, "lbFixTime").toStdString();
    EXPECT_FALSE(Named<TValuePanel>(form, "pnlFix")->IsStale("lbFixLatitude"));

    // One mark per satellite in each picture, of every constellation, used
    // ones among them.
    const TSatelliteMarks& marks = Named<TSkyPlot>(form, "pbSky")->Satellites();
    EXPECT_EQ(marks.size(), sky.satellites);
    std::set<TConstellation> constellations;
    for (const TSatelliteMark& satellite : marks)
        constellations.insert(satellite.Constellation);
    EXPECT_EQ(constellations.size(), sky.constellations);
    EXPECT_TRUE(std::any_of(marks.begin(), marks.end(), [](const auto& s) { return s.Used; }));
    for (const TSatelliteMark& satellite : marks)
        EXPECT_FALSE(Named<TSignalChart>(form, "pbSignals")
                         ->BarOf(satellite.Constellation, satellite.Number)
                         .isNull());
    Screenshot(form, Named<TReceiverPage>(form, "tabReceiver"),
               QString("receiver-page%1").arg(mode.c_str()), defaultSize);

    // Messages: about one GGA a second after a few seconds of traffic.
    QTest::qWait(6500);
    auto* types = Named<QTableWidget>(form, "tvMessageTypes");
    bool ggaSeen = false;
    for (int row = 0; row < types->rowCount(); ++row)
        if (types->item(row, 0)->text().endsWith("GGA")) {
            ggaSeen = true;
            EXPECT_NEAR(types->item(row, 2)->text().toDouble(), 1.0, 0.25);
            EXPECT_EQ(types->item(row, 4)->text(), "0");
        }
    EXPECT_TRUE(ggaSeen);

    auto* list = Named<QTableView>(form, "tvMessages");
    Named<QLineEdit>(form, "edMessageFilter")->setText("gga");
    QTest::qWait(2 * TReceiverFeed::kRedrawMs);
    const int rows = list->model()->rowCount();
    EXPECT_GE(rows, 6);
    for (int row = 0; row < rows; ++row)
        EXPECT_TRUE(list->model()
                        ->index(row, TMessageListModel::colName)
                        .data()
                        .toString()
                        .endsWith("GGA"));
    list->selectRow(0);
    auto* fields = form.findChild<QTableWidget*>("tvMessageFields");
    EXPECT_GT(fields->rowCount(), 5);
    EXPECT_TRUE(
        Named<QPlainTextEdit>(form, "moMessageBytes")->toPlainText().startsWith("0000  24 47"));
    Named<QLineEdit>(form, "edMessageFilter")->clear();
    Screenshot(form, Named<TMessagesPage>(form, "tabMessages"),
               QString("messages-page%1").arg(mode.c_str()), defaultSize);
    form.close();
}

INSTANTIATE_TEST_SUITE_P(Modes, ReceiverPagesWithSimulator,
                         testing::Values(std::vector<std::string>{},
                                         std::vector<std::string>{"--ubx"},
                                         std::vector<std::string>{"--gnss", "--ubx"}));
} // namespace
