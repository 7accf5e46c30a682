#pragma once
// The "NMEA Standard" page: sending a line of text or a byte list, the
// receive view, Stop Output / Show Current and the NMEA watch. "Send String"
// writes the text with CR LF, "Send Bytes" the "#byte1#byte2..." list; the
// byte list lets only digits and "#" be typed.

#include "protocol/ReceiveView.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QFrame;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TRadioGroup;
class TWindowSender;

class TNmeaStandardPage : public QWidget {
    Q_OBJECT
public:
    TNmeaStandardPage(QWidget* parent, TWindowSender& sender);

    ViewMode View() const;
    // The text of the watch's selection: its first three characters name
    // the sentence watched.
    QString NmeaWatch() const;
    // A watched sentence, shown first in the watch.
    void ShowWatchLine(const QString& line);

signals:
    void ViewChanged(ViewMode view);
    void NmeaWatchChanged(const QString& watch);
    // "Stop Output" checked or not, by a click or otherwise.
    void StopOutputChanged(bool checked);
    // "Stop Output" clicked; checked stops the output.
    void StopOutputClicked(bool checked);
    void ShowCurrentClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LayOut();
    void Connect();
    void SendStringClicked();
    void SendBytesClicked();

    TWindowSender& sender_;

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
};
