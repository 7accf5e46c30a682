#pragma once
// The "Record" page: recording the session to a file (with an optional text
// log beside it) and replaying a recording through the window as if a
// receiver sent it, at its recorded pace or as fast as the window takes it.

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class QSpinBox;

class TRecordPage : public QWidget {
    Q_OBJECT
public:
    explicit TRecordPage(QWidget* parent);

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

    static constexpr int kPositionSteps = 1000;
};
