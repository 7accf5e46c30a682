// The "Health" page's buttons: the health messages on or off, each
// command's answer beside them.

#include "protocol/commands/DatabaseSettings.h"
#include "protocol/commands/OutputMessages.h"
#include "window/blocks/ErrorBox.h"
#include "window/pages/HealthPage.h"
#include "window/parts/ReceiverIdentity.h"
#include "window/parts/UbxCommander.h"

#include <QLabel>
#include <algorithm>
#include <cmath>

namespace {
// A database receiver does not say which port a command came in on: its
// UART1, as the baud change takes it.
constexpr std::size_t kLinePort = 1;
static_assert(ubx::kMsgRatePorts[kLinePort] == std::string_view("UART1"));

// The message's rate on the port the command arrives on.
TUBXPacket LineRateCommand(const ubx::TReceiverGeneration& receiver, std::string_view name,
                           std::uint8_t rate) {
    if (receiver.configurationDatabase)
        return ubx::MessageRateValSetOn(name, kLinePort, rate);
    const TOutputMessage& message = OutputMessage(name);
    return ubx::CfgMsgSetOnLine(message.Class, message.Id, rate);
}

// Once a second is every n-th navigation solution: the receiver's rate is
// asked first. A receiver that does not say is taken to solve once a second.
std::uint8_t EverySecond(const std::optional<ubx::TCfgRate>& rate) {
    if (!rate || rate->measRateMs == 0 || rate->navRate == 0)
        return 1;
    const double perSecond = 1000.0 / (rate->measRateMs * rate->navRate);
    return static_cast<std::uint8_t>(std::clamp<long>(std::lround(perSecond), 1, 255));
}
} // namespace

void THealthPage::SendRates(bool on) {
    identity_.WhenKnown([this, on](const ubx::TReceiverGeneration& receiver) {
        if (!on) {
            SendRatesAs(receiver, 0);
            return;
        }
        const bool database = receiver.configurationDatabase;
        commander_.Send(ubx::RatePoll(database), [this, receiver,
                                                  database](const ubx::TCommandOutcome& outcome) {
            RunGuarded(this, [&] {
                SendRatesAs(receiver, EverySecond(ubx::RateOfAnswer(database, outcome.answer)));
            });
        });
    });
}

void THealthPage::SendRatesAs(const ubx::TReceiverGeneration& receiver, std::uint8_t rate) {
    for (std::size_t k = 0; k < kHealthMessages.size(); ++k) {
        answers_[k] = {"waiting for the answer", {}};
        try {
            commander_.Send(LineRateCommand(receiver, kHealthMessages[k], rate),
                            [this, k](const ubx::TCommandOutcome& outcome) {
                                const std::string_view kind = ubx::AnswerKindText(outcome.kind);
                                answers_[k] = {
                                    QString::fromLatin1(kind.data(), qsizetype(kind.size())),
                                    OutcomeText(outcome)};
                                ShowAnswers();
                            });
        } catch (const ubx::EConfigError& error) {
            answers_[k] = {QString::fromStdString(error.what()), {}};
        }
    }
    ShowAnswers();
}

// The messages with the same answer on one line ("MON-SPAN, MON-RF: ACK-ACK"),
// each command's whole outcome in the tooltip.
void THealthPage::ShowAnswers() {
    QStringList answers, details;
    std::vector<QStringList> named;
    for (std::size_t k = 0; k < kHealthMessages.size(); ++k) {
        const QString name = QString::fromLatin1(kHealthMessages[k]);
        const auto& [answer, detail] = answers_[k];
        const qsizetype seen = answers.indexOf(answer);
        if (seen < 0) {
            answers << answer;
            named.push_back({name});
        } else {
            named[static_cast<std::size_t>(seen)] << name;
        }
        details << name + ": " + (detail.isEmpty() ? answer : detail);
    }
    QStringList lines;
    for (qsizetype k = 0; k < answers.size(); ++k)
        lines << named[static_cast<std::size_t>(k)].join(", ") + ": " + answers[k];
    lblHealthAnswer->setText(lines.join('\n'));
    lblHealthAnswer->setToolTip(details.join('\n'));
}
