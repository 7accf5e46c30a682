// The simulated receiver as a base station: survey-in reported by NAV-SVIN,
// then RTCM 3 with right CRCs that our decoder reads as the surveyed station,
// and output rates set by CFG-MSG and the CFG-MSGOUT keys.

#include "protocol/UbxFrame.h"
#include "protocol/commands/ConfigValues.h"
#include "protocol/configkeys/ConfigKeys.h"
#include "protocol/decoding/Decoder.h"
#include "protocol/framing/Framer.h"
#include "tools/receiver-sim/RtcmOutput.h"
#include "tools/receiver-sim/SimulatedReceiver.h"

#include <gtest/gtest.h>
#include <map>

using protocol::Decoded;
using protocol::MessageKind;

namespace {

ReceiverSettings BaseSettings(SurveyInSettings survey, int generation = 9) {
    ReceiverSettings settings;
    settings.startUtc = 1'733'650'000;
    settings.multiGnss = true;
    settings.generation = generation;
    settings.base = true;
    settings.survey = survey;
    return settings;
}

// One epoch's messages, framed and decoded, by name.
std::map<std::string, std::vector<Decoded>> Epoch(SimulatedReceiver& receiver) {
    std::string bytes;
    for (const std::string& message : receiver.NextEpoch())
        bytes += message;
    protocol::Framer framer;
    std::map<std::string, std::vector<Decoded>> decoded;
    for (const protocol::Message& m : framer.Feed(bytes)) {
        EXPECT_NE(m.Kind, MessageKind::Unframed);
        EXPECT_EQ(m.Checksum == protocol::ChecksumState::Wrong, false);
        Decoded d = protocol::Decode(m);
        decoded[d.Talker + d.Name].push_back(std::move(d));
    }
    return decoded;
}

std::string Field(const Decoded& decoded, std::string_view name) {
    for (const protocol::Field& field : decoded.Fields)
        if (field.Name == name)
            return field.Value;
    return "(none)";
}

} // namespace

TEST(BaseStation, SurveysUntilTimeAndAccuracyAreMet) {
    struct Case {
        SurveyInSettings survey;
        int validAtEpoch; // counted from 1
    };
    // The mean's accuracy is 3 m over the square root of the fixes taken.
    const Case cases[] = {{{std::chrono::seconds(3), 2.0}, 4},
                          {{std::chrono::seconds(1), 0.5}, 36}};
    for (const Case& c : cases) {
        SimulatedReceiver receiver(BaseSettings(c.survey));
        for (int epoch = 1; epoch <= c.validAtEpoch; ++epoch) {
            const auto messages = Epoch(receiver);
            ASSERT_EQ(messages.count("NAV-SVIN"), 1u);
            const Decoded& svin = messages.at("NAV-SVIN").front();
            EXPECT_EQ(Field(svin, "obs"), std::to_string(epoch));
            EXPECT_EQ(Field(svin, "valid"), epoch == c.validAtEpoch ? "1" : "0") << epoch;
            EXPECT_EQ(messages.count("RTCM 1005"), epoch == c.validAtEpoch ? 1u : 0u) << epoch;
        }
    }
}

TEST(BaseStation, SendsItsPositionAndTheSatellitesItTracks) {
    SimulatedReceiver receiver(BaseSettings({std::chrono::seconds(1), 2.0}));
    Epoch(receiver);
    Epoch(receiver);
    const auto messages = Epoch(receiver);
    for (const char* name :
         {"RTCM 1005", "RTCM 1074", "RTCM 1084", "RTCM 1094", "RTCM 1124", "RTCM 1230"})
        EXPECT_EQ(messages.count(name), 1u) << name;

    const Decoded& station = messages.at("RTCM 1005").front();
    ASSERT_TRUE(station.Station && station.Station->Place);
    EXPECT_EQ(station.Station->StationId, kBaseStationId);
    const EcefVector mean = receiver.Survey().Mean();
    EXPECT_NEAR(station.Station->EcefXM, mean[0], 1e-4);
    EXPECT_NEAR(station.Station->EcefZM, mean[2], 1e-4);
    const NavigationSolution& now = receiver.LastEpoch();
    EXPECT_NEAR(station.Station->Place->LatitudeDeg, now.latitude, 1e-8);
    EXPECT_NEAR(station.Station->Place->LongitudeDeg, now.longitude, 1e-8);
    EXPECT_NEAR(*station.Station->Place->HeightEllipsoidM, now.altitudeEllipsoid(), 1e-3);

    // Each MSM4 lists the satellites of its constellation; all but the last
    // say more of the epoch follow.
    std::string gps;
    for (const SatelliteView& sat : now.satellites)
        if (sat.system == Gnss::Gps && sat.cno > 0)
            gps += (gps.empty() ? "" : " ") + std::string(sat.prn < 10 ? "G0" : "G") +
                   std::to_string(sat.prn);
    const Decoded& msm = messages.at("RTCM 1074").front();
    EXPECT_EQ(Field(msm, "satellites").substr(Field(msm, "satellites").find(": ") + 2), gps);
    EXPECT_EQ(Field(msm, "signals"), "1: 1C");
    EXPECT_EQ(Field(msm, "more of this epoch follow"), "yes");
    EXPECT_EQ(Field(messages.at("RTCM 1124").front(), "more of this epoch follow"), "no");
}

