// The configuration database session on a pseudo-terminal announced as COM8,
// with the test as the receiver: keys the table lacks are kept and shown
// under their group's ID, and gone when read again and refused; a refused
// write and a page left unanswered end the task with both named, and what
// was read before stays.

#include "protocol/commands/ConfigReadPlan.h"
#include "protocol/commands/UbxCommands.h"
#include "protocol/configkeys/ConfigValueText.h"
#include "tests/support/NamedControl.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/ScratchEnvironment.h"
#include "tests/window/WindowTestSupport.h"
#include "window/app/MainForm.h"
#include "window/pages/ConfigurationPage.h"
#include "window/parts/ConfigDatabaseSession.h"

#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

using namespace ubx;

namespace {
constexpr std::uint32_t kMeasRate = 0x30210001;
// A group and keys the table does not hold.
constexpr std::uint8_t kNewGroup = 0xAA;
constexpr std::uint32_t kNewSwitch = 0x10AA0001, kNewByte = 0x20AA0002;

std::string Frame(const TUBXPacket& packet) {
    return ToByteString(BuildUbxFrame(packet));
}
std::string Ack(bool acknowledged, std::uint8_t id) {
    return Frame(MakeUbxPacket(kClassAck, acknowledged ? kIdAckAck : kIdAckNak, {kClassCfg, id}));
}
std::string Poll(TConfigLayer layer, std::uint32_t wildcard) {
    const std::uint32_t keys[] = {wildcard};
    return Frame(CfgValGetPoll(layer, keys));
}
std::string Answer(TConfigLayer layer, std::vector<TConfigValue> values) {
    return Frame(CfgValGetAnswer({layer, 0, std::move(values)})) + Ack(true, kIdCfgValGet);
}
} // namespace

class ConfigDatabaseSessionTest : public QObject {
    Q_OBJECT
    ScratchEnvironment scratch_;
    PtyPeer peer_;
    std::unique_ptr<TMainForm> form_;

    TConfigDatabaseSession& session() { return *PartOf<TConfigDatabaseSession>(*form_); }
    QString portLog() { return Named<QPlainTextEdit>(*form_, "moComPort")->toPlainText(); }
    // Waits for the task's end; its report.
    QString reportOf(QSignalSpy& finished) {
        return finished.wait(8000) ? finished.at(0).at(0).toString() : QString("no report");
    }

private slots:
    void initTestCase() { peer_.announce("COM8"); }
    void init() {
        WriteStore({});
        form_ = std::make_unique<TMainForm>();
        form_->portSerial.SetDelay(50);
        form_->show();
        QVERIFY(OpenPortAt(*form_, "COM8", "115200"));
        ShowPage(*form_, "tabConfiguration");
    }
    void cleanup() { form_.reset(); }

    void keysTheTableLacksAreKept() {
        QSignalSpy finished(&session(), &TConfigDatabaseSession::Finished);
        const std::uint32_t group = ConfigGroupWildcard(kNewGroup);
        session().Read({group}, {TConfigLayer::Ram});
        QCOMPARE(peer_.read(16), Poll(TConfigLayer::Ram, group));
        peer_.write(Answer(TConfigLayer::Ram, {{kNewSwitch, 1}, {kNewByte, 0x7F}}));
        QVERIFY(reportOf(finished).startsWith("Read 2 keys from RAM in"));
        QCOMPARE(finished.at(0).at(1).toBool(), true);
        QCOMPARE(session().Values().at(kNewByte)[0], std::optional<std::uint64_t>(0x7F));
        const auto found = Named<QTreeWidget>(*form_, "twConfigKeys")
                               ->findItems(QString::fromStdString(ConfigKeyText(kNewByte)),
                                           Qt::MatchExactly | Qt::MatchRecursive);
        QCOMPARE(found.size(), 1);
        QCOMPARE(found[0]->parent()->text(0), QString("Group 0xAA"));
        QCOMPARE(found[0]->text(TConfigurationPage::ColRam), QString("0x7f"));

        // A receiver that refuses the poll holds none of the keys, which the report says.
        finished.clear();
        session().Read({group}, {TConfigLayer::Ram});
        QCOMPARE(peer_.read(16), Poll(TConfigLayer::Ram, group));
        peer_.write(Ack(false, kIdCfgValGet));
        QVERIFY(reportOf(finished).endsWith("s: the receiver holds none of these keys (receivers "
                                            "before generation 9 have no configuration database)"));
        QVERIFY(!session().Values().at(kNewByte)[0]);
    }

    void aRefusalAndSilenceAreReported() {
        QSignalSpy finished(&session(), &TConfigDatabaseSession::Finished);
        const TConfigValue rate[] = {{kMeasRate, 200}};
        session().Apply(kLayerRam, {rate[0]});
        const std::string set = Frame(CfgValSet(kLayerRam, rate));
        QCOMPARE(peer_.read(set.size()), set);
        peer_.write(Ack(false, kIdCfgValSet));
        // Read back: the group's page from each layer, Default left unanswered.
        const std::uint32_t group = ConfigGroupWildcard(ConfigKeyGroupId(kMeasRate));
        std::string pages;
        for (const TConfigLayer layer : kConfigLayers)
            pages += Poll(layer, group);
        QVERIFY(QTest::qWaitFor([&] { return portLog().contains("CFG-VALSET: ACK-NAK"); }));
        QCOMPARE(peer_.read(pages.size()), pages);
        peer_.write(Answer(TConfigLayer::Ram, {{kMeasRate, 1000}}) + Ack(false, kIdCfgValGet) +
                    Ack(false, kIdCfgValGet));
        const QString report = reportOf(finished);
        QVERIFY2(QRegularExpression("^CFG-VALSET: ACK-NAK after \\d+ ms\\. CFG-VALGET: no answer "
                                    "after \\d+ ms\\. Read 1 key from RAM, 0 from BBR, 0 from "
                                    "Flash and 0 from Default in [\\d.]+ s before that$")
                     .match(report)
                     .hasMatch(),
                 qPrintable(report));
        QCOMPARE(finished.at(0).at(1).toBool(), false);
        QCOMPARE(session().Values().at(kMeasRate)[0], std::optional<std::uint64_t>(1000));
        QVERIFY(!session().Busy());
    }
};

QTEST_MAIN(ConfigDatabaseSessionTest)
#include "test_config_database_session.moc"
