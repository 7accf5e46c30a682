#pragma once
// The UBX configuration and monitor messages the receiver answers polls
// with: CFG-PRT, CFG-MSG, CFG-RATE and MON-VER, laid out field by field as
// the u-blox protocol lays them out; and the reading of little-endian fields
// from the payloads of the commands it takes.

#include "tools/receiver-sim/ReceiverConfig.h"
#include "tools/receiver-sim/ReceiverIdentity.h"

#include <cstdint>
#include <string>
#include <string_view>

inline constexpr std::uint8_t kUbxIdCfgPrt = 0x00;
inline constexpr std::uint8_t kUbxIdCfgMsg = 0x01;
inline constexpr std::uint8_t kUbxIdCfgRst = 0x04;
inline constexpr std::uint8_t kUbxIdCfgRate = 0x08;
inline constexpr std::uint8_t kUbxIdCfgCfg = 0x09;
inline constexpr std::uint8_t kUbxIdMonVer = 0x04;

inline constexpr size_t kCfgPrtLength = 20;
inline constexpr size_t kCfgRateLength = 6;

std::string CfgPrtFrame(int portId, const PortConfig& port);
std::string CfgMsgFrame(std::uint8_t ubxClass, std::uint8_t id, const MessageRates& rates);
std::string CfgRateFrame(const ReceiverConfig& config);
std::string MonVerFrame(const ReceiverIdentity& identity);

// The little-endian unsigned field of `bytes` bytes at `at`.
std::uint32_t Unsigned(std::string_view payload, size_t at, int bytes);
