// The "Configuration files" panel on its own, its commander on a
// pseudo-terminal whose receiver refuses CFG-MSG, leaves resets unanswered
// and acknowledges the rest: a KEY=value file goes to the layers ticked and
// each outcome is listed; a bad file lists its errors and sends nothing; the
// recording keeps only the acknowledged CFG commands sent while it is on;
// recorded commands and the hosting page's values are saved as files that
// read back as what was sent and read.

#include "protocol/commands/ConfigValues.h"
#include "protocol/commands/UbxCommands.h"
#include "protocol/configfiles/ConfigFileReader.h"
#include "tests/support/NamedControl.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/ScratchEnvironment.h"
#include "tests/window/CommanderLine.h"
#include "tests/window/ModalBoxCatcher.h"
#include "tests/window/ScriptedReceiver.h"
#include "tests/window/WindowTestSupport.h"
#include "window/pages/ConfigFilePanel.h"

#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <memory>

namespace {

constexpr int kWaitMs = 10000;
constexpr std::uint32_t kRateMeas = 0x30210001;

QStringList Listed(const QListWidget* list) {
    QStringList lines;
    for (int row = 0; row < list->count(); ++row)
        lines << list->item(row)->text().section(" after ", 0, 0);
    return lines;
}

QByteArray Slurp(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Write(const QString& path, const QByteArray& text) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

} // namespace

class TestConfigFilePanel : public QObject {
    Q_OBJECT
    ScratchEnvironment scratch_;
    PtyPeer peer_;
    std::unique_ptr<ScriptedReceiver> receiver_;
    std::unique_ptr<CommanderLine> line_;
    std::unique_ptr<TConfigFilePanel> panel_;

    QString path(const QString& name) const {
        return QString::fromStdString(scratch_.root()) + "/" + name;
    }
    template <class Control> Control* named(const QString& name) const {
        return Named<Control>(*panel_, name);
    }
    QString status() const { return named<QLabel>("lblConfigFileStatus")->text(); }
    QStringList log() const { return Listed(named<QListWidget>("lstConfigFileLog")); }
    void apply(const QString& file) {
        AnswerFileDialog(
            named<QPushButton>("btnApplyConfigFile"), [](QFileDialog&) {}, file);
    }
    bool statusIs(const QString& text) const {
        return QTest::qWaitFor([&] { return status() == text; }, kWaitMs);
    }

private slots:
    void init() {
        peer_.announce("COM24");
        receiver_ =
            std::make_unique<ScriptedReceiver>(peer_.masterFd(), [](const TUBXPacket& frame, int) {
                if (frame.ID == ubx::kIdCfgRst)
                    return ScriptedReceiver::Answer::None;
                return frame.ID == ubx::kIdCfgMsg ? ScriptedReceiver::Answer::Nak
                                                  : ScriptedReceiver::Answer::Ack;
            });
        line_ = std::make_unique<CommanderLine>(MakeCommPort(24));
        panel_ = std::make_unique<TConfigFilePanel>(nullptr, line_->commander);
        panel_->show();
    }
    void cleanup() {
        panel_.reset();
        line_.reset();
        receiver_.reset();
    }

    void appliesValuesToTheLayersTicked() {
        Write(path("rate.txt"), "# saved earlier\nCFG-RATE-MEAS=200 ms\n");
        named<QCheckBox>("cbApplyFlash")->setChecked(true);
        apply(path("rate.txt"));
        QVERIFY2(statusIs("Applied 1 of 1 frame"), qPrintable(status()));
        QCOMPARE(log(), QStringList({"Applying rate.txt: 1 frame", "1: CFG-VALSET: ACK-ACK",
                                     "Applied 1 of 1 frame"}));
        const ubx::TConfigValue rate[] = {{kRateMeas, 200}};
        const std::vector<TUBXPacket> sent = receiver_->Packets();
        QCOMPARE(sent.size(), size_t{1});
        QCOMPARE(BuildUbxFrame(sent[0]),
                 BuildUbxFrame(ubx::CfgValSet(ubx::kLayerRam | ubx::kLayerFlash, rate)));
        QVERIFY(named<QPushButton>("btnApplyConfigFile")->isEnabled());
        QVERIFY(!named<QPushButton>("btnCancelApply")->isEnabled());
    }

