#include "window/parts/BaudTasks.h"

#include "protocol/commands/CommandTracker.h"
#include "protocol/commands/DatabaseSettings.h"
#include "serial/SerialPort.h"
#include "window/blocks/ErrorBox.h"
#include "window/parts/ReceiverIdentity.h"
#include "window/parts/UbxCommander.h"

#include <QWidget>

using namespace std::chrono_literals;

namespace {

constexpr auto kNewRateCheck = 3000ms;
constexpr auto kSearchDwell = 2000ms;

QString ProtocolNames(std::uint16_t mask) {
    QStringList names;
    const std::pair<int, const char*> protocols[] = {
        {0, "UBX"}, {1, "NMEA"}, {2, "RTCM"}, {5, "RTCM3"}};
    for (const auto& [bit, name] : protocols)
        if (mask & (1u << bit))
            names << name;
    return names.isEmpty() ? "none" : names.join('+');
}

QString PortText(const ubx::TCfgPrt& port) {
    return QString("port %1 at %2 baud, in %3, out %4")
        .arg(port.portId)
        .arg(port.baudRate)
        .arg(ProtocolNames(port.inProtoMask), ProtocolNames(port.outProtoMask));
}

} // namespace

TBaudTasks::TBaudTasks(QWidget* window, TUbxCommander& commander, TReceiverIdentity& identity,
                       TSerialPort& port)
    : QObject(window), window_(window), commander_(commander), identity_(identity),
      portSerial(port) {
    probeTimer_.setInterval(100);
    connect(&probeTimer_, &QTimer::timeout, this, [this] { ProbeStep(probe_->Tick()); });
}

void TBaudTasks::ValidMessage() {
    if (probe_ && !probe_->Done())
        ProbeStep(probe_->ValidMessage());
}

void TBaudTasks::ForgetReceiver() {
    polledPort_.reset();
    emit AnswerShown({});
    emit SearchShown({});
}

void TBaudTasks::Poll() {
    identity_.WhenKnown([this](const ubx::TReceiverGeneration& receiver) {
        database_ = receiver.configurationDatabase;
        PollPort({});
    });
}

void TBaudTasks::PollPort(const std::function<void()>& then) {
    const TUBXPacket poll = database_ ? ubx::Uart1ValGet() : ubx::CfgPrtPoll();
    commander_.Send(poll, [this, then](const ubx::TCommandOutcome& outcome) {
        const auto port = outcome.kind != ubx::TAnswerKind::Answered ? std::nullopt
                          : database_ ? ubx::Uart1OfValGet(outcome.answer)
                                      : ubx::ReadCfgPrt(outcome.answer);
        if (!port) {
            emit AnswerShown(OutcomeText(outcome));
            return;
        }
        polledPort_ = port;
        emit AnswerShown(OutcomeText(outcome) + ": " + PortText(*port));
        // A poll of its own shows the rate; one before a change keeps the rate chosen.
        if (then)
            RunGuarded(window_, then);
        else
            emit ReceiverRateShown(static_cast<std::int32_t>(port->baudRate));
    });
}

void TBaudTasks::Set(std::int32_t rate) {
    identity_.WhenKnown([this, rate](const ubx::TReceiverGeneration& receiver) {
        database_ = receiver.configurationDatabase;
        if (polledPort_)
            SetBaud(rate);
        else
            PollPort([this, rate] { SetBaud(rate); });
    });
}

void TBaudTasks::SetBaud(std::int32_t rate) {
    ubx::TCfgPrt port = *polledPort_;
    port.baudRate = static_cast<std::uint32_t>(rate);
    const TUBXPacket command =
        database_ ? ubx::Uart1BaudValSet(port.baudRate) : ubx::CfgPrtSet(port);
    // The receiver answers at the old rate and then changes: the monitor
    // follows once the answer is in, as leaving earlier would throw the
    // acknowledgement away with the bytes received at the old rate. Without
    // an answer the acknowledgement may have been lost, so it follows too.
    commander_.Send(command, [this, port](const ubx::TCommandOutcome& outcome) {
        if (outcome.kind == ubx::TAnswerKind::Rejected ||
            outcome.kind == ubx::TAnswerKind::NotSent) {
            emit BusyChanged(false);
            emit AnswerShown(
                QString("%1: the receiver stays at its rate.").arg(OutcomeText(outcome)));
            return;
        }
        // Once the chunk that brought the answer is through: what follows
        // it in the chunk came before the monitor moved.
        QTimer::singleShot(0, this, Guarded(window_, [this, port] { FollowReceiver(port); }));
    });
    emit AnswerShown(QString("Receiver set to %1 baud; following it.").arg(rate));
    emit BusyChanged(true);
}

void TBaudTasks::FollowReceiver(const ubx::TCfgPrt& port) {
    const std::int32_t oldRate = MonitorRate();
    const auto rate = static_cast<std::int32_t>(port.baudRate);
    SwitchMonitorTo(rate);
    StartProbe({rate}, kNewRateCheck, [this, rate, oldRate, port](bool found) {
        if (found) {
            polledPort_ = port;
            emit AnswerShown(
                QString("Receiver and monitor at %1 baud: valid messages arrive.").arg(rate));
            return;
        }
        SwitchMonitorTo(oldRate);
        emit AnswerShown(QString("No valid messages at %1 baud within 3 s: back to %2 baud.")
                             .arg(rate)
                             .arg(oldRate));
    });
}

void TBaudTasks::Find() {
    if (!portSerial.IsConnected())
        throw ESerialPortException(portSerial.CommPortToString(portSerial.Port()) +
                                   " is not open. Serial port is not connected.");
    const std::int32_t startRate = MonitorRate();
    searching_ = true;
    StartProbe(LikelyReceiverRates(), kSearchDwell, [this, startRate](bool found) {
        searching_ = false;
        if (!found)
            SwitchMonitorTo(startRate);
        emit SearchShown(found ? TriedText()
                               : TriedText() + QString(": back to %1 baud.").arg(startRate));
    });
    SwitchMonitorTo(probe_->Current());
    ShowFindBaud();
}

QString TBaudTasks::TriedText() const {
    return "Tried " + QString::fromStdString(probe_->Tried());
}

void TBaudTasks::ShowFindBaud() {
    emit SearchShown(TriedText());
}

void TBaudTasks::StartProbe(std::vector<std::int32_t> rates, std::chrono::milliseconds dwell,
                            TProbeDone done) {
    probe_ = std::make_unique<TRateProbe>(std::move(rates), dwell);
    probeDone_ = std::move(done);
    emit BusyChanged(true);
    probeTimer_.start();
}

void TBaudTasks::ProbeStep(TRateProbe::TStep step) {
    if (step == TRateProbe::TStep::Stay)
        return;
    if (step == TRateProbe::TStep::Next) {
        SwitchMonitorTo(probe_->Current());
        if (searching_)
            ShowFindBaud();
        return;
    }
    probeTimer_.stop();
    emit BusyChanged(false);
    const TProbeDone done = std::move(probeDone_);
    RunGuarded(window_, [&] { done(step == TRateProbe::TStep::Found); });
}

std::int32_t TBaudTasks::MonitorRate() const {
    return portSerial.BaudRateToInt(portSerial.BaudRate());
}

void TBaudTasks::SwitchMonitorTo(std::int32_t rate) {
    if (MonitorRate() == rate)
        return;
    portSerial.SetBaudRate(IntToBaudRate(rate));
    // Bytes that came in at the old rate say nothing about the new one.
    portSerial.ClearInputBuffer();
    emit MonitorRateChanged(rate);
}
