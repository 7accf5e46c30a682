#include "tools/receiver-sim/NavigationModel.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
constexpr double kCentreLatitude = 47.2853;
constexpr double kCentreLongitude = 8.5653;
constexpr double kCircleRadius = 250.0; // metres
constexpr double kSpeed = 8.0;          // metres per second
constexpr double kMetresPerDegree = 111320.0;
constexpr double kBaseAltitude = 499.6;
constexpr double kGeoidSeparation = 48.0;
constexpr double kMaxLockTime = 64;
constexpr double kGeostationary = 1e12; // seconds "above the horizon"

// The receiver was switched on before the simulation starts and has had its
// fix for a while.
constexpr std::int64_t kUpBeforeStartMs = 32710;
constexpr std::uint32_t kFirstTimeToFixMs = 28500;

// Time without a fix after each kind of restart; a cold start also spends
// the first part of it searching an empty sky.
constexpr std::int64_t kOutageMs[] = {1000, 5000, 12000};
constexpr std::int64_t kColdSearchMs = 4000;

double Radians(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}
double Degrees(double radians) {
    return radians * 180.0 / std::numbers::pi;
}

double Wrap360(double degrees) {
    const double wrapped = std::fmod(degrees, 360.0);
    return wrapped < 0 ? wrapped + 360.0 : wrapped;
}
} // namespace

int SatelliteView::UbloxNumber() const {
    switch (system) {
    case Gnss::Galileo:
        return 210 + prn;
    case Gnss::BeiDou:
        return prn <= 5 ? 158 + prn : 27 + prn;
    case Gnss::Qzss:
        return 192 + prn;
    case Gnss::Glonass:
        return 64 + prn;
    case Gnss::Gps:
    case Gnss::Sbas:
        break;
    }
    return prn;
}

int NavigationSolution::usedCount() const {
    return static_cast<int>(std::count_if(satellites.begin(), satellites.end(),
                                          [](const SatelliteView& s) { return s.used; }));
}

NavigationModel::NavigationModel(std::time_t startUtc, unsigned seed, bool multiGnss, bool rtk,
                                 int cnoLossDb, bool stationary)
    : random_(seed), startUtc_(startUtc), rtk_(rtk), cnoLossDb_(cnoLossDb), stationary_(stationary),
      restartedAtMs_(-kUpBeforeStartMs), timeToFirstFixMs_(kFirstTimeToFixMs) {
    if (multiGnss)
        constellations_ = {{Gnss::Gps, 1, 32, 10},    {Gnss::Sbas, 120, 158, 2},
                           {Gnss::Galileo, 1, 36, 7}, {Gnss::BeiDou, 1, 37, 6},
                           {Gnss::Qzss, 1, 10, 1},    {Gnss::Glonass, 1, 24, 7}};
    else
        constellations_ = {{Gnss::Gps, 1, 32, kSatellitesInView}};
    for (const Constellation& constellation : constellations_) {
        for (int k = 0; k < constellation.inView; ++k) {
            // Satellites already in view at start sit anywhere along their pass.
            Pass pass = NewPass(constellation);
            if (pass.duration < kGeostationary)
                pass.elapsed =
                    std::uniform_real_distribution<double>(0.15, 0.85)(random_) * pass.duration;
            pass.lockTime = kMaxLockTime;
            passes_.push_back(pass);
        }
    }
    Compute();
}

const NavigationSolution& NavigationModel::Advance(std::chrono::milliseconds period) {
    elapsedMs_ += period.count();
    const double seconds = static_cast<double>(period.count()) / 1000.0;
    for (Pass& pass : passes_) {
        pass.elapsed += seconds;
        if (pass.elapsed >= pass.duration) {
            const auto constellation =
                std::ranges::find(constellations_, pass.system, &Constellation::system);
            pass = NewPass(*constellation);
        } else {
            pass.lockTime = std::min(pass.lockTime + seconds, kMaxLockTime);
        }
    }
    Compute();
    return current_;
}

void NavigationModel::Restart(StartKind kind) {
    restartedAtMs_ = elapsedMs_;
    fixFromMs_ = elapsedMs_ + kOutageMs[static_cast<int>(kind)];
    searchUntilMs_ = kind == StartKind::Cold ? elapsedMs_ + kColdSearchMs : elapsedMs_;
    timeToFirstFixMs_ = 0;
    for (Pass& pass : passes_)
        pass.lockTime = 0;
    Compute();
}

void NavigationModel::Correct(CarrierSolution carrier, std::optional<double> ageS, int station,
                              std::optional<NedVector> baseline) {
    NavigationSolution& s = current_;
    if (rtk_ || !s.fix)
        return;
    s.carrier = carrier;
    s.correctionAgeS = ageS;
    s.referenceStation = station;
    s.baseline = baseline;
}

