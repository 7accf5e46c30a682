#pragma once
// The receive display: each chunk from the port toggles the data-in LED,
// feeds the PUBX watch, is rendered in the chosen view into the data pane
// (unless output is stopped) and, in the NMEA view, feeds the NMEA watch and
// status panel 3. A chunk starting with the UBX sync byte in the UBX view
// raises the "Found UBX" notice. Nothing is carried from one chunk to the next.

#include <QObject>
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
    void ShowFoundUbx();

    QWidget* window_;
    QPlainTextEdit* moData;
    QLabel* watchPanel_;
    TComPortPage* comPort_;
    TNmeaStandardPage* nmea_;
    TNmeaPubxPage* pubx_;
};
