#pragma once
// Recording and replay in the window. Recording taps the port's reader
// thread, so a stopped data pane, an open message box or a slow window never
// costs a recorded byte; the commands the window sends go into the text log.
// A replay plays a recording on a virtual line that the window's port opens
// like a receiver's, so every view, watch and the recording itself work on
// it unchanged. What it does is told through the signals: the recording's
// and the replay's state, the bytes received and sent since the port was
// opened, and the lines of the port log.

#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

class QTimer;
class QWidget;
class ReplayPort;
class SessionRecorder;
class TSerialPort;

class TSessionControl : public QObject {
    Q_OBJECT
public:
    // A recording that fails later is reported in a box over window.
    TSessionControl(QWidget* window, TSerialPort& port);
    ~TSessionControl() override;

    // Throws std::runtime_error when the file cannot be made.
    void StartRecording(const QString& path, bool withTextLog);
    void StopRecording();
    // Loads the recording (raw files paced at messagesPerSecond), opens the
    // window's port on it and starts playing.
    void OpenRecording(const QString& path, int messagesPerSecond, bool asFastAsPossible);
    // The replay's controls; nothing happens without a replay. TogglePause
    // tells whether the replay is paused now.
    bool TogglePause();
    void Step();
    void SetAsFastAsPossible(bool on);
    // Jumps to fraction (0 … 1) of the recording.
    void Seek(double fraction);

    // Hooks of the port's events.
    void PortOpened();
    void Sent(const std::string& bytes);

    // Tells the state, about five times a second.
    void Refresh();

signals:
    // The recording's state ("Recording drive.ubx: 1.2 MB, 00:01:23", or
    // what was recorded), and whether one runs.
    void RecordingShown(const QString& text);
    void RecordingChanged(bool recording);
    // A recording was loaded for replay; its port opens next.
    void ReplayLoaded();
    // The replay's state, its progress (0 … 1) and whether it is paused.
    void ReplayShown(const QString& text, double progress, bool paused);
    // The session's state for the status bar: recording, replaying or none.
    void StateShown(const QString& text);
    // "RX: n  TX: m".
    void CountsShown(const QString& text);
    void Logged(const QString& line);

private:
    void ShowRecordingState();
    void ShowReplayState();

    QWidget* window_;
    TSerialPort& port_;
    QTimer* refresh_;

    std::atomic<std::uint64_t> received_ = 0;
    std::atomic<std::uint64_t> sent_ = 0;
    // Shared with the reader thread's tap.
    std::mutex recorderMutex_;
    std::shared_ptr<SessionRecorder> recorder_;
    QString recordingName_;

    std::unique_ptr<ReplayPort> replay_;
    QString replayName_;
};
