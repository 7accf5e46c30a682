// Layouts of the messages that tell the receiver's health rather than its
// solution: the RF spectrum (MON-SPAN), interference and antenna per RF
// block (MON-RF, and MON-HW before it), the ports' traffic (MON-COMMS), the
// receiver's own load (MON-SYS) and every signal tracked (NAV-SIG).

#include "protocol/decoding/Satellites.h"
#include "protocol/decoding/SignalNames.h"
#include "protocol/decoding/UbxLayouts.h"

namespace protocol {
namespace {

using T = UbxType;
constexpr std::uint8_t kNav = 0x01, kMon = 0x0A;

// The two-bit jamming state of MON-RF and MON-HW flags.
JammingState JammingOf(std::int64_t state) {
    constexpr JammingState kStates[] = {JammingState::Unknown, JammingState::Ok,
                                        JammingState::Warning, JammingState::Critical};
    return kStates[state & 0x03];
}

AntennaStatus AntennaOf(std::int64_t status) {
    constexpr AntennaStatus kStatuses[] = {AntennaStatus::Init, AntennaStatus::Unknown,
                                           AntennaStatus::Ok, AntennaStatus::Short,
                                           AntennaStatus::Open};
    return status >= 0 && status < 5 ? kStatuses[status] : AntennaStatus::Unknown;
}

AntennaPower PowerOf(std::int64_t power) {
    return power == 0 ? AntennaPower::Off : power == 1 ? AntennaPower::On : AntennaPower::Unknown;
}

constexpr UbxField kMonSpan[] = {{0, T::U1, "version"}, {1, T::U1, "numRfBlocks"}};
constexpr UbxField kMonSpanBlock[] = {
    {256, T::U4, "span", 1e-6, "MHz", 3},
    {260, T::U4, "res", 1e-3, "kHz", 1},
    {264, T::U4, "center", 1e-6, "MHz", 3},
    {268, T::U1, "pga", 1, "dB"},
};
constexpr std::size_t kSpanBlock = 272;

void MonSpan(const UbxPayload& p, Decoded& d) {
    std::vector<RfSpectrum> spectra((p.Bytes().size() - 4) / kSpanBlock);
    for (std::size_t block = 0; block < spectra.size(); ++block) {
        const std::size_t at = 4 + block * kSpanBlock;
        RfSpectrum& spectrum = spectra[block];
        for (int point = 0; point < RfSpectrum::kPoints; ++point)
            spectrum.LevelsDb[static_cast<std::size_t>(point)] =
                static_cast<float>(p.U1(at + static_cast<std::size_t>(point))) * 0.25f;
        spectrum.SpanHz = static_cast<double>(p.U4(at + 256));
        spectrum.ResolutionHz = static_cast<double>(p.U4(at + 260));
        spectrum.CenterHz = static_cast<double>(p.U4(at + 264));
        spectrum.PgaGainDb = static_cast<int>(p.U1(at + 268));
    }
    d.Spectra = std::move(spectra);
}

constexpr UbxField kMonRf[] = {{0, T::U1, "version"}, {1, T::U1, "nBlocks"}};
constexpr UbxField kMonRfBlock[] = {
    {0, T::U1, "blockId"},  {1, T::X1, "flags"},      {2, T::U1, "antStatus"},
    {3, T::U1, "antPower"}, {4, T::X4, "postStatus"}, {12, T::U2, "noisePerMS"},
    {14, T::U2, "agcCnt"},  {16, T::U1, "jamInd"},    {17, T::I1, "ofsI"},
    {18, T::U1, "magI"},    {19, T::I1, "ofsQ"},      {20, T::U1, "magQ"},
};

void MonRf(const UbxPayload& p, Decoded& d) {
    std::vector<RfBlockStatus> blocks;
    blocks.reserve((p.Bytes().size() - 4) / 24);
    for (std::size_t at = 4; at + 24 <= p.Bytes().size(); at += 24) {
        RfBlockStatus& block = blocks.emplace_back();
        block.Block = static_cast<int>(p.U1(at));
        block.Jamming = JammingOf(p.U1(at + 1));
        block.Antenna = AntennaOf(p.U1(at + 2));
        block.Power = PowerOf(p.U1(at + 3));
        block.NoisePerMs = static_cast<int>(p.U2(at + 12));
        block.AgcCount = static_cast<int>(p.U2(at + 14));
        block.JammingIndicator = static_cast<int>(p.U1(at + 16));
    }
    d.RfBlocks = std::move(blocks);
}

constexpr UbxField kMonHw[] = {
    {0, T::X4, "pinSel"},    {4, T::X4, "pinBank"},     {8, T::X4, "pinDir"},
    {12, T::X4, "pinVal"},   {16, T::U2, "noisePerMS"}, {18, T::U2, "agcCnt"},
    {20, T::U1, "aStatus"},  {21, T::U1, "aPower"},     {22, T::X1, "flags"},
    {24, T::X4, "usedMask"}, {45, T::U1, "jamInd"},     {48, T::X4, "pinIrq"},
    {52, T::X4, "pullH"},    {56, T::X4, "pullL"},
};
// The u-blox 6 form, with eight more virtual pins.
constexpr UbxField kMonHw6[] = {
    {0, T::X4, "pinSel"},    {4, T::X4, "pinBank"},     {8, T::X4, "pinDir"},
    {12, T::X4, "pinVal"},   {16, T::U2, "noisePerMS"}, {18, T::U2, "agcCnt"},
    {20, T::U1, "aStatus"},  {21, T::U1, "aPower"},     {22, T::X1, "flags"},
    {24, T::X4, "usedMask"}, {53, T::U1, "jamInd"},     {56, T::X4, "pinIrq"},
    {60, T::X4, "pullH"},    {64, T::X4, "pullL"},
};

// MON-HW: the single front end, its jamming state in bits 2 and 3 of flags.
void MonHwAt(const UbxPayload& p, std::size_t jamIndOffset, Decoded& d) {
    RfBlockStatus block;
    block.NoisePerMs = static_cast<int>(p.U2(16));
    block.AgcCount = static_cast<int>(p.U2(18));
    block.Antenna = AntennaOf(p.U1(20));
    block.Power = PowerOf(p.U1(21));
    block.Jamming = JammingOf(p.U1(22) >> 2);
    block.JammingIndicator = static_cast<int>(p.U1(jamIndOffset));
    d.RfBlocks = std::vector<RfBlockStatus>{block};
}
void MonHw(const UbxPayload& p, Decoded& d) {
    MonHwAt(p, 45, d);
}
void MonHw6(const UbxPayload& p, Decoded& d) {
    MonHwAt(p, 53, d);
}

constexpr UbxField kMonComms[] = {
    {0, T::U1, "version"},   {1, T::U1, "nPorts"},    {2, T::X1, "txErrors"},
    {4, T::U1, "protIds 1"}, {5, T::U1, "protIds 2"}, {6, T::U1, "protIds 3"},
    {7, T::U1, "protIds 4"},
};
constexpr UbxField kMonCommsBlock[] = {
    {0, T::X2, "portId"},
    {2, T::U2, "txPending", 1, "B"},
    {4, T::U4, "txBytes", 1, "B"},
    {8, T::U1, "txUsage", 1, "%"},
    {9, T::U1, "txPeakUsage", 1, "%"},
    {10, T::U2, "rxPending", 1, "B"},
    {12, T::U4, "rxBytes", 1, "B"},
    {16, T::U1, "rxUsage", 1, "%"},
    {17, T::U1, "rxPeakUsage", 1, "%"},
    {18, T::U2, "overrunErrs"},
    {20, T::U2, "msgs 1"},
    {22, T::U2, "msgs 2"},
    {24, T::U2, "msgs 3"},
    {26, T::U2, "msgs 4"},
    {36, T::U4, "skipped", 1, "B"},
};

void MonComms(const UbxPayload& p, Decoded& d) {
    CommsReport report;
    const std::int64_t errors = p.U1(2);
    report.TxMemoryError = (errors & 0x01) != 0;
    report.TxBufferFull = (errors & 0x02) != 0;
    for (std::size_t k = 0; k < 4; ++k)
        report.ProtocolIds[k] = static_cast<int>(p.U1(4 + k));
    report.Ports.reserve((p.Bytes().size() - 8) / 40);
    for (std::size_t at = 8; at + 40 <= p.Bytes().size(); at += 40) {
        PortTraffic& port = report.Ports.emplace_back();
        port.PortId = static_cast<int>(p.U2(at));
        port.TxPendingBytes = static_cast<int>(p.U2(at + 2));
        port.TxBytes = static_cast<std::uint32_t>(p.U4(at + 4));
        port.TxUsagePercent = static_cast<int>(p.U1(at + 8));
        port.TxPeakUsagePercent = static_cast<int>(p.U1(at + 9));
        port.RxPendingBytes = static_cast<int>(p.U2(at + 10));
        port.RxBytes = static_cast<std::uint32_t>(p.U4(at + 12));
        port.RxUsagePercent = static_cast<int>(p.U1(at + 16));
        port.RxPeakUsagePercent = static_cast<int>(p.U1(at + 17));
        port.Overruns = static_cast<int>(p.U2(at + 18));
        for (std::size_t k = 0; k < 4; ++k)
            port.Messages[k] = static_cast<int>(p.U2(at + 20 + 2 * k));
        port.SkippedBytes = static_cast<std::uint32_t>(p.U4(at + 36));
    }
    d.Comms = std::move(report);
}

constexpr UbxField kMonSys[] = {
    {0, T::U1, "msgVer"},
    {1, T::U1, "bootType"},
    {2, T::U1, "cpuLoad", 1, "%"},
    {3, T::U1, "cpuLoadMax", 1, "%"},
    {4, T::U1, "memUsage", 1, "%"},
    {5, T::U1, "memUsageMax", 1, "%"},
    {6, T::U1, "ioUsage", 1, "%"},
    {7, T::U1, "ioUsageMax", 1, "%"},
    {8, T::U4, "runTime", 1, "s"},
    {12, T::U2, "noticeCount"},
    {14, T::U2, "warnCount"},
    {16, T::U2, "errorCount"},
    {18, T::I1, "tempValue", 1, "degC"},
};

void MonSys(const UbxPayload& p, Decoded& d) {
    SystemLoad load;
    load.CpuPercent = static_cast<int>(p.U1(2));
    load.CpuPeakPercent = static_cast<int>(p.U1(3));
    load.MemoryPercent = static_cast<int>(p.U1(4));
    load.MemoryPeakPercent = static_cast<int>(p.U1(5));
    load.IoPercent = static_cast<int>(p.U1(6));
    load.IoPeakPercent = static_cast<int>(p.U1(7));
    load.RunTimeS = static_cast<std::uint32_t>(p.U4(8));
    load.Notices = static_cast<int>(p.U2(12));
    load.Warnings = static_cast<int>(p.U2(14));
    load.Errors = static_cast<int>(p.U2(16));
    load.TemperatureC = static_cast<int>(p.I1(18));
    d.System = load;
}

constexpr UbxField kNavSig[] = {
    {0, T::U4, "iTOW", 1, "ms"}, {4, T::U1, "version"}, {5, T::U1, "numSigs"}};
constexpr UbxField kNavSigBlock[] = {
    {0, T::U1, "gnssId"},
    {1, T::U1, "svId"},
    {2, T::U1, "sigId"},
    {3, T::U1, "freqId"},
    {4, T::I2, "prRes", 0.1, "m", 1},
    {6, T::U1, "cno", 1, "dBHz"},
    {7, T::U1, "qualityInd"},
    {8, T::U1, "corrSource"},
    {9, T::U1, "ionoModel"},
    {10, T::X2, "sigFlags"},
};

// sigFlags: health in bits 0-1 (1 healthy, 2 unhealthy), prUsed bit 3,
// the corrections of pseudorange, carrier and Doppler used bits 6 to 8.
void NavSig(const UbxPayload& p, Decoded& d) {
    std::vector<SignalInView> signals;
    signals.reserve((p.Bytes().size() - 8) / 16);
    for (std::size_t at = 8; at + 16 <= p.Bytes().size(); at += 16) {
        const int gnssId = static_cast<int>(p.U1(at));
        const int sigId = static_cast<int>(p.U1(at + 2));
        const SatelliteId id = GnssIdSatellite(gnssId, static_cast<int>(p.U1(at + 1)));
        const SignalKind kind = SignalOf(gnssId, sigId);
        SignalInView& signal = signals.emplace_back();
        signal.System = id.System;
        signal.Number = id.Number;
        signal.SignalId = sigId;
        signal.Name = kind.Name;
        signal.Band = kind.Band;
        signal.Cn0DbHz = static_cast<int>(p.U1(at + 6));
        signal.Quality = static_cast<int>(p.U1(at + 7));
        const std::int64_t flags = p.U2(at + 10);
        signal.Used = (flags & 0x08) != 0;
        if (const std::int64_t health = flags & 0x03; health == 1 || health == 2)
            signal.Healthy = health == 1;
        signal.CorrectionsUsed = (flags & 0x1C0) != 0;
    }
    d.Signals = std::move(signals);
}

constexpr UbxLayout kHealthLayouts[] = {
    {kMon, 0x31, 4, kMonSpan, kSpanBlock, kMonSpanBlock, "RF block", 1, MonSpan, 0, 0},
    {kMon, 0x38, 4, kMonRf, 24, kMonRfBlock, "RF block", 1, MonRf, 0, 0},
    {kMon, 0x09, 60, kMonHw, 0, {}, "", -1, MonHw},
    {kMon, 0x09, 68, kMonHw6, 0, {}, "", -1, MonHw6},
    {kMon, 0x36, 8, kMonComms, 40, kMonCommsBlock, "port", 1, MonComms, 0, 0},
    {kMon, 0x39, 24, kMonSys, 0, {}, "", -1, MonSys, 0, 1},
    {kNav, 0x43, 8, kNavSig, 16, kNavSigBlock, "signal", 5, NavSig, 4, 0},
};

} // namespace

std::span<const UbxLayout> UbxHealthLayouts() {
    return kHealthLayouts;
}

} // namespace protocol
