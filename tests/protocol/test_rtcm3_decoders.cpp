#include "protocol/BitWriter.h"
#include "protocol/Rtcm3Frame.h"
#include "protocol/decoding/Decoder.h"
#include "protocol/state/ReceiverState.h"

#include <gtest/gtest.h>

using namespace protocol;

namespace {

Decoded DecodeFrame(const std::string& frame, ChecksumState checksum = ChecksumState::Right) {
    return Decode(Message{MessageKind::Rtcm3, frame, 0, checksum});
}

std::string FieldValue(const Decoded& decoded, std::string_view name) {
    for (const Field& field : decoded.Fields)
        if (field.Name == name)
            return field.Value + (field.Unit.empty() ? "" : " " + field.Unit);
    return "(none)";
}

// The message header of an MSM: type, station 7, the epoch, one more message
// of the epoch to come, and the masks; then the body's bits as zeros.
std::string Msm(int type, std::int64_t epoch, std::uint64_t satellites, std::uint32_t signals,
                std::uint64_t cells, int cellCount, int bodyBits) {
    BitWriter bits;
    bits.Bits(12, type).Bits(12, 7).Bits(30, epoch).Bits(1, 1).Bits(3, 0).Bits(7 + 2 + 2 + 1 + 3,
                                                                               0);
    bits.Bits(64, static_cast<std::int64_t>(satellites))
        .Bits(32, signals)
        .Bits(cellCount, static_cast<std::int64_t>(cells));
    for (int i = 0; i < bodyBits; ++i)
        bits.Bits(1, 0);
    return BuildRtcm3Frame(bits.Bytes());
}

} // namespace

// The 1005 example the standard gives: station 2003 at (1114104.5999,
// -4850729.7108, 3975521.4643).
TEST(Rtcm3Decoder, StationPositionOfTheStandardsExample) {
    const std::string frame("\xD3\x00\x13\x3E\xD7\xD3\x02\x02\x98\x0E\xDE\xEF\x34\xB4\xBD\x62"
                            "\xAC\x09\x41\x98\x6F\x33\x36\x0B\x98",
                            25);
    const Decoded d = DecodeFrame(frame);
    EXPECT_EQ(d.Name, "RTCM 1005");
    EXPECT_EQ(d.Problem, "");
    ASSERT_TRUE(d.Station && d.Station->Place);
    EXPECT_EQ(d.Station->StationId, 2003);
    EXPECT_NEAR(d.Station->EcefXM, 1114104.5999, 1e-6);
    EXPECT_NEAR(d.Station->EcefYM, -4850729.7108, 1e-6);
    EXPECT_NEAR(d.Station->EcefZM, 3975521.4643, 1e-6);
    EXPECT_NEAR(d.Station->Place->LatitudeDeg, 38.8, 0.1);
    EXPECT_NEAR(d.Station->Place->LongitudeDeg, -77.06, 0.1);
    EXPECT_FALSE(d.Station->AntennaHeightM);
    EXPECT_EQ(FieldValue(d, "ECEF Y"), "-4850729.7108 m");
    EXPECT_EQ(FieldValue(d, "systems"), "GPS");
}

