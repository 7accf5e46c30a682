#pragma once
// UBX frames the receiver sends: the navigation messages of an epoch with
// its position and satellites (the time and ECEF ones have files of their
// own), the CFG-ANT answer to a poll, and the ACK-ACK / ACK-NAK that acknowledge a
// received UBX message. Each is returned as the bytes of one complete frame.
// Navigation messages carry GPS time (time of week in ms), the calendar
// fields of NAV-PVT UTC.

#include "tools/receiver-sim/NavigationModel.h"

#include <cstdint>
#include <string>

// Fix types and the time accuracy the navigation messages report.
inline constexpr std::uint8_t kUbxFix3D = 0x03;
inline constexpr std::uint8_t kUbxNoFix = 0x00;
inline constexpr std::uint32_t kUbxTimeAccuracyNs = 25;

inline constexpr std::uint8_t kUbxClassNav = 0x01;
inline constexpr std::uint8_t kUbxClassAck = 0x05;
inline constexpr std::uint8_t kUbxClassCfg = 0x06;
inline constexpr std::uint8_t kUbxClassMon = 0x0A;
inline constexpr std::uint8_t kUbxIdNavPosllh = 0x02;
inline constexpr std::uint8_t kUbxIdNavStatus = 0x03;
inline constexpr std::uint8_t kUbxIdNavDop = 0x04;
inline constexpr std::uint8_t kUbxIdNavPvt = 0x07;
inline constexpr std::uint8_t kUbxIdNavSat = 0x35;
inline constexpr std::uint8_t kUbxIdNavSvinfo = 0x30;
inline constexpr std::uint8_t kUbxIdAckNak = 0x00;
inline constexpr std::uint8_t kUbxIdAckAck = 0x01;
inline constexpr std::uint8_t kUbxIdCfgAnt = 0x13;

struct AntennaSettings {
    std::uint16_t flags = 0x001B; // supply control, short and open detection, auto recovery
    std::uint16_t pins = 0x8251;
    friend bool operator==(const AntennaSettings&, const AntennaSettings&) = default;
};

// A frame of the given class and id around the payload bytes.
std::string UbxFrame(std::uint8_t ubxClass, std::uint8_t id, std::string_view payload);

// Little-endian field writers for payloads.
void PutUnsigned(std::string& payload, std::uint32_t value, int bytes);
void PutSigned(std::string& payload, double value, int bytes = 4); // rounded

// The epoch's GPS time of week in milliseconds, every navigation message's iTOW.
std::uint32_t EpochTimeOfWeekMs(const NavigationSolution& solution);

// Signal quality: code and carrier locked for a satellite in use, code locked
// for one merely heard, searching otherwise.
std::uint32_t SignalQuality(const SatelliteView& sat);

std::string NavPosllhFrame(const NavigationSolution& solution);
std::string NavStatusFrame(const NavigationSolution& solution);
std::string NavDopFrame(const NavigationSolution& solution);
std::string NavPvtFrame(const NavigationSolution& solution);
std::string NavSatFrame(const NavigationSolution& solution);
// The older satellite message, one channel per satellite in view, numbered
// in u-blox's single range for all constellations.
std::string NavSvinfoFrame(const NavigationSolution& solution);
std::string CfgAntFrame(const AntennaSettings& antenna);
std::string AckFrame(bool acknowledged, std::uint8_t ackedClass, std::uint8_t ackedId);
