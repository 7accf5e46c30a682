#include "window/parts/AnswerFeed.h"

#include "window/parts/BaudTasks.h"
#include "window/parts/UbxCommander.h"

#include <span>

TAnswerFeed::TAnswerFeed(TUbxCommander& commander, TBaudTasks& baudTasks)
    : commander_(commander), baudTasks_(baudTasks) {}

void TAnswerFeed::Receive(const protocol::Message& message) {
    if (message.Checksum != protocol::ChecksumState::Right)
        return;
    baudTasks_.ValidMessage();
    if (message.Kind != protocol::MessageKind::Ubx)
        return;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(message.Bytes.data());
    const std::span<const std::uint8_t> frame(bytes, message.Bytes.size());
    // Frame: sync, class, id, length, payload, checksum.
    commander_.Receive(frame[2], frame[3], frame.subspan(6, frame.size() - 8));
}
