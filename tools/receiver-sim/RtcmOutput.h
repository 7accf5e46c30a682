#pragma once
// The RTCM 3 messages a base station sends once it knows its position: the
// station's antenna reference point (1005), the MSM4 observations of each
// constellation in view (1074 GPS, 1084 GLONASS, 1094 Galileo, 1124
// BeiDou), one signal a satellite, and the GLONASS code-phase biases (1230).
// Each is returned as one complete frame with its CRC.

#include "tools/receiver-sim/NavigationModel.h"
#include "tools/receiver-sim/UbxEcefOutput.h"

#include <optional>
#include <string>
#include <string_view>

inline constexpr int kBaseStationId = 2401;

std::string Rtcm1005Frame(int stationId, const EcefVector& antennaPoint);
std::string Rtcm1230Frame(int stationId);

// The constellation whose MSM4 the message ("RTCM 1074") is; none for another.
std::optional<Gnss> Msm4System(std::string_view name);

// moreFollow: another MSM of this epoch comes after this one. None when the
// constellation has no satellite in view.
std::optional<std::string> RtcmMsm4Frame(Gnss system, const NavigationSolution& solution,
                                         int stationId, bool moreFollow);
