#pragma once
// Earth-centred, earth-fixed coordinates (as NAV-SOL and NAV-POSECEF send
// them) to latitude, longitude and height above the WGS-84 ellipsoid.

#include "protocol/decoding/Decoded.h"

#include <optional>

namespace protocol {

// Empty for a point no receiver can be at (the earth's centre, where a
// receiver without a fix reports zeros) and for values that are not finite.
std::optional<Position> EcefToGeodetic(double xM, double yM, double zM);

} // namespace protocol
