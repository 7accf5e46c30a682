#pragma once
// The one way the window sends UBX commands: writes the frame, follows the
// command until the receiver answers (ACK-ACK, ACK-NAK, the polled message)
// or its time is up, and logs the outcome, for instance "CFG-PRT: ACK-ACK
// after 84 ms". The page that sent the command hears the outcome too, to show
// it next to its button.

#include "protocol/commands/CommandTracker.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <map>
#include <span>

class TSerialPort;

// The outcome as a page shows it beside its button, "ACK-ACK after 84 ms".
QString OutcomeText(const ubx::TCommandOutcome& outcome);

class TUbxCommander : public QObject {
    Q_OBJECT
public:
    using TOnSettled = std::function<void(const ubx::TCommandOutcome&)>;

    TUbxCommander(QObject* parent, TSerialPort& port);

    // Writes the command (throws the port's error when it is not open, and
    // then follows nothing); returns the count written.
    std::uint32_t Send(const TUBXPacket& command, TOnSettled onSettled = {});
    // True while the port is open, so a command can go out.
    bool CanSend() const;

    // A UBX frame received with a right checksum.
    void Receive(std::uint8_t ubxClass, std::uint8_t id, std::span<const std::uint8_t> payload);

signals:
    // The outcome of a command as a line of the port log.
    void Logged(const QString& line);
    // A command and its outcome, for those who follow what the receiver was
    // told.
    void Settled(const TUBXPacket& command, const ubx::TCommandOutcome& outcome);

private:
    void Report(const std::vector<ubx::TCommandOutcome>& outcomes);

    TSerialPort& portSerial;
    ubx::TCommandTracker tracker_;
    QTimer expiry_;
    std::map<std::uint64_t, TOnSettled> listeners_;
    std::map<std::uint64_t, TUBXPacket> commands_; // until settled
};
