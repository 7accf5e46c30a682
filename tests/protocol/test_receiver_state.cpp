#include "protocol/state/ReceiverState.h"
#include "tests/protocol/StreamBytes.h"

#include <gtest/gtest.h>

using namespace protocol;

namespace {

Message Nmea(std::string_view body, ChecksumState checksum = ChecksumState::Right) {
    return {MessageKind::Nmea, NmeaLine(body), 0, checksum};
}

// "GLONASS 6 used" for each satellite of the snapshot, in its order.
std::vector<std::string> SatelliteTexts(const ReceiverSnapshot& snapshot) {
    std::vector<std::string> texts;
    for (const auto& sv : snapshot.Satellites)
        texts.push_back(std::string(ConstellationName(sv.System)) + " " +
                        std::to_string(sv.Number) + (sv.Used ? " used" : ""));
    return texts;
}

const MessageStatistics* Stats(const ReceiverSnapshot& snapshot, std::string_view name) {
    for (const auto& stats : snapshot.Messages)
        if (stats.Name == name)
            return &stats;
    return nullptr;
}

using Texts = std::vector<std::string>;

} // namespace

TEST(ReceiverState, NmeaAndUbxOfOneEpochComplementEachOther) {
    ReceiverState state;
    const char* epoch[] = {
        "GNRMC,000941.00,A,4404.14036,N,12118.85961,W,10.0,77.5,100117,,,A",
        "GNGGA,000941.00,4404.14036,N,12118.85961,W,1,05,1.01,1144.8,M,-21.3,M,,",
        "GNGSA,A,3,05,07,,,,,,,,,,,1.71,1.01,1.38,1",
        "GNGSA,A,3,70,,,,,,,,,,,,1.71,1.01,1.38,2",
        "GPGSV,2,1,05,05,10,100,40,07,20,200,41,09,30,300,42,46,5,10,30",
        "GPGSV,2,2,05,12,40,45,,",
        "GLGSV,1,1,02,70,42,057,33,71,,,29",
        "GNRMC,000942.00,A,4404.14100,N,12118.85961,W,10.0,77.5,100117,,,A",
    };
    for (const char* body : epoch)
        state.Fold(Nmea(body), 1.0);
    ReceiverSnapshot s = state.Snapshot(1.5);
    ASSERT_TRUE(s.Utc && s.Position);
    EXPECT_EQ(s.Utc->Year, 2017);
    EXPECT_EQ(s.Utc->Second, 42.0);
    EXPECT_NEAR(s.Position->LatitudeDeg, 44.069016, 1e-6);
    EXPECT_DOUBLE_EQ(*s.Position->HeightMslM, 1144.8); // kept from GGA over the later RMC
    EXPECT_EQ(s.Fix.Type, FixType::Fix3D);
    EXPECT_EQ(s.Fix.SatellitesUsed, 5);
    EXPECT_DOUBLE_EQ(*s.Dop.Vertical, 1.38);
    EXPECT_NEAR(*s.Motion.SpeedMps, 5.144, 1e-3);
    EXPECT_EQ(SatelliteTexts(s), (Texts{"GPS 5 used", "GPS 7 used", "GPS 9", "GPS 12", "SBAS 133",
                                        "GLONASS 6 used", "GLONASS 7"}));

    // UBX NAV-SAT reports every constellation: it replaces all of them.
    const std::string sat = PayloadWriter()
                                .U4(1)
                                .U1(1)
                                .U1(1)
                                .Zeros(2)
                                .U1(2)
                                .U1(11)
                                .U1(44)
                                .U1(60)
                                .U2(10)
                                .U2(0)
                                .U4(0x08)
                                .Bytes();
    state.Fold({MessageKind::Ubx, UbxBytes(0x01, 0x35, sat), 0, ChecksumState::Right}, 2.0);
    s = state.Snapshot(2.5);
    EXPECT_EQ(SatelliteTexts(s), (Texts{"Galileo 11 used"}));
    EXPECT_DOUBLE_EQ(*s.Position->HeightMslM, 1144.8);
}

