#include "protocol/history/DeviationStatistics.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <vector>

using namespace protocol;

namespace {

// Metres per degree at the equator: of latitude (the meridian's radius of
// curvature a(1 − e²)) and of longitude (the equator's, a).
constexpr double kNorthMetresPerDegree = 110574.2758;
constexpr double kEastMetresPerDegree = 111319.4908;

// A fix east and north metres from 0°N 0°E, at a height.
FixRecord At(double east, double north, std::optional<double> height = {}) {
    return {.Latitude = north / kNorthMetresPerDegree,
            .Longitude = east / kEastMetresPerDegree,
            .HeightMsl = height,
            .Kind = FixKind::Fix3D};
}

} // namespace

TEST(DeviationStatistics, EastNorthOnThePlaneAtTheReference) {
    struct Case {
        double refLat, refLon, lat, lon, east, north;
    };
    const Case cases[] = {
        {0, 0, 0, 1, kEastMetresPerDegree, 0},   {0, 0, 1, 0, 0, kNorthMetresPerDegree},
        {60, 10, 60, 11, 55800.0016, 0},         // a degree of longitude at 60°
        {60, 10, 61, 10, 0, 111412.2875},        // a degree of latitude at 60°
        {0, 179.9999, 0, -179.9999, 22.2639, 0}, // across the date line
    };
    for (const Case& c : cases) {
        const EastNorth en = EastNorthOf(c.lat, c.lon, {c.refLat, c.refLon});
        EXPECT_NEAR(en.East, c.east, 1e-3) << c.refLat << " " << c.lon;
        EXPECT_NEAR(en.North, c.north, 1e-3) << c.refLat << " " << c.lat;
    }
}

TEST(DeviationStatistics, AgainstTheMeanOrAGivenReference) {
    std::vector<FixRecord> ring;
    for (int k = 0; k < 8; ++k) {
        const double angle = k * std::numbers::pi / 4;
        ring.push_back(At(50 * std::cos(angle), 50 * std::sin(angle)));
    }
    FixRecord noFix = At(500, 500);
    noFix.Kind = FixKind::NoFix;
    struct Case {
        const char* name;
        std::vector<FixRecord> fixes;
        std::optional<ReferencePoint> reference;
        std::size_t count;
        double meanNorth, cep50, cep95, twoDrms, max;
        std::optional<double> heightMean, heightStdDev;
    };
    const Case cases[] = {
        {"single", {At(30, 40, 12)}, {}, 1, 40, 0, 0, 0, 0, 12, 0},
        {"single against 0,0", {At(30, 40)}, ReferencePoint{}, 1, 40, 50, 50, 100, 50, {}, {}},
        {"all equal", {At(5, 5, 1), At(5, 5, 1), At(5, 5, 1), noFix}, {}, 3, 5, 0, 0, 0, 0, 1, 0},
        {"two clusters",
         {At(-10, 0, 10), At(-10, 0, 10), At(10, 0, 20), At(10, 0, 20)},
         {},
         4,
         0,
         10,
         10,
         20,
         10,
         15,
         5},
        {"three at the reference, one 100 m north",
         {At(0, 0), At(0, 0), At(0, 0), At(0, 100)},
         ReferencePoint{},
         4,
         25,
         0,
         85,
         100,
         100,
         {},
         {}},
        {"ring of 50 m", ring, {}, 8, 0, 50, 50, 100, 50, {}, {}},
    };
    for (const Case& c : cases) {
        PositionHistory history;
        for (const FixRecord& fix : c.fixes)
            history.Add(fix);
        const DeviationStatistics s = DeviationsOf(history.All(), c.reference);
        EXPECT_EQ(s.Count, c.count) << c.name;
        EXPECT_NEAR(s.Mean.Latitude * kNorthMetresPerDegree, c.meanNorth, 1e-6) << c.name;
        EXPECT_NEAR(s.Cep50M, c.cep50, 1e-6) << c.name;
        EXPECT_NEAR(s.Cep95M, c.cep95, 1e-6) << c.name;
        EXPECT_NEAR(s.TwoDrmsM, c.twoDrms, 1e-6) << c.name;
        EXPECT_NEAR(s.MaxHorizontalM, c.max, 1e-6) << c.name;
        EXPECT_EQ(s.HeightMeanM.has_value(), c.heightMean.has_value()) << c.name;
        if (c.heightMean) {
            EXPECT_NEAR(*s.HeightMeanM, *c.heightMean, 1e-9) << c.name;
            EXPECT_NEAR(*s.HeightStdDevM, *c.heightStdDev, 1e-9) << c.name;
        }
    }
    PositionHistory empty;
    EXPECT_EQ(DeviationsOf(empty.All()).Count, 0u);
}
