#include "window/SessionControl.h"

#include "recording/RecordingFile.h"
#include "recording/ReplayPort.h"
#include "recording/SessionRecorder.h"
#include "serial/SerialPort.h"
#include "window/ErrorBox.h"
#include "window/RecordPage.h"
#include "window/RecordingDialog.h"
#include "window/TextPane.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>

namespace {
constexpr int kRefreshMs = 200;

// "drive.ubx" → "drive.log", beside it.
QString TextLogPath(const QString& rawPath) {
    const QFileInfo raw(rawPath);
    const QString log = raw.dir().filePath(raw.completeBaseName() + ".log");
    return log == rawPath ? rawPath + ".log" : log;
}

QString Duration(std::int64_t ms) {
    return QTime(0, 0).addMSecs(static_cast<int>(ms % 86400000)).toString("HH:mm:ss");
}
} // namespace

TSessionControl::TSessionControl(QWidget* window, TSerialPort& port, TRecordPage* page,
                                 QLabel* statePanel, QLabel* countPanel, QPlainTextEdit* portLog)
    : QObject(window), window_(window), port_(port), page_(page), statePanel_(statePanel),
      countPanel_(countPanel), portLog_(portLog), refresh_(new QTimer(this)) {
    port_.SetReceiveTap([this](const char* data, std::size_t size) {
        received_ += size;
        std::lock_guard lock(recorderMutex_);
        if (recorder_)
            recorder_->Received(data, size);
    });
    Connect(page);
    connect(refresh_, &QTimer::timeout, this, [this] { Refresh(); });
    refresh_->start(kRefreshMs);
    Refresh();
}

TSessionControl::~TSessionControl() {
    port_.SetReceiveTap(nullptr);
    StopRecording();
}

void TSessionControl::Connect(TRecordPage* page) {
    connect(page->btnRecord, &QPushButton::clicked, this,
            Guarded(window_, [this] { RecordClick(); }));
    connect(page->btnStopRecording, &QPushButton::clicked, this,
            Guarded(window_, [this] { StopRecording(); }));
    connect(page->btnOpenRecording, &QPushButton::clicked, this,
            Guarded(window_, [this] { OpenRecordingClick(); }));
    connect(page->btnPauseReplay, &QPushButton::clicked, this,
            Guarded(window_, [this] { PauseClick(); }));
    connect(page->btnStepReplay, &QPushButton::clicked, this, [this] {
        if (replay_)
            replay_->Step();
    });
    connect(page->cbReplayPace, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (replay_)
            replay_->SetAsFastAsPossible(index == 1);
    });
    connect(page->slReplayPosition, &QSlider::valueChanged, this, [this](int value) {
        if (replay_)
            replay_->Seek(static_cast<double>(value) / TRecordPage::kPositionSteps);
    });
}

void TSessionControl::RecordClick() {
    const QString path = AskRecordingPath(window_, "Record to", "zepo-");
    if (!path.isEmpty())
        StartRecording(path, page_->cbTextLog->isChecked());
}

void TSessionControl::StartRecording(const QString& path, bool withTextLog) {
    StopRecording();
    auto recorder = std::make_shared<SessionRecorder>(
        QFile::encodeName(path).toStdString(),
        withTextLog ? QFile::encodeName(TextLogPath(path)).toStdString() : std::string());
    {
        std::lock_guard lock(recorderMutex_);
        recorder_ = std::move(recorder);
    }
    recordingName_ = QFileInfo(path).fileName();
    AppendLine(portLog_, "Recording to " + path);
    page_->btnStopRecording->setEnabled(true);
    Refresh();
}

void TSessionControl::StopRecording() {
    std::shared_ptr<SessionRecorder> recorder;
    {
        std::lock_guard lock(recorderMutex_);
        recorder = std::exchange(recorder_, nullptr);
    }
    if (!recorder)
        return;
    recorder->Stop();
    const SessionRecorder::Status status = recorder->CurrentStatus();
    page_->btnStopRecording->setEnabled(false);
    page_->lblRecording->setText(
        QString("Recorded %1: %2")
            .arg(recordingName_, QLocale().formattedDataSize(static_cast<qint64>(status.bytes))));
    AppendLine(portLog_, page_->lblRecording->text());
}

