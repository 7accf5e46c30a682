#pragma once
// The one way the window sends UBX commands: writes the frame through the
// window's sender, in its turn behind a write going on, follows the
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
class TWindowSender;

// The outcome as a page shows it beside its button, "ACK-ACK after 84 ms".
QString OutcomeText(const ubx::TCommandOutcome& outcome);

class TUbxCommander : public QObject {
    Q_OBJECT
public:
    using TOnSettled = std::function<void(const ubx::TCommandOutcome&)>;
    using TOnWritten = std::function<void(std::uint32_t count)>;

    TUbxCommander(QObject* parent, TWindowSender& sender, TSerialPort& port);

    // Writes the command, at once or once the write going on has ended
    // (throws the port's error when it is not open, and then follows
    // nothing); onWritten hears the count written. The time for the answer
    // counts from when the whole frame went out.
    void Send(const TUBXPacket& command, TOnSettled onSettled = {}, TOnWritten onWritten = {});
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
    // A command from its Send until it is settled.
    struct TOutgoing {
        TUBXPacket command;
        std::size_t frameBytes;
        TOnSettled onSettled;
        std::uint64_t ticket = 0; // once its frame began to go out
    };

    // Follows the command whose frame begins to go out.
    void Track(TOutgoing& outgoing);
    void Report(const std::vector<ubx::TCommandOutcome>& outcomes);
    void Announce(const ubx::TCommandOutcome& outcome, const TUBXPacket& command,
                  const TOnSettled& onSettled);

    TWindowSender& sender_;
    TSerialPort& portSerial;
    ubx::TCommandTracker tracker_;
    QTimer expiry_;
    std::map<std::uint64_t, TOnSettled> listeners_;
    std::map<std::uint64_t, TUBXPacket> commands_; // until settled
};
