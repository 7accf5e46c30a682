#pragma once
// The signals u-blox receivers track, as NAV-SIG and the other per-signal
// messages number them: each constellation (gnssId) numbers its signals
// (sigId) its own way.

#include "protocol/decoding/Decoded.h"

#include <string_view>

namespace protocol {

struct SignalKind {
    std::string_view Name; // "GPS L5 Q"; empty for a signal id the constellation has not
    RfBand Band = RfBand::Unknown;
};

SignalKind SignalOf(int gnssId, int sigId);

} // namespace protocol
