#pragma once
// Recognising one RTCM 3 frame at the start of some bytes, shared by the
// framer and the receive views' text filter.

#include "protocol/framing/FrameScan.h"

#include <string_view>

namespace protocol {

// data starts with the preamble 0xD3. Reserved bits that are not zero make
// it no frame; NeedMore: a frame may start here but more bytes are needed.
FrameScan ScanRtcm3Frame(std::string_view data);

} // namespace protocol
