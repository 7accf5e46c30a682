#pragma once
// RTCM 3 frames as base stations send corrections: the preamble 0xD3, six
// reserved bits (zero) and a 10-bit payload length, the payload, and the
// CRC-24Q of everything before it, most significant byte first. The first
// 12 bits of the payload are its message type (1005, 1074, ...). Received
// frames are cut from the stream by protocol::Framer (framing/Framer.h).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace protocol {

inline constexpr std::uint8_t kRtcm3Preamble = 0xD3;
inline constexpr std::size_t kMaxRtcm3Payload = 1023;
inline constexpr std::size_t kRtcm3Header = 3;        // preamble, reserved bits and length
inline constexpr std::size_t kRtcm3FrameOverhead = 6; // header and CRC

// A payload longer than a frame's length field can say.
class ERtcm3FrameError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The frame carrying payload. Throws ERtcm3FrameError past kMaxRtcm3Payload.
std::string BuildRtcm3Frame(std::string_view payload);

// The message type of a frame (from its preamble on); none when the frame is
// too short to hold one.
std::optional<int> Rtcm3MessageType(std::string_view frame);

} // namespace protocol
