#pragma once
// UBX frames the receiver sends: navigation messages it may interleave with
// its NMEA output, the CFG-ANT answer to a poll, and the ACK-ACK / ACK-NAK
// that acknowledge a received UBX message. Each is returned as the bytes of
// one complete frame.

#include "tools/receiver-sim/NavigationModel.h"

#include <cstdint>
#include <string>

inline constexpr std::uint8_t kUbxClassNav = 0x01;
inline constexpr std::uint8_t kUbxClassAck = 0x05;
inline constexpr std::uint8_t kUbxClassCfg = 0x06;
inline constexpr std::uint8_t kUbxIdNavPosllh = 0x02;
inline constexpr std::uint8_t kUbxIdNavStatus = 0x03;
inline constexpr std::uint8_t kUbxIdAckNak = 0x00;
inline constexpr std::uint8_t kUbxIdAckAck = 0x01;
inline constexpr std::uint8_t kUbxIdCfgAnt = 0x13;

struct AntennaSettings {
    std::uint16_t flags = 0x001B; // supply control, short and open detection, auto recovery
    std::uint16_t pins = 0x8251;
    friend bool operator==(const AntennaSettings&, const AntennaSettings&) = default;
};

std::string NavPosllhFrame(const NavigationSolution& solution);
std::string NavStatusFrame(const NavigationSolution& solution, std::uint32_t millisSinceStart);
std::string CfgAntFrame(const AntennaSettings& antenna);
std::string AckFrame(bool acknowledged, std::uint8_t ackedClass, std::uint8_t ackedId);
