#pragma once
// The receiver's configuration as the CFG messages see it: the settings of
// its five ports, each output message's rate per port, the navigation rate
// and the antenna settings. The receiver keeps three copies: the defaults,
// the permanent one that CFG-CFG saves and loads, and the one in force.

#include "tools/receiver-sim/OutputMessages.h"
#include "tools/receiver-sim/UbxOutput.h"

#include <array>
#include <chrono>
#include <cstdint>

inline constexpr std::uint16_t kProtocolUbx = 0x01;
inline constexpr std::uint16_t kProtocolNmea = 0x02;
inline constexpr std::uint16_t kProtocolRtcm3 = 0x20;

struct PortConfig {
    std::uint16_t txReady = 0;
    std::uint32_t mode = 0;     // UART: 0x8C0 is 8 data bits, no parity, 1 stop bit
    std::uint32_t baudRate = 0; // UART ports only
    std::uint16_t inProtoMask = 0x07;
    std::uint16_t outProtoMask = kProtocolUbx | kProtocolNmea;
    std::uint16_t flags = 0;
    friend bool operator==(const PortConfig&, const PortConfig&) = default;
};

// Ports by UBX port id: I2C, UART1, UART2, USB, SPI. The simulated line is UART1.
inline constexpr int kPortCount = 5;
inline constexpr int kLinePort = 1;
// CFG-MSG carries a rate for six ports, the last one reserved.
inline constexpr int kRatePorts = 6;

using MessageRates = std::array<std::uint8_t, kRatePorts>;

struct ReceiverConfig {
    std::array<PortConfig, kPortCount> ports{};
    std::array<MessageRates, kOutputMessageCount> rates{}; // by kOutputMessages index
    std::uint16_t measurementPeriodMs = 1000;
    std::uint16_t navigationRate = 1; // measurements per navigation solution
    std::uint16_t timeReference = 1;  // 0 UTC, 1 GPS
    AntennaSettings antenna;
    // Base station mode (the CFG-TMODE keys): surveying its position in or
    // not a base station; how long and how accurately it surveys.
    std::uint8_t timeMode = 0; // 0 disabled, 1 survey-in
    std::uint32_t surveyMinDurationS = 60;
    std::uint32_t surveyAccuracyLimit = 20000; // 0.1 mm

    std::chrono::milliseconds EpochPeriod() const {
        return std::chrono::milliseconds(measurementPeriodMs * navigationRate);
    }
    const PortConfig& Line() const { return ports[kLinePort]; }
};

// What the receiver takes: UART rates from 4800 to 921600 baud, a measurement
// period of 25 ms or more, 1 to 127 measurements per navigation solution, and
// time references UTC, GPS, GLONASS, BeiDou and Galileo (0 to 4).
inline constexpr std::uint32_t kLowestBaud = 4800;
inline constexpr std::uint32_t kHighestBaud = 921600;
inline constexpr std::uint32_t kShortestPeriodMs = 25;
inline constexpr std::uint32_t kMostMeasurementsPerSolution = 127;
inline constexpr std::uint32_t kLastTimeReference = 4;
inline constexpr std::uint8_t kTimeModeDisabled = 0;
inline constexpr std::uint8_t kTimeModeSurveyIn = 1;

// The factory settings of a receiver whose UART1 runs at lineBaud, sending
// the standard NMEA messages, and NAV-POSLLH, NAV-PVT, NAV-STATUS, NAV-DOP
// and NAV-SAT when ubx is set; its other UBX messages wait for CFG-MSG.
ReceiverConfig DefaultConfig(std::uint32_t lineBaud, bool ubx, bool positionEachEpoch);

// Configuration sections of CFG-CFG's masks.
inline constexpr std::uint32_t kSectionPorts = 0x0001;
inline constexpr std::uint32_t kSectionMessages = 0x0002;
inline constexpr std::uint32_t kSectionNavigation = 0x0008;
inline constexpr std::uint32_t kSectionAntenna = 0x0400;

// Copies the sections named in mask from one configuration to another.
void CopySections(const ReceiverConfig& from, ReceiverConfig& to, std::uint32_t mask);
