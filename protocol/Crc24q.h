#pragma once
// CRC-24Q, the check of RTCM 3 frames: polynomial 0x1864CFB, initial value 0,
// bits taken most significant first, nothing reflected or inverted.

#include <cstdint>
#include <string_view>

namespace protocol {

// The 24-bit check of bytes (in the low 24 bits of the result).
std::uint32_t Crc24q(std::string_view bytes);

} // namespace protocol
