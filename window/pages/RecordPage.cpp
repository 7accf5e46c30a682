#include "window/pages/RecordPage.h"

#include "protocol/history/TrackExport.h"
#include "window/blocks/Controls.h"
#include "window/blocks/ErrorBox.h"
#include "window/blocks/RecordingDialog.h"
#include "window/parts/RecordingSettings.h"
#include "window/parts/SessionControl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <stdexcept>

namespace {
QString FixCount(std::size_t count) {
    return QString("%1 %2").arg(count).arg(count == 1 ? "fix" : "fixes");
}
} // namespace

TRecordPage::TRecordPage(QWidget* parent, TSessionControl& session,
                         const protocol::PositionHistory& fixes)
    : QWidget(parent), session_(session), fixes_(fixes) {
    setObjectName("tabRecord");
    auto* recording = new QGroupBox("Recording", this);
    recording->setObjectName("gbRecording");
    btnRecord = MakeButton(recording, "btnRecord", "Record...");
    btnStopRecording = MakeButton(recording, "btnStopRecording", "Stop Recording");
    btnStopRecording->setEnabled(false);
    cbTextLog = new QCheckBox("Text log beside the recording", recording);
    cbTextLog->setObjectName("cbTextLog");
    cbTextLog->setChecked(RestoreTextLog());
    lblRecording = MakeLabel(recording, "lblRecording", "Not recording");
    auto* recordRow = new QHBoxLayout;
    recordRow->addWidget(btnRecord);
    recordRow->addWidget(btnStopRecording);
    recordRow->addWidget(cbTextLog);
    recordRow->addStretch();
    auto* recordColumn = new QVBoxLayout(recording);
    recordColumn->addLayout(recordRow);
    recordColumn->addWidget(lblRecording);

    auto* replay = new QGroupBox("Replay", this);
    replay->setObjectName("gbReplay");
    btnOpenRecording = MakeButton(replay, "btnOpenRecording", "Open recording...");
    cbReplayPace = new QComboBox(replay);
    cbReplayPace->setObjectName("cbReplayPace");
    cbReplayPace->addItems({"Recorded pace", "As fast as possible"});
    seMessagesPerSecond = new QSpinBox(replay);
    seMessagesPerSecond->setObjectName("seMessagesPerSecond");
    seMessagesPerSecond->setRange(1, 100000);
    seMessagesPerSecond->setValue(10);
    seMessagesPerSecond->setSuffix(" lines/s for raw files");
    btnPauseReplay = MakeButton(replay, "btnPauseReplay", "Pause");
    btnStepReplay = MakeButton(replay, "btnStepReplay", "Step");
    slReplayPosition = new QSlider(Qt::Horizontal, replay);
    slReplayPosition->setObjectName("slReplayPosition");
    slReplayPosition->setRange(0, kPositionSteps);
    lblReplay = MakeLabel(replay, "lblReplay", "No recording open");
    lblReplaySkipped = MakeLabel(replay, "lblReplaySkipped", "");
    lblReplaySkipped->setWordWrap(true);
    lblReplaySkipped->hide();
    btnBackToPort = MakeButton(replay, "btnBackToPort", "");
    btnBackToPort->hide();
    auto* replayRow = new QHBoxLayout;
    for (QWidget* control : std::initializer_list<QWidget*>{
             btnOpenRecording, cbReplayPace, seMessagesPerSecond, btnPauseReplay, btnStepReplay})
        replayRow->addWidget(control);
    replayRow->addStretch();
    auto* replayColumn = new QVBoxLayout(replay);
    replayColumn->addLayout(replayRow);
    replayColumn->addWidget(slReplayPosition);
    auto* stateRow = new QHBoxLayout;
    stateRow->addWidget(lblReplay, 1);
    stateRow->addWidget(btnBackToPort);
    replayColumn->addLayout(stateRow);
    replayColumn->addWidget(lblReplaySkipped);

    auto* track = new QGroupBox("Track", this);
    track->setObjectName("gbTrack");
    btnExportTrack = MakeButton(track, "btnExportTrack", "Export track...");
    lblTrack = MakeLabel(track, "lblTrack", "");
    auto* trackRow = new QHBoxLayout(track);
    trackRow->addWidget(btnExportTrack);
    trackRow->addWidget(lblTrack, 1);
    ShowFixes();

    auto* column = new QVBoxLayout(this);
    column->addWidget(recording);
    column->addWidget(replay);
    column->addWidget(track);
    column->addStretch();
    Connect();
}

