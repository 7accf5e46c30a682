#pragma once
// The UBX frames of a rover's RTK: NAV-RELPOSNED, its position from the
// base (version 0 for generation 8, version 1 with length and heading from
// generation 9), and RXM-RTCM, sent for each RTCM message taken in.

#include "tools/receiver-sim/NavigationModel.h"

#include <cstdint>
#include <string>

inline constexpr std::uint8_t kUbxClassRxm = 0x02;
inline constexpr std::uint8_t kUbxIdRxmRtcm = 0x32;
inline constexpr std::uint8_t kUbxIdNavRelposned = 0x3C;

std::string NavRelposnedFrame(const NavigationSolution& solution, int generation);

struct RtcmTaken {
    int messageType = 0;
    int station = 0;
    bool crcFailed = false;
    bool used = false;
};
std::string RxmRtcmFrame(const RtcmTaken& taken);
