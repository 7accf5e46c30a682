#pragma once
// The UBX messages that give the solution in earth-centred, earth-fixed
// coordinates on the WGS84 ellipsoid: position (NAV-POSECEF), velocity
// (NAV-VELECEF) and both with GPS week and fix status (NAV-SOL).

#include "tools/receiver-sim/NavigationModel.h"

#include <array>
#include <cstdint>
#include <string>

inline constexpr std::uint8_t kUbxIdNavPosecef = 0x01;
inline constexpr std::uint8_t kUbxIdNavSol = 0x06;
inline constexpr std::uint8_t kUbxIdNavVelecef = 0x11;

using EcefVector = std::array<double, 3>;

// The solution's position in metres from the earth's centre.
EcefVector EcefPosition(const NavigationSolution& solution);

std::string NavPosecefFrame(const NavigationSolution& solution);
std::string NavVelecefFrame(const NavigationSolution& solution);
std::string NavSolFrame(const NavigationSolution& solution);