TEST(ReceiverState, IncompleteOrOtherSignalSeriesLeaveTheSatellitesAsTheyAre) {
    ReceiverState state;
    state.Fold(Nmea("GLGSV,1,1,01,70,42,057,33,1"), 0); // signal 1 reported first
    const char* ignored[] = {
        "GLGSV,3,1,01,71,42,057,33,1", // part 2 goes missing
        "GLGSV,3,3,01,72,42,057,33,1",
        "GLGSV,1,1,01,73,42,057,33,3", // another signal
    };
    for (const char* body : ignored)
        state.Fold(Nmea(body), 0);
    EXPECT_EQ(SatelliteTexts(state.Snapshot(0)), (Texts{"GLONASS 6"}));
    // A damaged sentence is counted, but changes nothing.
    state.Fold(Nmea("GLGSV,1,1,01,74,42,057,33,1", ChecksumState::Wrong), 0);
    EXPECT_EQ(SatelliteTexts(state.Snapshot(0)), (Texts{"GLONASS 6"}));
}

TEST(ReceiverState, CountsRatesAndChecksumErrorsPerMessageType) {
    ReceiverState state;
    for (int second = 0; second < 10; ++second) {
        state.Fold(Nmea("GPGGA,000941.00,,,,,0,00,,,,,,,"), second + 0.2);
        state.Fold(Nmea("GPGSA,A,1,,,,,,,,,,,,,,,"), second + 0.3);
        state.Fold(Nmea("GPGSA,A,1,,,,,,,,,,,,,,,"), second + 0.4);
    }
    state.Fold(Nmea("GPGGA,000941.00,,,,,0,00,,,,,,,", ChecksumState::Wrong), 9.9);
    state.Fold({MessageKind::Unframed, "\x01\x02", 0, ChecksumState::None}, 9.9);
    ReceiverSnapshot s = state.Snapshot(10.1);
    ASSERT_TRUE(Stats(s, "GPGGA") && Stats(s, "GPGSA") && Stats(s, "unframed"));
    EXPECT_EQ(Stats(s, "GPGGA")->Count, 11u);
    EXPECT_EQ(Stats(s, "GPGGA")->ChecksumErrors, 1u);
    EXPECT_DOUBLE_EQ(Stats(s, "GPGGA")->RatePerSecond, 6.0 / 5);
    EXPECT_DOUBLE_EQ(Stats(s, "GPGSA")->RatePerSecond, 2.0);
    // Silence: the rate falls to zero while the counts stay.
    s = state.Snapshot(30);
    EXPECT_EQ(Stats(s, "GPGSA")->RatePerSecond, 0.0);
    EXPECT_EQ(Stats(s, "GPGSA")->Count, 20u);

    // Message types beyond the bound are counted together.
    for (int i = 0; i < 300; ++i)
        state.Fold(Nmea("PX" + std::to_string(i)), 40);
    s = state.Snapshot(41);
    EXPECT_EQ(s.Messages.size(), ReceiverState::kMaxMessageTypes + 1);
    EXPECT_EQ(Stats(s, "other")->Count, 300u - (ReceiverState::kMaxMessageTypes - 3));
}

namespace {

// A NAV-PVT of the given fix type and flags, with a valid time of day of second.
Message NavPvt(int fixType, int flags, int second) {
    const std::string payload = PayloadWriter()
                                    .U4(0)
                                    .U2(2024)
                                    .U1(5)
                                    .U1(1)
                                    .U1(12)
                                    .U1(0)
                                    .U1(second)
                                    .U1(0x03)
                                    .Zeros(8)
                                    .U1(fixType)
                                    .U1(flags)
                                    .U1(0)
                                    .U1(9)
                                    .Zeros(68)
                                    .Bytes();
    return {MessageKind::Ubx, UbxBytes(0x01, 0x07, payload), 0, ChecksumState::Right};
}

Message NavTimegps(int week, std::uint32_t towMs, int leapSeconds, int valid) {
    const std::string payload = PayloadWriter()
                                    .U4(towMs)
                                    .I4(0)
                                    .U2(static_cast<std::uint64_t>(week))
                                    .U1(static_cast<std::uint64_t>(leapSeconds))
                                    .U1(valid)
                                    .U4(20)
                                    .Bytes();
    return {MessageKind::Ubx, UbxBytes(0x01, 0x20, payload), 0, ChecksumState::Right};
}

} // namespace