void TRecordPage::Connect() {
    connect(btnRecord, &QPushButton::clicked, this, Guarded(this, [this] { RecordClicked(); }));
    connect(btnStopRecording, &QPushButton::clicked, this,
            Guarded(this, [this] { session_.StopRecording(); }));
    connect(cbTextLog, &QCheckBox::toggled, this,
            Guarded(this, [this] { StoreTextLog(cbTextLog->isChecked()); }));
    connect(btnBackToPort, &QPushButton::clicked, this,
            Guarded(this, [this] { session_.BackToPort(); }));
    connect(btnOpenRecording, &QPushButton::clicked, this,
            Guarded(this, [this] { OpenRecordingClicked(); }));
    connect(btnExportTrack, &QPushButton::clicked, this,
            Guarded(this, [this] { ExportTrackClicked(); }));
    connect(btnPauseReplay, &QPushButton::clicked, this, Guarded(this, [this] {
                btnPauseReplay->setText(session_.TogglePause() ? "Resume" : "Pause");
            }));
    connect(btnStepReplay, &QPushButton::clicked, this, [this] { session_.Step(); });
    connect(cbReplayPace, &QComboBox::currentIndexChanged, this,
            [this](int index) { session_.SetAsFastAsPossible(index == 1); });
    connect(slReplayPosition, &QSlider::valueChanged, this,
            [this](int value) { session_.Seek(static_cast<double>(value) / kPositionSteps); });
    connect(&session_, &TSessionControl::RecordingShown, lblRecording, &QLabel::setText);
    connect(&session_, &TSessionControl::RecordingChanged, btnStopRecording,
            &QPushButton::setEnabled);
    connect(&session_, &TSessionControl::ReplayLoaded, this, &TRecordPage::ResetReplayControls);
    connect(&session_, &TSessionControl::ReplayShown, this, &TRecordPage::ShowReplay);
    connect(&session_, &TSessionControl::ReplaySkippedShown, this, [this](const QString& text) {
        lblReplaySkipped->setText(text);
        lblReplaySkipped->setVisible(!text.isEmpty());
    });
    connect(&session_, &TSessionControl::BackOffered, this, &TRecordPage::ShowBackOffer);
    connect(&session_, &TSessionControl::ReplayLeft, this, &TRecordPage::ReplayLeft);
}

void TRecordPage::RecordClicked() {
    const QString path = AskRecordingPath(this, "Record to", RestoreRecordingFolder(), "zepo-",
                                          session_.FittingSuffix());
    if (path.isEmpty())
        return;
    StartRecording(path);
    StoreRecordingFolderOf(path);
}

void TRecordPage::StartRecording(const QString& path) {
    session_.StartRecording(path, cbTextLog->isChecked());
}

void TRecordPage::OpenRecordingClicked() {
    const QString path = AskRecordingToOpen(this, RestoreRecordingFolder());
    if (path.isEmpty())
        return;
    OpenRecording(path);
    StoreRecordingFolderOf(path);
}

void TRecordPage::OpenRecording(const QString& path) {
    session_.OpenRecording(path, seMessagesPerSecond->value(), cbReplayPace->currentIndex() == 1);
}

void TRecordPage::RequireFixes() const {
    if (fixes_.empty())
        throw std::runtime_error("No fixes to export: the receiver has reported no position "
                                 "fix in this session");
}

void TRecordPage::ExportTrackClicked() {
    RequireFixes();
    const QString path = AskTrackPath(this, RestoreRecordingFolder());
    if (path.isEmpty())
        return;
    ExportTrack(path);
    StoreRecordingFolderOf(path);
}

void TRecordPage::ExportTrack(const QString& path) {
    RequireFixes();
    protocol::WriteTrackFile(path.toStdString(), fixes_.All());
    lastExport_ = "Wrote " + FixCount(fixes_.size()) + " to " + path + ".";
    ShowFixes();
}

void TRecordPage::ShowFixes() {
    lblTrack->setText(FixCount(fixes_.size()) + " in this session." +
                      (lastExport_.isEmpty() ? "" : " " + lastExport_));
}

void TRecordPage::ResetReplayControls() {
    {
        const QSignalBlocker quiet(slReplayPosition);
        slReplayPosition->setValue(0);
    }
    btnPauseReplay->setText("Pause");
}

void TRecordPage::ShowReplay(const QString& text, double progress, bool paused) {
    lblReplay->setText(text + (paused ? " (paused)" : ""));
    if (!slReplayPosition->isSliderDown()) {
        const QSignalBlocker quiet(slReplayPosition);
        slReplayPosition->setValue(static_cast<int>(progress * kPositionSteps));
    }
}

void TRecordPage::ShowBackOffer(const QString& portName) {
    btnBackToPort->setText("Back to " + portName);
    btnBackToPort->setVisible(!portName.isEmpty());
}

void TRecordPage::ReplayLeft() {
    ResetReplayControls();
    lblReplay->setText("No recording open");
    lblReplaySkipped->clear();
    lblReplaySkipped->hide();
}
