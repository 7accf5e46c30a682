// The messages of corrections and RTK decoded from their layouts (RXM-RTCM,
// NAV-RELPOSNED in both versions, NAV-SVIN, and the age of corrections that
// NAV-PVT and GGA tell), and what the receiver state makes of them.

#include "protocol/decoding/Decoder.h"
#include "protocol/state/ReceiverState.h"
#include "tests/protocol/StreamBytes.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace protocol;

namespace {

Message UbxMessage(std::uint8_t ubxClass, std::uint8_t id, const std::string& payload) {
    return {MessageKind::Ubx, UbxBytes(ubxClass, id, payload), 0};
}

Decoded DecodeFrame(std::uint8_t ubxClass, std::uint8_t id, const std::string& payload) {
    return Decode(UbxMessage(ubxClass, id, payload));
}

Message Gga(int quality, std::string_view age) {
    return {MessageKind::Nmea,
            NmeaLine("GNGGA,120000.00,4404.1,N,12118.8,W," + std::to_string(quality) +
                     ",12,0.6,10,M,0,M," + std::string(age) + ",0001"),
            0};
}

std::string FieldValue(const Decoded& d, std::string_view name) {
    for (const auto& field : d.Fields)
        if (field.Name == name)
            return field.Value + (field.Unit.empty() ? "" : " " + field.Unit);
    return "(absent)";
}

std::string RxmRtcm(int flags, int station, int type) {
    return PayloadWriter().U1(2).U1(flags).U2(0).U2(station).U2(type).Bytes();
}

// North 1234.56 m + 0.7 mm, east -20.00 m - 0.3 mm, down 1.5 m; accuracies
// 14, 15 and 30 mm.
std::string Relposned0(int flags) {
    return PayloadWriter()
        .U1(0)
        .U1(0)
        .U2(7)
        .U4(1000)
        .I4(123456)
        .I4(-2000)
        .I4(150)
        .U1(7)
        .U1(0xFD) // -3
        .U1(0)
        .U1(0)
        .U4(140)
        .U4(150)
        .U4(300)
        .U4(static_cast<std::uint64_t>(flags))
        .Bytes();
}

std::string Relposned1(int flags) {
    return PayloadWriter()
        .U1(1)
        .U1(0)
        .U2(4095)
        .U4(1000)
        .I4(123456)
        .I4(-2000)
        .I4(150)
        .I4(123473) // length 1234.73 m + 0.5 mm
        .I4(35907000)
        .Zeros(4)
        .U1(7)
        .U1(0xFD)
        .U1(0)
        .U1(5)
        .U4(140)
        .U4(150)
        .U4(300)
        .U4(160)
        .U4(20000)
        .Zeros(4)
        .U4(static_cast<std::uint64_t>(flags))
        .Bytes();
}

std::string NavSvin(bool valid, bool active) {
    return PayloadWriter()
        .U1(0)
        .Zeros(3)
        .U4(5000)
        .U4(73)
        .I4(427000012)
        .I4(64000034)
        .I4(465000056)
        .U1(5)
        .U1(0xFB) // -5
        .U1(0)
        .U1(0)
        .U4(18234)
        .U4(73)
        .U1(valid ? 1 : 0)
        .U1(active ? 1 : 0)
        .Zeros(2)
        .Bytes();
}

} // namespace

TEST(RtkDecoders, RxmRtcmTellsWhetherTheMessageWasUsed) {
    const struct {
        int flags;
        CorrectionInput input;
        const char* flagText;
    } cases[] = {
        {0x04, {1074, 12, false, true}, "0x04 (msgUsed used)"},
        {0x02, {1074, 12, false, false}, "0x02 (msgUsed not used)"},
        {0x00, {1074, 12, false, std::nullopt}, "0x00"},
        {0x01, {1074, 12, true, std::nullopt}, "0x01 (crcFailed)"},
    };
    for (const auto& c : cases) {
        const Decoded d = DecodeFrame(0x02, 0x32, RxmRtcm(c.flags, 12, 1074));
        EXPECT_EQ(d.Name, "RXM-RTCM");
        ASSERT_TRUE(d.Correction) << c.flagText;
        EXPECT_EQ(*d.Correction, c.input) << c.flagText;
        EXPECT_EQ(FieldValue(d, "flags"), c.flagText);
        EXPECT_EQ(FieldValue(d, "msgType"), "1074");
    }
}

