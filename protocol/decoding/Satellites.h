#pragma once
// Satellite numbering: each message family numbers satellites its own way
// (NMEA talkers and u-blox extensions, NAV-SVINFO, NAV-SAT's gnssId/svId).
// These map every numbering to the constellation and its own number, so the
// same satellite is one entry whichever message reported it.

#include "protocol/decoding/Decoded.h"

#include <string_view>
#include <vector>

namespace protocol {

// The constellation a talker speaks for; Unknown for "GN", "GP" (which also
// carries SBAS and QZSS) and anything else mixed or unknown.
Constellation TalkerSystem(std::string_view talker);

// The NMEA 4.10 system id of GSA and GSV (1 GPS ... 6 NavIC).
Constellation NmeaSystemId(int systemId);

// The constellations a talker's GSV report covers; empty for all ("GN").
std::vector<Constellation> TalkerSystems(std::string_view talker);

// A satellite number from an NMEA sentence: of a known constellation (from
// its talker or a system id), or of any (Unknown: the number tells).
SatelliteInView NmeaSatellite(Constellation system, int number);
SatelliteInView SvinfoSatellite(int svid);
SatelliteInView GnssIdSatellite(int gnssId, int svId);

} // namespace protocol
