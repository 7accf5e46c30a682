#include "protocol/decoding/Decoder.h"
#include "tests/protocol/StreamBytes.h"
#include "tools/receiver-sim/NmeaOutput.h"
#include "tools/receiver-sim/UbxOutput.h"

#include <gtest/gtest.h>

using namespace protocol;

namespace {

Decoded DecodeBytes(const std::string& bytes, ChecksumState checksum = ChecksumState::Right) {
    return Decode(
        Message{bytes[0] == '$' ? MessageKind::Nmea : MessageKind::Ubx, bytes, 0, checksum});
}

std::string FieldValue(const Decoded& d, std::string_view name) {
    for (const auto& field : d.Fields)
        if (field.Name == name)
            return field.Value;
    return "(absent)";
}

std::string NavPvtPayload() {
    return PayloadWriter()
        .U4(291019400)
        .U2(2017)
        .U1(7)
        .U1(19)
        .U1(8)
        .U1(50)
        .U1(1)
        .U1(0x07) // time, valid
        .U4(25)
        .I4(-200000000)
        .U1(3)
        .U1(0x83)
        .U1(0)
        .U1(11) // fix 3D, RTK fixed
        .I4(1386081234)
        .I4(-349062345)
        .I4(28895)
        .I4(25424) // lon, lat, heights
        .U4(1500)
        .U4(2300)
        .I4(10)
        .I4(-20)
        .I4(500)
        .U4(1234) // acc, velocity
        .I4(9012345)
        .U4(400)
        .U4(1800000)
        .U2(171)
        .Zeros(6)
        .I4(0)
        .U4(0)
        .Bytes();
}

} // namespace

TEST(UbxDecoder, NavPvtFieldsAndTypedValuesFollowTheLayout) {
    const Decoded d = DecodeBytes(UbxBytes(0x01, 0x07, NavPvtPayload()));
    EXPECT_EQ(d.Name, "NAV-PVT");
    EXPECT_EQ(d.Problem, "");
    EXPECT_EQ(FieldValue(d, "lat"), "-34.9062345");
    EXPECT_EQ(FieldValue(d, "height"), "28.895");
    EXPECT_EQ(FieldValue(d, "flags"), "0x83 (gnssFixOK, diffSoln, carrSoln fixed)");
    ASSERT_TRUE(d.Position && d.Utc && d.Fix && d.Motion && d.Accuracy && d.Dop);
    EXPECT_NEAR(d.Position->LatitudeDeg, -34.9062345, 1e-9);
    EXPECT_NEAR(d.Position->LongitudeDeg, 138.6081234, 1e-9);
    EXPECT_DOUBLE_EQ(*d.Position->HeightMslM, 25.424);
    EXPECT_EQ(d.Utc->Year, 2017);
    EXPECT_NEAR(*d.Utc->Second, 0.8, 1e-9); // 1 s minus 0.2 s of nano
    EXPECT_EQ(d.Fix->Type, FixType::Fix3D);
    EXPECT_EQ(d.Fix->Quality, "RTK fixed");
    EXPECT_EQ(d.Fix->SatellitesUsed, 11);
    EXPECT_DOUBLE_EQ(*d.Motion->SpeedMps, 1.234);
    EXPECT_DOUBLE_EQ(*d.Motion->ClimbMps, -0.5);
    EXPECT_DOUBLE_EQ(*d.Accuracy->VerticalM, 2.3);
    EXPECT_DOUBLE_EQ(*d.Dop->Position, 1.71);
}

