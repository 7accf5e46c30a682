#include "window/parts/SessionControl.h"

#include "recording/RecordingFile.h"
#include "recording/ReplayPort.h"
#include "recording/SessionRecorder.h"
#include "serial/SerialPort.h"
#include "window/blocks/ErrorBox.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QTimer>
#include <QWidget>

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

TSessionControl::TSessionControl(QWidget* window, TSerialPort& port)
    : QObject(window), window_(window), port_(port), refresh_(new QTimer(this)) {
    port_.SetReceiveTap([this](const char* data, std::size_t size) {
        received_ += size;
        std::lock_guard lock(recorderMutex_);
        if (recorder_)
            recorder_->Received(data, size);
    });
    connect(refresh_, &QTimer::timeout, this, [this] { Refresh(); });
    refresh_->start(kRefreshMs);
}

TSessionControl::~TSessionControl() {
    port_.SetReceiveTap(nullptr);
    StopRecording();
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
    emit Logged("Recording to " + path);
    emit RecordingChanged(true);
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
    const QString recorded =
        QString("Recorded %1: %2")
            .arg(recordingName_, QLocale().formattedDataSize(static_cast<qint64>(status.bytes)));
    emit RecordingChanged(false);
    emit RecordingShown(recorded);
    emit Logged(recorded);
}

void TSessionControl::OpenRecording(const QString& path, int messagesPerSecond,
                                    bool asFastAsPossible) {
    Recording recording = LoadRecording(QFile::encodeName(path).toStdString(), messagesPerSecond);
    auto replay = std::make_unique<ReplayPort>(std::move(recording), asFastAsPossible);
    // A custom port already open would not be opened again under a new name.
    port_.Close();
    replay_ = std::move(replay);
    replayName_ = QFileInfo(path).fileName();
    emit ReplayLoaded();
    port_.SetCustomPortName(replay_->DevicePath());
    port_.SetPort(spCustom);
    port_.SetNeedSynchronization(true);
    port_.Open();
    emit Logged("Replaying " + replayName_);
    replay_->Resume();
}

bool TSessionControl::TogglePause() {
    if (!replay_)
        return false;
    if (replay_->Paused())
        replay_->Resume();
    else
        replay_->Pause();
    return replay_->Paused();
}

void TSessionControl::Step() {
    if (replay_)
        replay_->Step();
}

void TSessionControl::SetAsFastAsPossible(bool on) {
    if (replay_)
        replay_->SetAsFastAsPossible(on);
}

void TSessionControl::Seek(double fraction) {
    if (replay_)
        replay_->Seek(fraction);
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
    emit CountsShown(QString("RX: %1  TX: %2").arg(received_.load()).arg(sent_.load()));
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
        emit Logged(QString::fromStdString(status.error));
        ShowErrorBox(window_, QString::fromStdString(status.error));
        return;
    }
    const QString text =
        QString("Recording %1: %2, %3")
            .arg(recordingName_, QLocale().formattedDataSize(static_cast<qint64>(status.bytes)),
                 Duration(SessionRecorder::SystemUtcMs() - status.startedMs));
    emit RecordingShown(text);
    emit StateShown(text);
}

void TSessionControl::ShowReplayState() {
    if (!replay_ || port_.IsConnected() != spCustom ||
        port_.CustomPortName() != replay_->DevicePath()) {
        if (!recorder_)
            emit StateShown({});
        return;
    }
    const double progress = replay_->Progress();
    const QString text =
        QString("Replaying %1, %2 %").arg(replayName_).arg(static_cast<int>(progress * 100));
    emit StateShown(text);
    emit ReplayShown(text, progress, replay_->Paused());
}
