#include "tools/receiver-sim/UbxSignalOutput.h"

#include "tools/receiver-sim/UbxOutput.h"

#include <algorithm>
#include <optional>

namespace {
constexpr std::uint8_t kNavSigVersion = 0;
constexpr int kSecondBandWeakerDb = 3;
constexpr std::size_t kMostSignals = 255; // numSigs is one byte
constexpr std::uint16_t kHealthy = 0x0001;
constexpr std::uint16_t kPseudorangeUsed = 0x0008;

// The sigId of the constellation's signal in the second block, if it has one.
std::optional<int> SecondSignal(Gnss system, RfBlockBand band) {
    const bool l5 = band == RfBlockBand::L5;
    switch (system) {
    case Gnss::Gps:
        return l5 ? 7 : 3; // L5 Q, L2 CL
    case Gnss::Galileo:
        return l5 ? 4 : 5; // E5a Q, E5b I
    case Gnss::Qzss:
        return l5 ? 9 : 5; // L5 Q, L2 CL
    case Gnss::BeiDou:
        return l5 ? std::nullopt : std::optional(2); // B2I D1
    case Gnss::Glonass:
        return l5 ? std::nullopt : std::optional(2); // L2 OF
    default:
        return std::nullopt;
    }
}

void PutSignal(std::string& payload, const SatelliteView& sat, int sigId, int cno) {
    PutUnsigned(payload, static_cast<std::uint32_t>(sat.system), 1);
    PutUnsigned(payload, static_cast<std::uint32_t>(sat.prn), 1);
    PutUnsigned(payload, static_cast<std::uint32_t>(sigId), 1);
    PutUnsigned(payload, 0, 1); // freqId
    PutSigned(payload, 0, 2);   // pseudorange residual
    PutUnsigned(payload, static_cast<std::uint32_t>(std::max(cno, 0)), 1);
    PutUnsigned(payload, SignalQuality(sat), 1);
    PutUnsigned(payload, 0, 2); // corrSource, ionoModel
    PutUnsigned(payload, kHealthy | (sat.used ? kPseudorangeUsed : 0), 2);
    PutUnsigned(payload, 0, 4);
}
} // namespace

// The model's C/N0 is the L1 signal's, already lowered by a jammer in L1.
std::string NavSigFrame(const NavigationSolution& s, const RfConditions& rf, int generation) {
    const std::vector<RfBlockPlan> blocks = RfBlocksOf(generation);
    const RfBlockPlan& second = blocks.back();
    const int l1Loss = Jammed(rf, blocks.front()) ? kJammedCnoLossDb : 0;
    const int secondLoss = Jammed(rf, second) ? kJammedCnoLossDb : 0;
    std::string signals;
    std::size_t count = 0;
    for (const SatelliteView& sat : s.satellites) {
        if (count < kMostSignals) {
            PutSignal(signals, sat, 0, sat.cno);
            ++count;
        }
        const std::optional<int> sigId = SecondSignal(sat.system, second.band);
        if (sigId && count < kMostSignals) {
            const int cno = sat.cno + l1Loss - kSecondBandWeakerDb - secondLoss;
            PutSignal(signals, sat, *sigId, sat.cno > 0 ? cno : 0);
            ++count;
        }
    }
    std::string payload;
    PutUnsigned(payload, EpochTimeOfWeekMs(s), 4);
    PutUnsigned(payload, kNavSigVersion, 1);
    PutUnsigned(payload, static_cast<std::uint32_t>(count), 1);
    PutUnsigned(payload, 0, 2);
    return UbxFrame(kUbxClassNav, kUbxIdNavSig, payload + signals);
}
