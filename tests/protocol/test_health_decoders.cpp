#include "protocol/decoding/Decoder.h"
#include "protocol/decoding/FieldText.h"
#include "tests/protocol/StreamBytes.h"

#include <gtest/gtest.h>

using namespace protocol;

namespace {

Decoded DecodeFrame(std::uint8_t ubxClass, std::uint8_t id, const std::string& payload) {
    return Decode(Message{MessageKind::Ubx, UbxBytes(ubxClass, id, payload), 0});
}

std::string FieldValue(const Decoded& d, std::string_view name) {
    for (const auto& field : d.Fields)
        if (field.Name == name)
            return field.Value + (field.Unit.empty() ? "" : " " + field.Unit);
    return "(absent)";
}

// One MON-RF block.
void RfBlock(PayloadWriter& w, int block, int flags, int antenna, int noise, int agc, int jamInd) {
    w.U1(block).U1(flags).U1(antenna).U1(1).Zeros(8).U2(noise).U2(agc).U1(jamInd).Zeros(7);
}

// A MON-HW payload of 60 bytes (u-blox 7 and later) or 68 (u-blox 6).
std::string MonHwPayload(std::size_t length, int flags, int antenna, int jamInd) {
    std::string payload =
        PayloadWriter().Zeros(16).U2(95).U2(4200).U1(antenna).U1(1).U1(flags).Bytes();
    payload.resize(length, '\0');
    payload[length == 60 ? 45 : 53] = static_cast<char>(jamInd);
    return payload;
}

} // namespace

