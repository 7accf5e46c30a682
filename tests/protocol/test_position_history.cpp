#include "protocol/history/EpochFixes.h"
#include "tests/protocol/StreamBytes.h"

#include <gtest/gtest.h>

using namespace protocol;

namespace {

Message Nmea(std::string_view body) {
    return {MessageKind::Nmea, NmeaLine(body), 0, ChecksumState::Right};
}

struct Folded {
    ReceiverState state;
    PositionHistory history;
    EpochFixes fixes;
    void Fold(std::string_view body) {
        state.Fold(Nmea(body), 0);
        fixes.TakeEnded(state, history);
    }
    void End() {
        state.EndEpoch();
        fixes.TakeEnded(state, history);
    }
};

constexpr double k2017Jan10 = 1484006400; // 2017-01-10T00:00:00Z

} // namespace

TEST(PositionHistory, KeepsTheNewestFixesAndFindsThoseSinceATime) {
    PositionHistory history(3);
    for (const double t : {1.0, 2.0, 3.0, 4.0, 5.0})
        history.Add({.UtcSeconds = t});
    ASSERT_EQ(history.size(), 3u);
    EXPECT_EQ(history[0].UtcSeconds, 3.0);
    EXPECT_EQ(history.Since(4).size(), 2);
    EXPECT_EQ(history.Since(4).begin()->UtcSeconds, 4.0);
    EXPECT_TRUE(history.Since(6).empty());
    history.Add({.UtcSeconds = 0.5}); // a replay starting over
    EXPECT_EQ(history.Since(1).size(), 0);
    history.Clear();
    EXPECT_TRUE(history.empty());
    EXPECT_LE(sizeof(FixRecord), 104u); // the stated memory per fix
}

TEST(PositionHistory, OneRecordPerEpochAsItsLastMessageLeftIt) {
    Folded f;
    f.Fold("GNRMC,000941.00,A,4404.14036,N,12118.85961,W,10.0,77.5,100117,,,A");
    f.Fold("GNGGA,000941.00,4404.14036,N,12118.85961,W,4,12,0.80,1144.8,M,-21.3,M,,");
    f.Fold("GNGSA,A,3,05,07,,,,,,,,,,,1.71,1.01,1.38,1");
    EXPECT_TRUE(f.history.empty()); // the epoch is still open
    f.Fold("GNRMC,000942.00,A,4404.14100,N,12118.85961,W,10.0,77.5,100117,,,A");
    ASSERT_EQ(f.history.size(), 1u);
    const FixRecord& first = f.history[0];
    EXPECT_DOUBLE_EQ(first.UtcSeconds, k2017Jan10 + 9 * 60 + 41);
    EXPECT_TRUE(first.DateKnown);
    EXPECT_NEAR(first.Latitude, 44.069006, 1e-6);
    EXPECT_NEAR(first.Longitude, -121.314327, 1e-6);
    EXPECT_DOUBLE_EQ(*first.HeightMsl, 1144.8);
    EXPECT_DOUBLE_EQ(*first.HeightEllipsoid, 1123.5);
    EXPECT_EQ(first.Kind, FixKind::RtkFixed);
    EXPECT_EQ(first.SatellitesUsed, 12);
    EXPECT_FLOAT_EQ(*first.Hdop, 1.01f); // GSA's, told after GGA's
    EXPECT_FLOAT_EQ(*first.Pdop, 1.71f);
    EXPECT_NEAR(*first.SpeedMps, 5.144, 1e-3);

    // A fix-less epoch adds nothing; the stream's end ends the last epoch, once.
    f.Fold("GNGGA,000943.00,,,,,0,00,99.99,,,,,,");
    f.Fold("GNGGA,000944.00,4404.14200,N,12118.85961,W,1,05,1.01,1144.8,M,-21.3,M,,");
    f.End();
    f.End();
    ASSERT_EQ(f.history.size(), 3u);
    EXPECT_EQ(f.history[1].UtcSeconds, k2017Jan10 + 9 * 60 + 42);
    EXPECT_EQ(f.history[2].UtcSeconds, k2017Jan10 + 9 * 60 + 44);
    EXPECT_EQ(f.history[2].Kind, FixKind::Fix3D);
}

TEST(PositionHistory, FixKindFromWhatTheEpochTold) {
    using T = FixType;
    using S = Solution;
    struct Case {
        std::optional<T> type;
        std::optional<S> solution;
        std::string quality;
        bool height;
        FixKind kind;
    };
    const Case cases[] = {
        {{}, {}, "", true, FixKind::NoFix},
        {T::NoFix, S::RtkFixed, "", true, FixKind::NoFix},
        {T::TimeOnly, {}, "", true, FixKind::NoFix},
        {T::DeadReckoning, {}, "", true, FixKind::DeadReckoning},
        {T::Fix3D, S::RtkFixed, "", true, FixKind::RtkFixed},
        {T::Fix3D, S::RtkFloat, "", true, FixKind::RtkFloat},
        {T::Fix2D, S::Differential, "", false, FixKind::Dgnss},
        {T::Fix2D, S::Autonomous, "", true, FixKind::Fix2D},
        {T::GnssDeadReckoning, {}, "", true, FixKind::Fix3D},
        {{}, S::Autonomous, "GPS", true, FixKind::Fix3D},
        {{}, {}, "valid", false, FixKind::Fix2D},
    };
    for (const Case& c : cases) {
        FixStatus fix;
        fix.Type = c.type;
        fix.Solution = c.solution;
        fix.Quality = c.quality;
        EXPECT_EQ(KindOf(fix, c.height), c.kind) << c.quality << " " << int(c.kind);
    }
}
