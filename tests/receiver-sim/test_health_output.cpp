// The simulated receiver's health messages, read back with the monitor's
// own decoders: each says what the receiver meant, a jammer and an antenna
// fault change what it says, and each generation sends its own set.

#include "protocol/UbxFrame.h"
#include "protocol/commands/ConfigValues.h"
#include "protocol/configkeys/ConfigKeys.h"
#include "protocol/decoding/Decoder.h"
#include "tools/receiver-sim/SimulatedReceiver.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <set>
#include <tuple>

using namespace protocol;

namespace {
constexpr std::time_t kStart = 1039422959;

// A multi-GNSS receiver of the generation in the RF conditions.
ReceiverSettings Settings(int generation, RfConditions rf = {}, std::uint32_t baud = 9600) {
    return {kStart, 5,          false, false, true, baud, std::chrono::milliseconds(1000),
            false,  generation, rf};
}

Decoded DecodeFrame(const std::string& frame) {
    return Decode(Message{MessageKind::Ubx, frame, 0});
}

// The receiver's answer to a poll of the message, decoded; an empty
// Decoded when it does not answer.
Decoded Poll(SimulatedReceiver& receiver, std::uint8_t ubxClass, std::uint8_t id) {
    const std::vector<std::string> answers = receiver.Receive(UbxFrame(ubxClass, id, ""));
    return answers.empty() ? Decoded{} : DecodeFrame(answers.front());
}

// Turns the message on with CFG-MSG; returns the bytes of the answer.
std::size_t Enable(SimulatedReceiver& receiver, std::uint8_t ubxClass, std::uint8_t id) {
    const std::string rate{static_cast<char>(ubxClass), static_cast<char>(id), 1};
    std::size_t bytes = 0;
    for (const std::string& answer : receiver.Receive(UbxFrame(0x06, 0x01, rate)))
        bytes += answer.size();
    return bytes;
}

const RfConditions kJammedL1{1575.0, AntennaFault::None};
} // namespace

TEST(HealthOutput, RfBlocksReportJammingAndAntennaAsTheReceiverMeantThem) {
    using J = JammingState;
    using A = AntennaStatus;
    using P = AntennaPower;
    // Each case also has a block that is clear.
    struct Case {
        int generation;
        RfConditions rf;
        std::vector<RfBlockStatus> rf_blocks; // MON-RF
        double secondCenterHz;
    };
    const Case cases[] = {
        {9,
         kJammedL1,
         {{0, J::Warning, 160, A::Ok, P::On, 2900, 128}, {1, J::Ok, 8, A::Ok, P::On, 5400, 70}},
         1227.6e6},
        {10,
         {1176.0, AntennaFault::Short},
         {{0, J::Ok, 8, A::Short, P::Off, 5400, 88},
          {1, J::Warning, 160, A::Short, P::Off, 2900, 110}},
         1176.45e6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.generation);
        SimulatedReceiver receiver(Settings(c.generation, c.rf));
        const Decoded rf = Poll(receiver, 0x0A, 0x38);
        ASSERT_TRUE(rf.RfBlocks) << rf.Problem;
        EXPECT_EQ(*rf.RfBlocks, c.rf_blocks);

        const Decoded span = Poll(receiver, 0x0A, 0x31);
        ASSERT_TRUE(span.Spectra) << span.Problem;
        ASSERT_EQ(span.Spectra->size(), 2u);
        for (std::size_t k = 0; k < 2; ++k) {
            const RfSpectrum& spectrum = (*span.Spectra)[k];
            EXPECT_DOUBLE_EQ(spectrum.CenterHz, k == 0 ? 1575.42e6 : c.secondCenterHz);
            EXPECT_DOUBLE_EQ(spectrum.SpanHz, 128e6);
            // The band the front end passes stands above the block's edges.
            EXPECT_GT(spectrum.LevelsDb[128], spectrum.LevelsDb[0] + 15) << k;
            const bool jammed = c.rf_blocks[k].Jamming == J::Warning;
            EXPECT_EQ(spectrum.PgaGainDb, jammed ? 46 : 54) << k;
            if (jammed) {
                const auto peak = std::ranges::max_element(spectrum.LevelsDb);
                const int point = static_cast<int>(peak - spectrum.LevelsDb.begin());
                EXPECT_FLOAT_EQ(*peak, 62.0f);
                EXPECT_NEAR(spectrum.PointHz(point), *c.rf.jammerMHz * 1e6, 0.25e6);
            }
        }
    }

    // MON-HW: the L1 front end of generations 8 and 9; an open antenna.
    SimulatedReceiver generation8(Settings(8, {1575.0, AntennaFault::Open}));
    const Decoded hw = Poll(generation8, 0x0A, 0x09);
    ASSERT_TRUE(hw.RfBlocks) << hw.Problem;
    EXPECT_EQ(*hw.RfBlocks,
              (std::vector<RfBlockStatus>{{0, J::Warning, 160, A::Open, P::On, 2900, 128}}));
}

