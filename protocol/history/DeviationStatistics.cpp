#include "protocol/history/DeviationStatistics.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace protocol {
namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180;
constexpr double kSemiMajorAxisM = 6378137.0;             // WGS-84 a
constexpr double kEccentricitySquared = 6.69437999014e-3; // WGS-84 e²

// Degrees into [-180, 180): a track across the date line stays whole.
double Wrapped(double degrees) {
    return degrees - 360.0 * std::floor((degrees + 180.0) / 360.0);
}

// The value at fraction q of the sorted values, between the nearest two.
double Quantile(const std::vector<double>& sorted, double q) {
    const double at = q * static_cast<double>(sorted.size() - 1);
    const auto below = static_cast<std::size_t>(at);
    if (below + 1 >= sorted.size())
        return sorted.back();
    return sorted[below] + (sorted[below + 1] - sorted[below]) * (at - static_cast<double>(below));
}

ReferencePoint MeanOf(PositionHistory::Range fixes, std::size_t& count) {
    double latitudes = 0, longitudes = 0, heights = 0;
    std::size_t heightCount = 0;
    std::optional<double> firstLongitude;
    for (const FixRecord& fix : fixes) {
        if (fix.Kind == FixKind::NoFix)
            continue;
        ++count;
        if (!firstLongitude)
            firstLongitude = fix.Longitude;
        latitudes += fix.Latitude;
        longitudes += Wrapped(fix.Longitude - *firstLongitude);
        if (fix.HeightMsl) {
            heights += *fix.HeightMsl;
            ++heightCount;
        }
    }
    ReferencePoint mean;
    if (count == 0)
        return mean;
    const auto n = static_cast<double>(count);
    mean.Latitude = latitudes / n;
    mean.Longitude = Wrapped(*firstLongitude + longitudes / n);
    if (heightCount > 0)
        mean.HeightMsl = heights / static_cast<double>(heightCount);
    return mean;
}

} // namespace

EastNorth EastNorthOf(double latitude, double longitude, const ReferencePoint& reference) {
    const double phi = reference.Latitude * kRadiansPerDegree;
    const double sine = std::sin(phi);
    const double w = 1 - kEccentricitySquared * sine * sine;
    const double primeVertical = kSemiMajorAxisM / std::sqrt(w);
    const double meridian = kSemiMajorAxisM * (1 - kEccentricitySquared) / (w * std::sqrt(w));
    return {Wrapped(longitude - reference.Longitude) * kRadiansPerDegree * primeVertical *
                std::cos(phi),
            (latitude - reference.Latitude) * kRadiansPerDegree * meridian};
}

DeviationStatistics DeviationsOf(PositionHistory::Range fixes,
                                 const std::optional<ReferencePoint>& reference) {
    DeviationStatistics s;
    s.Mean = MeanOf(fixes, s.Count);
    if (s.Count == 0)
        return s;
    s.Reference = reference.value_or(s.Mean);
    std::vector<double> distances;
    distances.reserve(s.Count);
    double squares = 0, heightSquares = 0;
    std::size_t heightCount = 0;
    for (const FixRecord& fix : fixes) {
        if (fix.Kind == FixKind::NoFix)
            continue;
        const EastNorth error = EastNorthOf(fix, s.Reference);
        const double squared = error.East * error.East + error.North * error.North;
        squares += squared;
        distances.push_back(std::sqrt(squared));
        if (fix.HeightMsl) {
            const double off = *fix.HeightMsl - *s.Mean.HeightMsl;
            heightSquares += off * off;
            ++heightCount;
        }
    }
    std::sort(distances.begin(), distances.end());
    s.Cep50M = Quantile(distances, 0.5);
    s.Cep95M = Quantile(distances, 0.95);
    s.MaxHorizontalM = distances.back();
    s.TwoDrmsM = 2 * std::sqrt(squares / static_cast<double>(s.Count));
    if (heightCount > 0) {
        s.HeightMeanM = s.Mean.HeightMsl;
        s.HeightStdDevM = std::sqrt(heightSquares / static_cast<double>(heightCount));
    }
    return s;
}

} // namespace protocol
