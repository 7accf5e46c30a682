#include "protocol/decoding/Decoder.h"
#include "protocol/state/ReceiverState.h"
#include "tests/protocol/StreamBytes.h"

#include <gtest/gtest.h>

using namespace protocol;

namespace {

Message Received(const std::string& bytes) {
    return {bytes[0] == '$' ? MessageKind::Nmea : MessageKind::Ubx, bytes, 0, ChecksumState::Right};
}

bool HasValues(const Decoded& d) {
    return d.Utc || d.Position || d.Fix || d.Dop || d.Motion || d.Accuracy || d.Satellites ||
           d.GsvPart || d.Used || d.Ack || d.Text;
}

std::string TimeUtc(int month, int day, int second, std::int64_t nano) {
    return UbxBytes(0x01, 0x21,
                    PayloadWriter()
                        .U4(0)
                        .U4(50)
                        .I4(nano)
                        .U2(2024)
                        .U1(static_cast<std::uint64_t>(month))
                        .U1(static_cast<std::uint64_t>(day))
                        .U1(12)
                        .U1(0)
                        .U1(static_cast<std::uint64_t>(second))
                        .U1(0x07)
                        .Bytes());
}

std::string PosLlh(std::int64_t lat, std::int64_t heightMm) {
    return UbxBytes(
        0x01, 0x02,
        PayloadWriter().U4(0).I4(0).I4(lat).I4(heightMm).I4(heightMm).U4(1).U4(1).Bytes());
}

std::string VelNed(std::uint64_t speedCmps, std::int64_t heading) {
    return UbxBytes(0x01, 0x12,
                    PayloadWriter()
                        .U4(0)
                        .I4(0)
                        .I4(0)
                        .I4(0)
                        .U4(speedCmps)
                        .U4(speedCmps)
                        .I4(heading)
                        .U4(1)
                        .U4(1)
                        .Bytes());
}

// One satellite; elevation and azimuth as sent (-91: the receiver does not know).
std::string NavSat(std::uint64_t cno, std::int8_t elevation) {
    return UbxBytes(0x01, 0x35,
                    PayloadWriter()
                        .U4(0)
                        .U1(1)
                        .U1(1)
                        .Zeros(2)
                        .U1(0)
                        .U1(5)
                        .U1(cno)
                        .U1(static_cast<std::uint8_t>(elevation))
                        .U2(45)
                        .Zeros(6)
                        .Bytes());
}

} // namespace

