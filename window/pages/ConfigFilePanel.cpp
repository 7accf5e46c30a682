#include "window/pages/ConfigFilePanel.h"

#include "protocol/configfiles/ConfigFileReader.h"
#include "protocol/configfiles/FrameFile.h"
#include "protocol/configfiles/ValueFile.h"
#include "window/blocks/Controls.h"
#include "window/blocks/Counted.h"
#include "window/blocks/ErrorBox.h"
#include "window/parts/ConfigCommandRecorder.h"
#include "window/parts/ConfigFileRunner.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <algorithm>
#include <stdexcept>

namespace {

const QString kFilter = QStringLiteral("Configuration files (*.txt *.cfg);;All files (*)");
// A configuration is saved as KEY=value lines, or as the receiver's own
// CFG-VALGET answers one a line, as configurations are exchanged.
const QString kValueLines = QStringLiteral("KEY=value lines (*.txt)");
const QString kFrameLines = QStringLiteral("UBX frames, one a line (*.txt)");

// The layer a snapshot names, for the CFG-VALGET answers that carry it.
ubx::TConfigLayer LayerNamed(const QString& name) {
    return name == "BBR"       ? ubx::TConfigLayer::Bbr
           : name == "Flash"   ? ubx::TConfigLayer::Flash
           : name == "Default" ? ubx::TConfigLayer::Default
                               : ubx::TConfigLayer::Ram;
}

std::string FrameFileOf(const TConfigSnapshot& snapshot) {
    std::vector<TUBXPacket> frames;
    const std::span<const ubx::TConfigValue> values = snapshot.values;
    for (std::size_t first = 0; first < values.size(); first += ubx::kMaxConfigKeysPerMessage) {
        const auto part =
            values.subspan(first, std::min(ubx::kMaxConfigKeysPerMessage, values.size() - first));
        frames.push_back(
            ubx::CfgValGetAnswer({LayerNamed(snapshot.layer), 0, {part.begin(), part.end()}}));
    }
    return ubx::WriteFrameFile(frames);
}

QCheckBox* MakeCheck(QWidget* parent, const QString& name, const QString& caption, bool checked) {
    auto* check = new QCheckBox(caption, parent);
    check->setObjectName(name);
    check->setChecked(checked);
    return check;
}

} // namespace

TConfigFilePanel::TConfigFilePanel(QWidget* parent, TUbxCommander& commander)
    : QGroupBox("Configuration files", parent), runner_(new TConfigFileRunner(this, commander)),
      recorder_(new TConfigCommandRecorder(this, commander)), folder_(QDir::homePath()) {
    setObjectName("gbConfigFiles");
    CreateControls();
    Connect();
    ShowRunning(false);
}

void TConfigFilePanel::CreateControls() {
    btnApplyConfigFile = MakeButton(this, "btnApplyConfigFile", "Apply file...");
    btnCancelApply = MakeButton(this, "btnCancelApply", "Cancel");
    cbApplyRam = MakeCheck(this, "cbApplyRam", "RAM", true);
    cbApplyBbr = MakeCheck(this, "cbApplyBbr", "BBR", false);
    cbApplyFlash = MakeCheck(this, "cbApplyFlash", "Flash", false);
    cbGoOnAfterNak = MakeCheck(this, "cbGoOnAfterNak", "Go on after a NAK", false);
    btnRecordCommands = MakeButton(this, "btnRecordCommands", "Record commands");
    btnRecordCommands->setCheckable(true);
    btnSaveRecorded = MakeButton(this, "btnSaveRecorded", "Save recorded...");
    btnSaveRecorded->setEnabled(false);
    btnSaveConfiguration = MakeButton(this, "btnSaveConfiguration", "Save configuration...");
    btnSaveConfiguration->setVisible(false);
    cbWithDescriptions = MakeCheck(this, "cbWithDescriptions", "With descriptions", true);
    lblConfigFileStatus = MakeLabel(this, "lblConfigFileStatus", "");
    lblConfigFileStatus->setWordWrap(true);
    lblConfigFileStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lstConfigFileLog = new QListWidget(this);
    lstConfigFileLog->setObjectName("lstConfigFileLog");
    // A few lines at least; the rest of the room goes to the page's keys.
    lstConfigFileLog->setMinimumHeight(3 * lstConfigFileLog->fontMetrics().height());
    lstConfigFileLog->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);

    auto* layout = new QGridLayout(this);
    layout->addWidget(btnApplyConfigFile, 0, 0);
    layout->addWidget(btnCancelApply, 0, 1);
    layout->addWidget(MakeLabel(this, "lblApplyLayers", "Values go to:"), 0, 2);
    layout->addWidget(cbApplyRam, 0, 3);
    layout->addWidget(cbApplyBbr, 0, 4);
    layout->addWidget(cbApplyFlash, 0, 5);
    layout->addWidget(cbGoOnAfterNak, 0, 6);
    layout->addWidget(btnRecordCommands, 1, 0);
    layout->addWidget(btnSaveRecorded, 1, 1);
    layout->addWidget(btnSaveConfiguration, 1, 2, 1, 2);
    layout->addWidget(cbWithDescriptions, 1, 4, 1, 3);
    layout->addWidget(lblConfigFileStatus, 2, 0, 1, 7);
    layout->addWidget(lstConfigFileLog, 3, 0, 1, 7);
    layout->setRowStretch(3, 1);
}

