// The "Configure" page's handlers: each button's command and its answer.

#include "protocol/commands/DatabaseSettings.h"
#include "protocol/commands/OutputMessages.h"
#include "protocol/commands/UbxCommands.h"
#include "window/blocks/ErrorBox.h"
#include "window/pages/ConfigurePage.h"
#include "window/parts/BaudTasks.h"
#include "window/parts/ReceiverIdentity.h"
#include "window/parts/UbxCommander.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>

namespace {

const TOutputMessage& ChosenMessage(const QComboBox* messages) {
    return OutputMessages()[static_cast<std::size_t>(messages->currentIndex())];
}

QString VersionText(const ubx::TMonVer& version) {
    QStringList lines = {"Software: " + QString::fromStdString(version.software),
                         "Hardware: " + QString::fromStdString(version.hardware)};
    for (const std::string& extension : version.extensions)
        lines << "Extension: " + QString::fromStdString(extension);
    return lines.join('\n');
}

} // namespace

void TConfigurePage::Connect() {
    const auto bind = [this](QPushButton* button, auto handler) {
        connect(button, &QPushButton::clicked, this, Guarded(this, handler));
    };
    bind(btnPollRate, [this] { PollRateClicked(); });
    bind(btnSetRate, [this] { SetRateClicked(); });
    bind(btnPollMsg, [this] { PollMsgClicked(); });
    bind(btnSetMsg, [this] { SetMsgClicked(); });
    bind(btnPollVersion, [this] { PollVersionClicked(); });
    bind(btnSaveCfg, [this] {
        ConfirmOnDevicesAndSend("Save the receiver's current configuration to the chosen devices?",
                                ubx::TCfgAction::Save);
    });
    bind(btnLoadCfg, [this] {
        ConfirmOnDevicesAndSend("Load the configuration saved on the chosen devices?",
                                ubx::TCfgAction::Load);
    });
    bind(btnDefaultCfg, [this] {
        ConfirmOnDevicesAndSend("Revert the receiver to its default configuration, on the "
                                "chosen devices and in use?",
                                ubx::TCfgAction::Default);
    });
    const std::pair<QPushButton*, ubx::TStartKind> restarts[] = {
        {btnHotStart, ubx::TStartKind::Hot},
        {btnWarmStart, ubx::TStartKind::Warm},
        {btnColdStart, ubx::TStartKind::Cold}};
    for (const auto& [button, kind] : restarts)
        bind(button, [this, button, kind] {
            ConfirmAndSend("Restart the receiver (" + button->text().toLower() + ")?",
                           ubx::CfgRst(kind));
        });
    // Choosing a message shows its current rates, when the receiver can be asked.
    connect(cbMessage, &QComboBox::currentIndexChanged, this, [this] {
        if (isVisible())
            RunGuarded(this, [this] { PollMsgClicked(); });
    });
}

void TConfigurePage::ConnectBaudTasks() {
    // A page built after the receiver was identified shows what was found.
    lblReceiver->setText(identity_.Text());
    connect(&identity_, &TReceiverIdentity::Identified, lblReceiver, &QLabel::setText);
    connect(btnPollPort, &QPushButton::clicked, this, Guarded(this, [this] { baudTasks_.Poll(); }));
    connect(btnSetBaud, &QPushButton::clicked, this,
            Guarded(this, [this] { baudTasks_.Set(cbReceiverBaud->currentData().toInt()); }));
    connect(btnFindBaud, &QPushButton::clicked, this, Guarded(this, [this] { baudTasks_.Find(); }));
    connect(&baudTasks_, &TBaudTasks::AnswerShown, lblBaudAnswer, &QLabel::setText);
    connect(&baudTasks_, &TBaudTasks::SearchShown, lblFindBaud, &QLabel::setText);
    connect(&baudTasks_, &TBaudTasks::ReceiverRateShown, this,
            [this](std::int32_t rate) { cbReceiverBaud->setCurrentText(QString::number(rate)); });
    connect(&baudTasks_, &TBaudTasks::BusyChanged, this, [this](bool busy) {
        for (QPushButton* button : {btnPollPort, btnSetBaud, btnFindBaud})
            button->setEnabled(!busy);
    });
}

void TConfigurePage::SendShowingIn(QLabel* answer, const TUBXPacket& command) {
    commander_.Send(command, [answer](const ubx::TCommandOutcome& outcome) {
        answer->setText(OutcomeText(outcome));
    });
    answer->setText("Waiting for the answer…");
}

void TConfigurePage::PollRateClicked() {
    identity_.WhenKnown([this](const ubx::TReceiverGeneration& receiver) {
        const bool database = receiver.configurationDatabase;
        commander_.Send(ubx::RatePoll(database),
                        [this, database](const ubx::TCommandOutcome& outcome) {
                            lblRateAnswer->setText(OutcomeText(outcome));
                            if (const auto rate = ubx::RateOfAnswer(database, outcome.answer)) {
                                spMeasRate->setValue(rate->measRateMs);
                                spNavRate->setValue(rate->navRate);
                            }
                        });
    });
}