TEST(UbxDecoder, RepeatedBlocksTextAndAnswers) {
    const std::string sat = PayloadWriter()
                                .U4(1)
                                .U1(1)
                                .U1(2)
                                .Zeros(2)
                                .U1(6)
                                .U1(5)
                                .U1(38)
                                .U1(19)
                                .U2(284)
                                .U2(0)
                                .U4(0x08) // GLONASS 5, used
                                .U1(0)
                                .U1(4)
                                .U1(0)
                                .U1(0xA5)
                                .U2(0)
                                .U2(0)
                                .U4(0) // no orbit
                                .Bytes();
    const Decoded navSat = DecodeBytes(UbxBytes(0x01, 0x35, sat));
    ASSERT_TRUE(navSat.Satellites);
    ASSERT_EQ(navSat.Satellites->Satellites.size(), 2u);
    EXPECT_EQ(navSat.Satellites->Satellites[0],
              (SatelliteInView{Constellation::Glonass, 5, 19, 284, 38, true}));
    EXPECT_FALSE(navSat.Satellites->Satellites[1].ElevationDeg);
    EXPECT_EQ(FieldValue(navSat, "SV 2 svId"), "4");

    // An idle channel (satellite 0) is no satellite in view.
    const std::string svinfo = PayloadWriter()
                                   .U4(1)
                                   .U1(2)
                                   .U1(0)
                                   .Zeros(2)
                                   .U1(0)
                                   .U1(70)
                                   .U1(0x01)
                                   .U1(7)
                                   .U1(40)
                                   .U1(45)
                                   .U2(90)
                                   .I4(0)
                                   .U1(1)
                                   .Zeros(11)
                                   .Bytes();
    const Decoded navSvinfo = DecodeBytes(UbxBytes(0x01, 0x30, svinfo));
    ASSERT_TRUE(navSvinfo.Satellites);
    ASSERT_EQ(navSvinfo.Satellites->Satellites.size(), 1u);
    EXPECT_EQ(navSvinfo.Satellites->Satellites[0],
              (SatelliteInView{Constellation::Glonass, 6, 45, 90, 40, true, true}));

    const Decoded nak = DecodeBytes(UbxBytes(0x05, 0x00, "\x06\x24"));
    ASSERT_TRUE(nak.Ack);
    EXPECT_FALSE(nak.Ack->Acknowledged);
    EXPECT_EQ(nak.Ack->Id, 0x24);

    const Decoded ver = DecodeBytes(UbxBytes(0x0A, 0x04,
                                             PayloadWriter()
                                                 .Text("ROM CORE 3.01", 30)
                                                 .Text("00080000", 10)
                                                 .Text("PROTVER=18.00", 30)
                                                 .Bytes()));
    EXPECT_EQ(FieldValue(ver, "swVersion"), "ROM CORE 3.01");
    EXPECT_EQ(FieldValue(ver, "ext 1 extension"), "PROTVER=18.00");

    const Decoded warning = DecodeBytes(UbxBytes(0x04, 0x01, "ANTSTATUS=SHORT\x01"));
    EXPECT_EQ(warning.Name, "INF-WARNING");
    EXPECT_EQ(warning.Text, "ANTSTATUS=SHORT\x01");
    EXPECT_EQ(FieldValue(warning, "text"), "ANTSTATUS=SHORT\\x01");

    const Decoded poll = DecodeBytes(UbxBytes(0x06, 0x13, ""));
    EXPECT_EQ(poll.Name, "CFG-ANT");
    EXPECT_EQ(poll.Problem, "");
    const Decoded rate =
        DecodeBytes(UbxBytes(0x06, 0x08, PayloadWriter().U2(200).U2(1).U2(1).Bytes()));
    EXPECT_EQ(FieldValue(rate, "measRate"), "200");
}

