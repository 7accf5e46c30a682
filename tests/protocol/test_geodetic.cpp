// ECEF positions to WGS-84 latitude, longitude and height: pairs from the
// forward formula on both hemispheres, at the poles, below sea level and in
// orbit; and the NAV-SOL and NAV-POSECEF decoders giving a position only for
// a point a receiver can be at.

#include "protocol/decoding/Decoder.h"
#include "protocol/decoding/Geodetic.h"
#include "tests/protocol/StreamBytes.h"

#include <gtest/gtest.h>
#include <limits>

using namespace protocol;

TEST(Geodetic, EcefPointsGiveTheirLatitudeLongitudeAndHeight) {
    struct Pair {
        double x, y, z, latitude, longitude, height;
    };
    const Pair pairs[] = {
        {6378137.0000, 0.0000, 0.0000, 0.0000000, 0.0000000, 0.000},
        {0.0000, 0.0000, 6356752.3142, 90.0000000, 0.0000000, 0.000},
        {0.0000, 0.0000, -6356852.3142, -90.0000000, 0.0000000, 100.000},
        {0.0000, 6379137.0000, 0.0000, 0.0000000, 90.0000000, 1000.000},
        {4200996.8632, 168325.5481, 4780249.1670, 48.8582000, 2.2945000, 67.400},
        {-3928380.1015, 3462343.1904, -3629357.4857, -34.9062345, 138.6081234, 28.895},
        {1333992.1905, -4654022.9833, 4138280.6707, 40.7128000, -74.0060000, -30.000},
        {4431121.2175, 3160688.0475, 3313062.3432, 31.5000000, 35.5000000, -430.000},
        {-1117.4267801, -1.9502796, -6359552.2167, -89.9900000, -179.9000000, 2800.000},
        {4232625.2192, -8864.8025, 5287666.5853, 51.5000000, -0.1200000, 408000.000},
        {-3955412.7262, 3360336.9478, 3701268.3353, 35.6762000, 139.6503000, 3776.000},
    };
    for (const Pair& pair : pairs) {
        const auto position = EcefToGeodetic(pair.x, pair.y, pair.z);
        ASSERT_TRUE(position) << pair.latitude;
        EXPECT_NEAR(position->LatitudeDeg, pair.latitude, 1e-8) << pair.latitude;
        EXPECT_NEAR(position->LongitudeDeg, pair.longitude, 1e-7) << pair.latitude;
        EXPECT_NEAR(*position->HeightEllipsoidM, pair.height, 1e-3) << pair.latitude;
        EXPECT_FALSE(position->HeightMslM);
    }
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(EcefToGeodetic(0, 0, 0));
    EXPECT_FALSE(EcefToGeodetic(nan, 0, 6356752));
    EXPECT_FALSE(EcefToGeodetic(std::numeric_limits<double>::infinity(), 0, 0));
}

TEST(Geodetic, NavSolAndNavPosecefShowTheirFixAsLatitudeAndLongitude) {
    const auto ecef = [](PayloadWriter writer) {
        return writer.I4(-392838010).I4(346234319).I4(-362935749);
    };
    const auto navSol = [&](std::uint8_t flags) {
        return UbxBytes(0x01, 0x06,
                        ecef(PayloadWriter().U4(0).I4(0).U2(1950).U1(3).U1(flags))
                            .U4(150)
                            .Zeros(16)
                            .U2(171)
                            .U1(0)
                            .U1(9)
                            .Zeros(4)
                            .Bytes());
    };
    for (const std::string& frame :
         {navSol(0x0D), UbxBytes(0x01, 0x01, ecef(PayloadWriter().U4(0)).U4(150).Bytes())}) {
        const Decoded d = Decode(Message{MessageKind::Ubx, frame, 0, ChecksumState::Right});
        ASSERT_TRUE(d.Position) << d.Name;
        EXPECT_NEAR(d.Position->LatitudeDeg, -34.9062345, 1e-7);
        EXPECT_NEAR(d.Position->LongitudeDeg, 138.6081234, 1e-7);
        EXPECT_NEAR(*d.Position->HeightEllipsoidM, 28.895, 0.01);
    }
    // Without gnssFixOK, and with the zeros of a receiver without a fix.
    for (const std::string& frame :
         {navSol(0x0C), UbxBytes(0x01, 0x01, PayloadWriter().Zeros(20).Bytes())})
        EXPECT_FALSE(Decode(Message{MessageKind::Ubx, frame, 0, ChecksumState::Right}).Position);
}
