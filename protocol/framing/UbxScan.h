#pragma once
// Recognising one UBX frame at the start of some bytes, shared by the framer
// and the receive views' text filter.

#include "protocol/framing/FrameScan.h"

#include <cstddef>
#include <string_view>

namespace protocol {

// The largest payload a receiver sends; a larger length field is noise.
inline constexpr std::size_t kMaxUbxPayload = 8192;

// data starts with the first sync byte 0xB5. NeedMore: a frame may start
// here but more bytes are needed to tell.
FrameScan ScanUbxFrame(std::string_view data);

} // namespace protocol
