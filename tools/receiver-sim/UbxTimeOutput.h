#pragma once
// The UBX messages of the receiver's time solution: GPS time (NAV-TIMEGPS),
// UTC (NAV-TIMEUTC), the clock's bias and drift (NAV-CLOCK) and the leap
// seconds (NAV-TIMELS), and the end-of-epoch marker (NAV-EOE) that closes
// the navigation messages of an epoch. The receiver keeps its time while it
// has no fix, so every time field is marked valid.

#include "tools/receiver-sim/NavigationModel.h"

#include <cstdint>
#include <string>

inline constexpr std::uint8_t kUbxIdNavClock = 0x22;
inline constexpr std::uint8_t kUbxIdNavTimegps = 0x20;
inline constexpr std::uint8_t kUbxIdNavTimeutc = 0x21;
inline constexpr std::uint8_t kUbxIdNavTimels = 0x26;
inline constexpr std::uint8_t kUbxIdNavEoe = 0x61;

std::string NavTimegpsFrame(const NavigationSolution& solution);
std::string NavTimeutcFrame(const NavigationSolution& solution);
std::string NavClockFrame(const NavigationSolution& solution);
std::string NavTimelsFrame(const NavigationSolution& solution);
std::string NavEoeFrame(const NavigationSolution& solution);
