#pragma once
// The "NMEA Standard" page: sending a line of text or a byte list, the
// receive view, Stop Output / Show Current and the NMEA watch.

#include <QWidget>

class QCheckBox;
class QComboBox;
class QFrame;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TRadioGroup;

class TNmeaStandardPage : public QWidget {
    Q_OBJECT
public:
    explicit TNmeaStandardPage(QWidget* parent);

    QFrame* pnlControls;
    QLineEdit* edSentStr;
    QPushButton* btnSendStr;
    QLineEdit* edSentBytes;
    QPushButton* btnSendBytes;
    TRadioGroup* rgMode; // its index is the ViewMode
    QCheckBox* cbSkip;
    QPushButton* btnStep;
    QComboBox* cbNMEAWatch;
    QPlainTextEdit* moNMEAWatch;

private:
    void LayOut();
};