TEST(BaseStation, RatesFollowCfgMsgAndTheMsgoutKeys) {
    SimulatedReceiver generation8(BaseSettings({std::chrono::seconds(1), 2.0}, 8));
    // CFG-MSG F5 E6: 1230 off on UART1; F5 05: 1005 every second epoch.
    generation8.Receive(ToByteString(BuildUbxFrame(MakeUbxPacket(0x06, 0x01, {0xF5, 0xE6, 0}))));
    generation8.Receive(ToByteString(BuildUbxFrame(MakeUbxPacket(0x06, 0x01, {0xF5, 0x05, 2}))));
    EXPECT_EQ(generation8.MessageRate("RTCM 1230"), 0);
    EXPECT_EQ(generation8.MessageRate("RTCM 1005"), 2);

    SimulatedReceiver generation9(BaseSettings({std::chrono::seconds(1), 2.0}, 9));
    const ubx::TConfigKey* key = ubx::FindConfigKey("CFG-MSGOUT-RTCM_3X_TYPE1074_UART1");
    ASSERT_NE(key, nullptr);
    const std::array values{ubx::TConfigValue{key->id, 0}};
    generation9.Receive(ToByteString(BuildUbxFrame(ubx::CfgValSet(0x01, values))));
    for (int epoch = 0; epoch < 3; ++epoch) {
        const auto messages = Epoch(generation9);
        EXPECT_EQ(messages.count("RTCM 1074"), 0u);
        EXPECT_EQ(messages.count("RTCM 1084"), epoch >= 2 ? 1u : 0u); // valid at the third
    }
}

// Generation 9's CFG-TMODE keys turn survey-in off and on again with their
// own duration; a fixed position is not simulated and is refused.
TEST(BaseStation, TimeModeKeysStopAndRestartTheSurvey) {
    SimulatedReceiver receiver(BaseSettings({std::chrono::seconds(1), 2.0}));
    const auto set =
        [&receiver](std::initializer_list<std::pair<const char*, std::uint64_t>> keys) {
            std::vector<ubx::TConfigValue> values;
            for (const auto& [name, value] : keys)
                values.push_back({ubx::FindConfigKey(name)->id, value});
            const auto answers =
                receiver.Receive(ToByteString(BuildUbxFrame(ubx::CfgValSet(0x01, values))));
            return !answers.empty() && answers.back()[3] == 0x01; // ACK-ACK
        };
    for (int epoch = 0; epoch < 3; ++epoch)
        Epoch(receiver);
    EXPECT_EQ(Epoch(receiver).count("RTCM 1005"), 1u);

    EXPECT_TRUE(set({{"CFG-TMODE-MODE", 0}}));
    auto messages = Epoch(receiver);
    EXPECT_EQ(messages.count("RTCM 1005"), 0u);
    EXPECT_EQ(Field(messages.at("NAV-SVIN").front(), "obs"), "0");

    EXPECT_FALSE(set({{"CFG-TMODE-MODE", 2}}));
    EXPECT_TRUE(set({{"CFG-TMODE-MODE", 1}, {"CFG-TMODE-SVIN_MIN_DUR", 5}}));
    for (int epoch = 1; epoch <= 6; ++epoch) {
        messages = Epoch(receiver);
        EXPECT_EQ(Field(messages.at("NAV-SVIN").front(), "dur"), std::to_string(epoch - 1));
        EXPECT_EQ(messages.count("RTCM 1005"), epoch == 6 ? 1u : 0u) << epoch;
    }
}