TEST(UbxDecoder, DamagedOrUnknownFramesAreNamedAndNeverReadPastTheirEnd) {
    struct Case {
        std::string frame;
        ChecksumState checksum;
        const char* name;
        const char* problem;
        std::size_t fields;
    };
    const std::string pvt = UbxBytes(0x01, 0x07, NavPvtPayload());
    const Case cases[] = {
        {UbxBytes(0x01, 0x07, NavPvtPayload().substr(0, 84)), ChecksumState::Right, "NAV-PVT",
         "payload of 84 bytes; NAV-PVT has 92", 0},
        {UbxBytes(0x01, 0x35, std::string(8 + 11, '\0')), ChecksumState::Right, "NAV-SAT",
         "payload of 19 bytes; NAV-SAT has 8 + 12 x n", 0},
        {UbxBytes(0x7F, 0x04, "\x01\xAB"), ChecksumState::Right, "UBX 0x7F-0x04", "", 1},
        {UbxBytes(0x01, 0xEE, ""), ChecksumState::Right, "NAV 0xEE", "", 1},
        {pvt.substr(0, 40), ChecksumState::Wrong, "NAV-PVT", "checksum wrong", 0},
        {pvt.substr(0, 3), ChecksumState::Wrong, "UBX", "checksum wrong", 0},
        {pvt.substr(0, 40), ChecksumState::Right, "NAV-PVT",
         "frame of 40 bytes, its length says 100", 0},
    };
    for (const auto& c : cases) {
        const Decoded d = DecodeBytes(c.frame, c.checksum);
        EXPECT_EQ(d.Name, c.name);
        EXPECT_EQ(d.Problem, c.problem) << c.name;
        EXPECT_EQ(d.Fields.size(), c.fields) << c.name;
        EXPECT_FALSE(d.Position) << c.name;
        // The receiver state's quicker decoding names the same problem.
        const Message message{MessageKind::Ubx, c.frame, 0, c.checksum};
        EXPECT_EQ(Decode(message, DecodeDetail::TypedOnly).Problem, c.problem) << c.name;
    }
    EXPECT_EQ(FieldValue(DecodeBytes(cases[2].frame), "payload"), "01 AB");
}

