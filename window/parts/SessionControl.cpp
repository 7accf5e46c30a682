#include "window/parts/SessionControl.h"

#include "recording/RecordingFile.h"
#include "recording/ReplayPort.h"
#include "recording/SessionRecorder.h"
#include "serial/PortNames.h"
#include "serial/SerialPort.h"
#include "serial/ShareServer.h"
#include "window/blocks/ErrorBox.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <string_view>
#include <utility>

namespace {
constexpr int kRefreshMs = 200;
// How often the recording's files are looked up: a removed one is found
// within a second.
constexpr int kFileCheckMs = 1000;
// The skipped lines of a text log the port log lists one by one.
constexpr std::size_t kLoggedSkips = 20;

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
    : QObject(window), window_(window), port_(port), refresh_(new QTimer(this)),
      fileCheck_(new QTimer(this)) {
    port_.SetReceiveTap([this](const char* data, std::size_t size) {
        received_ += size;
        NoteTraffic(data, size);
        std::lock_guard lock(recorderMutex_);
        if (recorder_)
            recorder_->Received(data, size);
        if (share_)
            share_->Feed(data, size);
    });
    connect(refresh_, &QTimer::timeout, this, [this] { Refresh(); });
    refresh_->start(kRefreshMs);
    connect(fileCheck_, &QTimer::timeout, this, [this] { CheckRecordingFiles(); });
    fileCheck_->start(kFileCheckMs);
}

void TSessionControl::NoteTraffic(const char* data, std::size_t size) {
    const std::string_view bytes(data, size);
    if (!ubxSeen_ && size > 0 &&
        ((lastByte_ == '\xB5' && bytes.front() == 'b') ||
         bytes.find("\xB5\x62") != std::string_view::npos))
        ubxSeen_ = true;
    if (!nmeaSeen_ && bytes.find('$') != std::string_view::npos)
        nmeaSeen_ = true;
    if (size > 0)
        lastByte_ = bytes.back();
}

QString TSessionControl::FittingSuffix() const {
    return nmeaSeen_ && !ubxSeen_ ? "nmea" : "ubx";
}

void TSessionControl::SetShareServer(std::shared_ptr<ShareServer> server) {
    std::lock_guard lock(recorderMutex_);
    share_ = std::move(server);
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
    // A recording that stopped by itself says why instead.
    const QString recorded =
        !status.error.empty()
            ? QString::fromStdString(status.error)
            : QString("Recorded %1: %2")
                  .arg(recordingName_,
                       QLocale().formattedDataSize(static_cast<qint64>(status.bytes)));
    emit RecordingChanged(false);
    emit RecordingShown(recorded);
    emit Logged(recorded);
}

void TSessionControl::OpenRecording(const QString& path, int messagesPerSecond,
                                    bool asFastAsPossible) {
    Recording recording = LoadRecording(QFile::encodeName(path).toStdString(), messagesPerSecond);
    const std::vector<std::string> skipped = std::move(recording.skipped);
    auto replay = std::make_unique<ReplayPort>(std::move(recording), asFastAsPossible);
    // The port a replay takes over is the one to go back to; from a replay
    // to the next, the port before both.
    if (!OnReplay())
        backTo_ = port_.IsConnected() == spNone
                      ? std::nullopt
                      : std::optional(PortChoice{port_.IsConnected(), port_.CustomPortName(),
                                                 port_.NeedSynchronization()});
    // A custom port already open would not be opened again under a new name.
    port_.Close();
    replay_ = std::move(replay);
    replayName_ = QFileInfo(path).fileName();
    emit ReplayLoaded();
    ShowSkippedLines(skipped);
    port_.SetCustomPortName(replay_->DevicePath());
    port_.SetPort(spCustom);
    port_.SetNeedSynchronization(true);
    // The replay waits for the window: every byte of it is shown, however fast.
    port_.SetPacedByReader(true);
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

void TSessionControl::ShowSkippedLines(const std::vector<std::string>& skipped) {
    for (std::size_t index = 0; index < std::min(skipped.size(), kLoggedSkips); ++index)
        emit Logged(QString::fromStdString(skipped[index]));
    if (skipped.size() > kLoggedSkips)
        emit Logged(QString("… and %1 more lines skipped").arg(skipped.size() - kLoggedSkips));
    QString text;
    if (!skipped.empty())
        text = QString::fromStdString(skipped.front());
    if (skipped.size() > 1)
        text +=
            QString(" (and %1 more lines skipped, listed in the port log)").arg(skipped.size() - 1);
    emit ReplaySkippedShown(text);
}

void TSessionControl::BackToPort() {
    if (!backTo_)
        return;
    const PortChoice back = *std::exchange(backTo_, std::nullopt);
    port_.Close();
    replay_.reset();
    emit BackOffered(offered_ = QString());
    emit ReplayLeft();
    if (back.port == spCustom)
        port_.SetCustomPortName(back.customName);
    port_.SetPort(back.port);
    port_.SetNeedSynchronization(back.needSynchronization);
    port_.SetPacedByReader(false);
    port_.Open();
}

void TSessionControl::PortOpened() {
    received_ = 0;
    sent_ = 0;
    ubxSeen_ = false;
    nmeaSeen_ = false;
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

void TSessionControl::CheckRecordingFiles() {
    std::shared_ptr<SessionRecorder> recorder;
    {
        std::lock_guard lock(recorderMutex_);
        recorder = recorder_;
    }
    if (recorder && !recorder->CheckFilesKept())
        ShowRecordingState();
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
        // A failed write or a removed file ended it; the port stays open.
        StopRecording();
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

bool TSessionControl::OnReplay() const {
    return replay_ && port_.IsConnected() == spCustom &&
           port_.CustomPortName() == replay_->DevicePath();
}

void TSessionControl::ShowReplayState() {
    if (!OnReplay()) {
        if (!recorder_)
            emit StateShown({});
        // A port opened by hand ended the replay: nothing to go back to.
        if (!offered_.isEmpty())
            emit BackOffered(offered_ = QString());
        return;
    }
    const double progress = replay_->Progress();
    const bool finished = replay_->Finished();
    const QString text =
        finished
            ? QString("Replay finished")
            : QString("Replaying %1, %2 %").arg(replayName_).arg(static_cast<int>(progress * 100));
    emit StateShown(text);
    emit ReplayShown(text, progress, replay_->Paused() && !finished);
    const QString offer =
        finished && backTo_
            ? QString::fromStdString(CommPortToString(backTo_->port, backTo_->customName))
            : QString();
    if (offer != offered_)
        emit BackOffered(offered_ = offer);
}
