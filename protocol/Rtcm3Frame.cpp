#include "protocol/Rtcm3Frame.h"

#include "protocol/Crc24q.h"

namespace protocol {

std::string BuildRtcm3Frame(std::string_view payload) {
    if (payload.size() > kMaxRtcm3Payload)
        throw ERtcm3FrameError("An RTCM 3 payload holds at most 1023 bytes, not " +
                               std::to_string(payload.size()) + ".");
    std::string frame;
    frame.reserve(payload.size() + kRtcm3FrameOverhead);
    frame += static_cast<char>(kRtcm3Preamble);
    frame += static_cast<char>(payload.size() >> 8);
    frame += static_cast<char>(payload.size() & 0xFF);
    frame += payload;
    const std::uint32_t crc = Crc24q(frame);
    for (int shift = 16; shift >= 0; shift -= 8)
        frame += static_cast<char>((crc >> shift) & 0xFF);
    return frame;
}

std::optional<int> Rtcm3MessageType(std::string_view frame) {
    const auto byte = [frame](std::size_t i) { return static_cast<std::uint8_t>(frame[i]); };
    if (frame.size() < kRtcm3Header + 2 || (((byte(1) & 0x03) << 8) | byte(2)) < 2)
        return std::nullopt;
    return (byte(3) << 4) | (byte(4) >> 4);
}

} // namespace protocol
