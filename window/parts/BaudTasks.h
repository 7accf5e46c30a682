#pragma once
// The receiver's baud rate, the tasks behind the "Configure" page's baud
// buttons; what they find is told through the signals:
// - "Poll" reads CFG-PRT for the port the monitor talks to, or on a
//   receiver with a configuration database UART1's keys;
// - "Set" sends that CFG-PRT back with the new rate (protocol masks and
//   line mode as polled, polling first when nothing was polled yet), or
//   sets CFG-UART1-BAUDRATE in RAM; once
//   the receiver has answered it moves the monitor to the new rate and waits
//   up to 3 s for valid messages; if none arrive it goes back to the old
//   rate and says so; a receiver that refuses the rate (ACK-NAK) keeps both
//   where they are;
// - "Find Baud" tries the likely rates, about 2 s each, and stays at the
//   first that carries valid messages, showing what it tried.

#include "protocol/commands/RateProbe.h"
#include "protocol/commands/UbxCommands.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

class QWidget;
class TReceiverIdentity;
class TSerialPort;
class TUbxCommander;
namespace ubx {
struct TCommandOutcome;
}

class TBaudTasks : public QObject {
    Q_OBJECT
public:
    // Errors of the steps that run later are shown over window.
    TBaudTasks(QWidget* window, TUbxCommander& commander, TReceiverIdentity& identity,
               TSerialPort& port);

    // A message with a right checksum arrived.
    void ValidMessage();
    // The user opened a port, at a rate of their choice: what the tasks
    // found about the receiver's port and rate no longer holds.
    void ForgetReceiver();

    // "Poll", "Set" to rate, "Find Baud".
    void Poll();
    void Set(std::int32_t rate);
    void Find();

signals:
    // The receiver's answer about its port, or what became of a change.
    void AnswerShown(const QString& text);
    // The rates the search tried and its outcome.
    void SearchShown(const QString& text);
    // The rate the receiver said it uses.
    void ReceiverRateShown(std::int32_t rate);
    // While busy, no other baud task can start.
    void BusyChanged(bool busy);
    // The monitor's port was moved to rate.
    void MonitorRateChanged(std::int32_t rate);

private:
    using TProbeDone = std::function<void(bool found)>;
    // Polls CFG-PRT; then, when given, runs once the answer is in.
    void PollPort(const std::function<void()>& then);
    void SetBaud(std::int32_t rate);
    // Moves the monitor to the port's rate and keeps it there if valid
    // messages arrive within 3 s.
    void FollowReceiver(const ubx::TCfgPrt& port);
    void StartProbe(std::vector<std::int32_t> rates, std::chrono::milliseconds dwell,
                    TProbeDone done);
    void ProbeStep(TRateProbe::TStep step);
    std::int32_t MonitorRate() const;
    void SwitchMonitorTo(std::int32_t rate);
    QString TriedText() const;
    void ShowFindBaud();

    QWidget* window_;
    TUbxCommander& commander_;
    TReceiverIdentity& identity_;
    TSerialPort& portSerial;
    bool database_ = false; // the receiver is configured through its keys
    std::optional<ubx::TCfgPrt> polledPort_;
    std::unique_ptr<TRateProbe> probe_;
    TProbeDone probeDone_;
    QTimer probeTimer_;
    bool searching_ = false;
};
