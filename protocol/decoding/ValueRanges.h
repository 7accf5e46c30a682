#pragma once
// The ranges NMEA 0183 and u-blox UBX give the values they carry, and the
// check that keeps a message with an impossible value (latitude 91, day 32
// of May) away from the receiver state.

#include "protocol/decoding/Decoded.h"
#include "protocol/framing/Message.h"

#include <string>
#include <string_view>

namespace protocol {

// "latitude 91.0 out of range" for the first typed value of decoded outside
// its range (those of NMEA and PUBX sentences or of UBX frames, as kind
// says); empty when every value is within. Not finite is out of range.
std::string OutOfRange(const Decoded& decoded, MessageKind kind);

// The problem text for a value outside its range: "quality 1e+30 out of range".
std::string OutOfRangeText(std::string_view name, std::string_view value);

} // namespace protocol