TEST(RtkDecoders, RelposnedBothVersionsGiveTheBaselineWithItsFineParts) {
    const Decoded v0 = DecodeFrame(0x01, 0x3C, Relposned0(0x0F));
    const Decoded v1 = DecodeFrame(0x01, 0x3C, Relposned1(0x117));
    for (const Decoded* d : {&v0, &v1}) {
        ASSERT_TRUE(d->Baseline) << d->Problem;
        const Baseline& b = *d->Baseline;
        EXPECT_NEAR(b.NorthM, 1234.5607, 1e-9);
        EXPECT_NEAR(b.EastM, -20.0003, 1e-9);
        EXPECT_NEAR(b.DownM, 1.5, 1e-9);
        EXPECT_NEAR(b.AccuracyEastM, 0.015, 1e-9);
        EXPECT_TRUE(b.FixOk && b.Differential && b.Valid);
        EXPECT_FALSE(b.Moving);
    }
    const Baseline& b0 = *v0.Baseline;
    EXPECT_EQ(b0.ReferenceStation, 7);
    EXPECT_NEAR(b0.LengthM, std::hypot(1234.5607, -20.0003, 1.5), 1e-9);
    EXPECT_EQ(b0.Carrier, Solution::RtkFloat);
    EXPECT_FALSE(b0.HeadingDeg || b0.AccuracyLengthM);
    EXPECT_EQ(FieldValue(v0, "flags"),
              "0x0000000F (gnssFixOK, diffSoln, relPosValid, carrSoln float)");

    const Baseline& b1 = *v1.Baseline;
    EXPECT_EQ(b1.ReferenceStation, 4095);
    EXPECT_NEAR(b1.LengthM, 1234.7305, 1e-9);
    EXPECT_EQ(b1.Carrier, Solution::RtkFixed);
    EXPECT_NEAR(*b1.HeadingDeg, 359.07, 1e-9);
    EXPECT_NEAR(*b1.AccuracyLengthM, 0.016, 1e-9);
    EXPECT_EQ(FieldValue(v1, "relPosHPLength"), "0.5 mm");
    EXPECT_EQ(FieldValue(v1, "flags"), "0x00000117 (gnssFixOK, diffSoln, relPosValid, "
                                       "carrSoln fixed, relPosHeadingValid)");
    // Without relPosHeadingValid the heading is no reading; a moving base says so.
    const Baseline moving = *DecodeFrame(0x01, 0x3C, Relposned1(0x27)).Baseline;
    EXPECT_FALSE(moving.HeadingDeg || moving.Carrier);
    EXPECT_TRUE(moving.Moving);
}

TEST(RtkDecoders, NavSvinGivesTheSurveyInProgress) {
    const Decoded d = DecodeFrame(0x01, 0x3B, NavSvin(true, false));
    ASSERT_TRUE(d.Survey) << d.Problem;
    const SurveyIn& s = *d.Survey;
    EXPECT_EQ(s.DurationS, 73u);
    EXPECT_NEAR(s.MeanXM, 4270000.1205, 1e-6);
    EXPECT_NEAR(s.MeanYM, 640000.3395, 1e-6);
    EXPECT_NEAR(s.MeanZM, 4650000.56, 1e-6);
    EXPECT_NEAR(s.MeanAccuracyM, 1.8234, 1e-9);
    EXPECT_EQ(s.Observations, 73u);
    EXPECT_TRUE(s.Valid);
    EXPECT_FALSE(s.Active);
    EXPECT_EQ(FieldValue(d, "meanAcc"), "1.8234 m");
}

