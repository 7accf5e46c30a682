#include "tools/receiver-sim/UbxRfOutput.h"

#include "tools/receiver-sim/UbxOutput.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int kSpectrumPoints = 256;
constexpr double kFloorDb = 28;
constexpr double kPassbandGainDb = 24;
constexpr double kJammerPeakDb = 62;
constexpr std::uint8_t kPgaDb = 54;
constexpr std::uint8_t kJammedPgaDb = 46; // the gain control backs off from the jammer
constexpr std::uint8_t kMonRfVersion = 0;
constexpr std::uint8_t kMonSpanVersion = 0;
constexpr std::uint8_t kHwRtcCalibrated = 0x01;
constexpr std::uint32_t kHwUsedPins = 0x0001FFFF;
// Version, number of blocks, two reserved bytes: MON-SPAN and MON-RF alike.
std::string BlocksHeader(std::uint8_t version, std::size_t blocks) {
    std::string header;
    PutUnsigned(header, version, 1);
    PutUnsigned(header, static_cast<std::uint32_t>(blocks), 1);
    PutUnsigned(header, 0, 2);
    return header;
}
} // namespace

RfBlockReport ReportOf(const RfConditions& rf, const RfBlockPlan& block) {
    RfBlockReport report;
    const bool jammed = Jammed(rf, block);
    report.jammingState = jammed ? 2 : 1;
    report.jammingIndicator = jammed ? 160 : 8;
    report.noisePerMs =
        static_cast<std::uint16_t>((block.band == RfBlockBand::L1 ? 88 : 70) + (jammed ? 40 : 0));
    report.agcCount = jammed ? 2900 : 5400;
    if (rf.antenna == AntennaFault::Short) {
        report.antennaStatus = 3;
        report.antennaPower = 0; // the supervisor switches a shorted feed off
    } else if (rf.antenna == AntennaFault::Open) {
        report.antennaStatus = 4;
    }
    return report;
}

double SpectrumLevelDb(const RfConditions& rf, const RfBlockPlan& block, double MHz) {
    const double middle = (block.passLowMHz + block.passHighMHz) / 2;
    const double halfWidth = (block.passHighMHz - block.passLowMHz) / 2;
    const double passband = 1 / (1 + std::pow((MHz - middle) / halfWidth, 8));
    double level = kFloorDb + kPassbandGainDb * passband;
    if (Jammed(rf, block)) {
        const double resolution = RfBlockPlan::kSpanMHz / kSpectrumPoints;
        const double away = std::abs(MHz - *rf.jammerMHz) / resolution;
        if (away < 0.5)
            level = kJammerPeakDb;
        else if (away < 1.5)
            level = std::max(level, kJammerPeakDb - 12);
    }
    return level;
}

std::string MonSpanFrame(const RfConditions& rf, int generation) {
    const std::vector<RfBlockPlan> blocks = RfBlocksOf(generation);
    std::string payload = BlocksHeader(kMonSpanVersion, blocks.size());
    for (const RfBlockPlan& block : blocks) {
        const double resolution = RfBlockPlan::kSpanMHz / kSpectrumPoints;
        for (int point = 0; point < kSpectrumPoints; ++point) {
            const double MHz = block.centerMHz + (point - kSpectrumPoints / 2) * resolution;
            const double quarters = std::round(SpectrumLevelDb(rf, block, MHz) * 4);
            PutUnsigned(payload, static_cast<std::uint32_t>(std::clamp(quarters, 0.0, 255.0)), 1);
        }
        PutUnsigned(payload, static_cast<std::uint32_t>(RfBlockPlan::kSpanMHz * 1e6), 4);
        PutUnsigned(payload, static_cast<std::uint32_t>(resolution * 1e6), 4);
        PutUnsigned(payload, static_cast<std::uint32_t>(std::lround(block.centerMHz * 1e6)), 4);
        PutUnsigned(payload, Jammed(rf, block) ? kJammedPgaDb : kPgaDb, 1);
        PutUnsigned(payload, 0, 3);
    }
    return UbxFrame(kUbxClassMon, kUbxIdMonSpan, payload);
}

std::string MonRfFrame(const RfConditions& rf, int generation) {
    const std::vector<RfBlockPlan> blocks = RfBlocksOf(generation);
    std::string payload = BlocksHeader(kMonRfVersion, blocks.size());
    for (const RfBlockPlan& block : blocks) {
        const RfBlockReport report = ReportOf(rf, block);
        PutUnsigned(payload, static_cast<std::uint32_t>(block.id), 1);
        PutUnsigned(payload, report.jammingState, 1);
        PutUnsigned(payload, report.antennaStatus, 1);
        PutUnsigned(payload, report.antennaPower, 1);
        PutUnsigned(payload, 0, 8); // postStatus, reserved
        PutUnsigned(payload, report.noisePerMs, 2);
        PutUnsigned(payload, report.agcCount, 2);
        PutUnsigned(payload, report.jammingIndicator, 1);
        for (const std::uint32_t iq : {0u, 120u, 0u, 118u}) // I and Q offset and magnitude
            PutUnsigned(payload, iq, 1);
        PutUnsigned(payload, 0, 3);
    }
    return UbxFrame(kUbxClassMon, kUbxIdMonRf, payload);
}

// The 60-byte form of u-blox 7 and later, the L1 block's state.
std::string MonHwFrame(const RfConditions& rf) {
    const RfBlockReport report = ReportOf(rf, RfBlocksOf(8).front());
    std::string payload;
    PutUnsigned(payload, 0, 16); // pinSel, pinBank, pinDir, pinVal
    PutUnsigned(payload, report.noisePerMs, 2);
    PutUnsigned(payload, report.agcCount, 2);
    PutUnsigned(payload, report.antennaStatus, 1);
    PutUnsigned(payload, report.antennaPower, 1);
    PutUnsigned(payload, kHwRtcCalibrated | static_cast<std::uint32_t>(report.jammingState) << 2,
                1);
    PutUnsigned(payload, 0, 1);
    PutUnsigned(payload, kHwUsedPins, 4);
    PutUnsigned(payload, 0, 17); // virtual pin mapping
    PutUnsigned(payload, report.jammingIndicator, 1);
    PutUnsigned(payload, 0, 2 + 12); // reserved, pinIrq, pullH, pullL
    return UbxFrame(kUbxClassMon, kUbxIdMonHw, payload);
}
