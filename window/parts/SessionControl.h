#pragma once
// Recording and replay in the window. Recording taps the port's reader
// thread, so a stopped data pane, an open message box or a slow window never
// costs a recorded byte; the commands the window sends go into the text log.
// A replay plays a recording on a virtual line that the window's port opens
// like a receiver's, so every view, watch and the recording itself work on
// it unchanged; a finished replay offers the way back to the port that was
// open before it. What it does is told through the signals: the recording's
// and the replay's state, the bytes received and sent since the port was
// opened, and the lines of the port log.

#include "serial/SerialTypes.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class QTimer;
class QWidget;
class ReplayPort;
class SessionRecorder;
class ShareServer;
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
    // Ends the replay and reopens the port that was open before it. Throws
    // ESerialPortException when the port does not open.
    void BackToPort();

    // The file name extension that fits what the port received since it
    // opened: "ubx" once UBX frames came (or nothing yet), "nmea" for NMEA only.
    QString FittingSuffix() const;

    // The share server is fed every received byte on the reader's thread,
    // as the recording is; nullptr stops feeding it.
    void SetShareServer(std::shared_ptr<ShareServer> server);

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
    // A recording was loaded for replay; its port opens next. The pages
    // start afresh, so replayed messages never mix with live ones.
    void ReplayLoaded();
    // The lines of the loaded text log that were left out ("Line 3 skipped:
    // impossible time …"), in one text; empty when none was.
    void ReplaySkippedShown(const QString& text);
    // The port a finished replay can go back to ("COM13"); empty while none
    // is offered.
    void BackOffered(const QString& portName);
    // The replay ended and the port before it is open again: the pages
    // start afresh.
    void ReplayLeft();
    // The replay's state, its progress (0 … 1) and whether it is paused.
    void ReplayShown(const QString& text, double progress, bool paused);
    // The session's state for the status bar: recording, replaying or none.
    void StateShown(const QString& text);
    // "RX: n  TX: m".
    void CountsShown(const QString& text);
    void Logged(const QString& line);

private:
    // The port a replay took over, to go back to.
    struct PortChoice {
        TCommPort port = spNone;
        std::string customName;
        bool needSynchronization = true;
    };
    void CheckRecordingFiles();
    void ShowRecordingState();
    void ShowReplayState();
    bool OnReplay() const;
    void ShowSkippedLines(const std::vector<std::string>& skipped);
    void NoteTraffic(const char* data, std::size_t size);

    QWidget* window_;
    TSerialPort& port_;
    QTimer* refresh_;
    QTimer* fileCheck_;

    std::atomic<std::uint64_t> received_ = 0;
    // What came since the port opened, for the suffix of a recording.
    std::atomic<bool> ubxSeen_ = false;
    std::atomic<bool> nmeaSeen_ = false;
    char lastByte_ = 0; // the reader thread's: a UBX start split over two reads
    std::atomic<std::uint64_t> sent_ = 0;
    // Shared with the reader thread's tap.
    std::mutex recorderMutex_;
    std::shared_ptr<SessionRecorder> recorder_;
    std::shared_ptr<ShareServer> share_;
    QString recordingName_;

    std::unique_ptr<ReplayPort> replay_;
    QString replayName_;
    std::optional<PortChoice> backTo_;
    QString offered_; // the port BackOffered names now
};