TEST(Rtcm3Decoder, FieldsOfEachKnownType) {
    const auto station1006 = BitWriter()
                                 .Bits(12, 1006)
                                 .Bits(12, 4095)
                                 .Bits(6, 20)
                                 .Bits(4, 0b1110)
                                 .Bits(38, 41804833903)
                                 .Bits(2, 0)
                                 .Bits(38, 8517979558)
                                 .Bits(2, 0)
                                 .Bits(38, 47259997687)
                                 .Bits(16, 15000);
    const auto descriptors = BitWriter()
                                 .Bits(12, 1033)
                                 .Bits(12, 12)
                                 .Text("TRM59800.00     NONE")
                                 .Bits(8, 3)
                                 .Text("5000123")
                                 .Text("ZED-F9P")
                                 .Text("HPG 1.32")
                                 .Text("SN\xD3");
    const auto biases = BitWriter()
                            .Bits(12, 1230)
                            .Bits(12, 5)
                            .Bits(1, 1)
                            .Bits(3, 0)
                            .Bits(4, 0b1001)
                            .Bits(16, -150)
                            .Bits(16, -32768);
    const auto gpsEphemeris = BitWriter().Bits(12, 1019).Bits(6, 5).Bits(10, 321).Bits(472, 0);
    const auto qzssEphemeris = BitWriter().Bits(12, 1044).Bits(4, 2).Bits(472, 0);
    struct Case {
        std::string frame;
        std::string name;
        std::vector<std::pair<std::string, std::string>> fields;
    };
    const std::vector<Case> cases = {
        {BuildRtcm3Frame(station1006.Bytes()),
         "RTCM 1006",
         {{"station", "4095"},
          {"systems", "GPS, GLONASS, Galileo"},
          {"reference point", "physical"},
          {"ECEF X", "4180483.3903 m"},
          {"latitude", "48.117300000 deg"},
          {"longitude", "11.516700001 deg"},
          {"height", "545.4000 m"},
          {"antenna height", "1.5000 m"}}},
        {BuildRtcm3Frame(descriptors.Bytes()),
         "RTCM 1033",
         {{"station", "12"},
          {"antenna", "TRM59800.00     NONE"},
          {"antenna setup", "3"},
          {"antenna serial", "5000123"},
          {"receiver", "ZED-F9P"},
          {"firmware", "HPG 1.32"},
          {"receiver serial", "SN\\xD3"}}},
        // GPS MSM4: G02 G05 on 1C and 2L, three cells of four.
        {Msm(1074, 345600123, (1ull << 62) | (1ull << 59), (1u << 30) | (1u << 16), 0b1101, 4,
             2 * 18 + 3 * 48),
         "RTCM 1074",
         {{"kind", "GPS MSM4"},
          {"station", "7"},
          {"time of week", "345600.123 s"},
          {"more of this epoch follow", "yes"},
          {"satellites", "2: G02 G05"},
          {"signals", "2: 1C 2L"},
          {"cells", "3"}}},
        // GLONASS MSM7: day 3, 01:00:00.5; R24 on 1C; BeiDou and SBAS numbering.
        {Msm(1087, (3ll << 27) | 3600500, 1ull << 40, 1u << 30, 1, 1, 36 + 80),
         "RTCM 1087",
         {{"kind", "GLONASS MSM7"},
          {"day of week", "3"},
          {"time of day", "3600.500 s"},
          {"satellites", "1: R24"},
          {"signals", "1: 1C"}}},
        {Msm(1124, 0, 1ull << 44, 1u << 31, 1, 1, 18 + 48),
         "RTCM 1124",
         {{"satellites", "1: C20"}, {"signals", "1: #1"}}},
        {Msm(1104, 0, 1ull << 63, 1u << 30, 1, 1, 18 + 48),
         "RTCM 1104",
         {{"satellites", "1: S20"}}},
        {BuildRtcm3Frame(biases.Bytes()),
         "RTCM 1230",
         {{"station", "5"},
          {"phase ranges aligned", "yes"},
          {"L1 C/A bias", "-3.00 m"},
          {"L2 P bias", "not available"},
          {"L1 P bias", "(none)"}}},
        {BuildRtcm3Frame(gpsEphemeris.Bytes()),
         "RTCM 1019",
         {{"satellite", "G05"}, {"week", "321"}}},
        {BuildRtcm3Frame(qzssEphemeris.Bytes()), "RTCM 1044", {{"satellite", "J02"}}},
        {BuildRtcm3Frame(BitWriter().Bits(12, 1234).Bits(12, 0xABC).Bytes()),
         "RTCM 1234",
         {{"payload", "4D 2A BC"}}},
        {BuildRtcm3Frame(""), "RTCM", {{"payload", ""}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Decoded d = DecodeFrame(c.frame);
        EXPECT_EQ(d.Name, c.name);
        EXPECT_EQ(d.Problem, "");
        for (const auto& [name, value] : c.fields)
            EXPECT_EQ(FieldValue(d, name), value) << name;
    }
}

// Nothing of a short or damaged message is trusted: the name stays, the
// problem is told, no field or station comes out.
TEST(Rtcm3Decoder, ShortOrDamagedMessagesKeepOnlyTheirName) {
    const std::string station = BitWriter().Bits(12, 1005).Bits(140, 1).Bytes();
    const std::string good = BuildRtcm3Frame(station);
    struct Case {
        std::string frame;
        ChecksumState checksum;
        std::string name, problem;
    };
    const std::vector<Case> cases = {
        {BuildRtcm3Frame(station.substr(0, 18)), ChecksumState::Right, "RTCM 1005",
         "payload of 18 bytes is too short for RTCM 1005"},
        {Msm(1077, 0, 1ull << 63, 1u << 31, 1, 1, 36 + 80 - 16), ChecksumState::Right, "RTCM 1077",
         "payload of 34 bytes is too short for RTCM 1077"},
        {Msm(1074, 0, ~0ull >> 47, 0xF, 0, 0, 0), ChecksumState::Right, "RTCM 1074",
         "17 satellites and 4 signals: more than the 64 cells a message holds"},
        {good, ChecksumState::Wrong, "RTCM 1005", "checksum wrong"},
        {good.substr(0, 4), ChecksumState::Wrong, "RTCM", "checksum wrong"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.problem);
        const Decoded d = DecodeFrame(c.frame, c.checksum);
        EXPECT_EQ(d.Name, c.name);
        EXPECT_EQ(d.Problem, c.problem);
        EXPECT_TRUE(d.Fields.empty());
        EXPECT_FALSE(d.Station);
    }
    EXPECT_EQ(DecodeRtcm3(good.substr(0, 10)).Problem, "frame of 10 bytes, its length says 25");
}

// The message-types table counts RTCM messages by type, with their CRC
// failures, and the state keeps the base station apart from the own fix.
TEST(Rtcm3Decoder, ReceiverStateCountsTypesAndKeepsTheBase) {
    const std::string frame = BuildRtcm3Frame(BitWriter()
                                                  .Bits(12, 1005)
                                                  .Bits(12, 9)
                                                  .Bits(10, 0)
                                                  .Bits(38, 40000000000)
                                                  .Bits(2, 0)
                                                  .Bits(38, 0)
                                                  .Bits(2, 0)
                                                  .Bits(38, 0)
                                                  .Bytes());
    std::string damaged = frame;
    damaged.back() ^= 1;
    ReceiverState state;
    state.Fold({MessageKind::Rtcm3, frame, 0, ChecksumState::Right}, 1.0);
    state.Fold({MessageKind::Rtcm3, damaged, 0, ChecksumState::Wrong}, 1.5);
    state.Fold({MessageKind::Rtcm3, Msm(1074, 0, 0, 0, 0, 0, 0), 0, ChecksumState::Right}, 1.6);
    const ReceiverSnapshot snapshot = state.Snapshot(2.0);
    ASSERT_EQ(snapshot.Messages.size(), 2u);
    EXPECT_EQ(snapshot.Messages[0].Name, "RTCM 1005");
    EXPECT_EQ(snapshot.Messages[0].Count, 2u);
    EXPECT_EQ(snapshot.Messages[0].ChecksumErrors, 1u);
    EXPECT_EQ(snapshot.Messages[1].Name, "RTCM 1074");
    ASSERT_TRUE(snapshot.Base && snapshot.Base->Place);
    EXPECT_EQ(snapshot.Base->StationId, 9);
    EXPECT_NEAR(snapshot.Base->Place->LatitudeDeg, 0, 1e-9);
    EXPECT_FALSE(snapshot.Position);
}
