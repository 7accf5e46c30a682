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
