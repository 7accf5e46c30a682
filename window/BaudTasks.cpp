#include "window/BaudTasks.h"

#include "protocol/commands/CommandTracker.h"
#include "serial/SerialPort.h"
#include "window/ComPortPage.h"
#include "window/ConfigurePage.h"
#include "window/ErrorBox.h"
#include "window/TextPane.h"
#include "window/UbxCommander.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

using namespace std::chrono_literals;

namespace {

constexpr auto kNewRateCheck = 3000ms;
constexpr auto kSearchDwell = 2000ms;

QString ProtocolNames(std::uint16_t mask) {
    QStringList names;
    const char* protocols[] = {"UBX", "NMEA", "RTCM"};
    for (int bit = 0; bit < 3; ++bit)
        if (mask & (1u << bit))
            names << protocols[bit];
    return names.isEmpty() ? "none" : names.join('+');
}

QString PortText(const ubx::TCfgPrt& port) {
    return QString("port %1 at %2 baud, in %3, out %4")
        .arg(port.portId)
        .arg(port.baudRate)
        .arg(ProtocolNames(port.inProtoMask), ProtocolNames(port.outProtoMask));
}

QString OutcomeText(const ubx::TCommandOutcome& outcome) {
    return QString::fromStdString(outcome.Text());
}

} // namespace

TBaudTasks::TBaudTasks(TConfigurePage* page, TComPortPage* comPort, TUbxCommander& commander,
                       TSerialPort& port)
    : QObject(page), page_(page), comPort_(comPort), commander_(commander), portSerial(port) {
    probeTimer_.setInterval(100);
    connect(&probeTimer_, &QTimer::timeout, this, [this] { ProbeStep(probe_->Tick()); });
    connect(page->btnPollPort, &QPushButton::clicked, this,
            Guarded(page, [this] { btnPollPortClick(); }));
    connect(page->btnSetBaud, &QPushButton::clicked, this,
            Guarded(page, [this] { btnSetBaudClick(); }));
    connect(page->btnFindBaud, &QPushButton::clicked, this,
            Guarded(page, [this] { btnFindBaudClick(); }));
}

void TBaudTasks::ValidMessage() {
    if (probe_ && !probe_->Done())
        ProbeStep(probe_->ValidMessage());
}

void TBaudTasks::btnPollPortClick() {
    PollPort({});
}

void TBaudTasks::PollPort(const std::function<void()>& then) {
    commander_.Send(ubx::CfgPrtPoll(), [this, then](const ubx::TCommandOutcome& outcome) {
        const auto port = outcome.kind == ubx::TAnswerKind::Answered
                              ? ubx::ReadCfgPrt(outcome.answer)
                              : std::nullopt;
        if (!port) {
            page_->lblBaudAnswer->setText(OutcomeText(outcome));
            return;
        }
        polledPort_ = port;
        page_->lblBaudAnswer->setText(OutcomeText(outcome) + ": " + PortText(*port));
        // A poll of its own shows the rate; one before a change keeps the rate chosen.
        if (then)
            RunGuarded(page_, then);
        else
            page_->cbReceiverBaud->setCurrentText(QString::number(port->baudRate));
    });
}

void TBaudTasks::btnSetBaudClick() {
    const std::int32_t rate = page_->cbReceiverBaud->currentData().toInt();
    if (polledPort_)
        SetBaud(rate);
    else
        PollPort([this, rate] { SetBaud(rate); });
}

void TBaudTasks::SetBaud(std::int32_t rate) {
    ubx::TCfgPrt port = *polledPort_;
    port.baudRate = static_cast<std::uint32_t>(rate);
    // The receiver answers at the old rate and then changes: the monitor
    // follows once the answer is in, as leaving earlier would throw the
    // acknowledgement away with the bytes received at the old rate. Without
    // an answer the acknowledgement may have been lost, so it follows too.
    commander_.Send(ubx::CfgPrtSet(port), [this, port](const ubx::TCommandOutcome& outcome) {
        if (outcome.kind == ubx::TAnswerKind::Rejected) {
            SetBusy(false);
            page_->lblBaudAnswer->setText(
                QString("%1: the receiver stays at its rate.").arg(OutcomeText(outcome)));
            return;
        }
        // Once the chunk that brought the answer is through: what follows
        // it in the chunk came before the monitor moved.
        QTimer::singleShot(0, this, Guarded(page_, [this, port] { FollowReceiver(port); }));
    });
    page_->lblBaudAnswer->setText(QString("Receiver set to %1 baud; following it.").arg(rate));
    SetBusy(true);
}

void TBaudTasks::FollowReceiver(const ubx::TCfgPrt& port) {
    const std::int32_t oldRate = MonitorRate();
    const auto rate = static_cast<std::int32_t>(port.baudRate);
    SwitchMonitorTo(rate);
    StartProbe({rate}, kNewRateCheck, [this, rate, oldRate, port](bool found) {
        if (found) {
            polledPort_ = port;
            page_->lblBaudAnswer->setText(
                QString("Receiver and monitor at %1 baud: valid messages arrive.").arg(rate));
            return;
        }
        SwitchMonitorTo(oldRate);
        page_->lblBaudAnswer->setText(
            QString("No valid messages at %1 baud within 3 s: back to %2 baud.")
                .arg(rate)
                .arg(oldRate));
    });
}

void TBaudTasks::btnFindBaudClick() {
    if (!portSerial.IsConnected())
        throw ESerialPortException(portSerial.CommPortToString(portSerial.Port()) +
                                   " is not open. Serial port is not connected.");
    const std::int32_t startRate = MonitorRate();
    searching_ = true;
    StartProbe(LikelyReceiverRates(), kSearchDwell, [this, startRate](bool found) {
        searching_ = false;
        if (!found)
            SwitchMonitorTo(startRate);
        ShowFindBaud();
        if (!found)
            page_->lblFindBaud->setText(page_->lblFindBaud->text() +
                                        QString(": back to %1 baud.").arg(startRate));
    });
    SwitchMonitorTo(probe_->Current());
    ShowFindBaud();
}

void TBaudTasks::ShowFindBaud() {
    page_->lblFindBaud->setText("Tried " + QString::fromStdString(probe_->Tried()));
}

void TBaudTasks::StartProbe(std::vector<std::int32_t> rates, std::chrono::milliseconds dwell,
                            TProbeDone done) {
    probe_ = std::make_unique<TRateProbe>(std::move(rates), dwell);
    probeDone_ = std::move(done);
    SetBusy(true);
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
    SetBusy(false);
    const TProbeDone done = std::move(probeDone_);
    RunGuarded(page_, [&] { done(step == TRateProbe::TStep::Found); });
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
    comPort_->SelectBaudRate(QString::number(rate));
    AppendLine(comPort_->moComPort, QString("Monitor now at %1 baud").arg(rate));
}

void TBaudTasks::SetBusy(bool busy) {
    for (QPushButton* button : {page_->btnPollPort, page_->btnSetBaud, page_->btnFindBaud})
        button->setEnabled(!busy);
}
