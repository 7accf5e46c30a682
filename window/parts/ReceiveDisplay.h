#pragma once
// The receive display: each chunk from the port is rendered in the chosen
// view into the data pane (unless output is stopped), its PUBX sentences and,
// in the NMEA view, its watched NMEA sentences go out to the watches. A chunk
// starting with the UBX sync byte in the UBX view raises the "Found UBX"
// notice. The ASCII, Decimal and Hexa views show each chunk by itself; the
// NMEA view and the watches read the chunks' text, which holds back a UBX
// frame or a line cut off at a chunk's end until it completes
// (protocol/ReceiveText.h).

#include "protocol/ReceiveText.h"
#include "protocol/ReceiveView.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <string>

class QPlainTextEdit;
class QWidget;

class TReceiveDisplay : public QObject {
    Q_OBJECT
public:
    TReceiveDisplay(QWidget* window, QPlainTextEdit* data);

    void Take(const std::string& Buffer);

    // The view's settings, as the pages show them.
    void SetView(ViewMode view) { view_ = view; }
    // The texts of the watches' selections.
    void SetNmeaWatch(const QString& watch);
    void SetPubxWatch(const QString& watch);
    // "Stop Output" as checked now; each chunk of the NMEA view takes it.
    void SetStopOutput(bool checked) { stopChecked_ = checked; }
    // "Stop Output" clicked: output stops while checked.
    void StopOutputClicked(bool checked) { skip_ = checked; }
    // "Show Current": inverts the stop.
    void ShowCurrent() { skip_ = !skip_; }

signals:
    // A chunk arrived.
    void DataArrived();
    void NmeaWatchLine(const QString& line);
    void PubxWatchLine(const QString& line);

private:
    // Shows the notice without waiting for it: reception goes on while it is
    // up, and a notice already up is not joined by a second one.
    void ShowFoundUbx();

    TReceiveTextFilter textFilter_;
    QPointer<QMessageBox> foundUbx_;

    QWidget* window_;
    QPlainTextEdit* moData;
    ViewMode view_ = ViewMode::vmASCII;
    std::string nmeaWatch_;
    std::string pubxWatch_;
    bool stopChecked_ = false;
    // Output stopped: the data pane keeps what it shows.
    bool skip_ = false;
};
