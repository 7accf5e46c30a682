#pragma once
// The messages the receiver can send each epoch, in the order it sends them,
// each with the class and id that CFG-MSG names it by: UBX navigation
// messages, the standard NMEA sentences (class F0), the PUBX messages
// (class F1), the receiver's health (MON) and, for a base station, its
// survey-in (NAV-SVIN) and RTCM 3 output (class F5, by the type's low byte).
// The UBX frames sit between the
// NMEA sentences so that a monitor meets a mixed stream. A message some
// generations lack names the generations that send it. RXM-RTCM goes out
// for each RTCM message taken in, not each epoch: its rate only turns it on.

#include "tools/receiver-sim/NavigationModel.h"
#include "tools/receiver-sim/NmeaOutput.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class OutputProtocol { Ubx, Nmea, Rtcm3 };

struct OutputMessage {
    std::string_view name; // "GGA", "PUBX,00", "NAV-PVT"
    std::uint8_t ubxClass;
    std::uint8_t id;
    int firstGeneration = 8, lastGeneration = 10;
    bool SentBy(int generation) const {
        return generation >= firstGeneration && generation <= lastGeneration;
    }
    OutputProtocol protocol() const {
        if (ubxClass == 0xF5)
            return OutputProtocol::Rtcm3;
        return ubxClass >= 0xF0 ? OutputProtocol::Nmea : OutputProtocol::Ubx;
    }
};

inline constexpr std::uint8_t kNmeaStandardClass = 0xF0;
inline constexpr std::uint8_t kPubxClass = 0xF1;
inline constexpr std::uint8_t kRtcm3Class = 0xF5;

inline constexpr OutputMessage kOutputMessages[] = {
    {"NAV-POSLLH", 0x01, 0x02},    {"NAV-PVT", 0x01, 0x07},    {"NAV-POSECEF", 0x01, 0x01},
    {"RMC", 0xF0, 0x04},           {"VTG", 0xF0, 0x05},        {"GGA", 0xF0, 0x00},
    {"NAV-STATUS", 0x01, 0x03},    {"NAV-SOL", 0x01, 0x06},    {"NAV-VELECEF", 0x01, 0x11},
    {"GSA", 0xF0, 0x02},           {"NAV-DOP", 0x01, 0x04},    {"NAV-TIMEGPS", 0x01, 0x20},
    {"NAV-TIMEUTC", 0x01, 0x21},   {"NAV-CLOCK", 0x01, 0x22},  {"NAV-TIMELS", 0x01, 0x26},
    {"GSV", 0xF0, 0x03},           {"NAV-SVINFO", 0x01, 0x30}, {"NAV-SAT", 0x01, 0x35},
    {"GLL", 0xF0, 0x01},           {"ZDA", 0xF0, 0x08},        {"PUBX,00", 0xF1, 0x00},
    {"PUBX,03", 0xF1, 0x03},       {"PUBX,04", 0xF1, 0x04},    {"NAV-SIG", 0x01, 0x43, 9, 10},
    {"MON-SPAN", 0x0A, 0x31},      {"MON-RF", 0x0A, 0x38},     {"MON-HW", 0x0A, 0x09, 8, 9},
    {"MON-COMMS", 0x0A, 0x36},     {"MON-SYS", 0x0A, 0x39},    {"NAV-SVIN", 0x01, 0x3B},
    {"RTCM 1005", 0xF5, 0x05},     {"RTCM 1074", 0xF5, 0x4A},  {"RTCM 1084", 0xF5, 0x54},
    {"RTCM 1094", 0xF5, 0x5E},     {"RTCM 1124", 0xF5, 0x7C},  {"RTCM 1230", 0xF5, 0xE6},
    {"NAV-RELPOSNED", 0x01, 0x3C}, {"RXM-RTCM", 0x02, 0x32},   {"NAV-EOE", 0x01, 0x61}};
inline constexpr size_t kOutputMessageCount = std::size(kOutputMessages);

// Index into kOutputMessages, by name or by class and id.
std::optional<size_t> FindOutputMessage(std::string_view name);
std::optional<size_t> FindOutputMessage(std::uint8_t ubxClass, std::uint8_t id);

// The sentences or frame of the message for the solution; none for the
// health and base station messages, which the receiver builds from more than
// the solution.
std::vector<std::string> BuildOutputMessage(const OutputMessage& message,
                                            const NavigationSolution& solution,
                                            NmeaDialect dialect);