// A payload cut short, or of a version its layout does not know, carries
// no values: a wrong baseline must never pass for the receiver's.
TEST(RtkDecoders, PayloadsOfAnotherLengthOrVersionGiveNoValues) {
    std::string unknownVersion = Relposned1(0x117);
    unknownVersion[0] = 2;
    const struct {
        std::uint8_t id, ubxClass;
        std::string payload;
        const char* problem;
    } cases[] = {
        {0x3C, 0x01, Relposned0(0x0F).substr(0, 39),
         "payload of 39 bytes; NAV-RELPOSNED has 40 or 64"},
        {0x3C, 0x01, Relposned1(0x117).substr(0, 63),
         "payload of 63 bytes; NAV-RELPOSNED has 40 or 64"},
        {0x3C, 0x01, unknownVersion, "version 2; NAV-RELPOSNED has version 1"},
        {0x3B, 0x01, NavSvin(true, true).substr(0, 36), "payload of 36 bytes; NAV-SVIN has 40"},
        {0x32, 0x02, RxmRtcm(0, 1, 1005).substr(0, 7), "payload of 7 bytes; RXM-RTCM has 8"},
    };
    for (const auto& c : cases) {
        const Decoded d = DecodeFrame(c.ubxClass, c.id, c.payload);
        EXPECT_EQ(d.Problem, c.problem);
        EXPECT_FALSE(d.Baseline || d.Survey || d.Correction) << c.problem;
    }
}

TEST(RtkDecoders, NavPvtAndGgaTellTheAgeOfCorrections) {
    std::string pvt(92, '\0');
    pvt[20] = 3;
    pvt[21] = static_cast<char>(0x83);
    const struct {
        int flags3;
        std::optional<double> age;
    } pvtCases[] = {{0x00, std::nullopt}, {0x02, 1.0}, {0x06, 5.0}, {0x18, 120.0}, {0x1E, {}}};
    for (const auto& c : pvtCases) {
        pvt[78] = static_cast<char>(c.flags3);
        EXPECT_EQ(DecodeFrame(0x01, 0x07, pvt).CorrectionAgeS, c.age) << c.flags3;
    }
    EXPECT_EQ(Decode(Gga(4, "1.4")).CorrectionAgeS, 1.4);
    EXPECT_FALSE(Decode(Gga(4, "")).CorrectionAgeS);
    EXPECT_EQ(Decode(Gga(4, "-3")).Problem, "age of corrections -3.0 out of range");
}

TEST(RtkState, TheFixTellsWhatTheReceiverMakesOfCorrections) {
    const std::pair<int, const char*> cases[] = {{4, "RTK fixed"},
                                                 {5, "RTK float"},
                                                 {2, "DGNSS"},
                                                 {1, "no corrections"},
                                                 {0, "no corrections"}};
    for (const auto& [quality, text] : cases) {
        ReceiverState state;
        state.Fold(Gga(quality, ""), 1.0);
        EXPECT_EQ(RtkText(state.Snapshot(1.0).Fix), text) << quality;
    }
}

// RXM-RTCM is counted by its outcome; the age runs from the latest
// correction any message tells of; the baseline goes with its reports.
TEST(RtkState, CorrectionsAreCountedAgedAndTheBaselineGoesStale) {
    ReceiverState state;
    state.Fold(UbxMessage(0x02, 0x32, RxmRtcm(0x04, 12, 1074)), 1.0);
    state.Fold(UbxMessage(0x02, 0x32, RxmRtcm(0x02, 12, 1033)), 1.0);
    state.Fold(UbxMessage(0x02, 0x32, RxmRtcm(0x01, 999, 1005)), 1.5);
    CorrectionState c = state.Snapshot(3.0).Corrections;
    EXPECT_EQ(c.Taken, 3u);
    EXPECT_EQ(c.Used, 1u);
    EXPECT_EQ(c.NotUsed, 1u);
    EXPECT_EQ(c.CrcFailed, 1u);
    EXPECT_EQ(c.ReferenceStation, 12); // not the damaged message's
    EXPECT_EQ(c.AgeS, 2.0);

    state.Fold(Gga(4, "0.5"), 4.0);
    state.Fold(UbxMessage(0x01, 0x3C, Relposned1(0x117)), 4.0);
    c = state.Snapshot(4.5).Corrections;
    EXPECT_EQ(c.AgeS, 1.0);
    ASSERT_TRUE(c.Baseline);
    EXPECT_NEAR(c.Baseline->LengthM, 1234.7305, 1e-9);
    EXPECT_FALSE(state.Snapshot(4.0 + CorrectionState::kBaselineSeconds).Corrections.Baseline);
    state.Fold(UbxMessage(0x01, 0x3C, Relposned1(0x003)), 8.0); // relPosValid not set
    EXPECT_FALSE(state.Snapshot(8.0).Corrections.Baseline);
    EXPECT_EQ(state.Snapshot(8.0).Corrections.AgeS, 4.5);
}
