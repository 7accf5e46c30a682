#include "tools/receiver-sim/RoverCorrections.h"

#include "protocol/decoding/Geodetic.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
// A gap longer than this breaks a run of corrections: fixing starts again.
constexpr std::int64_t kBreakMs = 5000;

bool IsObservation(int type) {
    // MSM 4 to 7 of GPS, GLONASS, Galileo, SBAS, QZSS and BeiDou.
    const int msm = type % 10;
    return type >= 1071 && type <= 1127 && msm >= 4 && msm <= 7;
}

double Radians(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}
} // namespace

bool RoverCorrections::Uses(int type) {
    return type == 1005 || type == 1006 || type == 1230 || IsObservation(type);
}

void RoverCorrections::Take(int type, int station, const std::optional<EcefVector>& base,
                            std::int64_t nowMs) {
    if (base) {
        base_ = base;
        station_ = station;
    }
    if (!IsObservation(type) || !base_ || station != station_)
        return;
    const std::int64_t breakMs = std::min<std::int64_t>(kBreakMs, timing_.timeout.count());
    if (!lastMs_ || nowMs - *lastMs_ > breakMs)
        runFromMs_ = nowMs;
    lastMs_ = nowMs;
}

RoverState RoverCorrections::StateAt(std::int64_t nowMs, const EcefVector& rover) const {
    RoverState state;
    if (!lastMs_ || nowMs - *lastMs_ > timing_.timeout.count())
        return state;
    state.carrier = nowMs - *runFromMs_ >= timing_.fixAfter.count() ? CarrierSolution::Fixed
                                                                    : CarrierSolution::Float;
    state.ageS = static_cast<double>(nowMs - *lastMs_) / 1000.0;
    state.station = station_;
    state.baseline = NedFrom(*base_, rover);
    return state;
}

NedVector NedFrom(const EcefVector& origin, const EcefVector& point) {
    const auto place = protocol::EcefToGeodetic(origin[0], origin[1], origin[2]);
    if (!place)
        return {};
    const double lat = Radians(place->LatitudeDeg), lon = Radians(place->LongitudeDeg);
    const double dx = point[0] - origin[0], dy = point[1] - origin[1], dz = point[2] - origin[2];
    const double east = -std::sin(lon) * dx + std::cos(lon) * dy;
    const double north = -std::sin(lat) * std::cos(lon) * dx - std::sin(lat) * std::sin(lon) * dy +
                         std::cos(lat) * dz;
    const double up = std::cos(lat) * std::cos(lon) * dx + std::cos(lat) * std::sin(lon) * dy +
                      std::sin(lat) * dz;
    return {north, east, -up};
}
