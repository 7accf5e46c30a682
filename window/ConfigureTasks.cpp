#include "window/ConfigureTasks.h"

#include "protocol/commands/OutputMessages.h"
#include "protocol/commands/UbxCommands.h"
#include "window/ConfigurePage.h"
#include "window/ErrorBox.h"
#include "window/TextPane.h"
#include "window/UbxCommander.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>

namespace {

QString OutcomeText(const ubx::TCommandOutcome& outcome) {
    return QString::fromStdString(outcome.Text());
}

const TOutputMessage& ChosenMessage(const TConfigurePage* page) {
    return OutputMessages()[static_cast<std::size_t>(page->cbMessage->currentIndex())];
}

QString VersionText(const ubx::TMonVer& version) {
    QStringList lines = {"Software: " + QString::fromStdString(version.software),
                         "Hardware: " + QString::fromStdString(version.hardware)};
    for (const std::string& extension : version.extensions)
        lines << "Extension: " + QString::fromStdString(extension);
    return lines.join('\n');
}

} // namespace

TConfigureTasks::TConfigureTasks(TConfigurePage* page, TUbxCommander& commander)
    : QObject(page), page_(page), commander_(commander) {
    const auto bind = [this, page](QPushButton* button, auto handler) {
        connect(button, &QPushButton::clicked, this, Guarded(page, handler));
    };
    bind(page->btnPollRate, [this] { btnPollRateClick(); });
    bind(page->btnSetRate, [this] { btnSetRateClick(); });
    bind(page->btnPollMsg, [this] { btnPollMsgClick(); });
    bind(page->btnSetMsg, [this] { btnSetMsgClick(); });
    bind(page->btnPollVersion, [this] { btnPollVersionClick(); });
    bind(page->btnSaveCfg, [this] {
        ConfirmAndSend("Save the receiver's current configuration to the chosen devices?",
                       ubx::CfgCfg(ubx::TCfgAction::Save, DeviceMask()));
    });
    bind(page->btnLoadCfg, [this] {
        ConfirmAndSend("Load the configuration saved on the chosen devices?",
                       ubx::CfgCfg(ubx::TCfgAction::Load, DeviceMask()));
    });
    bind(page->btnDefaultCfg, [this] {
        ConfirmAndSend("Revert the receiver to its default configuration, on the chosen "
                       "devices and in use?",
                       ubx::CfgCfg(ubx::TCfgAction::Default, DeviceMask()));
    });
    const std::pair<QPushButton*, ubx::TStartKind> restarts[] = {
        {page->btnHotStart, ubx::TStartKind::Hot},
        {page->btnWarmStart, ubx::TStartKind::Warm},
        {page->btnColdStart, ubx::TStartKind::Cold}};
    for (const auto& [button, kind] : restarts)
        bind(button, [this, button, kind] {
            ConfirmAndSend("Restart the receiver (" + button->text().toLower() + ")?",
                           ubx::CfgRst(kind));
        });
    // Choosing a message shows its current rates, when the receiver can be asked.
    connect(page->cbMessage, &QComboBox::currentIndexChanged, this, [this] {
        if (page_->isVisible())
            RunGuarded(page_, [this] { btnPollMsgClick(); });
    });
}

void TConfigureTasks::SendShowingIn(QLabel* answer, const TUBXPacket& command) {
    commander_.Send(command, [answer](const ubx::TCommandOutcome& outcome) {
        answer->setText(OutcomeText(outcome));
    });
    answer->setText("Waiting for the answer…");
}

void TConfigureTasks::btnPollRateClick() {
    commander_.Send(ubx::CfgRatePoll(), [this](const ubx::TCommandOutcome& outcome) {
        page_->lblRateAnswer->setText(OutcomeText(outcome));
        if (const auto rate = ubx::ReadCfgRate(outcome.answer)) {
            page_->spMeasRate->setValue(rate->measRateMs);
            page_->spNavRate->setValue(rate->navRate);
        }
    });
}

void TConfigureTasks::btnSetRateClick() {
    const ubx::TCfgRate rate{static_cast<std::uint16_t>(page_->spMeasRate->value()),
                             static_cast<std::uint16_t>(page_->spNavRate->value()), 1};
    SendShowingIn(page_->lblRateAnswer, ubx::CfgRateSet(rate));
}

void TConfigureTasks::btnPollMsgClick() {
    const TOutputMessage& message = ChosenMessage(page_);
    commander_.Send(ubx::CfgMsgPoll(message.Class, message.Id),
                    [this](const ubx::TCommandOutcome& outcome) {
                        page_->lblMsgAnswer->setText(OutcomeText(outcome));
                        if (const auto rates = ubx::ReadCfgMsg(outcome.answer))
                            for (std::size_t port = 0; port < rates->rates.size(); ++port)
                                page_->spPortRate[port]->setValue(rates->rates[port]);
                    });
}

void TConfigureTasks::btnSetMsgClick() {
    const TOutputMessage& message = ChosenMessage(page_);
    ubx::TCfgMsg rates{message.Class, message.Id, {}};
    for (std::size_t port = 0; port < rates.rates.size(); ++port)
        rates.rates[port] = static_cast<std::uint8_t>(page_->spPortRate[port]->value());
    SendShowingIn(page_->lblMsgAnswer, ubx::CfgMsgSet(rates));
}

void TConfigureTasks::btnPollVersionClick() {
    commander_.Send(ubx::MonVerPoll(), [this](const ubx::TCommandOutcome& outcome) {
        const auto version = ubx::ReadMonVer(outcome.answer);
        page_->moVersion->setPlainText(version ? VersionText(*version) : OutcomeText(outcome));
    });
}

void TConfigureTasks::ConfirmAndSend(const QString& question, const TUBXPacket& command) {
    QMessageBox box(QMessageBox::Question, ApplicationTitle, question, QMessageBox::NoButton,
                    page_);
    QPushButton* yes = box.addButton("Send", QMessageBox::AcceptRole);
    box.addButton(QMessageBox::Cancel);
    box.exec();
    if (box.clickedButton() == yes)
        SendShowingIn(page_->lblCfgAnswer, command);
}

std::uint8_t TConfigureTasks::DeviceMask() const {
    std::uint8_t mask = 0;
    const std::pair<QCheckBox*, std::uint8_t> devices[] = {
        {page_->cbDevBBR, ubx::kDevBbr},
        {page_->cbDevFlash, ubx::kDevFlash},
        {page_->cbDevEEPROM, ubx::kDevEeprom},
        {page_->cbDevSPIFlash, ubx::kDevSpiFlash}};
    for (const auto& [check, bit] : devices)
        if (check->isChecked())
            mask |= bit;
    return mask;
}
