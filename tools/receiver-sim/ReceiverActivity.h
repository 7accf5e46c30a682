#pragma once
// The receiver's own account of its work, as MON-COMMS and MON-SYS report it:
// the bytes and messages through its line (UART1), how much of the line the
// messages it is asked to send need, and the load that puts on it. Peaks are
// the highest reported since it started.

#include "tools/receiver-sim/RfConditions.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

inline constexpr std::uint8_t kUbxIdMonComms = 0x36;
inline constexpr std::uint8_t kUbxIdMonSys = 0x39;
// Their frames' bytes: header, payload (MON-COMMS of one port), checksum.
inline constexpr std::size_t kMonCommsFrameBytes = 6 + 8 + 40 + 2;
inline constexpr std::size_t kMonSysFrameBytes = 6 + 24 + 2;

// The output asked of the line against what the line carries.
struct LineDemand {
    double bytesPerSecond = 0; // of the messages enabled, at their rates
    std::uint32_t baud = 9600; // ten bits a byte
    double epochSeconds = 1;
    // The share of the line the messages need, up to 100 %.
    int UsagePercent() const;
    bool Overflows() const { return bytesPerSecond > baud / 10.0; }
};

class ReceiverActivity {
public:
    void Sent(std::size_t bytes) { txBytes_ += static_cast<std::uint32_t>(bytes); }
    void Received(std::size_t bytes) { rxBytes_ += static_cast<std::uint32_t>(bytes); }
    void TookUbx() { ++ubxMessages_; }
    void TookNmea() { ++nmeaMessages_; }

    std::string MonCommsFrame(const LineDemand& demand);
    std::string MonSysFrame(const LineDemand& demand, std::uint32_t runTimeS, int messagesEnabled,
                            const RfConditions& rf);

private:
    std::uint32_t txBytes_ = 0, rxBytes_ = 0;
    std::uint16_t ubxMessages_ = 0, nmeaMessages_ = 0;
    int txPeak_ = 0, cpuPeak_ = 0, ioPeak_ = 0;
};
