#include "protocol/decoding/Geodetic.h"

#include <cmath>
#include <numbers>

namespace protocol {
namespace {

constexpr double kA = 6378137.0;         // semi-major axis, m
constexpr double kF = 1 / 298.257223563; // flattening
constexpr double kB = kA * (1 - kF);     // semi-minor axis, m
constexpr double kE2 = kF * (2 - kF);    // first eccentricity squared
constexpr double kEp2 = kE2 / (1 - kE2); // second eccentricity squared
constexpr double kDeg = 180 / std::numbers::pi;
// Closer to the centre the closed form below is not defined; no receiver is
// there.
constexpr double kMinRadiusM = 100e3;

} // namespace

// Heikkinen's closed form: exact to well under a millimetre from the
// earth's surface to far above it, without iterating.
std::optional<Position> EcefToGeodetic(double xM, double yM, double zM) {
    const double r2 = xM * xM + yM * yM;
    const double r = std::sqrt(r2);
    if (!std::isfinite(r2 + zM * zM) || std::hypot(r, zM) < kMinRadiusM)
        return std::nullopt;
    const double z2 = zM * zM;
    const double f = 54 * kB * kB * z2;
    const double g = r2 + (1 - kE2) * z2 - kE2 * (kA * kA - kB * kB);
    const double c = kE2 * kE2 * f * r2 / (g * g * g);
    const double s = std::cbrt(1 + c + std::sqrt(c * c + 2 * c));
    const double k = s + 1 / s + 1;
    const double p = f / (3 * k * k * g * g);
    const double q = std::sqrt(1 + 2 * kE2 * kE2 * p);
    const double r0 =
        -(p * kE2 * r) / (1 + q) +
        std::sqrt(kA * kA / 2 * (1 + 1 / q) - p * (1 - kE2) * z2 / (q * (1 + q)) - p * r2 / 2);
    const double dr = r - kE2 * r0;
    const double u = std::sqrt(dr * dr + z2);
    const double v = std::sqrt(dr * dr + (1 - kE2) * z2);
    const double z0 = kB * kB * zM / (kA * v);
    Position position;
    position.LatitudeDeg = std::atan2(zM + kEp2 * z0, r) * kDeg;
    position.LongitudeDeg = std::atan2(yM, xM) * kDeg;
    position.HeightEllipsoidM = u * (1 - kB * kB / (kA * v));
    if (!std::isfinite(position.LatitudeDeg) || !std::isfinite(*position.HeightEllipsoidM))
        return std::nullopt;
    return position;
}

} // namespace protocol
