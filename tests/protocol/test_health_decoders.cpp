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

// One MON-SPAN block: a flat floor of 40 dB (160 quarter dB) with the level
// at point peak raised to 60 dB.
void SpanBlock(PayloadWriter& w, std::uint32_t centerHz, int peak, std::uint8_t pga) {
    for (int point = 0; point < 256; ++point)
        w.U1(point == peak ? 240 : 160);
    w.U4(128'000'000).U4(500'000).U4(centerHz).U1(pga).Zeros(3);
}

// One MON-RF block.
void RfBlock(PayloadWriter& w, int block, int flags, int antenna, int power, int noise, int agc,
             int jamInd) {
    w.U1(block).U1(flags).U1(antenna).U1(power).U4(0).Zeros(4).U2(noise).U2(agc).U1(jamInd);
    w.U1(0).U1(120).U1(0).U1(118).Zeros(3);
}

// A MON-HW payload of 60 bytes (u-blox 7 and later) or 68 (u-blox 6).
std::string MonHwPayload(std::size_t length, int flags, int antenna, int jamInd) {
    std::string payload = PayloadWriter()
                              .Zeros(16)
                              .U2(95)   // noisePerMS
                              .U2(4200) // agcCnt
                              .U1(antenna)
                              .U1(1)
                              .U1(flags)
                              .Bytes();
    payload.resize(length, '\0');
    payload[length == 60 ? 45 : 53] = static_cast<char>(jamInd);
    return payload;
}

} // namespace

