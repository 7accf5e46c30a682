#pragma once
// The "Record" page: recording the session to a file (with an optional text
// log beside it) and replaying a recording through the window as if a
// receiver sent it, at its recorded pace or as fast as the window takes it,
// then back to the port that was open before; and exporting the session's
// fixes as a GPX or KML track. The session control does the work; the page
// asks for files (in the folder last used, the text log choice kept between
// runs) and shows its state.

#include <QWidget>
#include <cstddef>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class QSpinBox;
class TSessionControl;
namespace protocol {
class PositionHistory;
}

class TRecordPage : public QWidget {
    Q_OBJECT
public:
    TRecordPage(QWidget* parent, TSessionControl& session, const protocol::PositionHistory& fixes);

    // Records to path, with a text log when the page's check box says so.
    // Throws std::runtime_error when the file cannot be made.
    void StartRecording(const QString& path);
    // Replays the recording at path at the page's pace.
    void OpenRecording(const QString& path);
    // Writes the session's fixes to path, a .gpx or .kml file. Throws
    // std::runtime_error when there is no fix or the file cannot be written.
    void ExportTrack(const QString& path);
    // The number of fixes the session holds now.
    void ShowFixes();

private:
    void Connect();
    void RecordClicked();
    void OpenRecordingClicked();
    void ExportTrackClicked();
    void RequireFixes() const;
    void ShowReplay(const QString& text, double progress, bool paused);
    void ResetReplayControls();
    void ShowBackOffer(const QString& portName);
    void ReplayLeft();

    static constexpr int kPositionSteps = 1000;

    TSessionControl& session_;
    const protocol::PositionHistory& fixes_;

    QPushButton* btnRecord;
    QPushButton* btnStopRecording;
    QCheckBox* cbTextLog;
    QLabel* lblRecording;

    QPushButton* btnOpenRecording;
    QComboBox* cbReplayPace;       // 0 recorded pace, 1 as fast as possible
    QSpinBox* seMessagesPerSecond; // the pace of raw files
    QPushButton* btnPauseReplay;
    QPushButton* btnStepReplay;
    QSlider* slReplayPosition; // 0 … kPositionSteps
    QLabel* lblReplay;
    QLabel* lblReplaySkipped;   // the text log's lines left out
    QPushButton* btnBackToPort; // "Back to COM13" once a replay finished

    QPushButton* btnExportTrack;
    QLabel* lblTrack; // the fixes held, and what the last export wrote
    QString lastExport_;
};
