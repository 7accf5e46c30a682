#pragma once
// NAV-SIG: every signal the receiver tracks, two per satellite where its
// constellation sends one in the second RF block (L2, or L5 for generation
// 10): GPS, Galileo, BeiDou, QZSS and GLONASS; SBAS on L1 alone. The second
// signal is heard 3 dB weaker; a jammer takes kJammedCnoLossDb from the
// signals of its block.

#include "tools/receiver-sim/NavigationModel.h"
#include "tools/receiver-sim/RfConditions.h"

#include <cstdint>
#include <string>

inline constexpr std::uint8_t kUbxIdNavSig = 0x43;

std::string NavSigFrame(const NavigationSolution& solution, const RfConditions& rf, int generation);
