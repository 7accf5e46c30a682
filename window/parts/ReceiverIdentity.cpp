#include "window/parts/ReceiverIdentity.h"

#include "window/blocks/ErrorBox.h"
#include "window/parts/UbxCommander.h"

#include <QWidget>

TReceiverIdentity::TReceiverIdentity(QWidget* window, TUbxCommander& commander)
    : QObject(window), window_(window), commander_(commander) {
    connect(&commander_, &TUbxCommander::Settled, this,
            [this](const TUBXPacket& command, const ubx::TCommandOutcome& outcome) {
                if (command.pkClass != ubx::kClassMon || command.ID != ubx::kIdMonVer ||
                    outcome.kind != ubx::TAnswerKind::Answered)
                    return;
                if (const auto version = ubx::ReadMonVer(outcome.answer))
                    Learn(ubx::ReceiverGenerationOf(*version));
            });
}

void TReceiverIdentity::WhenKnown(TThen then) {
    if (known_) {
        then(*known_);
        return;
    }
    waiting_.push_back(std::move(then));
    if (waiting_.size() > 1)
        return;
    try {
        AskForVersion();
    } catch (...) {
        waiting_.clear();
        throw;
    }
}

void TReceiverIdentity::AskForVersion() {
    commander_.Send(ubx::MonVerPoll(), [this](const ubx::TCommandOutcome& outcome) {
        if (outcome.kind == ubx::TAnswerKind::Answered)
            return; // learnt through Settled, which came first
        Say("The receiver did not answer MON-VER: configured through the legacy CFG messages");
        const std::vector<TThen> waiting = std::exchange(waiting_, {});
        for (const TThen& then : waiting)
            RunGuarded(window_, [&] { then(ubx::TReceiverGeneration{}); });
    });
}

void TReceiverIdentity::Forget() {
    known_.reset();
    Say({});
}

void TReceiverIdentity::Learn(const ubx::TReceiverGeneration& generation) {
    known_ = generation;
    Say(QString::fromStdString(generation.Text()));
    const std::vector<TThen> waiting = std::exchange(waiting_, {});
    for (const TThen& then : waiting)
        RunGuarded(window_, [&] { then(generation); });
}

void TReceiverIdentity::Say(const QString& text) {
    text_ = text;
    emit Identified(text);
}
