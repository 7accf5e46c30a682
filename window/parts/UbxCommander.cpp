#include "window/parts/UbxCommander.h"

#include "protocol/UbxVocabulary.h"
#include "protocol/decoding/Decoder.h"
#include "serial/SerialPort.h"

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

TUbxCommander::TUbxCommander(QObject* parent, TSerialPort& port)
    : QObject(parent), portSerial(port) {
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

std::uint32_t TUbxCommander::Send(const TUBXPacket& command, TOnSettled onSettled) {
    const TBufToSend frame = BuildUbxFrame(command);
    const std::uint32_t written = portSerial.SendData(ToByteString(frame));
    // The receiver answers in order: the answers still due come first.
    std::size_t answerBytes = ubx::LongestAnswerBytes(command);
    for (const auto& waiting : commands_)
        answerBytes += ubx::LongestAnswerBytes(waiting.second);
    const auto timeout =
        ubx::AnswerTimeout(portSerial.BaudRateToInt(portSerial.BaudRate()), frame.size(),
                           answerBytes, std::chrono::milliseconds(portSerial.Delay()));
    const std::uint64_t ticket =
        tracker_.Track(UbxMessageName(command.pkClass, command.ID), command, timeout);
    commands_[ticket] = command;
    if (onSettled)
        listeners_[ticket] = std::move(onSettled);
    expiry_.start();
    return written;
}

void TUbxCommander::Receive(std::uint8_t ubxClass, std::uint8_t id,
                            std::span<const std::uint8_t> payload) {
    Report(tracker_.Receive(ubxClass, id, payload));
}

void TUbxCommander::Report(const std::vector<ubx::TCommandOutcome>& outcomes) {
    for (const auto& outcome : outcomes) {
        emit Logged(LogLine(outcome));
        if (const auto command = commands_.find(outcome.ticket); command != commands_.end()) {
            const TUBXPacket sent = std::move(command->second);
            commands_.erase(command);
            emit Settled(sent, outcome);
        }
        const auto listener = listeners_.find(outcome.ticket);
        if (listener == listeners_.end())
            continue;
        const TOnSettled onSettled = std::move(listener->second);
        listeners_.erase(listener);
        onSettled(outcome);
    }
}
