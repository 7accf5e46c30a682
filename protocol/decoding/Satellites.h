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

// The constellations a talker's GSV report covers; every one for "GN".
Coverage TalkerSystems(std::string_view talker);

// A satellite: its constellation and its own number there.
struct SatelliteId {
    Constellation System = Constellation::Unknown;
    int Number = 0;
};

// A satellite number from an NMEA sentence: of a known constellation (from
// its talker or a system id), or of any (Unknown: the number tells).
SatelliteId NmeaSatellite(Constellation system, int number);
SatelliteId SvinfoSatellite(int svid);
SatelliteId GnssIdSatellite(int gnssId, int svId);

// Adds the satellite to the list with no values yet, to be filled where it
// is kept: a copy of freshly written optionals stalls the processor.
inline SatelliteInView& AddSatellite(std::vector<SatelliteInView>& list, SatelliteId id) {
    SatelliteInView& sv = list.emplace_back();
    sv.System = id.System;
    sv.Number = id.Number;
    return sv;
}

} // namespace protocol