TEST(ValueRanges, AValueOutOfItsRangeKeepsTheWholeMessageFromTheState) {
    struct Case {
        std::string bytes;
        const char* problem; // empty: an edge case that must pass
    };
    const std::string gga = "GPGGA,123519.00,4807.038,N,01131.000,E,";
    const std::string rmc = "GPRMC,123519.00,A,4807.038,N,01131.000,E,";
    const Case cases[] = {
        {NmeaLine(gga + "1,08,0.9,545.4,M,46.9,M,,"), ""},
        {NmeaLine("GPGGA,123519.00,9000.000,N,18000.000,W,1,08,0.9,545.4,M,46.9,M,,"), ""},
        {NmeaLine("GPGGA,123519.00,9100.000,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"),
         "latitude 91.0 out of range"},
        {NmeaLine("GPGLL,4807.038,N,20000.000,E,123519.00,A,A"), "longitude 200.0 out of range"},
        {NmeaLine("GPGGA,126000.00,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"),
         "minute 60 out of range"},
        {NmeaLine("GPGGA,123561.00,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"),
         "second 61.0 out of range"},
        {NmeaLine(gga + "1e+30,08,0.9,545.4,M,46.9,M,,"), "quality 1e+30 out of range"},
        {NmeaLine(gga + "9,08,0.9,545.4,M,46.9,M,,"), "quality 9 out of range"},
        {NmeaLine(gga + "1,100,0.9,545.4,M,46.9,M,,"), "satellites used 100 out of range"},
        {NmeaLine(gga + "1,08,0.9,200000,M,46.9,M,,"), "height MSL 200000.0 out of range"},
        {NmeaLine(rmc + "0.0,360.0,290224,,,A"), ""}, // 29 February of a leap year
        {NmeaLine("GPRMC,235960.00,A,4807.038,N,01131.000,E,0.0,0.0,311216,,,A"), ""},
        {NmeaLine(rmc + "0.0,0.0,320524,,,A"), "day 32 out of range"},
        {NmeaLine(rmc + "0.0,0.0,290223,,,A"), "day 29 out of range"},
        {NmeaLine(rmc + "0.0,0.0,011324,,,A"), "month 13 out of range"},
        {NmeaLine(rmc + "2000.0,0.0,010524,,,A"), "speed 1028.888889 out of range"},
        {NmeaLine(rmc + "0.0,999.9,010524,,,A"), "course 999.9 out of range"},
        {NmeaLine("GPZDA,240000.00,01,05,2024,00,00"), "hour 24 out of range"},
        {NmeaLine("GPZDA,120000.00,01,05,1970,00,00"), "year 1970 out of range"},
        {NmeaLine("GPGSA,A,4,05,07,,,,,,,,,,,1.7,1.0,1.4"), "fix mode 4 out of range"},
        {NmeaLine("GPGSA,A,3,05,07,,,,,,,,,,,100.0,1.0,1.4"), "PDOP 100.0 out of range"},
        {NmeaLine("GPGSV,1,1,01,05,-5,360,45"), ""},
        {NmeaLine("GPGSV,1,1,01,05,91,100,45"), "elevation 91 out of range"},
        {NmeaLine("GPGSV,1,1,01,05,45,361,45"), "azimuth 361 out of range"},
        {NmeaLine("GPGSV,1,1,01,05,45,100,100"), "C/N0 100 out of range"},
        {NmeaLine("GPGSV,2,3,01,05,45,100,45"), "message 3 out of range"},
        {NmeaLine("GPGSV,0,0,00"), "messages 0 out of range"},
        {NmeaLine("GPGSV,1,1,100"), "satellites in view 100 out of range"},
        {NmeaLine("GPGST,123519.00,1.0,,,,1.0,1.0,-2.0"), "vertical accuracy -2.0 out of range"},
        {NmeaLine("PUBX,00,123519.00,4807.04,N,01131.00,E,545.4,G3,2.1,3.4,36.0,77.5,2000,,"
                  "1.0,1.4,0.9,12,0,0"),
         "climb -2000.0 out of range"},
        {PosLlh(900000000, 500000), ""},
        {PosLlh(910000000, 500000), "latitude 91.0 out of range"},
        {PosLlh(450000000, -5000000), "height MSL -5000.0 out of range"},
        {TimeUtc(5, 31, 0, -200000000), ""}, // 12:00:00 less 0.2 s
        {TimeUtc(6, 31, 0, 0), "day 31 out of range"},
        {TimeUtc(5, 1, 61, 0), "second 61.0 out of range"},
        {VelNed(210000000, 9012345), "speed 2100000.0 out of range"},
        {VelNed(100, 40000000), "course 400.0 out of range"},
        {NavSat(45, -91), ""}, // direction unknown: left out, not wrong
        {NavSat(120, 30), "C/N0 120 out of range"},
    };
    for (const auto& c : cases) {
        const Message message = Received(c.bytes);
        const Decoded d = Decode(message);
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(d.Problem, c.problem);
        EXPECT_EQ(HasValues(d), *c.problem == '\0');
        EXPECT_FALSE(d.Name.empty());
        EXPECT_FALSE(d.Fields.empty()); // the Messages page shows what was sent
        const Decoded typed = Decode(message, DecodeDetail::TypedOnly);
        EXPECT_EQ(typed.Problem, c.problem);
        EXPECT_EQ(HasValues(typed), *c.problem == '\0');
    }
}

TEST(ValueRanges, TheStateKeepsTheLastGoodPositionAndCountsTheBadMessage) {
    ReceiverState state;
    const char* tail = ",1,08,0.9,545.4,M,46.9,M,,";
    state.Fold(Received(NmeaLine(std::string("GPGGA,123519.00,4807.038,N,01131.000,E") + tail)), 0);
    state.Fold(Received(NmeaLine(std::string("GPGGA,123520.00,9100.000,N,01131.000,E") + tail)), 0);
    const ReceiverSnapshot snapshot = state.Snapshot(0);
    ASSERT_TRUE(snapshot.Position && snapshot.Utc);
    EXPECT_NEAR(snapshot.Position->LatitudeDeg, 48.1173, 1e-9);
    EXPECT_DOUBLE_EQ(*snapshot.Utc->Second, 19.0);
    ASSERT_EQ(snapshot.Messages.size(), 1u);
    EXPECT_EQ(snapshot.Messages[0].Count, 2u);
    EXPECT_EQ(snapshot.Messages[0].ChecksumErrors, 0u);
}
