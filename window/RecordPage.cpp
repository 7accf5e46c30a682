#include "window/RecordPage.h"

#include "window/Controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

TRecordPage::TRecordPage(QWidget* parent) : QWidget(parent) {
    setObjectName("tabRecord");
    auto* recording = new QGroupBox("Recording", this);
    recording->setObjectName("gbRecording");
    btnRecord = MakeButton(recording, "btnRecord", "Record...");
    btnStopRecording = MakeButton(recording, "btnStopRecording", "Stop Recording");
    btnStopRecording->setEnabled(false);
    cbTextLog = new QCheckBox("Text log beside the recording", recording);
    cbTextLog->setObjectName("cbTextLog");
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
    auto* replayRow = new QHBoxLayout;
    for (QWidget* control : std::initializer_list<QWidget*>{
             btnOpenRecording, cbReplayPace, seMessagesPerSecond, btnPauseReplay, btnStepReplay})
        replayRow->addWidget(control);
    replayRow->addStretch();
    auto* replayColumn = new QVBoxLayout(replay);
    replayColumn->addLayout(replayRow);
    replayColumn->addWidget(slReplayPosition);
    replayColumn->addWidget(lblReplay);

    auto* column = new QVBoxLayout(this);
    column->addWidget(recording);
    column->addWidget(replay);
    column->addStretch();
}