void TSessionControl::OpenRecordingClick() {
    const QString path =
        QFileDialog::getOpenFileName(window_, "Open recording", QDir::homePath(),
                                     "Recordings (*.ubx *.nmea *.log *.txt);;All files (*)");
    if (!path.isEmpty())
        OpenRecording(path);
}

void TSessionControl::OpenRecording(const QString& path) {
    Recording recording =
        LoadRecording(QFile::encodeName(path).toStdString(), page_->seMessagesPerSecond->value());
    auto replay = std::make_unique<ReplayPort>(std::move(recording),
                                               page_->cbReplayPace->currentIndex() == 1);
    // A custom port already open would not be opened again under a new name.
    port_.Close();
    replay_ = std::move(replay);
    replayName_ = QFileInfo(path).fileName();
    {
        const QSignalBlocker quiet(page_->slReplayPosition);
        page_->slReplayPosition->setValue(0);
    }
    page_->btnPauseReplay->setText("Pause");
    port_.SetCustomPortName(replay_->DevicePath());
    port_.SetPort(spCustom);
    port_.SetNeedSynchronization(true);
    port_.Open();
    AppendLine(portLog_, "Replaying " + replayName_);
    replay_->Resume();
}

void TSessionControl::PauseClick() {
    if (!replay_)
        return;
    if (replay_->Paused())
        replay_->Resume();
    else
        replay_->Pause();
    page_->btnPauseReplay->setText(replay_->Paused() ? "Resume" : "Pause");
}

void TSessionControl::PortOpened() {
    received_ = 0;
    sent_ = 0;
    Refresh();
}

void TSessionControl::Sent(const std::string& bytes) {
    sent_ += bytes.size();
    std::lock_guard lock(recorderMutex_);
    if (recorder_)
        recorder_->Sent(bytes);
}

void TSessionControl::Refresh() {
    countPanel_->setText(QString("RX: %1  TX: %2").arg(received_.load()).arg(sent_.load()));
    ShowRecordingState();
    ShowReplayState();
}

void TSessionControl::ShowRecordingState() {
    std::shared_ptr<SessionRecorder> recorder;
    {
        std::lock_guard lock(recorderMutex_);
        recorder = recorder_;
    }
    if (!recorder)
        return;
    const SessionRecorder::Status status = recorder->CurrentStatus();
    if (!status.recording) {
        // A failed write ended it; the port stays open.
        StopRecording();
        AppendLine(portLog_, QString::fromStdString(status.error));
        ShowErrorBox(window_, QString::fromStdString(status.error));
        return;
    }
    const QString text =
        QString("Recording %1: %2, %3")
            .arg(recordingName_, QLocale().formattedDataSize(static_cast<qint64>(status.bytes)),
                 Duration(SessionRecorder::SystemUtcMs() - status.startedMs));
    page_->lblRecording->setText(text);
    statePanel_->setText(text);
}

void TSessionControl::ShowReplayState() {
    if (!replay_ || port_.IsConnected() != spCustom ||
        port_.CustomPortName() != replay_->DevicePath()) {
        if (!recorder_)
            statePanel_->clear();
        return;
    }
    const int percent = static_cast<int>(replay_->Progress() * 100);
    const QString text = QString("Replaying %1, %2 %").arg(replayName_).arg(percent);
    statePanel_->setText(text);
    page_->lblReplay->setText(text + (replay_->Paused() ? " (paused)" : ""));
    if (!page_->slReplayPosition->isSliderDown()) {
        const QSignalBlocker quiet(page_->slReplayPosition);
        page_->slReplayPosition->setValue(
            static_cast<int>(replay_->Progress() * TRecordPage::kPositionSteps));
    }
}
