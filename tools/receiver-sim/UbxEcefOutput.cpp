#include "tools/receiver-sim/UbxEcefOutput.h"

#include "tools/receiver-sim/GpsTime.h"
#include "tools/receiver-sim/UbxOutput.h"

#include <array>
#include <cmath>
#include <numbers>

namespace {
constexpr double kSemiMajorAxis = 6378137.0; // WGS84, metres
constexpr double kFlattening = 1 / 298.257223563;
constexpr double kEccentricitySquared = kFlattening * (2 - kFlattening);
constexpr std::uint32_t kSpeedAccuracyCmS = 35;
// NAV-SOL flags: fix OK, differential solution, week and time of week set.
constexpr std::uint8_t kSolFixOk = 0x01;
constexpr std::uint8_t kSolDifferential = 0x02;
constexpr std::uint8_t kSolWeekAndTimeSet = 0x0C;

double Radians(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}

} // namespace

EcefVector EcefPosition(const NavigationSolution& s) {
    const double lat = Radians(s.latitude), lon = Radians(s.longitude);
    const double h = s.altitudeEllipsoid();
    const double n =
        kSemiMajorAxis / std::sqrt(1 - kEccentricitySquared * std::pow(std::sin(lat), 2));
    return {(n + h) * std::cos(lat) * std::cos(lon), (n + h) * std::cos(lat) * std::sin(lon),
            (n * (1 - kEccentricitySquared) + h) * std::sin(lat)};
}

namespace {

// Metres per second: the north, east and up velocity turned into the axes
// of the earth-fixed frame.
EcefVector Velocity(const NavigationSolution& s) {
    const double lat = Radians(s.latitude), lon = Radians(s.longitude);
    const double north = s.speed * std::cos(Radians(s.course));
    const double east = s.speed * std::sin(Radians(s.course));
    const double up = s.verticalSpeed;
    return {-std::sin(lat) * std::cos(lon) * north - std::sin(lon) * east +
                std::cos(lat) * std::cos(lon) * up,
            -std::sin(lat) * std::sin(lon) * north + std::cos(lon) * east +
                std::cos(lat) * std::sin(lon) * up,
            std::cos(lat) * north + std::sin(lat) * up};
}

double PositionAccuracy(const NavigationSolution& s) {
    return std::hypot(s.horizontalAccuracy, s.verticalAccuracy);
}

void PutCentimetres(std::string& payload, const EcefVector& metres) {
    for (double value : metres)
        PutSigned(payload, value * 100);
}
} // namespace

std::string NavPosecefFrame(const NavigationSolution& s) {
    std::string payload;
    PutUnsigned(payload, EpochTimeOfWeekMs(s), 4);
    PutCentimetres(payload, EcefPosition(s));
    PutSigned(payload, PositionAccuracy(s) * 100);
    return UbxFrame(kUbxClassNav, kUbxIdNavPosecef, payload);
}

std::string NavVelecefFrame(const NavigationSolution& s) {
    std::string payload;
    PutUnsigned(payload, EpochTimeOfWeekMs(s), 4);
    PutCentimetres(payload, Velocity(s));
    PutUnsigned(payload, kSpeedAccuracyCmS, 4);
    return UbxFrame(kUbxClassNav, kUbxIdNavVelecef, payload);
}

std::string NavSolFrame(const NavigationSolution& s) {
    std::string payload;
    PutUnsigned(payload, EpochTimeOfWeekMs(s), 4);
    PutSigned(payload, 0); // fTOW
    PutSigned(payload, static_cast<double>(GpsWeek(s.utc)), 2);
    payload.push_back(static_cast<char>(s.fix ? kUbxFix3D : kUbxNoFix));
    payload.push_back(static_cast<char>(
        (s.fix ? kSolFixOk | (s.differential() ? kSolDifferential : 0) : 0) | kSolWeekAndTimeSet));
    PutCentimetres(payload, EcefPosition(s));
    PutSigned(payload, PositionAccuracy(s) * 100);
    PutCentimetres(payload, Velocity(s));
    PutUnsigned(payload, kSpeedAccuracyCmS, 4);
    PutSigned(payload, (s.fix ? s.pdop : 99.99) * 100, 2);
    payload.push_back(0); // reserved
    payload.push_back(static_cast<char>(s.usedCount()));
    payload.append(4, '\0'); // reserved
    return UbxFrame(kUbxClassNav, kUbxIdNavSol, payload);
}
