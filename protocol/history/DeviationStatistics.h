#pragma once
// How far fixes lie from a reference point: the mean of the fixes, or a
// surveyed latitude, longitude and height. Horizontal errors are east and
// north metres on the plane touching the WGS-84 ellipsoid at the reference:
//   east  = Δλ · N · cos φ0,  north = Δφ · M
// with N = a / √(1 − e² sin² φ0) and M = a (1 − e²) / (1 − e² sin² φ0)^1.5,
// the radii of curvature at the reference latitude φ0. Its error grows with
// the square of the distance: 1 km away, at latitude 45°, a distance is off
// by 3 cm and a point by up to 9 cm (the parallel's curve, tan φ0 · d² / 2R),
// far below the scatter of the fixes that this measures.

#include "protocol/history/PositionHistory.h"

#include <cstddef>
#include <optional>

namespace protocol {

struct ReferencePoint {
    double Latitude = 0, Longitude = 0; // degrees
    std::optional<double> HeightMsl{};  // metres
};

struct EastNorth {
    double East = 0, North = 0; // metres
};

EastNorth EastNorthOf(double latitude, double longitude, const ReferencePoint& reference);
inline EastNorth EastNorthOf(const FixRecord& fix, const ReferencePoint& reference) {
    return EastNorthOf(fix.Latitude, fix.Longitude, reference);
}

// Horizontal errors are the distances from the reference: CEP50 and CEP95
// the radii holding half and 95 % of the fixes (interpolated between the
// nearest distances), 2DRMS twice the root mean square. Heights are those
// above mean sea level of the fixes that carry one; their standard deviation
// is about their mean. Fixes of kind NoFix are left out.
struct DeviationStatistics {
    std::size_t Count = 0;
    ReferencePoint Reference; // the reference used
    ReferencePoint Mean;      // the mean position (and height)
    double Cep50M = 0, Cep95M = 0, TwoDrmsM = 0, MaxHorizontalM = 0;
    std::optional<double> HeightMeanM{}, HeightStdDevM{};
};

// Against the given reference, or the fixes' own mean without one.
DeviationStatistics DeviationsOf(PositionHistory::Range fixes,
                                 const std::optional<ReferencePoint>& reference = {});

} // namespace protocol