// Each case folds its messages in order; the fix shown is the best the
// latest epoch tells, whichever message tells it and in whatever order.
TEST(ReceiverState, TheFixIsTheBestTheLatestEpochTells) {
    const struct {
        const char* name;
        std::vector<Message> messages;
        std::string fix;
    } cases[] = {
        {"RTK fixed GGA then RTK RMC",
         {Nmea("GNGGA,120000.00,4404.1,N,12118.8,W,4,12,0.6,10,M,0,M,1.0,0001"),
          Nmea("GNRMC,120000.00,A,4404.1,N,12118.8,W,0.0,,010524,,,R")},
         "RTK fixed"},
        {"a plain RMC leaves GGA's RTK float",
         {Nmea("GNGGA,120000.00,4404.1,N,12118.8,W,5,12,0.6,10,M,0,M,1.0,0001"),
          Nmea("GNRMC,120000.00,A,4404.1,N,12118.8,W,0.0,,010524,,,A"),
          Nmea("GNGSA,A,3,01,,,,,,,,,,,,1.0,0.6,0.8")},
         "RTK float"},
        {"DGPS quality and a 3D GSA",
         {Nmea("GPGGA,120000.00,4404.1,N,12118.8,W,2,08,0.9,10,M,0,M,,"),
          Nmea("GPGSA,A,3,01,,,,,,,,,,,,1.0,0.6,0.8")},
         "DGNSS"},
        {"3D from GSA",
         {Nmea("GPGSA,A,3,01,,,,,,,,,,,,1.0,0.6,0.8"),
          Nmea("GPGGA,120000.00,4404.1,N,12118.8,W,1,08,0.9,10,M,0,M,,")},
         "3D"},
        {"2D from GSA", {Nmea("GPGSA,A,2,01,,,,,,,,,,,,1.0,0.6,0.8")}, "2D"},
        {"RMC dead reckoning",
         {Nmea("GNRMC,120000.00,A,4404.1,N,12118.8,W,0.0,,010524,,,E")},
         "dead reckoning"},
        {"GNS: RTK for GPS, none for GLONASS",
         {Nmea("GNGNS,120000.00,4404.1,N,12118.8,W,RN,12,0.6,10,0,1.0,0001")},
         "RTK fixed"},
        {"RMC void", {Nmea("GNRMC,120000.00,V,,,,,,,010524,,,N")}, "no fix"},
        {"the next epoch loses the RTK fix",
         {Nmea("GNGGA,120000.00,4404.1,N,12118.8,W,4,12,0.6,10,M,0,M,1.0,0001"),
          Nmea("GNGGA,120001.00,,,,,0,00,,,,,,,")},
         "no fix"},
        {"a fix regained carries no old no-fix over",
         {Nmea("GNGSA,A,1,,,,,,,,,,,,,,,"),
          Nmea("GNGGA,120001.00,4404.1,N,12118.8,W,1,05,0.9,10,M,0,M,,")},
         "fix"},
        {"NAV-PVT carrier solution fixed", {NavPvt(3, 0x81, 0)}, "RTK fixed"},
        {"NAV-PVT differential", {NavPvt(3, 0x03, 0)}, "DGNSS"},
        {"NAV-PVT fix outside the limits", {NavPvt(3, 0x00, 0)}, "no fix"},
        {"NAV-PVT each second", {NavPvt(3, 0x81, 0), NavPvt(2, 0x01, 1)}, "2D"},
    };
    for (const auto& c : cases) {
        ReceiverState state;
        for (const Message& message : c.messages)
            state.Fold(message, 1.0);
        EXPECT_EQ(FixText(state.Snapshot(1.0).Fix), c.fix) << c.name;
    }
}

TEST(ReceiverState, UsedFlagsFollowTheLatestGsaSetAndAFixLessEpochUsesNone) {
    ReceiverState state;
    const char* fixed[] = {
        "GNGGA,120000.00,4404.1,N,12118.8,W,1,03,0.9,10,M,0,M,,",
        "GNGSA,A,3,05,07,,,,,,,,,,,1.7,1.0,1.3,1",
        "GNGSA,A,3,70,,,,,,,,,,,,1.7,1.0,1.3,2",
        "GPGSV,1,1,03,05,10,100,40,07,20,200,41,09,30,300,42",
        "GLGSV,1,1,01,70,42,057,33",
    };
    for (const char* body : fixed)
        state.Fold(Nmea(body), 1.0);
    EXPECT_EQ(SatelliteTexts(state.Snapshot(1.0)),
              (Texts{"GPS 5 used", "GPS 7 used", "GPS 9", "GLONASS 6 used"}));
    // The next set names GPS 9 alone: GLONASS 6 is no longer used either.
    state.Fold(Nmea("GNGSA,A,3,09,,,,,,,,,,,,1.7,1.0,1.3,1"), 1.5);
    EXPECT_EQ(SatelliteTexts(state.Snapshot(1.5)),
              (Texts{"GPS 5", "GPS 7", "GPS 9 used", "GLONASS 6"}));
    // A cold start: the epoch without a fix leaves nothing used, even before its GSA.
    state.Fold(Nmea("GNRMC,120002.00,V,,,,,,,010524,,,N"), 2.0);
    ReceiverSnapshot s = state.Snapshot(2.0);
    EXPECT_EQ(SatelliteTexts(s), (Texts{"GPS 5", "GPS 7", "GPS 9", "GLONASS 6"}));
    EXPECT_EQ(s.Fix.Type, FixType::NoFix);
    state.Fold(Nmea("GNGSA,A,1,,,,,,,,,,,,,,,"), 2.1);
    state.Fold(Nmea("GPGSV,1,1,01,05,10,100,40"), 2.1);
    EXPECT_EQ(SatelliteTexts(state.Snapshot(2.1)), (Texts{"GPS 5", "GLONASS 6"}));
}

