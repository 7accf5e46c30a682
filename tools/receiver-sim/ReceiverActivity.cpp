#include "tools/receiver-sim/ReceiverActivity.h"

#include "tools/receiver-sim/UbxOutput.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr std::uint8_t kMonCommsVersion = 0;
constexpr std::uint8_t kMonSysVersion = 1;
constexpr std::uint16_t kLinePortId = 0x0100;            // UART1
constexpr std::uint8_t kProtocolIds[] = {0, 1, 5, 0xFF}; // UBX, NMEA, RTCM3, none
constexpr std::uint8_t kTxBufferFull = 0x02;             // txErrors alloc
constexpr double kTxBufferBytes = 4096;
constexpr int kIdleCpuPercent = 12;
constexpr int kCpuPercentPerMessage = 2;
constexpr int kMemoryPercent = 31, kMemoryPeakPercent = 34;
constexpr std::int8_t kTemperatureC = 38;

void PutPercent(std::string& payload, int percent) {
    PutUnsigned(payload, static_cast<std::uint32_t>(std::clamp(percent, 0, 100)), 1);
}
} // namespace

int LineDemand::UsagePercent() const {
    return std::min(100, static_cast<int>(std::lround(100 * bytesPerSecond / (baud / 10.0))));
}

// UART1 alone: what waits to go out once the messages outgrow the line, up to
// the transmit buffer's size, which then reports itself full.
std::string ReceiverActivity::MonCommsFrame(const LineDemand& demand) {
    const int usage = demand.UsagePercent();
    txPeak_ = std::max(txPeak_, usage);
    const double excess = std::max(0.0, demand.bytesPerSecond - demand.baud / 10.0);
    std::string payload;
    PutUnsigned(payload, kMonCommsVersion, 1);
    PutUnsigned(payload, 1, 1);
    PutUnsigned(payload, demand.Overflows() ? kTxBufferFull : 0, 1);
    PutUnsigned(payload, 0, 1);
    for (const std::uint8_t id : kProtocolIds)
        PutUnsigned(payload, id, 1);
    PutUnsigned(payload, kLinePortId, 2);
    PutUnsigned(payload,
                static_cast<std::uint32_t>(std::min(kTxBufferBytes, excess * demand.epochSeconds)),
                2);
    PutUnsigned(payload, txBytes_, 4);
    PutPercent(payload, usage);
    PutPercent(payload, txPeak_);
    PutUnsigned(payload, 0, 2); // rxPending
    PutUnsigned(payload, rxBytes_, 4);
    PutUnsigned(payload, 0, 2); // rxUsage, rxPeakUsage: commands are few
    PutUnsigned(payload, 0, 2); // overruns
    for (const std::uint16_t count :
         {ubxMessages_, nmeaMessages_, std::uint16_t{0}, std::uint16_t{0}})
        PutUnsigned(payload, count, 2);
    PutUnsigned(payload, 0, 8 + 4); // reserved, skipped
    return UbxFrame(kUbxClassMon, kUbxIdMonComms, payload);
}

// Each message enabled costs the processor a little; the I/O load is the
// line's. A jammer counts as a warning, an antenna fault as an error.
std::string ReceiverActivity::MonSysFrame(const LineDemand& demand, std::uint32_t runTimeS,
                                          int messagesEnabled, const RfConditions& rf) {
    const int cpu = std::min(100, kIdleCpuPercent + kCpuPercentPerMessage * messagesEnabled);
    const int io = demand.UsagePercent();
    cpuPeak_ = std::max(cpuPeak_, cpu);
    ioPeak_ = std::max(ioPeak_, io);
    std::string payload;
    PutUnsigned(payload, kMonSysVersion, 1);
    PutUnsigned(payload, 0, 1); // boot type unknown
    for (const int percent : {cpu, cpuPeak_, kMemoryPercent, kMemoryPeakPercent, io, ioPeak_})
        PutPercent(payload, percent);
    PutUnsigned(payload, runTimeS, 4);
    PutUnsigned(payload, 0, 2); // notices
    PutUnsigned(payload, rf.jammerMHz ? 1 : 0, 2);
    PutUnsigned(payload, rf.antenna != AntennaFault::None ? 1 : 0, 2);
    PutSigned(payload, kTemperatureC, 1);
    PutUnsigned(payload, 0, 5);
    return UbxFrame(kUbxClassMon, kUbxIdMonSys, payload);
}
