#include "tests/window/ScriptedReceiver.h"

#include "protocol/UbxVocabulary.h"
#include "protocol/commands/UbxCommands.h"
#include "protocol/framing/Framer.h"

#include <poll.h>
#include <unistd.h>

ScriptedReceiver::ScriptedReceiver(int masterFd, Script script)
    : fd_(masterFd), script_(std::move(script)), thread_([this] { Run(); }) {}

ScriptedReceiver::~ScriptedReceiver() {
    stop_ = true;
    thread_.join();
}

std::vector<std::string> ScriptedReceiver::Frames() const {
    std::vector<std::string> names;
    for (const TUBXPacket& packet : Packets())
        names.push_back(UbxMessageName(packet.pkClass, packet.ID));
    return names;
}

std::vector<TUBXPacket> ScriptedReceiver::Packets() const {
    std::lock_guard lock(mutex_);
    return packets_;
}

void ScriptedReceiver::Run() {
    protocol::Framer framer;
    while (!stop_) {
        pollfd ready{fd_, POLLIN, 0};
        if (poll(&ready, 1, 20) <= 0 || !(ready.revents & POLLIN))
            continue;
        char bytes[4096];
        const ssize_t count = read(fd_, bytes, sizeof bytes);
        if (count <= 0)
            continue;
        framer.Feed(std::string_view(bytes, static_cast<std::size_t>(count)),
                    [this](protocol::Message&& message) {
                        if (message.Kind != protocol::MessageKind::Ubx)
                            return;
                        const std::string& frame = message.Bytes;
                        const auto* payload =
                            reinterpret_cast<const std::uint8_t*>(frame.data()) + 6;
                        Reply(MakeUbxPacket(static_cast<std::uint8_t>(frame[2]),
                                            static_cast<std::uint8_t>(frame[3]),
                                            TPayload(payload, payload + frame.size() - 8)));
                    });
    }
}

void ScriptedReceiver::Reply(const TUBXPacket& frame) {
    int index = 0;
    {
        std::lock_guard lock(mutex_);
        index = static_cast<int>(packets_.size());
        packets_.push_back(frame);
    }
    const Answer answer = script_(frame, index);
    if (answer == Answer::None)
        return;
    const TBufToSend ack = BuildUbxFrame(
        MakeUbxPacket(ubx::kClassAck, answer == Answer::Ack ? ubx::kIdAckAck : ubx::kIdAckNak,
                      {frame.pkClass, frame.ID}));
    [[maybe_unused]] const ssize_t written = write(fd_, ack.data(), ack.size());
}