TEST(ReceiverState, SatellitesNotReportedGoStaleThenAway) {
    ReceiverState state;
    state.Fold(Nmea("GPGSV,1,1,01,05,10,100,40"), 0);
    state.Fold(Nmea("GLGSV,1,1,01,70,42,057,33"), 5);
    const auto staleness = [&](double now) {
        std::vector<std::string> texts;
        for (const auto& sv : state.Snapshot(now).Satellites)
            texts.push_back(std::to_string(sv.Number) + (sv.Stale ? " stale" : ""));
        return texts;
    };
    EXPECT_EQ(staleness(2.9), (Texts{"5", "6"}));
    EXPECT_EQ(staleness(3.0), (Texts{"5 stale", "6"}));
    EXPECT_EQ(staleness(9.9), (Texts{"5 stale", "6 stale"}));
    EXPECT_EQ(staleness(10.0), (Texts{"6 stale"}));
    EXPECT_EQ(staleness(15.0), Texts{});
}

TEST(ReceiverState, UtcFromGpsTimeOnlyWithValidLeapSeconds) {
    ReceiverState state;
    state.Fold(NavTimegps(2086, 259218000, 18, 0x03), 0); // leap seconds not yet known
    EXPECT_FALSE(state.Snapshot(0).Utc);
    state.Fold(NavTimegps(2086, 259218500, 18, 0x07), 0);
    const auto utc = state.Snapshot(0).Utc;
    ASSERT_TRUE(utc);
    EXPECT_EQ(std::tie(*utc->Year, *utc->Month, *utc->Day, *utc->Hour, *utc->Minute),
              std::tuple(2020, 1, 1, 0, 0));
    EXPECT_DOUBLE_EQ(*utc->Second, 0.5);
}

TEST(ReceiverState, HealthIsTheLatestEachReportGave) {
    ReceiverState state;
    const auto mon = [&state](std::uint8_t id, std::string payload, double now) {
        state.Fold(Message{MessageKind::Ubx, UbxBytes(0x0A, id, payload), 0}, now);
        return state.Snapshot(now).Health;
    };
    std::string rf(4 + 24, '\0'); // MON-RF: one block, jamming state warning
    rf[1] = 1;
    rf[5] = 2;
    mon(0x39, PayloadWriter().U1(1).U1(0).U1(42).Zeros(21).Bytes(), 0); // MON-SYS
    mon(0x38, rf, 0);
    rf[0] = 7; // a version unknown changes nothing
    const ReceiverHealth health = mon(0x38, rf, 0);
    ASSERT_TRUE(health.System && health.RfBlocks);
    EXPECT_EQ(health.System->CpuPercent, 42);
    EXPECT_EQ(health.RfBlocks->at(0).Jamming, JammingState::Warning);
    EXPECT_FALSE(health.Signals);
    std::string hw(60, '\0'); // MON-HW, antenna shorted
    hw[20] = 3;
    const ReceiverHealth beside = mon(0x09, hw, 1);
    EXPECT_EQ(beside.RfBlocks->at(0).Jamming, JammingState::Warning) << "MON-RF's blocks kept";
    EXPECT_EQ(beside.RfBlockReports, health.RfBlockReports);
    EXPECT_EQ(mon(0x09, hw, 11).RfBlocks->at(0).Antenna, AntennaStatus::Short) << "MON-RF gone";
}
