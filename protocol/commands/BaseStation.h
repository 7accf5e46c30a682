#pragma once
// The commands that make a receiver a base station: how it finds its own
// position (a survey-in until a shortest time and an accuracy are reached,
// or a position typed in as latitude, longitude and height or as ECEF), and
// which RTCM 3 messages it sends on each port. Older receivers take CFG-TMODE3
// and CFG-MSG of class 0xF5; generation 9+ receivers the CFG-TMODE keys and
// the CFG-MSGOUT-RTCM_3X keys, set in RAM as the Configure page sets its own.

#include "protocol/commands/DatabaseSettings.h"
#include "protocol/commands/UbxCommands.h"

#include <array>
#include <cstdint>

namespace ubx {

inline constexpr std::uint8_t kIdCfgTmode3 = 0x71;
inline constexpr std::uint8_t kClassRtcm3 = 0xF5;

enum class TBaseMode : std::uint8_t { Disabled = 0, SurveyIn = 1, Fixed = 2 };

struct TBaseSettings {
    TBaseMode mode = TBaseMode::SurveyIn;
    std::uint32_t surveyMinDurationS = 300;
    double surveyAccuracyLimitM = 2.0;
    // The fixed position: latitude and longitude in degrees and the height
    // above the ellipsoid in metres, or ECEF X, Y and Z in metres.
    bool llh = true;
    std::array<double, 3> position{};
    double fixedAccuracyM = 0.1;
};

// Throw EConfigError, saying which value is wrong, for a shortest survey of
// no time, an accuracy the receiver cannot hold, a latitude or longitude
// outside the globe, or a position far from the earth's surface.
TUBXPacket CfgTmode3(const TBaseSettings& settings);
TUBXPacket TmodeValSet(const TBaseSettings& settings);

// The messages a base sends for RTK: its position (1005), MSM4 observations
// of GPS, GLONASS, Galileo and BeiDou, and GLONASS code-phase biases (1230).
inline constexpr std::array<int, 6> kBaseRtcmTypes = {1005, 1074, 1084, 1094, 1124, 1230};

// One message's rate per port (CFG-MSG, class 0xF5, id the type less 1000).
TUBXPacket CfgMsgRtcm(int messageType, const TMessageRates& rates);
// Every message of kBaseRtcmTypes at the rates, as one CFG-VALSET.
TUBXPacket RtcmOutputValSet(const TMessageRates& rates);

} // namespace ubx