void TConfigurePage::SetRateClicked() {
    const ubx::TCfgRate rate{static_cast<std::uint16_t>(spMeasRate->value()),
                             static_cast<std::uint16_t>(spNavRate->value()), 1};
    identity_.WhenKnown([this, rate](const ubx::TReceiverGeneration& receiver) {
        SendShowingIn(lblRateAnswer, receiver.configurationDatabase ? ubx::RateValSet(rate)
                                                                    : ubx::CfgRateSet(rate));
    });
}

void TConfigurePage::PollMsgClicked() {
    const TOutputMessage& message = ChosenMessage(cbMessage);
    identity_.WhenKnown([this, &message](const ubx::TReceiverGeneration& receiver) {
        if (!receiver.configurationDatabase) {
            commander_.Send(ubx::CfgMsgPoll(message.Class, message.Id),
                            [this](const ubx::TCommandOutcome& outcome) {
                                lblMsgAnswer->setText(OutcomeText(outcome));
                                if (const auto rates = ubx::ReadCfgMsg(outcome.answer))
                                    ShowPortRates(rates->rates);
                            });
            return;
        }
        ShowingConfigError(lblMsgAnswer, [&] {
            commander_.Send(ubx::MessageRateValGet(message.Name),
                            [this, &message](const ubx::TCommandOutcome& outcome) {
                                lblMsgAnswer->setText(OutcomeText(outcome));
                                if (const auto rates =
                                        ubx::MessageRatesOfValGet(outcome.answer, message.Name))
                                    ShowPortRates(*rates);
                            });
        });
    });
}

void TConfigurePage::SetMsgClicked() {
    const TOutputMessage& message = ChosenMessage(cbMessage);
    ubx::TCfgMsg rates{message.Class, message.Id, {}};
    for (std::size_t port = 0; port < rates.rates.size(); ++port)
        rates.rates[port] = static_cast<std::uint8_t>(spPortRate[port]->value());
    identity_.WhenKnown([this, rates, &message](const ubx::TReceiverGeneration& receiver) {
        ShowingConfigError(lblMsgAnswer, [&] {
            SendShowingIn(lblMsgAnswer, receiver.configurationDatabase
                                            ? ubx::MessageRateValSet(message.Name, rates.rates)
                                            : ubx::CfgMsgSet(rates));
        });
    });
}

void TConfigurePage::ShowPortRates(const ubx::TMessageRates& rates) {
    for (std::size_t port = 0; port < rates.size(); ++port)
        spPortRate[port]->setValue(rates[port]);
}

// A message the receiver's database has no rate for is said beside the
// rates, not in a box: the page asks for rates by itself as it shows.
void TConfigurePage::ShowingConfigError(QLabel* answer, const std::function<void()>& task) {
    try {
        task();
    } catch (const ubx::EConfigError& error) {
        answer->setText(QString::fromStdString(error.what()));
    }
}

void TConfigurePage::PollVersionClicked() {
    commander_.Send(ubx::MonVerPoll(), [this](const ubx::TCommandOutcome& outcome) {
        const auto version = ubx::ReadMonVer(outcome.answer);
        moVersion->setPlainText(version ? VersionText(*version) : OutcomeText(outcome));
    });
}

void TConfigurePage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (commander_.CanSend())
        RunGuarded(this, [this] { PollMsgClicked(); });
}

void TConfigurePage::ConfirmAndSend(const QString& question, const TUBXPacket& command) {
    QMessageBox box(QMessageBox::Question, ApplicationTitle, question, QMessageBox::NoButton, this);
    QPushButton* yes = box.addButton("Send", QMessageBox::AcceptRole);
    box.addButton(QMessageBox::Cancel);
    box.exec();
    if (box.clickedButton() == yes)
        SendShowingIn(lblCfgAnswer, command);
}

// With no device chosen the receiver would acknowledge a command that does nothing.
void TConfigurePage::ConfirmOnDevicesAndSend(const QString& question, ubx::TCfgAction action) {
    if (DeviceMask() == 0) {
        lblCfgAnswer->setText(
            "Choose at least one device first: battery-backed RAM, flash, EEPROM or SPI flash.");
        return;
    }
    ConfirmAndSend(question, ubx::CfgCfg(action, DeviceMask()));
}

std::uint8_t TConfigurePage::DeviceMask() const {
    std::uint8_t mask = 0;
    const std::pair<QCheckBox*, std::uint8_t> devices[] = {{cbDevBBR, ubx::kDevBbr},
                                                           {cbDevFlash, ubx::kDevFlash},
                                                           {cbDevEEPROM, ubx::kDevEeprom},
                                                           {cbDevSPIFlash, ubx::kDevSpiFlash}};
    for (const auto& [check, bit] : devices)
        if (check->isChecked())
            mask |= bit;
    return mask;
}
