#include "tools/receiver-sim/RtcmOutput.h"

#include "protocol/BitWriter.h"
#include "protocol/Rtcm3Frame.h"
#include "tools/receiver-sim/GpsTime.h"
#include "tools/receiver-sim/UbxOutput.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
constexpr int kItrfYear = 0;
constexpr double kEarthRadiusKm = 6371.0;
constexpr double kLightKmPerMs = 299.792458;
constexpr std::int64_t kMillisecondsPerDay = 86'400'000;
constexpr std::int64_t kMillisecondsPerWeek = 7 * kMillisecondsPerDay;
constexpr std::int64_t kGlonassAheadOfUtcMs = 3 * 3'600'000; // Moscow time
constexpr std::int64_t kBeiDouBehindGpsMs = 14'000;
constexpr int kSignalL1 = 2; // MSM signal id of 1C (2I for BeiDou): the first signal each tracks

struct MsmPlan {
    Gnss system;
    int type;
    double orbitRadiusKm;
};
constexpr MsmPlan kMsmPlans[] = {{Gnss::Gps, 1074, 26560},
                                 {Gnss::Glonass, 1084, 25510},
                                 {Gnss::Galileo, 1094, 29600},
                                 {Gnss::BeiDou, 1124, 27900}};

// The epoch in the constellation's own time, as the MSM header carries it:
// milliseconds of the week, or for GLONASS the day of the week and the
// milliseconds of the day.
std::int64_t MsmEpoch(Gnss system, const NavigationSolution& s) {
    const std::int64_t gpsMs = EpochTimeOfWeekMs(s);
    if (system == Gnss::BeiDou)
        return (gpsMs - kBeiDouBehindGpsMs + kMillisecondsPerWeek) % kMillisecondsPerWeek;
    if (system != Gnss::Glonass)
        return gpsMs;
    const std::int64_t utcOfWeek =
        (gpsMs - kGpsLeapSeconds * 1000 + kGlonassAheadOfUtcMs) % kMillisecondsPerWeek;
    return (utcOfWeek / kMillisecondsPerDay) << 27 | (utcOfWeek % kMillisecondsPerDay);
}

// Milliseconds the signal travels from a satellite at this elevation.
double RangeMs(double orbitRadiusKm, int elevationDeg) {
    const double el = elevationDeg * std::numbers::pi / 180;
    const double km =
        std::sqrt(orbitRadiusKm * orbitRadiusKm - std::pow(kEarthRadiusKm * std::cos(el), 2)) -
        kEarthRadiusKm * std::sin(el);
    return km / kLightKmPerMs;
}

// DF402: lock time of at least 2^(i+4) ms, i from 1 to 15; 0 under 32 ms.
int LockIndicator(int lockSeconds) {
    int indicator = 0;
    while (indicator < 15 && (std::int64_t{1} << (indicator + 5)) <= lockSeconds * 1000LL)
        ++indicator;
    return indicator;
}
} // namespace

std::string Rtcm1005Frame(int stationId, const EcefVector& point) {
    protocol::BitWriter bits;
    bits.Bits(12, 1005).Bits(12, stationId).Bits(6, kItrfYear);
    bits.Bits(4, 0b1110); // GPS, GLONASS, Galileo; a physical reference point
    bits.Bits(38, std::llround(point[0] * 1e4)).Bits(2, 0);
    bits.Bits(38, std::llround(point[1] * 1e4)).Bits(2, 0);
    bits.Bits(38, std::llround(point[2] * 1e4));
    return protocol::BuildRtcm3Frame(bits.Bytes());
}

std::string Rtcm1230Frame(int stationId) {
    protocol::BitWriter bits;
    // Phase ranges aligned; L1 C/A and L2 C/A biases of 0 m.
    bits.Bits(12, 1230).Bits(12, stationId).Bits(1, 1).Bits(3, 0).Bits(4, 0b1010);
    bits.Bits(16, 0).Bits(16, 0);
    return protocol::BuildRtcm3Frame(bits.Bytes());
}

std::optional<Gnss> Msm4System(std::string_view name) {
    for (const MsmPlan& plan : kMsmPlans)
        if (name == "RTCM " + std::to_string(plan.type))
            return plan.system;
    return std::nullopt;
}

std::optional<std::string> RtcmMsm4Frame(Gnss system, const NavigationSolution& s, int stationId,
                                         bool moreFollow) {
    const MsmPlan& plan = *std::ranges::find(kMsmPlans, system, &MsmPlan::system);
    std::vector<const SatelliteView*> satellites;
    std::uint64_t satelliteMask = 0;
    for (const SatelliteView& sat : s.satellites)
        if (sat.system == system && sat.prn >= 1 && sat.prn <= 64 && sat.cno > 0) {
            satellites.push_back(&sat);
            satelliteMask |= std::uint64_t{1} << (64 - sat.prn);
        }
    if (satellites.empty())
        return std::nullopt;
    protocol::BitWriter bits;
    bits.Bits(12, plan.type).Bits(12, stationId).Bits(30, MsmEpoch(system, s));
    bits.Bits(1, moreFollow ? 1 : 0).Bits(3, 0).Bits(7, 0); // IODS, reserved
    bits.Bits(2, 0).Bits(2, 0).Bits(1, 0).Bits(3, 0);       // clock, smoothing
    bits.Bits(64, static_cast<std::int64_t>(satelliteMask));
    bits.Bits(32, std::int64_t{1} << (32 - kSignalL1));
    bits.Bits(static_cast<int>(satellites.size()), -1); // every satellite's one cell
    // Rough ranges: whole milliseconds, then the rest in 1/1024 ms.
    std::vector<double> fine;
    for (const SatelliteView* sat : satellites)
        bits.Bits(8, static_cast<std::int64_t>(RangeMs(plan.orbitRadiusKm, sat->elevation)));
    for (const SatelliteView* sat : satellites) {
        const double ms = RangeMs(plan.orbitRadiusKm, sat->elevation);
        const double rough = std::floor(ms * 1024) / 1024;
        bits.Bits(10, static_cast<std::int64_t>((rough - std::floor(ms)) * 1024));
        fine.push_back(ms - rough);
    }
    for (const double rest : fine) // fine pseudoranges, 2^-24 ms
        bits.Bits(15, static_cast<std::int64_t>(rest * (1 << 24)));
    for (const double rest : fine) // fine phase ranges, 2^-29 ms
        bits.Bits(22, static_cast<std::int64_t>(rest * (1 << 29)));
    for (const SatelliteView* sat : satellites)
        bits.Bits(4, LockIndicator(sat->lockTime));
    for (size_t k = 0; k < satellites.size(); ++k)
        bits.Bits(1, 0); // no half-cycle ambiguity
    for (const SatelliteView* sat : satellites)
        bits.Bits(6, sat->cno);
    return protocol::BuildRtcm3Frame(bits.Bytes());
}
