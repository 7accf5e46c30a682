// The "Configuration" page against the receiver simulator at 115200 baud, one
// window for the suite: a generation 9 receiver is read whole (RAM as its
// defaults), takes a 5 Hz measurement rate and GSV off on UART1 in RAM (the
// Messages page sees GSV stop), a value saved to flash kept over a cold
// start, and goes back to its defaults; a generation 10 receiver is read
// whole too; what one generation 9 receiver was given, saved as a file, gives
// another the same values. With ZEPO_SCREENSHOT_DIR set, the page is saved
// there as a PNG file.

#include "protocol/configkeys/ConfigKeys.h"
#include "tests/receiver-sim/ChildProcess.h"
#include "tests/support/NamedControl.h"
#include "tests/support/ScratchEnvironment.h"
#include "tests/window/ModalBoxCatcher.h"
#include "tests/window/WindowTestSupport.h"
#include "window/app/MainForm.h"
#include "window/pages/ConfigurationPage.h"
#include "window/parts/ConfigDatabaseSession.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {
constexpr int kWaitMs = 20000;
constexpr std::uint32_t kMeasRate = 0x30210001;
constexpr std::uint32_t kGsvUart1 = 0x209100c5;

class ConfigurationWithSimulator : public testing::Test {
protected:
    static void SetUpTestSuite() {
        scratch_ = new ScratchEnvironment;
        generation9_ =
            new ChildProcess(*scratch_, kReceiverSimulator,
                             {"--port", "COM18", "--baud", "115200", "--generation", "9"});
        generation10_ =
            new ChildProcess(*scratch_, kReceiverSimulator,
                             {"--port", "COM19", "--baud", "115200", "--generation", "10"});
        another9_ = new ChildProcess(*scratch_, kReceiverSimulator,
                                     {"--port", "COM20", "--baud", "115200", "--generation", "9"});
        static int argc = 1;
        static char name[] = "test_configuration_with_simulator";
        static char* argv[] = {name, nullptr};
        application_ = new QApplication(argc, argv);
        form_ = new TMainForm;
        form_->resize(1100, 700);
        form_->show();
    }
    static void TearDownTestSuite() {
        delete form_;
        delete application_;
        delete another9_;
        delete generation10_;
        delete generation9_;
        delete scratch_;
    }

    static void Open(const char* port) {
        ASSERT_TRUE(WaitForAnnouncement(port));
        form_->portSerial.Close();
        ASSERT_TRUE(OpenPortAt(*form_, port, "115200"));
        ShowPageOf(*form_, page());
    }
    static TConfigurationPage* page() {
        return Named<TConfigurationPage>(*form_, "tabConfiguration");
    }
    static const TConfigDatabaseSession& session() {
        return *PartOf<TConfigDatabaseSession>(*form_);
    }
    static QTreeWidget* tree() { return Named<QTreeWidget>(*page(), "twConfigKeys"); }
    static QLabel* answer() { return Named<QLabel>(*page(), "lblConfigAnswer"); }
    static QTreeWidgetItem* item(std::uint32_t key) {
        for (QTreeWidgetItemIterator each(tree()); *each; ++each)
            if ((*each)->data(0, Qt::UserRole + 1).toUInt() == key && (*each)->parent())
                return *each;
        return nullptr;
    }
    static QString shown(std::uint32_t key, int column) { return item(key)->text(column); }

