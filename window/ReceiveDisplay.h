#pragma once
// The receive display: each chunk from the port toggles the data-in LED,
// feeds the PUBX watch, is rendered in the chosen view into the data pane
// (unless output is stopped) and, in the NMEA view, feeds the NMEA watch and
// status panel 3. A chunk starting with the UBX sync byte in the UBX view
// raises the "Found UBX" notice. Nothing is carried from one chunk to the
// next, except the start of a UBX frame cut off at a chunk's end, which the
// NMEA view and the watches leave out (protocol/ReceiveText.h).

#include "protocol/ReceiveText.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <string>

class QLabel;
class QPlainTextEdit;
class QWidget;
class TComPortPage;
class TNmeaPubxPage;
class TNmeaStandardPage;

class TReceiveDisplay : public QObject {
    Q_OBJECT
public:
    TReceiveDisplay(QWidget* window, QPlainTextEdit* data, QLabel* watchPanel,
                    TComPortPage* comPort, TNmeaStandardPage* nmea, TNmeaPubxPage* pubx);

    void portSerialReceive(const std::string& Buffer);
    // "Stop Output": output stops while checked.
    void cbSkipClick();
    // "Show Current": inverts the stop.
    void btnStepClick() { Skip = !Skip; }

    // Output stopped: the data pane keeps what it shows.
    bool Skip = false;

private:
    // Shows the notice without waiting for it: reception goes on while it is
    // up, and a notice already up is not joined by a second one.
    void ShowFoundUbx();

    TReceiveTextFilter textFilter_;
    QPointer<QMessageBox> foundUbx_;

    QWidget* window_;
    QPlainTextEdit* moData;
    QLabel* watchPanel_;
    TComPortPage* comPort_;
    TNmeaStandardPage* nmea_;
    TNmeaPubxPage* pubx_;
};
