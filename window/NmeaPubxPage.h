#pragma once
// The "NMEA PUBX" page: the Set UBX40 panel that composes a $PUBX,40 rate
// command, the three PUBX polls and the PUBX watch.

#include <QWidget>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TNumEdit;
class TNumSpin;

class TNmeaPubxPage : public QWidget {
    Q_OBJECT
public:
    explicit TNmeaPubxPage(QWidget* parent);

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

private:
    void CreateSetUBX40Panel();
    void CreateControlsPanel();
};