NavigationModel::Pass NavigationModel::NewPass(const Constellation& constellation) {
    Pass pass;
    pass.system = constellation.system;
    pass.prn = UnusedPrn(constellation);
    if (constellation.system == Gnss::Sbas) {
        // Hangs over the equator, south of the receiver, never setting.
        pass.riseAzimuth = std::uniform_real_distribution<double>(140, 220)(random_);
        pass.peakElevation = std::uniform_real_distribution<double>(25, 35)(random_);
        pass.duration = kGeostationary;
        pass.elapsed = kGeostationary / 2;
        return pass;
    }
    pass.riseAzimuth = std::uniform_real_distribution<double>(0, 360)(random_);
    pass.sweep = std::uniform_real_distribution<double>(60, 160)(random_) *
                 (std::bernoulli_distribution(0.5)(random_) ? 1 : -1);
    pass.peakElevation = std::uniform_real_distribution<double>(25, 88)(random_);
    pass.duration = std::uniform_real_distribution<double>(1200, 3600)(random_);
    return pass;
}

int NavigationModel::UnusedPrn(const Constellation& constellation) {
    std::vector<int> free;
    for (int prn = constellation.firstPrn; prn <= constellation.lastPrn; ++prn) {
        const bool taken = std::ranges::any_of(passes_, [&](const Pass& p) {
            return p.system == constellation.system && p.prn == prn;
        });
        if (!taken)
            free.push_back(prn);
    }
    return free[std::uniform_int_distribution<size_t>(0, free.size() - 1)(random_)];
}

void NavigationModel::Compute() {
    NavigationSolution& s = current_;
    const double t = static_cast<double>(elapsedMs_) / 1000.0;
    s.utc = startUtc_ + static_cast<std::time_t>(elapsedMs_ / 1000);
    s.millisecond = static_cast<int>(elapsedMs_ % 1000);
    s.fix = elapsedMs_ >= fixFromMs_;
    s.carrier = rtk_ && s.fix ? CarrierSolution::Fixed : CarrierSolution::None;
    s.correctionAgeS.reset();
    s.referenceStation = 0;
    s.baseline.reset();
    s.millisSinceStart = static_cast<std::uint32_t>(elapsedMs_ - restartedAtMs_);
    if (s.fix && timeToFirstFixMs_ == 0)
        timeToFirstFixMs_ = std::max<std::uint32_t>(1, s.millisSinceStart);
    s.timeToFirstFixMs = timeToFirstFixMs_;

    const double angle = kSpeed / kCircleRadius * t;
    const double radius = stationary_ ? 0 : kCircleRadius;
    const double north = radius * std::cos(angle);
    const double east = radius * std::sin(angle);
    s.latitude = kCentreLatitude + north / kMetresPerDegree;
    s.longitude = kCentreLongitude + east / (kMetresPerDegree * std::cos(Radians(kCentreLatitude)));
    s.course = stationary_ ? 0 : Wrap360(90.0 + Degrees(angle));
    s.speed = stationary_ ? 0 : kSpeed + 0.05 * std::sin(t / 7.0);
    s.altitudeMsl = kBaseAltitude + (stationary_ ? 0 : 2.5 * std::sin(t / 45.0));
    s.verticalSpeed = stationary_ ? 0 : 2.5 / 45.0 * std::cos(t / 45.0);
    s.geoidSeparation = kGeoidSeparation;

    std::uniform_int_distribution<int> flicker(-2, 2);
    s.satellites.clear();
    if (elapsedMs_ >= searchUntilMs_) {
        for (const Pass& pass : passes_) {
            SatelliteView view;
            view.system = pass.system;
            view.prn = pass.prn;
            const double progress = pass.elapsed / pass.duration;
            view.elevation = static_cast<int>(
                std::lround(pass.peakElevation * std::sin(std::numbers::pi * progress)));
            view.azimuth =
                static_cast<int>(std::lround(Wrap360(pass.riseAzimuth + pass.sweep * progress))) %
                360;
            view.cno = std::clamp(
                22 + static_cast<int>(view.elevation * 0.3) + flicker(random_) - cnoLossDb_, 0, 54);
            view.lockTime = static_cast<int>(pass.lockTime);
            // SBAS satellites bring corrections, not ranges for the solution.
            view.used =
                s.fix && pass.system != Gnss::Sbas && view.elevation >= 10 && view.cno >= 25;
            s.satellites.push_back(view);
        }
    }
    std::ranges::sort(s.satellites, [](const SatelliteView& a, const SatelliteView& b) {
        return std::pair(a.system, a.prn) < std::pair(b.system, b.prn);
    });

    const int used = std::max(s.usedCount(), 4);
    s.hdop = 0.55 + 4.5 / used;
    s.vdop = s.hdop * 1.45;
    s.pdop = std::hypot(s.hdop, s.vdop);
    s.tdop = s.hdop * 0.75;
    s.horizontalAccuracy = 2.5 * s.hdop;
    s.verticalAccuracy = 3.5 * s.vdop;
}
