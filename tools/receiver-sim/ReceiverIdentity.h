#pragma once
// Who the simulated receiver says it is, in MON-VER and in the TXT banner it
// prints on start-up: a u-blox M8 module, generation 8 firmware SPG 3.01
// speaking protocol version 18.

#include <array>
#include <string_view>

inline constexpr std::string_view kSoftwareVersion = "ROM CORE 3.01 (107888)";
inline constexpr std::string_view kHardwareVersion = "00080000";
inline constexpr std::string_view kHardwareName = "UBX-M8030";
inline constexpr std::array<std::string_view, 5> kVersionExtensions = {
    "FWVER=SPG 3.01", "PROTVER=18.00", "MOD=NEO-M8N", "GPS;GLO;GAL;BDS", "SBAS;IMES;QZSS"};