TEST(HealthOutput, NavSigGivesEachSatelliteAnL1AndASecondBandSignal) {
    struct Case {
        int generation;
        RfBand second;
        const char* gpsSecond;
    };
    for (const Case& c : {Case{9, RfBand::L2, "GPS L2 CL"}, Case{10, RfBand::L5, "GPS L5 Q"}}) {
        SCOPED_TRACE(c.generation);
        SimulatedReceiver clear(Settings(c.generation));
        SimulatedReceiver jammed(Settings(c.generation, kJammedL1));
        const Decoded sat = Poll(clear, 0x01, 0x35);
        const Decoded sig = Poll(clear, 0x01, 0x43);
        const Decoded jammedSig = Poll(jammed, 0x01, 0x43);
        ASSERT_TRUE(sat.Satellites && sig.Signals && jammedSig.Signals) << sig.Problem;
        ASSERT_EQ(jammedSig.Signals->size(), sig.Signals->size());
        std::size_t k = 0;
        std::set<std::string_view> names;
        for (const SatelliteInView& sv : sat.Satellites->Satellites) {
            ASSERT_LT(k, sig.Signals->size());
            const int cno = sv.Cn0DbHz.value_or(0);
            const SignalInView& l1 = (*sig.Signals)[k];
            EXPECT_EQ(std::tuple(l1.System, l1.Number, l1.Band, l1.Cn0DbHz, l1.Used, l1.Healthy),
                      std::tuple(sv.System, sv.Number, RfBand::L1, cno, sv.Used, true));
            if (cno >= 8) { // the jammer takes 8 dB from every L1 signal
                EXPECT_EQ((*jammedSig.Signals)[k].Cn0DbHz, cno - 8) << l1.Name;
            }
            if (++k < sig.Signals->size() && (*sig.Signals)[k].Number == sv.Number &&
                (*sig.Signals)[k].System == sv.System) {
                const SignalInView& second = (*sig.Signals)[k++];
                EXPECT_EQ(second.Band, c.second) << second.Name;
                EXPECT_EQ(second.Cn0DbHz, cno > 0 ? cno - 3 : 0) << second.Name;
                names.insert(second.Name);
            }
        }
        EXPECT_EQ(k, sig.Signals->size());
        EXPECT_TRUE(names.contains(c.gpsSecond));
    }
}

