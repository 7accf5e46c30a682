#pragma once
// The "NMEA PUBX" page: the Set UBX40 panel that composes a $PUBX,40 rate
// command from the chosen message and the five rate fields and shows its
// checksum in "9.cs", the three PUBX polls and the PUBX watch.
// "edUBXSendBytes" has no operation.

#include <QWidget>
#include <string_view>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TNumEdit;
class TNumSpin;
class TWindowSender;

class TNmeaPubxPage : public QWidget {
    Q_OBJECT
public:
    TNmeaPubxPage(QWidget* parent, TWindowSender& sender);

    // The text of the watch's selection: it starts with the sentence watched.
    QString PubxWatch() const;
    // A watched sentence, shown first in the watch.
    void ShowWatchLine(const QString& line);

signals:
    void PubxWatchChanged(const QString& watch);

private:
    void CreateSetUBX40Panel();
    void CreateControlsPanel();
    void Connect();
    void SetUBX40Clicked();
    void SendPoll(std::string_view command);

    TWindowSender& sender_;

    QFrame* pnlUBTop;
    QFrame* pnlSetUBX40;
    QPushButton* btnSetUBX40;
    QLabel* lblSetNMEAOutputRate;
    QComboBox* cbSetNMEA;
    TNumSpin* ns3rddc;
    TNumSpin* ns4rus1;
    TNumSpin* ns5rus2;
    TNumSpin* ns6rusb;
    TNumSpin* ns7rspi;
    QLabel* lbl3rddc;
    QLabel* lbl4rus1;
    QLabel* lbl5rus2;
    QLabel* lbl6rusb;
    QLabel* lbl7rspi;
    TNumEdit* ne8res;
    QLabel* lblres;
    QLineEdit* edCKA_CKB;
    QLabel* lblcs;

    QFrame* pnlUBXControls;
    QComboBox* cbPUBXWatch;
    QPushButton* btnPollLatLon;
    QPushButton* btnPolSatStat;
    QPushButton* btnPollTime;
    QLineEdit* edUBXSendBytes;
    QPlainTextEdit* moUBXWatch;
};
