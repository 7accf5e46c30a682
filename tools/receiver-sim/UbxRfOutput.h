#pragma once
// The UBX frames of the receiver's RF front end: the spectrum of each RF
// block (MON-SPAN), jamming and antenna per block (MON-RF) and, for the older
// generations, the same of the single L1 front end (MON-HW).

#include "tools/receiver-sim/RfConditions.h"

#include <cstdint>
#include <string>

inline constexpr std::uint8_t kUbxIdMonHw = 0x09;
inline constexpr std::uint8_t kUbxIdMonSpan = 0x31;
inline constexpr std::uint8_t kUbxIdMonRf = 0x38;

// What a block reports: a jammer in its spectrum turns its jamming state to
// warning (2) and raises the indicator; an antenna fault shows in its status.
struct RfBlockReport {
    std::uint8_t jammingState = 1; // 1 ok, 2 warning
    std::uint8_t jammingIndicator = 0;
    std::uint8_t antennaStatus = 2; // 2 ok, 3 short, 4 open
    std::uint8_t antennaPower = 1;  // 0 off, 1 on
    std::uint16_t noisePerMs = 0;
    std::uint16_t agcCount = 0;
};

RfBlockReport ReportOf(const RfConditions& rf, const RfBlockPlan& block);

// The spectrum level (dB) at a frequency of the block: a noise floor, the
// band the front end passes raised above it, and the jammer's narrow peak.
double SpectrumLevelDb(const RfConditions& rf, const RfBlockPlan& block, double MHz);

std::string MonSpanFrame(const RfConditions& rf, int generation);
std::string MonRfFrame(const RfConditions& rf, int generation);
std::string MonHwFrame(const RfConditions& rf);