TEST(NmeaDecoder, SentencesOfEveryTalkerToTypedValues) {
    const Decoded gga = DecodeBytes(
        NmeaLine("GNGGA,000941.00,4404.14036,N,12118.85961,W,1,12,1.01,1144.8,M,-21.3,M,,"));
    EXPECT_EQ(gga.Name, "GGA");
    EXPECT_EQ(gga.Talker, "GN");
    ASSERT_TRUE(gga.Position && gga.Utc && gga.Fix);
    EXPECT_NEAR(gga.Position->LatitudeDeg, 44.0690060, 1e-7);
    EXPECT_NEAR(gga.Position->LongitudeDeg, -121.3143268, 1e-7);
    EXPECT_DOUBLE_EQ(*gga.Position->HeightEllipsoidM, 1123.5);
    EXPECT_EQ(gga.Utc->Minute, 9);
    EXPECT_FALSE(gga.Utc->Year);
    EXPECT_EQ(gga.Fix->Quality, "GPS");
    EXPECT_EQ(FieldValue(gga, "latitude"), "44.0690060");

    const Decoded rmc = DecodeBytes(
        NmeaLine("GPRMC,000941.00,A,4404.14036,N,12118.85961,W,10.0,77.5,100117,,,A,V"));
    ASSERT_TRUE(rmc.Utc && rmc.Motion && rmc.Position);
    EXPECT_EQ(rmc.Utc->Year, 2017);
    EXPECT_EQ(rmc.Utc->Day, 10);
    EXPECT_NEAR(*rmc.Motion->SpeedMps, 5.1444, 1e-4);
    EXPECT_EQ(FieldValue(rmc, "navigational status"), "V");
    EXPECT_FALSE(
        DecodeBytes(NmeaLine("GPRMC,000941.00,V,4404.1,N,12118.8,W,,,100117,,,N")).Position);

    const Decoded gsa = DecodeBytes(NmeaLine("GNGSA,A,3,80,70,,,,,,,,,,,1.71,1.01,1.38,2"));
    ASSERT_TRUE(gsa.Used && gsa.Fix && gsa.Dop);
    EXPECT_EQ(gsa.Used->System, Constellation::Glonass);
    EXPECT_EQ(gsa.Used->Satellites.size(), 2u);
    EXPECT_EQ(gsa.Used->Satellites[0].Number, 16);
    EXPECT_EQ(gsa.Fix->Type, FixType::Fix3D);
    EXPECT_DOUBLE_EQ(*gsa.Dop->Vertical, 1.38);

    const Decoded gsv = DecodeBytes(NmeaLine("GLGSV,3,2,09,70,42,057,33,71,,,29,1"));
    ASSERT_TRUE(gsv.GsvPart);
    EXPECT_EQ(gsv.GsvPart->Index, 2);
    EXPECT_EQ(gsv.GsvPart->SignalId, 1);
    ASSERT_EQ(gsv.GsvPart->Satellites.size(), 2u);
    EXPECT_EQ(gsv.GsvPart->Satellites[0], (SatelliteInView{Constellation::Glonass, 6, 42, 57, 33}));
    EXPECT_FALSE(gsv.GsvPart->Satellites[1].ElevationDeg);
    const Decoded gpgsv = DecodeBytes(NmeaLine("GPGSV,1,1,02,46,30,200,40,199,10,10,20"));
    EXPECT_EQ(gpgsv.GsvPart->Satellites[0].System, Constellation::Sbas);
    EXPECT_EQ(gpgsv.GsvPart->Satellites[0].Number, 133);
    EXPECT_EQ(gpgsv.GsvPart->Satellites[1].System, Constellation::Qzss);

    const Decoded zda = DecodeBytes(NmeaLine("GNZDA,001052.00,10,01,2017,00,00"));
    EXPECT_EQ(zda.Utc->Year, 2017);
    EXPECT_EQ(zda.Utc->Second, 52.0);
    const Decoded gst = DecodeBytes(NmeaLine("GPGST,001052.00,1.2,,,,3.0,4.0,5.5"));
    EXPECT_DOUBLE_EQ(*gst.Accuracy->HorizontalM, 5.0);
    const Decoded txt = DecodeBytes(NmeaLine("GNTXT,01,01,02,u-blox AG - www.u-blox.com"));
    EXPECT_EQ(txt.Text, "u-blox AG - www.u-blox.com");
    const Decoded gns =
        DecodeBytes(NmeaLine("GNGNS,001052.00,4404.14,N,12118.85,W,AAN,14,0.9,1144.8,-21.3,,,V"));
    EXPECT_EQ(gns.Fix->Quality, "AAN");
    EXPECT_TRUE(gns.Position);
    const Decoded vtg = DecodeBytes(NmeaLine("GPVTG,77.5,T,,M,10.0,N,18.0,K,A"));
    EXPECT_DOUBLE_EQ(*vtg.Motion->SpeedMps, 5.0);

    const Decoded pubx = DecodeBytes(NmeaLine("PUBX,00,000941.00,4404.14,N,12118.85,W,1123.5,G3,2."
                                              "1,3.4,36.0,77.5,-0.5,,1.0,1.4,0.9,12,0,0"));
    EXPECT_EQ(pubx.Name, "PUBX,00");
    EXPECT_EQ(pubx.Fix->Type, FixType::Fix3D);
    EXPECT_DOUBLE_EQ(*pubx.Position->HeightEllipsoidM, 1123.5);
    EXPECT_DOUBLE_EQ(*pubx.Motion->ClimbMps, 0.5);
    const Decoded pubx03 = DecodeBytes(NmeaLine("PUBX,03,2,5,U,284,19,38,064,70,-,057,42,33,010"));
    ASSERT_EQ(pubx03.Satellites->Satellites.size(), 2u);
    EXPECT_TRUE(pubx03.Satellites->Satellites[0].Used);
    EXPECT_EQ(pubx03.Satellites->Satellites[1].System, Constellation::Glonass);
    const Decoded pubx04 =
        DecodeBytes(NmeaLine("PUBX,04,000941.00,100117,32981.00,1932,18,-123,4.5,21"));
    EXPECT_EQ(pubx04.Utc->Month, 1);
}

