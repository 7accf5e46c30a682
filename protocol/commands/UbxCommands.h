#pragma once
// The configuration commands the monitor sends to a u-blox receiver, built
// field by field in the receiver's little-endian layouts: port settings
// (CFG-PRT), navigation rate (CFG-RATE), message rates (CFG-MSG), saving and
// restoring the configuration (CFG-CFG), restarts (CFG-RST) and the firmware
// version poll (MON-VER). The answers that carry settings (CFG-PRT, CFG-RATE,
// CFG-MSG, MON-VER) are read back into the same records, so a task can poll
// a value, change one field and send the rest back as polled.

#include "protocol/UbxFrame.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ubx {

inline constexpr std::uint8_t kClassAck = 0x05;
inline constexpr std::uint8_t kClassCfg = 0x06;
inline constexpr std::uint8_t kClassMon = 0x0A;
inline constexpr std::uint8_t kIdAckNak = 0x00;
inline constexpr std::uint8_t kIdAckAck = 0x01;
inline constexpr std::uint8_t kIdCfgPrt = 0x00;
inline constexpr std::uint8_t kIdCfgMsg = 0x01;
inline constexpr std::uint8_t kIdCfgRst = 0x04;
inline constexpr std::uint8_t kIdCfgRate = 0x08;
inline constexpr std::uint8_t kIdCfgCfg = 0x09;
inline constexpr std::uint8_t kIdMonVer = 0x04;

// CFG-PRT of a UART port (20 bytes). Fields the monitor does not change are
// kept as polled so that sending the record back alters only what was meant.
struct TCfgPrt {
    std::uint8_t portId = 1; // 1 = UART1, 2 = UART2
    std::uint16_t txReady = 0;
    std::uint32_t mode = 0x000008C0; // 8 data bits, no parity, 1 stop bit
    std::uint32_t baudRate = 9600;
    std::uint16_t inProtoMask = 0x0007;  // UBX, NMEA, RTCM
    std::uint16_t outProtoMask = 0x0003; // UBX, NMEA
    std::uint16_t flags = 0;
};

// CFG-RATE (6 bytes): measurement period in ms, measurements per navigation
// solution, and the time the measurements align to (0 UTC, 1 GPS).
struct TCfgRate {
    std::uint16_t measRateMs = 1000;
    std::uint16_t navRate = 1;
    std::uint16_t timeRef = 1;
};

// Output ports of CFG-MSG's per-port rates, in the receiver's order.
inline constexpr std::array<const char*, 6> kMsgRatePorts = {"I2C", "UART1", "UART2",
                                                             "USB", "SPI",   "Port 5"};

// CFG-MSG (8 bytes): the output rate of one message on each port, in
// navigation solutions per message (0 = off).
struct TCfgMsg {
    std::uint8_t msgClass = 0;
    std::uint8_t msgId = 0;
    std::array<std::uint8_t, 6> rates{};
};

// CFG-CFG masks: which configuration sections the action applies to (all
// of them here) and on which storage devices.
enum class TCfgAction { Save, Load, Default };
inline constexpr std::uint8_t kDevBbr = 0x01;
inline constexpr std::uint8_t kDevFlash = 0x02;
inline constexpr std::uint8_t kDevEeprom = 0x04;
inline constexpr std::uint8_t kDevSpiFlash = 0x10;
inline constexpr std::uint8_t kAllDevices = kDevBbr | kDevFlash | kDevEeprom | kDevSpiFlash;

// CFG-RST start kinds: how much of the navigation data is kept.
enum class TStartKind { Hot, Warm, Cold };

// MON-VER: software and hardware versions and any extension strings.
struct TMonVer {
    std::string software;
    std::string hardware;
    std::vector<std::string> extensions;
};

TUBXPacket CfgPrtPoll(); // the port the poll arrives on
TUBXPacket CfgPrtPoll(std::uint8_t portId);
TUBXPacket CfgPrtSet(const TCfgPrt& settings);
TUBXPacket CfgRatePoll();
TUBXPacket CfgRateSet(const TCfgRate& rate);
TUBXPacket CfgMsgPoll(std::uint8_t msgClass, std::uint8_t msgId);
TUBXPacket CfgMsgSet(const TCfgMsg& rates);
// The message's rate on the port the command arrives on alone.
TUBXPacket CfgMsgSetOnLine(std::uint8_t msgClass, std::uint8_t msgId, std::uint8_t rate);
TUBXPacket CfgCfg(TCfgAction action, std::uint8_t deviceMask = kAllDevices);
TUBXPacket CfgRst(TStartKind kind);
TUBXPacket MonVerPoll();

// Answers read back; none when the payload has not the record's length.
std::optional<TCfgPrt> ReadCfgPrt(std::span<const std::uint8_t> payload);
std::optional<TCfgRate> ReadCfgRate(std::span<const std::uint8_t> payload);
std::optional<TCfgMsg> ReadCfgMsg(std::span<const std::uint8_t> payload);
std::optional<TMonVer> ReadMonVer(std::span<const std::uint8_t> payload);

} // namespace ubx
