#include "window/parts/UbxCommander.h"

#include "protocol/UbxVocabulary.h"
#include "protocol/decoding/Decoder.h"
#include "serial/SerialPort.h"
#include "window/parts/WindowSender.h"

#include <memory>

QString OutcomeText(const ubx::TCommandOutcome& outcome) {
    return QString::fromStdString(outcome.Text());
}

namespace {

// The outcome as the port log shows it; a polled answer with its fields
// decoded ("CFG-RATE: answered after 84 ms: measRate 1000 ms, ...").
QString LogLine(const ubx::TCommandOutcome& outcome) {
    std::string line = outcome.Text();
    if (outcome.kind == ubx::TAnswerKind::Answered) {
        const TBufToSend frame =
            BuildUbxFrame(MakeUbxPacket(outcome.answerClass, outcome.answerId, outcome.answer));
        const protocol::Decoded decoded = protocol::DecodeUbx(ToByteString(frame));
        std::string fields;
        for (const protocol::Field& field : decoded.Fields) {
            fields += (fields.empty() ? ": " : ", ") + field.Name + " " + field.Value;
            if (!field.Unit.empty())
                fields += " " + field.Unit;
        }
        line += decoded.Problem.empty() ? fields : " (" + decoded.Problem + ")";
    }
    return QString::fromStdString(line);
}

} // namespace

TUbxCommander::TUbxCommander(QObject* parent, TWindowSender& sender, TSerialPort& port)
    : QObject(parent), sender_(sender), portSerial(port) {
    expiry_.setInterval(100);
    connect(&expiry_, &QTimer::timeout, this, [this] {
        Report(tracker_.Expire());
        if (!tracker_.Waiting())
            expiry_.stop();
    });
}

bool TUbxCommander::CanSend() const {
    return portSerial.IsConnected() != spNone;
}

void TUbxCommander::Send(const TUBXPacket& command, TOnSettled onSettled, TOnWritten onWritten) {
    const std::string frame = ToByteString(BuildUbxFrame(command));
    const auto outgoing =
        std::make_shared<TOutgoing>(TOutgoing{command, frame.size(), std::move(onSettled)});
    // Followed from the moment its frame begins to go out, so that no answer
    // is missed, and timed from when the whole frame is out, so that waiting
    // behind a long write does not eat the receiver's time to answer.
    sender_.SendInTurn(
        frame, [this, outgoing] { Track(*outgoing); },
        [this, outgoing, onWritten = std::move(onWritten)](std::uint32_t count) {
            if (outgoing->ticket == 0) {
                ubx::TCommandOutcome outcome;
                outcome.command = UbxMessageName(outgoing->command.pkClass, outgoing->command.ID);
                outcome.kind = ubx::TAnswerKind::NotSent;
                Announce(outcome, outgoing->command, outgoing->onSettled);
                return;
            }
            if (count == outgoing->frameBytes)
                tracker_.Restart(outgoing->ticket);
            if (onWritten)
                onWritten(count);
        });
}

void TUbxCommander::Track(TOutgoing& outgoing) {
    // The receiver answers in order: the answers still due come first.
    std::size_t answerBytes = ubx::LongestAnswerBytes(outgoing.command);
    for (const auto& waiting : commands_)
        answerBytes += ubx::LongestAnswerBytes(waiting.second);
    const auto timeout =
        ubx::AnswerTimeout(portSerial.BaudRateToInt(portSerial.BaudRate()), outgoing.frameBytes,
                           answerBytes, std::chrono::milliseconds(portSerial.Delay()));
    const TUBXPacket& command = outgoing.command;
    outgoing.ticket = tracker_.Track(UbxMessageName(command.pkClass, command.ID), command, timeout);
    commands_[outgoing.ticket] = command;
    if (outgoing.onSettled)
        listeners_[outgoing.ticket] = std::move(outgoing.onSettled);
    expiry_.start();
}

void TUbxCommander::Receive(std::uint8_t ubxClass, std::uint8_t id,
                            std::span<const std::uint8_t> payload) {
    Report(tracker_.Receive(ubxClass, id, payload));
}

void TUbxCommander::Report(const std::vector<ubx::TCommandOutcome>& outcomes) {
    for (const auto& outcome : outcomes) {
        TUBXPacket sent;
        if (const auto command = commands_.find(outcome.ticket); command != commands_.end()) {
            sent = std::move(command->second);
            commands_.erase(command);
        }
        TOnSettled onSettled;
        if (const auto listener = listeners_.find(outcome.ticket); listener != listeners_.end()) {
            onSettled = std::move(listener->second);
            listeners_.erase(listener);
        }
        Announce(outcome, sent, onSettled);
    }
}

void TUbxCommander::Announce(const ubx::TCommandOutcome& outcome, const TUBXPacket& command,
                             const TOnSettled& onSettled) {
    emit Logged(LogLine(outcome));
    emit Settled(command, outcome);
    if (onSettled)
        onSettled(outcome);
}