TEST(HealthDecoders, MonSpanGivesEachBlocksSpectrumAndFrequencies) {
    PayloadWriter w;
    w.U1(0).U1(2).Zeros(2);
    for (const std::uint32_t center : {1'575'420'000u, 1'227'600'000u}) {
        for (int point = 0; point < 256; ++point)
            w.U1(point == 100 ? 240 : 160); // 40 dB, 60 at point 100
        w.U4(128'000'000).U4(500'000).U4(center).U1(54).Zeros(3);
    }
    const Decoded d = DecodeFrame(0x0A, 0x31, w.Bytes());
    EXPECT_EQ(d.Name, "MON-SPAN");
    EXPECT_EQ(FieldValue(d, "RF block 1 center"), "1575.420 MHz");
    EXPECT_EQ(FieldValue(d, "RF block 2 res"), "500.0 kHz");
    ASSERT_TRUE(d.Spectra);
    ASSERT_EQ(d.Spectra->size(), 2u);
    const RfSpectrum& l1 = (*d.Spectra)[0];
    EXPECT_FLOAT_EQ(l1.LevelsDb[100], 60.0f);
    EXPECT_FLOAT_EQ(l1.LevelsDb[101], 40.0f);
    EXPECT_EQ(l1.PgaGainDb, 54);
    EXPECT_DOUBLE_EQ(l1.SpanHz, 128e6);
    EXPECT_DOUBLE_EQ(l1.PointHz(100), 1575.42e6 - 28 * 0.5e6);
    EXPECT_DOUBLE_EQ((*d.Spectra)[1].CenterHz, 1227.6e6);
}

TEST(HealthDecoders, MonRfAndMonHwGiveJammingAndAntennaPerBlock) {
    using J = JammingState;
    using A = AntennaStatus;
    PayloadWriter rf;
    rf.U1(0).U1(2).Zeros(2);
    RfBlock(rf, 0, 0x02, 2, 88, 5100, 37);
    RfBlock(rf, 1, 0x01, 3, 70, 6000, 4);
    struct Case {
        Decoded decoded;
        std::vector<RfBlockStatus> blocks;
        const char* flags;
    };
    const Case cases[] = {
        {DecodeFrame(0x0A, 0x38, rf.Bytes()),
         {{0, J::Warning, 37, A::Ok, AntennaPower::On, 5100, 88},
          {1, J::Ok, 4, A::Short, AntennaPower::On, 6000, 70}},
         "0x02 (jammingState warning)"},
        {DecodeFrame(0x0A, 0x09, MonHwPayload(60, 0x0C, 4, 200)),
         {{0, J::Critical, 200, A::Open, AntennaPower::On, 4200, 95}},
         "0x0C (jammingState critical)"},
        {DecodeFrame(0x0A, 0x09, MonHwPayload(68, 0x04, 2, 12)),
         {{0, J::Ok, 12, A::Ok, AntennaPower::On, 4200, 95}},
         "0x04 (jammingState ok)"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(c.decoded.RfBlocks) << c.decoded.Problem;
        EXPECT_EQ(*c.decoded.RfBlocks, c.blocks) << c.flags;
        const bool rfBlocks = c.decoded.Name == "MON-RF";
        EXPECT_EQ(FieldValue(c.decoded, rfBlocks ? "RF block 1 flags" : "flags"), c.flags);
    }
}

TEST(HealthDecoders, MonCommsAndMonSysGiveTrafficAndLoad) {
    PayloadWriter comms;
    comms.U1(0).U1(1).U1(0x02).U1(0).U1(0).U1(1).U1(5).U1(255);
    comms.U2(0x0100).U2(3900).U4(123456).U1(97).U1(100).U2(2).U4(640).U1(1).U1(3).U2(7);
    comms.U2(60).U2(300).U2(4).U2(0).Zeros(8).U4(12);
    const Decoded c = DecodeFrame(0x0A, 0x36, comms.Bytes());
    EXPECT_EQ(FieldValue(c, "port 1 txUsage"), "97 %");
    ASSERT_TRUE(c.Comms) << c.Problem;
    EXPECT_TRUE(c.Comms->TxBufferFull);
    EXPECT_FALSE(c.Comms->TxMemoryError);
    EXPECT_EQ(c.Comms->ProtocolIds, (std::array<int, 4>{0, 1, 5, 255}));
    EXPECT_EQ(c.Comms->Ports,
              (std::vector<PortTraffic>{
                  {0x0100, 3900, 97, 100, 123456, 2, 1, 3, 640, 7, {60, 300, 4, 0}, 12}}));

    PayloadWriter sys;
    for (const int byte : {1, 2, 35, 80, 40, 41, 10, 22})
        sys.U1(byte);
    sys.U4(86400).U2(3).U2(2).U2(1).U1(0xF6).Zeros(5);
    const Decoded s = DecodeFrame(0x0A, 0x39, sys.Bytes());
    EXPECT_EQ(FieldValue(s, "tempValue"), "-10 degC");
    ASSERT_TRUE(s.System) << s.Problem;
    EXPECT_EQ(*s.System, (SystemLoad{35, 80, 40, 41, 10, 22, 86400, 3, 2, 1, -10}));
}

TEST(HealthDecoders, NavSigNamesEverySignalAndItsBand) {
    using C = Constellation;
    struct Row {
        int gnssId, flags;
        SignalInView signal;
    };
    const Row rows[] = {
        {0, 0x0049, {C::Gps, 5, 0, "GPS L1C/A", RfBand::L1, 44, 7, true, true, true}},
        {0, 0x0009, {C::Gps, 5, 7, "GPS L5 Q", RfBand::L5, 38, 7, true, true, false}},
        {0, 0x0002, {C::Gps, 9, 3, "GPS L2 CL", RfBand::L2, 30, 7, false, false, false}},
        {2, 0x0000, {C::Galileo, 11, 3, "Galileo E5a I", RfBand::L5, 36, 7, false, {}, false}},
        {2, 0x0001, {C::Galileo, 11, 5, "Galileo E5b I", RfBand::L2, 35, 7, false, true, false}},
        {3, 0x0009, {C::BeiDou, 22, 0, "BeiDou B1I D1", RfBand::L1, 41, 7, true, true, false}},
        {6, 0x0001, {C::Glonass, 3, 2, "GLONASS L2 OF", RfBand::L2, 33, 7, false, true, false}},
        {0, 0x0000, {C::Gps, 7, 9, "", RfBand::Unknown, 20, 7, false, {}, false}},
    };
    PayloadWriter w;
    w.U4(1000).U1(0).U1(std::size(rows)).Zeros(2);
    std::vector<SignalInView> expected;
    for (const Row& row : rows) {
        const SignalInView& s = row.signal;
        w.U1(row.gnssId).U1(s.Number).U1(s.SignalId).U1(0).U2(0xFFF6).U1(s.Cn0DbHz).U1(7);
        w.U2(0).U2(row.flags).Zeros(4);
        expected.push_back(s);
    }
    const Decoded d = DecodeFrame(0x01, 0x43, w.Bytes());
    EXPECT_EQ(FieldValue(d, "signal 1 sigFlags"), "0x0049 (health healthy, prUsed, prCorrUsed)");
    EXPECT_EQ(FieldValue(d, "signal 1 prRes"), "-1.0 m");
    ASSERT_TRUE(d.Signals) << d.Problem;
    EXPECT_EQ(*d.Signals, expected);
}

TEST(HealthDecoders, CutShortOrUnknownVersionsNameTheirProblemAndCarryNoValues) {
    struct Case {
        std::uint8_t ubxClass, id;
        std::string payload;
        const char* problem;
    };
    const auto bytes = [](std::initializer_list<int> head, std::size_t zeros) {
        PayloadWriter w;
        for (const int byte : head)
            w.U1(byte);
        return w.Zeros(zeros).Bytes();
    };
    const Case cases[] = {
        {0x0A, 0x31, bytes({0, 1}, 202), "payload of 204 bytes; MON-SPAN has 4 + 272 x n"},
        {0x0A, 0x38, bytes({0, 2}, 26), "payload of 28 bytes; MON-RF has 4 + 24 x n"},
        {0x0A, 0x38, bytes({1, 1}, 26), "version 1; MON-RF has version 0"},
        {0x0A, 0x09, bytes({}, 59), "payload of 59 bytes; MON-HW has 60 or 68"},
        {0x0A, 0x36, bytes({0, 1}, 45), "payload of 47 bytes; MON-COMMS has 8 + 40 x n"},
        {0x0A, 0x39, bytes({1}, 18), "payload of 19 bytes; MON-SYS has 24"},
        {0x0A, 0x39, bytes({2}, 23), "version 2; MON-SYS has version 1"},
        {0x01, 0x43, bytes({0, 0, 0, 0, 0, 1}, 17), "payload of 23 bytes; NAV-SIG has 8 + 16 x n"},
        {0x01, 0x43, bytes({0, 0, 0, 0, 3, 0}, 2), "version 3; NAV-SIG has version 0"},
    };
    for (const Case& c : cases) {
        const Decoded d = DecodeFrame(c.ubxClass, c.id, c.payload);
        EXPECT_EQ(d.Problem, c.problem);
        // A version unknown here keeps its bytes to show; a cut one shows nothing.
        const bool version = std::string_view(c.problem).starts_with("version");
        EXPECT_EQ(FieldValue(d, "payload"), version ? HexBytes(c.payload) : "(absent)");
        EXPECT_FALSE(d.Spectra || d.RfBlocks || d.Comms || d.System || d.Signals) << c.problem;
    }
}