TEST(NmeaDecoder, ShortOrForeignSentencesDecodeWithoutTypedValues) {
    struct Case {
        const char* line;
        const char* name;
    };
    const Case cases[] = {
        {"$GPGGA\r\n", "GGA"},
        {"$GPGSV,3\r\n", "GSV"},
        {"$PUBX,03,99,5\r\n", "PUBX,03"},
        {"$PGRMZ,93,f,3*21\r\n", "PGRMZ"},
        {"$GPGGA,x,y,z,w,v,9\r\n", "GGA"},
    };
    for (const auto& c : cases) {
        const Decoded d = DecodeBytes(c.line, ChecksumState::None);
        EXPECT_EQ(d.Name, c.name);
        EXPECT_FALSE(d.Position) << c.line;
    }
    const Decoded wrong =
        DecodeBytes(NmeaLine("GPGGA,000941.00,4404.1,N,12118.8,W,1,12,1.0,1.0,M,1.0,M,,"),
                    ChecksumState::Wrong);
    EXPECT_EQ(wrong.Name, "GGA");
    EXPECT_EQ(wrong.Problem, "checksum wrong");
    EXPECT_FALSE(wrong.Position);
}

// The simulated receiver's NMEA and UBX output of one epoch decode to the
// solution it was built from, and agree with each other.
TEST(Decoders, SimulatorOutputAgreesWithItsSolution) {
    NavigationModel model(1500000000, 7);
    const NavigationSolution& s = model.Advance();
    const Decoded posllh = DecodeBytes(NavPosllhFrame(s));
    ASSERT_TRUE(posllh.Position);
    EXPECT_NEAR(posllh.Position->LatitudeDeg, s.latitude, 1e-7);
    EXPECT_NEAR(*posllh.Position->HeightMslM, s.altitudeMsl, 1e-3);
    const Decoded gga = DecodeBytes(StandardMessage("GGA", s).at(0));
    ASSERT_TRUE(gga.Position);
    EXPECT_NEAR(gga.Position->LatitudeDeg, posllh.Position->LatitudeDeg, 1e-5);
    EXPECT_NEAR(gga.Position->LongitudeDeg, posllh.Position->LongitudeDeg, 1e-5);
    EXPECT_NEAR(*gga.Position->HeightEllipsoidM, *posllh.Position->HeightEllipsoidM, 0.1);
    EXPECT_EQ(DecodeBytes(NavStatusFrame(s)).Fix->Type, FixType::Fix3D);
    const Decoded pvt = DecodeBytes(NavPvtFrame(s));
    ASSERT_TRUE(pvt.Position);
    EXPECT_NEAR(pvt.Position->LatitudeDeg, posllh.Position->LatitudeDeg, 1e-7);
    EXPECT_NEAR(pvt.Position->LongitudeDeg, posllh.Position->LongitudeDeg, 1e-7);
    EXPECT_EQ(DecodeBytes(NavSatFrame(s)).Satellites->Satellites.size(), s.satellites.size());
    EXPECT_EQ(FieldValue(DecodeBytes(CfgAntFrame({})), "pins"), "0x8251");
    EXPECT_TRUE(DecodeBytes(AckFrame(true, 0x06, 0x13)).Ack->Acknowledged);
    std::size_t inView = 0;
    for (const auto& sentence : StandardMessage("GSV", s))
        inView += DecodeBytes(sentence).GsvPart->Satellites.size();
    EXPECT_EQ(inView, s.satellites.size());
    EXPECT_EQ(DecodeBytes(Pubx03SatelliteStatus(s)).Satellites->Satellites.size(),
              s.satellites.size());
    EXPECT_EQ(DecodeBytes(Pubx00Position(s)).Fix->SatellitesUsed, s.usedCount());
}
