#include "tests/window/CommanderLine.h"

#include <span>

CommanderLine::CommanderLine(TCommPort number) {
    port.SetPort(number);
    port.SetBaudRate(br115200);
    port.SetDelay(10);
    port.SetNeedSynchronization(true);
    port.OnReceive = [this](TSerialPort*, const std::string& bytes) {
        framer_.Feed(bytes, [this](protocol::Message&& message) {
            if (message.Kind != protocol::MessageKind::Ubx ||
                message.Checksum != protocol::ChecksumState::Right)
                return;
            const auto* frame = reinterpret_cast<const std::uint8_t*>(message.Bytes.data());
            commander.Receive(frame[2], frame[3], std::span(frame + 6, message.Bytes.size() - 8));
        });
    };
    port.Open();
}

CommanderLine::~CommanderLine() {
    port.OnReceive = {};
    port.Close();
}
