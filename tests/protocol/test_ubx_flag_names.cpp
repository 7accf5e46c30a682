// UBX flag fields read as the names of their bits set beside the hex value,
// bit groups as their meaning, and a group's plain zero left out.

#include "protocol/decoding/Decoder.h"
#include "protocol/decoding/UbxFlagNames.h"
#include "tests/protocol/StreamBytes.h"

#include <gtest/gtest.h>

using namespace protocol;

TEST(UbxFlagNames, BitsAndGroupsOfEachField) {
    struct Case {
        std::uint8_t Id;
        const char* Field;
        std::uint64_t Value;
        const char* Names;
    };
    const Case cases[] = {
        {0x07, "valid", 0x0F, "validDate, validTime, fullyResolved, validMag"},
        {0x07, "valid", 0x00, ""},
        {0x07, "flags", 0x43, "gnssFixOK, diffSoln, carrSoln float"},
        {0x07, "flags", 0x0D, "gnssFixOK, psmState tracking"},
        {0x07, "flags", 0xE0, "headVehValid, carrSoln 3"},
        {0x07, "flags2", 0xE0, "confirmedAvai, confirmedDate, confirmedTime"},
        {0x03, "flags", 0x0D, "gpsFixOk, wknSet, towSet"},
        {0x03, "fixStat", 0x83, "diffCorr, carrSolnValid, mapMatching valid and used"},
        {0x03, "flags2", 0x91,
         "psmState tracking, spoofDetState spoofing indicated, carrSoln fixed"},
        {0x03, "flags2", 0x00, ""},
        {0x06, "flags", 0x0F, "GPSfixOK, DiffSoln, WKNSET, TOWSET"},
        {0x21, "valid", 0x07, "validTOW, validWKN, validUTC"},
        {0x35, "flags", 0x0000191F,
         "qualityInd 7 code and carrier locked, svUsed, health healthy, orbitSource ephemeris, "
         "ephAvail, almAvail"},
        {0x35, "flags", 0x00000000, "qualityInd 0 no signal, health unknown, orbitSource none"},
        {0x35, "flags", 0x00120264,
         "qualityInd 4 code locked and time synchronized, health unhealthy, diffCorr, "
         "orbitSource almanac, rtcmCorrUsed, prCorrUsed"},
        {0x30, "flags", 0x1D, "svUsed, orbitAvail, orbitEph, unhealthy"},
        {0x30, "quality", 0x0C, "qualityInd 12"},
        {0x04, "flags", 0xFF, ""}, // NAV-DOP has no flags
    };
    for (const Case& c : cases)
        EXPECT_EQ(FlagNames(0x01, c.Id, c.Field, c.Value), c.Names)
            << std::hex << int(c.Id) << " " << c.Field << " 0x" << c.Value;
}

// A NAV-SAT satellite's flags in the decoded fields, beside their hex.
TEST(UbxFlagNames, ShownBesideTheHexOfDecodedFields) {
    const std::string sat = PayloadWriter()
                                .U4(1)
                                .U1(1)
                                .U1(1)
                                .Zeros(2)
                                .U1(0)
                                .U1(7)
                                .U1(40)
                                .U1(45)
                                .U2(90)
                                .U2(0)
                                .U4(0x0000091C)
                                .Bytes();
    const Decoded d =
        Decode(Message{MessageKind::Ubx, UbxBytes(0x01, 0x35, sat), 0, ChecksumState::Right});
    ASSERT_GE(d.Fields.size(), 10u);
    EXPECT_EQ(d.Fields.back().Name, "SV 1 flags");
    EXPECT_EQ(d.Fields.back().Value, "0x0000091C (qualityInd 4 code locked and time synchronized, "
                                     "svUsed, health healthy, orbitSource ephemeris, ephAvail)");
}