    // Clicks and waits until the task has ended; true when its report starts so.
    static bool ClickAndSee(const char* button, const QString& expected) {
        answer()->clear();
        Click(Named<QPushButton>(*page(), button));
        const bool ended = QTest::qWaitFor(
            [] { return !session().Busy() && !answer()->text().endsWith("…"); }, kWaitMs);
        return ended && answer()->text().startsWith(expected);
    }
    // Types text as the key's new value, as a user does: a click picks the row, a
    // double click opens its new value.
    static void Type(std::uint32_t key, const QString& text) {
        // The editor of an earlier edit is gone first.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        item(key)->parent()->setExpanded(true);
        tree()->scrollToItem(item(key));
        QCoreApplication::processEvents();
        const QRect row = tree()->visualItemRect(item(key));
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, row.center());
        QTest::mouseDClick(tree()->viewport(), Qt::LeftButton, {}, row.center());
        auto* edit = Named<QLineEdit>(*tree(), "edConfigValue");
        edit->setText(text);
        QTest::keyClick(edit, Qt::Key_Return);
        QCoreApplication::processEvents();
    }
    static void Layers(bool ram, bool bbr, bool flash) {
        Named<QCheckBox>(*page(), "cbConfigRam")->setChecked(ram);
        Named<QCheckBox>(*page(), "cbConfigBbr")->setChecked(bbr);
        Named<QCheckBox>(*page(), "cbConfigFlash")->setChecked(flash);
    }
    // With ZEPO_SCREENSHOT_DIR set, the page showing the keys found by search
    // is saved there as a PNG file.
    static void Screenshot(const QString& search) {
        const QString folder = qEnvironmentVariable("ZEPO_SCREENSHOT_DIR");
        if (folder.isEmpty())
            return;
        auto* edit = Named<QLineEdit>(*form_, "edConfigSearch");
        edit->setText(search);
        QCoreApplication::processEvents();
        form_->grab().save(folder + "/configuration-page.png");
        edit->clear();
    }
    // The count of GSV sentences on the Messages page.
    static int GsvCount() {
        auto* types = Named<QTableWidget>(*form_, "tvMessageTypes");
        for (int row = 0; row < types->rowCount(); ++row)
            if (types->item(row, 0)->text().contains("GSV"))
                return types->item(row, 1)->text().toInt();
        return 0;
    }
    // The keys whose RAM value is not the default.
    static std::vector<std::uint32_t> ChangedInRam() {
        std::vector<std::uint32_t> changed;
        for (const auto& [key, values] : session().Values())
            if (values[0] != values[3])
                changed.push_back(key);
        return changed;
    }

    static ScratchEnvironment* scratch_;
    static ChildProcess* generation9_;
    static ChildProcess* generation10_;
    static ChildProcess* another9_;
    static QApplication* application_;
    static TMainForm* form_;
};
ScratchEnvironment* ConfigurationWithSimulator::scratch_ = nullptr;
ChildProcess* ConfigurationWithSimulator::generation9_ = nullptr;
ChildProcess* ConfigurationWithSimulator::generation10_ = nullptr;
ChildProcess* ConfigurationWithSimulator::another9_ = nullptr;
QApplication* ConfigurationWithSimulator::application_ = nullptr;
TMainForm* ConfigurationWithSimulator::form_ = nullptr;

