#pragma once
// The NTRIP client in the window: fetches a caster's sourcetable, keeps a
// mountpoint's stream connected (again after 1 s, then twice as long after
// each failure up to 30 s, while the caster is lost), writes the
// corrections to the receiver through the window's one sender in whole
// messages, and sends the caster a GGA of the receiver's fix (or a typed
// position) every few seconds. A refused password, a mountpoint the caster
// does not have or an answer that is no caster's ends the connection with
// its reason. Requests are never logged: they carry the password.

#include "protocol/ntrip/CorrectionStream.h"
#include "protocol/ntrip/GgaSentence.h"
#include "protocol/ntrip/NtripRequest.h"
#include "protocol/ntrip/Sourcetable.h"
#include "window/parts/CasterRequest.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <optional>
#include <string>

class TReceiverFeed;
class TSerialPort;
class TWindowSender;

// What the status shows, about once a second.
struct TNtripStatus {
    QString State;           // "Connected to TEST at caster:2101", "Off", …
    std::uint64_t Bytes = 0; // received from the caster
    double BytesPerSecond = 0;
    QString Types;                    // "RTCM 1005: 3, RTCM 1077: 30"
    std::optional<double> AgeSeconds; // of the last correction
    std::uint64_t Written = 0;        // to the receiver
    std::uint64_t NotWritten = 0;     // while the port was closed or blocked
    std::uint64_t HeldBack = 0;       // messages that are no corrections (NMEA, UBX answers)
};

class TNtripControl : public QObject {
    Q_OBJECT
public:
    TNtripControl(QObject* parent, TWindowSender& sender, TSerialPort& port,
                  const TReceiverFeed& feed);

    void FetchSourcetable(const ntrip::Caster& caster);
    // Connects to mountpoint, in place of a connection there is.
    void Connect(const ntrip::Caster& caster, const std::string& mountpoint);
    void Disconnect();
    bool Active() const { return active_; }
    // GGA to the caster every seconds (0: none).
    void SetGgaInterval(int seconds);
    // The position the GGA tells; none: the receiver's fix.
    void SetTypedPosition(const std::optional<ntrip::GgaFix>& position);
    TNtripStatus Status() const;
    // Where the rover is: the typed position, else the receiver's last
    // position; none while neither is known.
    std::optional<ntrip::GgaFix> CurrentFix() const;

signals:
    void SourcetableReceived(const ntrip::Sourcetable& table);
    // The connection ended for a reason retrying cannot mend, or the
    // sourcetable could not be had: the line for the user.
    void Failed(const QString& message);
    void StatusChanged(const TNtripStatus& status);
    // "NTRIP: connected to TEST at caster.example:2101", for the port log.
    void Logged(const QString& line);

private:
    void StreamEnded(TCasterRequest::TEnd end, const QString& message, const std::string& body);
    void SourcetableEnded(TCasterRequest::TEnd end, const QString& message,
                          const std::string& body);
    void RetryLater(const QString& cause);
    void Stop(const QString& state);
    void Take(const std::string& bytes);
    void FlushHeld();
    void Write();
    void SendGga();
    std::optional<std::string> CurrentGga() const;
    double Seconds() const;
    QString Where() const;
    void ShowStatus();

    TWindowSender& sender_;
    TSerialPort& port_;
    const TReceiverFeed& feed_;
    TCasterRequest* stream_;
    TCasterRequest* sourcetable_;
    ntrip::Caster caster_;
    std::string mountpoint_;
    bool active_ = false;
    QString state_ = "Off";
    int failures_ = 0; // since the stream last ran
    QTimer retry_;
    QTimer gga_;
    QTimer flush_;   // releases bytes held for a message's rest
    QTimer silence_; // a stream that stays silent is connected again
    QTimer status_;
    std::optional<ntrip::GgaFix> typedPosition_;
    QElapsedTimer clock_;
    ntrip::CorrectionStream corrections_;
    std::string pending_; // whole messages waiting for the sender
    std::uint64_t written_ = 0;
    std::uint64_t notWritten_ = 0;
};