TEST(HealthDecoders, MonSpanGivesEachBlocksSpectrumAndFrequencies) {
    PayloadWriter w;
    w.U1(0).U1(2).Zeros(2);
    SpanBlock(w, 1'575'420'000, 100, 54);
    SpanBlock(w, 1'202'000'000, 0, 50);
    const Decoded d = DecodeFrame(0x0A, 0x31, w.Bytes());
    EXPECT_EQ(d.Name, "MON-SPAN");
    EXPECT_EQ(d.Problem, "");
    EXPECT_EQ(FieldValue(d, "RF block 1 center"), "1575.420 MHz");
    EXPECT_EQ(FieldValue(d, "RF block 1 span"), "128.000 MHz");
    EXPECT_EQ(FieldValue(d, "RF block 1 res"), "500.0 kHz");
    EXPECT_EQ(FieldValue(d, "RF block 2 pga"), "50 dB");
    ASSERT_TRUE(d.Spectra);
    ASSERT_EQ(d.Spectra->size(), 2u);
    const RfSpectrum& l1 = (*d.Spectra)[0];
    EXPECT_FLOAT_EQ(l1.LevelsDb[100], 60.0f);
    EXPECT_FLOAT_EQ(l1.LevelsDb[101], 40.0f);
    EXPECT_EQ(l1.PgaGainDb, 54);
    EXPECT_DOUBLE_EQ(l1.PointHz(128), 1'575'420'000.0);
    EXPECT_DOUBLE_EQ(l1.PointHz(100), 1'575'420'000.0 - 28 * 500'000.0);
    EXPECT_DOUBLE_EQ((*d.Spectra)[1].CenterHz, 1'202'000'000.0);
}

TEST(HealthDecoders, MonRfAndMonHwGiveJammingAndAntennaPerBlock) {
    PayloadWriter rf;
    rf.U1(0).U1(2).Zeros(2);
    RfBlock(rf, 0, 0x02, 2, 1, 88, 5100, 37);
    RfBlock(rf, 1, 0x01, 3, 1, 70, 6000, 4);
    struct Case {
        std::string name;
        Decoded decoded;
        std::vector<RfBlockStatus> blocks;
    };
    const Case cases[] = {
        {"MON-RF",
         DecodeFrame(0x0A, 0x38, rf.Bytes()),
         {{0, JammingState::Warning, 37, AntennaStatus::Ok, AntennaPower::On, 5100, 88},
          {1, JammingState::Ok, 4, AntennaStatus::Short, AntennaPower::On, 6000, 70}}},
        {"MON-HW",
         DecodeFrame(0x0A, 0x09, MonHwPayload(60, 0x0C, 4, 200)),
         {{0, JammingState::Critical, 200, AntennaStatus::Open, AntennaPower::On, 4200, 95}}},
        {"MON-HW of u-blox 6",
         DecodeFrame(0x0A, 0x09, MonHwPayload(68, 0x04, 2, 12)),
         {{0, JammingState::Ok, 12, AntennaStatus::Ok, AntennaPower::On, 4200, 95}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.decoded.Problem, "") << c.name;
        ASSERT_TRUE(c.decoded.RfBlocks) << c.name;
        EXPECT_EQ(*c.decoded.RfBlocks, c.blocks) << c.name;
    }
    EXPECT_EQ(FieldValue(cases[0].decoded, "RF block 1 flags"), "0x02 (jammingState warning)");
    EXPECT_EQ(FieldValue(cases[1].decoded, "flags"), "0x0C (jammingState critical)");
}

TEST(HealthDecoders, MonCommsGivesEachPortsTraffic) {
    PayloadWriter w;
    w.U1(0).U1(1).U1(0x02).U1(0).U1(0).U1(1).U1(5).U1(255);
    w.U2(0x0100).U2(3900).U4(123456).U1(97).U1(100).U2(2).U4(640).U1(1).U1(3).U2(7);
    w.U2(60).U2(300).U2(4).U2(0).Zeros(8).U4(12);
    const Decoded d = DecodeFrame(0x0A, 0x36, w.Bytes());
    EXPECT_EQ(d.Problem, "");
    EXPECT_EQ(FieldValue(d, "txErrors"), "0x02 (alloc)");
    EXPECT_EQ(FieldValue(d, "port 1 txUsage"), "97 %");
    ASSERT_TRUE(d.Comms);
    EXPECT_TRUE(d.Comms->TxBufferFull);
    EXPECT_FALSE(d.Comms->TxMemoryError);
    EXPECT_EQ(d.Comms->ProtocolIds, (std::array<int, 4>{0, 1, 5, 255}));
    ASSERT_EQ(d.Comms->Ports.size(), 1u);
    const PortTraffic& uart = d.Comms->Ports[0];
    EXPECT_EQ(uart.PortId, 0x0100);
    EXPECT_EQ(uart.TxPendingBytes, 3900);
    EXPECT_EQ(uart.TxBytes, 123456u);
    EXPECT_EQ(uart.TxUsagePercent, 97);
    EXPECT_EQ(uart.TxPeakUsagePercent, 100);
    EXPECT_EQ(uart.RxBytes, 640u);
    EXPECT_EQ(uart.RxPeakUsagePercent, 3);
    EXPECT_EQ(uart.Overruns, 7);
    EXPECT_EQ(uart.Messages, (std::array<int, 4>{60, 300, 4, 0}));
    EXPECT_EQ(uart.SkippedBytes, 12u);
}

TEST(HealthDecoders, MonSysGivesTheReceiversLoad) {
    const std::string payload = PayloadWriter()
                                    .U1(1)
                                    .U1(2)
                                    .U1(35)
                                    .U1(80)
                                    .U1(40)
                                    .U1(41)
                                    .U1(10)
                                    .U1(22)
                                    .U4(86400)
                                    .U2(3)
                                    .U2(2)
                                    .U2(1)
                                    .U1(0xF6) // -10 degrees
                                    .Zeros(5)
                                    .Bytes();
    const Decoded d = DecodeFrame(0x0A, 0x39, payload);
    EXPECT_EQ(d.Problem, "");
    EXPECT_EQ(FieldValue(d, "tempValue"), "-10 degC");
    ASSERT_TRUE(d.System);
    EXPECT_EQ(d.System->CpuPercent, 35);
    EXPECT_EQ(d.System->CpuPeakPercent, 80);
    EXPECT_EQ(d.System->MemoryPeakPercent, 41);
    EXPECT_EQ(d.System->IoPeakPercent, 22);
    EXPECT_EQ(d.System->RunTimeS, 86400u);
    EXPECT_EQ(d.System->Notices, 3);
    EXPECT_EQ(d.System->Warnings, 2);
    EXPECT_EQ(d.System->Errors, 1);
    EXPECT_EQ(d.System->TemperatureC, -10);
}

TEST(HealthDecoders, NavSigNamesEverySignalAndItsBand) {
    struct Signal {
        int gnssId, svId, sigId, cno, flags;
        Constellation system;
        int number;
        const char* name;
        RfBand band;
        bool used;
        std::optional<bool> healthy;
        bool corrected;
    };
    const Signal signals[] = {
        {0, 5, 0, 44, 0x0049, Constellation::Gps, 5, "GPS L1C/A", RfBand::L1, true, true, true},
        {0, 5, 7, 38, 0x0009, Constellation::Gps, 5, "GPS L5 Q", RfBand::L5, true, true, false},
        {0, 9, 3, 30, 0x0002, Constellation::Gps, 9, "GPS L2 CL", RfBand::L2, false, false, false},
        {2, 11, 3, 36, 0x0000, Constellation::Galileo, 11, "Galileo E5a I", RfBand::L5, false,
         std::nullopt, false},
        {2, 11, 5, 35, 0x0001, Constellation::Galileo, 11, "Galileo E5b I", RfBand::L2, false, true,
         false},
        {3, 22, 0, 41, 0x0009, Constellation::BeiDou, 22, "BeiDou B1I D1", RfBand::L1, true, true,
         false},
        {6, 3, 2, 33, 0x0001, Constellation::Glonass, 3, "GLONASS L2 OF", RfBand::L2, false, true,
         false},
        {0, 7, 9, 20, 0x0000, Constellation::Gps, 7, "", RfBand::Unknown, false, std::nullopt,
         false},
    };
    PayloadWriter w;
    w.U4(1000).U1(0).U1(std::size(signals)).Zeros(2);
    for (const Signal& s : signals)
        w.U1(s.gnssId)
            .U1(s.svId)
            .U1(s.sigId)
            .U1(0)
            .U2(0xFFF6)
            .U1(s.cno)
            .U1(7)
            .U1(0)
            .U1(0)
            .U2(s.flags)
            .Zeros(4);
    const Decoded d = DecodeFrame(0x01, 0x43, w.Bytes());
    EXPECT_EQ(d.Problem, "");
    EXPECT_EQ(FieldValue(d, "signal 1 sigFlags"), "0x0049 (health healthy, prUsed, prCorrUsed)");
    EXPECT_EQ(FieldValue(d, "signal 1 prRes"), "-1.0 m");
    ASSERT_TRUE(d.Signals);
    ASSERT_EQ(d.Signals->size(), std::size(signals));
    for (std::size_t k = 0; k < std::size(signals); ++k) {
        const Signal& want = signals[k];
        const SignalInView& got = (*d.Signals)[k];
        EXPECT_EQ(got.System, want.system) << want.name;
        EXPECT_EQ(got.Number, want.number) << want.name;
        EXPECT_EQ(got.SignalId, want.sigId) << want.name;
        EXPECT_EQ(got.Name, want.name);
        EXPECT_EQ(got.Band, want.band) << want.name;
        EXPECT_EQ(got.Cn0DbHz, want.cno) << want.name;
        EXPECT_EQ(got.Quality, 7) << want.name;
        EXPECT_EQ(got.Used, want.used) << want.name;
        EXPECT_EQ(got.Healthy, want.healthy) << want.name;
        EXPECT_EQ(got.CorrectionsUsed, want.corrected) << want.name;
    }
}

TEST(HealthDecoders, CutShortOrUnknownVersionsNameTheirProblemAndCarryNoValues) {
    struct Case {
        std::uint8_t ubxClass, id;
        std::string payload;
        const char* problem;
    };
    const Case cases[] = {
        {0x0A, 0x31, PayloadWriter().U1(0).U1(1).Zeros(2 + 200).Bytes(),
         "payload of 204 bytes; MON-SPAN has 4 + 272 x n"},
        {0x0A, 0x38, PayloadWriter().U1(0).U1(2).Zeros(2 + 24).Bytes(),
         "payload of 28 bytes; MON-RF has 4 + 24 x n"},
        {0x0A, 0x38, PayloadWriter().U1(1).U1(1).Zeros(2 + 24).Bytes(),
         "version 1; MON-RF has version 0"},
        {0x0A, 0x09, std::string(59, '\0'), "payload of 59 bytes; MON-HW has 60 or 68"},
        {0x0A, 0x36, PayloadWriter().U1(0).U1(1).Zeros(6 + 39).Bytes(),
         "payload of 47 bytes; MON-COMMS has 8 + 40 x n"},
        {0x0A, 0x39, PayloadWriter().U1(1).Zeros(18).Bytes(),
         "payload of 19 bytes; MON-SYS has 24"},
        {0x0A, 0x39, PayloadWriter().U1(2).Zeros(23).Bytes(), "version 2; MON-SYS has version 1"},
        {0x01, 0x43, PayloadWriter().U4(0).U1(0).U1(1).Zeros(2 + 15).Bytes(),
         "payload of 23 bytes; NAV-SIG has 8 + 16 x n"},
        {0x01, 0x43, PayloadWriter().U4(0).U1(3).U1(0).Zeros(2).Bytes(),
         "version 3; NAV-SIG has version 0"},
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
