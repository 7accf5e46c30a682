#pragma once
// The named bits of UBX flag fields, as u-blox's protocol descriptions name
// them, for the fields whose bits tell the fix and the satellites' state:
// NAV-PVT valid, flags, flags2 and flags3; NAV-RELPOSNED flags; RXM-RTCM
// flags; NAV-STATUS flags, fixStat and flags2;
// NAV-SOL flags; NAV-TIMEGPS and NAV-TIMEUTC valid; NAV-SAT and NAV-SVINFO
// flags per satellite; NAV-SIG sigFlags, MON-RF and MON-HW flags and
// MON-COMMS txErrors.

#include <cstdint>
#include <string>
#include <string_view>

namespace protocol {

// The bits set in value of the field of message class/id, comma separated:
// "gnssFixOK, diffSoln, carrSoln fixed". A group of bits reads as its name and
// meaning ("health healthy"); a group whose value 0 means nothing special is
// left out then. Empty when the field has no named bits or none is set.
std::string FlagNames(std::uint8_t ubxClass, std::uint8_t id, std::string_view field,
                      std::uint64_t value);

} // namespace protocol