TEST(HealthOutput, CommsWeighTheMessagesEnabledAgainstTheLineRate) {
    struct Case {
        std::uint32_t baud;
        bool full;
    };
    for (const Case& c : {Case{115200, false}, Case{9600, true}}) {
        SCOPED_TRACE(c.baud);
        SimulatedReceiver receiver(Settings(9, {}, c.baud));
        std::size_t sentBefore = 0; // the acknowledgements first
        for (const std::uint8_t id : {0x07, 0x35, 0x43})
            sentBefore += Enable(receiver, 0x01, id);
        for (const std::uint8_t id : {0x31, 0x36, 0x38, 0x39})
            sentBefore += Enable(receiver, 0x0A, id);
        int peak = 0;
        for (int epoch = 0; epoch < 3; ++epoch) {
            const std::vector<std::string> messages = receiver.NextEpoch();
            std::size_t epochBytes = 0, sentBeforeComms = 0;
            Decoded comms, sys;
            for (const std::string& message : messages) {
                if (message.starts_with("\xB5\x62\x0A\x36")) {
                    comms = DecodeFrame(message);
                    sentBeforeComms = sentBefore + epochBytes;
                }
                if (message.starts_with("\xB5\x62\x0A\x39"))
                    sys = DecodeFrame(message);
                epochBytes += message.size();
            }
            sentBefore += epochBytes;
            ASSERT_TRUE(comms.Comms && sys.System && comms.Comms->Ports.size() == 1);
            const PortTraffic& uart = comms.Comms->Ports[0];
            const int usage =
                std::min(100, static_cast<int>(std::lround(100.0 * epochBytes / (c.baud / 10.0))));
            EXPECT_EQ(uart.PortId, 0x0100);
            EXPECT_EQ(uart.TxUsagePercent, usage);
            peak = std::max(peak, usage);
            EXPECT_EQ(uart.TxPeakUsagePercent, peak);
            EXPECT_EQ(uart.TxBytes, sentBeforeComms);
            EXPECT_EQ(comms.Comms->TxBufferFull, c.full);
            EXPECT_EQ(uart.TxPendingBytes > 0, c.full);
            EXPECT_EQ(uart.Messages[0], 7); // the seven CFG-MSG frames taken
            EXPECT_EQ(sys.System->IoPercent, usage);
            EXPECT_EQ(sys.System->RunTimeS, receiver.LastEpoch().millisSinceStart / 1000);
        }
    }
}

TEST(HealthOutput, SystemCountsAFaultAndEachGenerationSendsItsOwnMessages) {
    SimulatedReceiver faulty(Settings(9, {1575.0, AntennaFault::Short}));
    const Decoded sys = Poll(faulty, 0x0A, 0x39);
    ASSERT_TRUE(sys.System) << sys.Problem;
    EXPECT_EQ(sys.System->Warnings, 1);
    EXPECT_EQ(sys.System->Errors, 1);

    struct Case {
        int generation;
        const char* message;
        std::uint8_t ubxClass, id;
        bool sent;
    };
    const Case cases[] = {
        {8, "NAV-SIG", 0x01, 0x43, false}, {9, "NAV-SIG", 0x01, 0x43, true},
        {10, "MON-HW", 0x0A, 0x09, false}, {9, "MON-HW", 0x0A, 0x09, true},
        {8, "MON-SPAN", 0x0A, 0x31, true}, {10, "MON-RF", 0x0A, 0x38, true},
    };
    for (const Case& c : cases) {
        SimulatedReceiver receiver(Settings(c.generation));
        EXPECT_EQ(receiver.MessageRate(c.message), c.sent ? 0 : -1) << c.message << c.generation;
        EXPECT_EQ(Poll(receiver, c.ubxClass, c.id).Name.empty(), !c.sent) << c.message;
        if (c.generation < 9) {
            Enable(receiver, c.ubxClass, c.id);
        } else { // by its CFG-MSGOUT key: generation 10 takes no CFG-MSG
            std::string item = "UBX_" + std::string(c.message); // "UBX_MON_RF"
            std::ranges::replace(item, '-', '_');
            const ubx::TConfigKey* key = ubx::FindConfigKey("CFG-MSGOUT-" + item + "_UART1");
            ASSERT_NE(key, nullptr) << item;
            const std::array values{ubx::TConfigValue{key->id, 1}};
            receiver.Receive(ToByteString(BuildUbxFrame(ubx::CfgValSet(0x01, values))));
        }
        EXPECT_EQ(receiver.MessageRate(c.message), c.sent ? 1 : -1) << c.message;
    }
}