    void badFileIsListedAndNotSent() {
        Write(path("bad.txt"), "CFG-RATE-MEAS=abc\nFOO=1\n");
        apply(path("bad.txt"));
        QCOMPARE(status(), QString("Not applied: bad.txt holds 2 errors"));
        QCOMPARE(log().size(), 2);
        QVERIFY(log()[1] == "Line 2: unknown key FOO");
        QTest::qWait(100);
        QVERIFY(receiver_->Packets().empty());
    }

    void savesTheAcknowledgedConfigurationRecorded() {
        auto* record = named<QPushButton>("btnRecordCommands");
        auto* save = named<QPushButton>("btnSaveRecorded");
        QVERIFY(!save->isEnabled());
        QSignalSpy settled(&line_->commander, &TUbxCommander::Settled);
        const auto send = [&](const TUBXPacket& command) {
            const qsizetype before = settled.size();
            line_->commander.Send(command);
            QVERIFY(QTest::qWaitFor([&] { return settled.size() > before; }, kWaitMs));
        };
        const TUBXPacket rate = ubx::CfgRateSet(ubx::TCfgRate{500, 1, 1});
        const TUBXPacket saveCfg = ubx::CfgCfg(ubx::TCfgAction::Save);
        send(rate); // before the recording
        Click(record);
        send(rate);
        send(ubx::CfgMsgSet(ubx::TCfgMsg{0xF0, 0x03, {}})); // refused
        send(MakeUbxPacket(0x02, 0x41, {0, 0, 0, 0}));      // acknowledged, no CFG command
        send(ubx::CfgRst(ubx::TStartKind::Hot));            // never answered
        send(saveCfg);
        Click(record);
        send(rate); // after the recording
        QCOMPARE(status(), QString("Recorded 2 commands"));
        AnswerFileDialog(
            save, [](QFileDialog&) {}, path("recorded.txt"));
        QCOMPARE(Slurp(path("recorded.txt")),
                 QByteArray::fromStdString(ubx::WriteFrameFile(std::vector{rate, saveCfg})));
    }

    void savesTheHostingPagesValues() {
        auto* save = named<QPushButton>("btnSaveConfiguration");
        QVERIFY(save->isHidden());
        std::optional<TConfigSnapshot> snapshot;
        panel_->SetSnapshotSource([&] { return snapshot; });
        QVERIFY(!save->isHidden());
        {
            ModalBoxCatcher catcher;
            Click(save);
            QVERIFY(catcher.waitFor(1));
            QCOMPARE(catcher.boxes()[0].text,
                     QString("Read the configuration from the receiver first."));
        }
        snapshot = TConfigSnapshot{{{kRateMeas, 1000}}, "RAM", "ZED-F9P", false};
        QString suggested;
        AnswerFileDialog(
            save, [&](QFileDialog& dialog) { suggested = dialog.selectedFiles().value(0); },
            path("config.txt"));
        QVERIFY2(suggested.contains("zepo-config-RAM-"), qPrintable(suggested));
        const QByteArray text = Slurp(path("config.txt"));
        QVERIFY2(text.startsWith("# Receiver configuration saved by ZEPO Monitor\n"
                                 "# Receiver: ZED-F9P\n# Layer: RAM\n# Saved: "),
                 text.constData());
        const ubx::TConfigFilePlan plan = ubx::ReadConfigFile(text.toStdString(), ubx::kLayerRam);
        QCOMPARE(plan.frames.size(), size_t{1});
        const ubx::TConfigValue rate[] = {{kRateMeas, 1000}};
        QCOMPARE(BuildUbxFrame(plan.frames[0].packet),
                 BuildUbxFrame(ubx::CfgValSet(ubx::kLayerRam, rate)));
        QCOMPARE(status(), QString("Saved 1 value of RAM to config.txt"));

        // As the receiver's own answers, one a line: applied as the same values.
        AnswerFileDialog(
            save,
            [](QFileDialog& dialog) { dialog.selectNameFilter("UBX frames, one a line (*.txt)"); },
            path("frames.txt"));
        const QByteArray frames = Slurp(path("frames.txt"));
        QVERIFY2(frames.startsWith("CFG-VALGET - 06 8B"), frames.constData());
        const ubx::TConfigFilePlan again =
            ubx::ReadConfigFile(frames.toStdString(), ubx::kLayerRam);
        QCOMPARE(again.frames.size(), size_t{1});
        QCOMPARE(BuildUbxFrame(again.frames[0].packet),
                 BuildUbxFrame(ubx::CfgValSet(ubx::kLayerRam, rate)));
    }
};

QTEST_MAIN(TestConfigFilePanel)
#include "test_config_file_panel.moc"