void TConfigFilePanel::Connect() {
    connect(btnApplyConfigFile, &QPushButton::clicked, this,
            Guarded(this, [this] { ApplyFile(); }));
    connect(btnCancelApply, &QPushButton::clicked, runner_, &TConfigFileRunner::Cancel);
    connect(btnRecordCommands, &QPushButton::toggled, this,
            [this](bool on) { on ? recorder_->Start() : recorder_->Stop(); });
    connect(btnSaveRecorded, &QPushButton::clicked, this,
            Guarded(this, [this] { SaveRecorded(); }));
    connect(btnSaveConfiguration, &QPushButton::clicked, this,
            Guarded(this, [this] { SaveConfiguration(); }));
    connect(runner_, &TConfigFileRunner::FrameSettled, this,
            [this](int number, const QString&, const QString& outcome) {
                Log(QString::number(number) + ": " + outcome);
            });
    connect(runner_, &TConfigFileRunner::Finished, this, [this](const QString& summary) {
        Log(summary);
        lblConfigFileStatus->setText(summary);
        ShowRunning(false);
    });
    connect(recorder_, &TConfigCommandRecorder::Recorded, this, [this](int count) {
        btnSaveRecorded->setEnabled(count > 0);
        lblConfigFileStatus->setText("Recorded " + Counted(count, "command"));
    });
}

void TConfigFilePanel::SetSnapshotSource(TSnapshotSource source) {
    snapshotSource_ = std::move(source);
    btnSaveConfiguration->setVisible(static_cast<bool>(snapshotSource_));
}

std::uint8_t TConfigFilePanel::ChosenLayers() const {
    return (cbApplyRam->isChecked() ? ubx::kLayerRam : 0) |
           (cbApplyBbr->isChecked() ? ubx::kLayerBbr : 0) |
           (cbApplyFlash->isChecked() ? ubx::kLayerFlash : 0);
}

void TConfigFilePanel::ApplyFile() {
    const QString path =
        QFileDialog::getOpenFileName(this, "Apply configuration file", folder_, kFilter);
    if (path.isEmpty())
        return;
    folder_ = QFileInfo(path).absolutePath();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("Cannot read " + path.toStdString() + ": " +
                                 file.errorString().toStdString());
    const QByteArray text = file.readAll();
    ubx::TConfigFilePlan plan =
        ubx::ReadConfigFile(std::string_view(text.constData(), text.size()), ChosenLayers());
    lstConfigFileLog->clear();
    const QString name = QFileInfo(path).fileName();
    if (!plan.errors.empty()) {
        lblConfigFileStatus->setText("Not applied: " + name + " holds " +
                                     Counted(plan.errors.size(), "error"));
        for (const std::string& error : plan.errors)
            Log(QString::fromStdString(error));
        return;
    }
    lblConfigFileStatus->setText("Applying " + name);
    Log("Applying " + name + ": " + Counted(plan.frames.size(), "frame"));
    ShowRunning(true);
    runner_->Start(std::move(plan.frames), cbGoOnAfterNak->isChecked());
}

void TConfigFilePanel::ShowRunning(bool running) {
    btnApplyConfigFile->setEnabled(!running);
    btnCancelApply->setEnabled(running);
}

void TConfigFilePanel::SaveRecorded() {
    const QString path = AskSavePath("Save recorded commands", "zepo-commands-", kFilter);
    if (path.isEmpty())
        return;
    WriteFile(path, recorder_->FrameFile());
    lblConfigFileStatus->setText("Saved " +
                                 Counted(recorder_->Commands().size(), "recorded command") +
                                 " to " + QFileInfo(path).fileName());
}

void TConfigFilePanel::SaveConfiguration() {
    const std::optional<TConfigSnapshot> snapshot = snapshotSource_();
    if (!snapshot)
        throw std::runtime_error("Read the configuration from the receiver first.");
    SaveValues(*snapshot);
}

void TConfigFilePanel::SaveValues(const TConfigSnapshot& snapshot) {
    QString form = kValueLines;
    const QString path = AskSavePath("Save configuration", "zepo-config-" + snapshot.layer + "-",
                                     kValueLines + ";;" + kFrameLines, &form);
    if (path.isEmpty())
        return;
    const ubx::TValueFileHeader header{
        snapshot.receiver.toStdString(), snapshot.layer.toStdString(),
        QDateTime::currentDateTimeUtc().toString("yyyy-MM-dd HH:mm:ss 'UTC'").toStdString(),
        snapshot.onlyChanged, cbWithDescriptions->isChecked()};
    WriteFile(path, form == kFrameLines ? FrameFileOf(snapshot)
                                        : ubx::WriteValueFile(header, snapshot.values));
    lblConfigFileStatus->setText("Saved " + Counted(snapshot.values.size(), "value") + " of " +
                                 snapshot.layer + " to " + QFileInfo(path).fileName());
}

QString TConfigFilePanel::AskSavePath(const QString& caption, const QString& prefix,
                                      const QString& filters, QString* chosenFilter) {
    const QString suggested = QDir(folder_).filePath(
        prefix + QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss") + ".txt");
    const QString path =
        QFileDialog::getSaveFileName(this, caption, suggested, filters, chosenFilter);
    if (!path.isEmpty())
        folder_ = QFileInfo(path).absolutePath();
    return path;
}

void TConfigFilePanel::WriteFile(const QString& path, const std::string& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size()) ||
        !file.flush())
        throw std::runtime_error("Cannot write " + path.toStdString() + ": " +
                                 file.errorString().toStdString());
}

void TConfigFilePanel::Log(const QString& line) {
    lstConfigFileLog->addItem(line);
    lstConfigFileLog->scrollToBottom();
}
