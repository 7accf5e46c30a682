// The simulated receiver as a rover: RTCM 3 corrections written into it
// turn its fix RTK float, then fixed, and it loses RTK when they stop; its
// GGA, NAV-PVT, NAV-RELPOSNED and RXM-RTCM say so as a monitor decodes them.

#include "protocol/decoding/Decoder.h"
#include "protocol/state/EpochFix.h"
#include "tests/receiver-sim/ReceivedTraffic.h"
#include "tools/receiver-sim/RtcmOutput.h"
#include "tools/receiver-sim/SimulatedReceiver.h"
#include "tools/receiver-sim/UbxEcefOutput.h"

#include <gtest/gtest.h>

namespace {
constexpr std::time_t kStart = 1039422959;
constexpr int kStation = 12;

std::string CfgMsg(std::uint8_t ubxClass, std::uint8_t id) {
    return ToByteString(BuildUbxFrame(MakeUbxPacket(0x06, 0x01, {ubxClass, id, 1})));
}

// The decoded messages of the given name among what the receiver sent.
std::vector<protocol::Decoded> Decoded(const std::vector<std::string>& sent,
                                       std::string_view name) {
    std::vector<protocol::Decoded> found;
    for (const std::string& message : sent) {
        const bool nmea = message.starts_with('$');
        protocol::Decoded d = protocol::Decode(
            {nmea ? protocol::MessageKind::Nmea : protocol::MessageKind::Ubx, message, 0});
        if (d.Talker + d.Name == name || d.Name == name)
            found.push_back(std::move(d));
    }
    return found;
}

// A base about 1.1 km north of the rover's circle, 20 m lower.
EcefVector BasePosition(const NavigationSolution& rover) {
    NavigationSolution base = rover;
    base.latitude = 47.2953;
    base.longitude = 8.5653;
    base.altitudeMsl -= 20;
    return EcefPosition(base);
}
} // namespace

TEST(Rover, CorrectionsFloatThenFixTheSolutionUntilTheyStop) {
    for (const int generation : {8, 9}) {
        ReceiverSettings settings;
        settings.startUtc = kStart;
        settings.generation = generation;
        settings.rover = {std::chrono::seconds(3), std::chrono::seconds(4)};
        SimulatedReceiver receiver(settings);
        receiver.NextEpoch();
        receiver.Receive(CfgMsg(0x01, 0x3C) + CfgMsg(0x01, 0x07) + CfgMsg(0x02, 0x32));
        const EcefVector base = BasePosition(receiver.LastEpoch());

        std::vector<std::string> qualities, fixes;
        double baseline = 0;
        for (int second = 0; second < 12; ++second) {
            if (second < 5) {
                const auto answers = receiver.Receive(
                    Rtcm1005Frame(kStation, base) +
                    *RtcmMsm4Frame(Gnss::Gps, receiver.LastEpoch(), kStation, false));
                const auto taken = Decoded(answers, "RXM-RTCM");
                ASSERT_EQ(taken.size(), 2u);
                EXPECT_EQ(taken[1].Correction->MessageType, 1074);
                EXPECT_EQ(taken[1].Correction->ReferenceStation, kStation);
                EXPECT_EQ(taken[1].Correction->Used, true);
            }
            const auto epoch = receiver.NextEpoch();
            const auto gga = Decoded(epoch, "GPGGA");
            const auto pvt = Decoded(epoch, "NAV-PVT");
            const auto relposned = Decoded(epoch, "NAV-RELPOSNED");
            ASSERT_TRUE(gga.size() == 1 && pvt.size() == 1 && relposned.size() == 1);
            qualities.push_back(gga[0].Fix->Quality);
            fixes.push_back(protocol::RtkText(*pvt[0].Fix));
            if (relposned[0].Baseline->Valid)
                baseline = relposned[0].Baseline->LengthM;
        }
        // Corrections at 0..4 s: float after the first, fixed 3 s on, lost
        // 4 s after the last.
        EXPECT_EQ(qualities,
                  (std::vector<std::string>{"RTK float", "RTK float", "RTK fixed", "RTK fixed",
                                            "RTK fixed", "RTK fixed", "RTK fixed", "RTK fixed",
                                            "GPS", "GPS", "GPS", "GPS"}))
            << generation;
        EXPECT_EQ(fixes, (std::vector<std::string>{
                             "RTK float", "RTK float", "RTK fixed", "RTK fixed", "RTK fixed",
                             "RTK fixed", "RTK fixed", "RTK fixed", "no corrections",
                             "no corrections", "no corrections", "no corrections"}))
            << generation;
        EXPECT_NEAR(baseline, 1112, 260) << generation; // the rover circles 250 m round
    }
}

// Observations from a station whose position never came, and a damaged
// frame, correct nothing; the damaged one is reported failing its CRC.
TEST(Rover, NoBasePositionOrADamagedFrameCorrectsNothing) {
    ReceiverSettings settings;
    settings.startUtc = kStart;
    SimulatedReceiver receiver(settings);
    receiver.NextEpoch();
    receiver.Receive(CfgMsg(0x02, 0x32));
    std::string damaged = Rtcm1005Frame(kStation, BasePosition(receiver.LastEpoch()));
    damaged.back() ^= 0x01;
    const auto answers = receiver.Receive(
        *RtcmMsm4Frame(Gnss::Gps, receiver.LastEpoch(), kStation, false) + damaged);
    const auto taken = Decoded(answers, "RXM-RTCM");
    ASSERT_EQ(taken.size(), 2u);
    EXPECT_FALSE(taken[0].Correction->CrcFailed);
    EXPECT_TRUE(taken[1].Correction->CrcFailed);
    const auto gga = Decoded(receiver.NextEpoch(), "GPGGA");
    ASSERT_EQ(gga.size(), 1u);
    EXPECT_EQ(gga[0].Fix->Quality, "GPS");
    EXPECT_FALSE(gga[0].CorrectionAgeS);
}
