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
constexpr int kHighestPrn = 32;
constexpr int kMaxLockTime = 64;

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

int NavigationSolution::usedCount() const {
    return static_cast<int>(std::count_if(satellites.begin(), satellites.end(),
                                          [](const SatelliteView& s) { return s.used; }));
}

NavigationModel::NavigationModel(std::time_t startUtc, unsigned seed)
    : random_(seed), startUtc_(startUtc) {
    while (static_cast<int>(passes_.size()) < kSatellitesInView) {
        // Satellites already in view at start sit anywhere along their pass.
        Pass pass = NewPass();
        pass.elapsed = std::uniform_real_distribution<double>(0.15, 0.85)(random_) * pass.duration;
        pass.lockTime = kMaxLockTime;
        passes_.push_back(pass);
    }
    Compute();
}

const NavigationSolution& NavigationModel::Advance() {
    ++seconds_;
    for (Pass& pass : passes_) {
        pass.elapsed += 1;
        if (pass.elapsed >= pass.duration)
            pass = NewPass();
        else
            pass.lockTime = std::min(pass.lockTime + 1, kMaxLockTime);
    }
    Compute();
    return current_;
}

NavigationModel::Pass NavigationModel::NewPass() {
    Pass pass;
    pass.prn = UnusedPrn();
    pass.riseAzimuth = std::uniform_real_distribution<double>(0, 360)(random_);
    pass.sweep = std::uniform_real_distribution<double>(60, 160)(random_) *
                 (std::bernoulli_distribution(0.5)(random_) ? 1 : -1);
    pass.peakElevation = std::uniform_real_distribution<double>(25, 88)(random_);
    pass.duration = std::uniform_real_distribution<double>(1200, 3600)(random_);
    return pass;
}

int NavigationModel::UnusedPrn() {
    std::vector<int> free;
    for (int prn = 1; prn <= kHighestPrn; ++prn) {
        const bool taken = std::any_of(passes_.begin(), passes_.end(),
                                       [prn](const Pass& p) { return p.prn == prn; });
        if (!taken)
            free.push_back(prn);
    }
    return free[std::uniform_int_distribution<size_t>(0, free.size() - 1)(random_)];
}

void NavigationModel::Compute() {
    NavigationSolution& s = current_;
    const double t = static_cast<double>(seconds_);
    s.utc = startUtc_ + seconds_;

    const double angle = kSpeed / kCircleRadius * t;
    const double north = kCircleRadius * std::cos(angle);
    const double east = kCircleRadius * std::sin(angle);
    s.latitude = kCentreLatitude + north / kMetresPerDegree;
    s.longitude = kCentreLongitude + east / (kMetresPerDegree * std::cos(Radians(kCentreLatitude)));
    s.course = Wrap360(90.0 + Degrees(angle));
    s.speed = kSpeed + 0.05 * std::sin(t / 7.0);
    s.altitudeMsl = kBaseAltitude + 2.5 * std::sin(t / 45.0);
    s.verticalSpeed = 2.5 / 45.0 * std::cos(t / 45.0);
    s.geoidSeparation = kGeoidSeparation;

    std::uniform_int_distribution<int> flicker(-2, 2);
    s.satellites.clear();
    for (const Pass& pass : passes_) {
        SatelliteView view;
        view.prn = pass.prn;
        const double progress = pass.elapsed / pass.duration;
        view.elevation = static_cast<int>(
            std::lround(pass.peakElevation * std::sin(std::numbers::pi * progress)));
        view.azimuth =
            static_cast<int>(std::lround(Wrap360(pass.riseAzimuth + pass.sweep * progress))) % 360;
        view.cno =
            std::clamp(22 + static_cast<int>(view.elevation * 0.3) + flicker(random_), 0, 54);
        view.lockTime = pass.lockTime;
        view.used = view.elevation >= 10 && view.cno >= 25;
        s.satellites.push_back(view);
    }
    std::sort(s.satellites.begin(), s.satellites.end(),
              [](const SatelliteView& a, const SatelliteView& b) { return a.prn < b.prn; });

    const int used = std::max(s.usedCount(), 4);
    s.hdop = 0.55 + 4.5 / used;
    s.vdop = s.hdop * 1.45;
    s.pdop = std::hypot(s.hdop, s.vdop);
    s.tdop = s.hdop * 0.75;
    s.horizontalAccuracy = 2.5 * s.hdop;
    s.verticalAccuracy = 3.5 * s.vdop;
}
