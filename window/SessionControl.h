#pragma once
// Recording and replay in the window. Recording taps the port's reader
// thread, so a stopped data pane, an open message box or a slow window never
// costs a recorded byte; the commands the window sends go into the text log.
// A replay plays a recording on a virtual line that the window's port opens
// like a receiver's, so every view, watch and the recording itself work on
// it unchanged. The status bar shows the recording's or replay's state and
// the bytes received and sent since the port was opened.

#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

class QLabel;
class QPlainTextEdit;
class QTimer;
class QWidget;
class ReplayPort;
class SessionRecorder;
class TRecordPage;
class TSerialPort;

class TSessionControl : public QObject {
    Q_OBJECT
public:
    TSessionControl(QWidget* window, TSerialPort& port, TRecordPage* page, QLabel* statePanel,
                    QLabel* countPanel, QPlainTextEdit* portLog);
    ~TSessionControl() override;

    // Throws std::runtime_error when the file cannot be made.
    void StartRecording(const QString& path, bool withTextLog);
    void StopRecording();
    // Loads the recording, opens the window's port on it and starts playing.
    void OpenRecording(const QString& path);

    // Hooks of the port's events.
    void PortOpened();
    void Sent(const std::string& bytes);

    // The status texts, refreshed about five times a second.
    void Refresh();

private:
    void Connect(TRecordPage* page);
    void RecordClick();
    void OpenRecordingClick();
    void PauseClick();
    void ShowRecordingState();
    void ShowReplayState();

    QWidget* window_;
    TSerialPort& port_;
    TRecordPage* page_;
    QLabel* statePanel_;
    QLabel* countPanel_;
    QPlainTextEdit* portLog_;
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