TEST_F(ConfigurationWithSimulator, Generation9IsReadChangedSavedAndReverted) {
    Open("COM18");
    const QString all = QString::number(ubx::ConfigKeys().size());
    ASSERT_TRUE(ClickAndSee("btnConfigRead", "Read " + all +
                                                 " keys from RAM, 0 from BBR, 0 from "
                                                 "Flash and " +
                                                 all + " from Default in"))
        << answer()->text().toStdString();
    EXPECT_TRUE(ChangedInRam().empty());
    EXPECT_EQ(shown(kMeasRate, TConfigurationPage::ColRam), "1000 ms");

    // Text that is no value of the key is refused, naming it.
    Type(kMeasRate, "fast");
    EXPECT_TRUE(answer()->text().startsWith("CFG-RATE-MEAS")) << answer()->text().toStdString();
    EXPECT_EQ(shown(kMeasRate, TConfigurationPage::ColNew), "");

    Type(kMeasRate, "200 ms");
    Type(kGsvUart1, "0");
    Layers(true, false, false);
    ASSERT_TRUE(ClickAndSee("btnConfigApply", "CFG-VALSET: ACK-ACK after"))
        << answer()->text().toStdString();
    EXPECT_TRUE(answer()->text().contains(". Read ")) << answer()->text().toStdString();
    EXPECT_EQ(ChangedInRam(), (std::vector<std::uint32_t>{kGsvUart1, kMeasRate}));
    EXPECT_EQ(shown(kMeasRate, TConfigurationPage::ColRam), "200 ms");
    EXPECT_EQ(shown(kGsvUart1, TConfigurationPage::ColRam), "0");
    EXPECT_TRUE(item(kMeasRate)->font(TConfigurationPage::ColRam).bold());
    EXPECT_EQ(item(kMeasRate)->toolTip(TConfigurationPage::ColRam), "Default: 1000 ms");
    EXPECT_EQ(shown(kMeasRate, TConfigurationPage::ColNew), "");
    Screenshot("RATE");

    // The receiver sends GSV no more: its count on the Messages page stands still.
    const int gsv = GsvCount();
    QTest::qWait(2500);
    EXPECT_GT(gsv, 0);
    EXPECT_EQ(GsvCount(), gsv);

    // Saved to flash, then every layer back to the defaults.
    Type(kMeasRate, "200");
    Layers(false, false, true);
    ASSERT_TRUE(ClickAndSee("btnConfigApply", "CFG-VALSET: ACK-ACK after"))
        << answer()->text().toStdString();
    EXPECT_EQ(shown(kMeasRate, TConfigurationPage::ColFlash), "200 ms");
    EXPECT_EQ(shown(kGsvUart1, TConfigurationPage::ColFlash), "");

    // A cold start from the Configure page keeps what flash holds.
    {
        ModalBoxCatcher confirm;
        ShowPage(*form_, "tabConfigure");
        auto* said = Named<QLabel>(*form_, "lblCfgAnswer");
        Click(Named<QPushButton>(*form_, "btnColdStart"));
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return said->text().startsWith("CFG-RST: sent"); }, kWaitMs));
    }
    ShowPageOf(*form_, page());
    ASSERT_TRUE(ClickAndSee("btnConfigRead", "Read ")) << answer()->text().toStdString();
    EXPECT_EQ(shown(kMeasRate, TConfigurationPage::ColFlash), "200 ms");

    tree()->clearSelection();
    item(kMeasRate)->setSelected(true);
    item(kGsvUart1)->setSelected(true);
    Layers(true, true, true);
    ASSERT_TRUE(ClickAndSee("btnConfigRevert", "CFG-VALSET: ACK-ACK after"))
        << answer()->text().toStdString();
    EXPECT_TRUE(ChangedInRam().empty());
    EXPECT_EQ(shown(kMeasRate, TConfigurationPage::ColFlash), "");
    EXPECT_FALSE(item(kMeasRate)->font(TConfigurationPage::ColRam).bold());
}

TEST_F(ConfigurationWithSimulator, Generation10IsReadWhole) {
    Open("COM19");
    ASSERT_TRUE(ClickAndSee("btnConfigRead", "Read ")) << answer()->text().toStdString();
    const TConfigReadFigures& read = session().LastRead();
    EXPECT_GT(read.keys[0], 0u);
    EXPECT_EQ(read.keys[0], read.keys[3]);
    EXPECT_TRUE(ChangedInRam().empty());
}

TEST_F(ConfigurationWithSimulator, AFileSavedFromOneReceiverGivesAnotherTheSameValues) {
    Open("COM18");
    ASSERT_TRUE(ClickAndSee("btnConfigRead", "Read ")) << answer()->text().toStdString();
    Type(kMeasRate, "200 ms");
    Type(kGsvUart1, "0");
    Layers(true, false, false);
    ASSERT_TRUE(ClickAndSee("btnConfigApply", "CFG-VALSET: ACK-ACK after"))
        << answer()->text().toStdString();
    const auto given = session().Values();
    const QString file = QString::fromStdString(scratch_->root() + "/receiver.txt");
    Named<QComboBox>(*page(), "cbSaveLayer")->setCurrentText("RAM");
    Named<QCheckBox>(*page(), "cbSaveOnlyChanged")->setChecked(true);
    AnswerFileDialog(
        Named<QPushButton>(*page(), "btnSaveConfiguration"), [](QFileDialog&) {}, file);

    Open("COM20");
    ASSERT_TRUE(ClickAndSee("btnConfigRead", "Read ")) << answer()->text().toStdString();
    EXPECT_TRUE(ChangedInRam().empty());
    auto* status = Named<QLabel>(*page(), "lblConfigFileStatus");
    AnswerFileDialog(
        Named<QPushButton>(*page(), "btnApplyConfigFile"), [](QFileDialog&) {}, file);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return status->text().startsWith("Applied 1 of 1"); }, kWaitMs))
        << status->text().toStdString();
    ASSERT_TRUE(ClickAndSee("btnConfigRead", "Read ")) << answer()->text().toStdString();
    EXPECT_EQ(ChangedInRam(), (std::vector<std::uint32_t>{kGsvUart1, kMeasRate}));
    EXPECT_EQ(session().Values(), given);
}

} // namespace
