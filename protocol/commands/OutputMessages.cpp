#include "protocol/commands/OutputMessages.h"

#include <array>
#include <stdexcept>
#include <string>

namespace {
constexpr std::array<TOutputMessage, 33> kMessages = {{
    {"GGA", 0xF0, 0x00},        {"GLL", 0xF0, 0x01},         {"GSA", 0xF0, 0x02},
    {"GSV", 0xF0, 0x03},        {"RMC", 0xF0, 0x04},         {"VTG", 0xF0, 0x05},
    {"GRS", 0xF0, 0x06},        {"GST", 0xF0, 0x07},         {"ZDA", 0xF0, 0x08},
    {"GBS", 0xF0, 0x09},        {"DTM", 0xF0, 0x0A},         {"GNS", 0xF0, 0x0D},
    {"VLW", 0xF0, 0x0F},        {"PUBX,00", 0xF1, 0x00},     {"PUBX,03", 0xF1, 0x03},
    {"PUBX,04", 0xF1, 0x04},    {"NAV-POSLLH", 0x01, 0x02},  {"NAV-STATUS", 0x01, 0x03},
    {"NAV-DOP", 0x01, 0x04},    {"NAV-SOL", 0x01, 0x06},     {"NAV-PVT", 0x01, 0x07},
    {"NAV-VELNED", 0x01, 0x12}, {"NAV-TIMEGPS", 0x01, 0x20}, {"NAV-TIMEUTC", 0x01, 0x21},
    {"NAV-CLOCK", 0x01, 0x22},  {"NAV-SVINFO", 0x01, 0x30},  {"NAV-SAT", 0x01, 0x35},
    {"NAV-SIG", 0x01, 0x43},    {"MON-HW", 0x0A, 0x09},      {"MON-SPAN", 0x0A, 0x31},
    {"MON-RF", 0x0A, 0x38},     {"MON-COMMS", 0x0A, 0x36},   {"MON-SYS", 0x0A, 0x39},
}};
} // namespace

std::span<const TOutputMessage> OutputMessages() {
    return kMessages;
}

const TOutputMessage& OutputMessage(std::string_view name) {
    for (const TOutputMessage& message : kMessages)
        if (message.Name == name)
            return message;
    throw std::out_of_range("No output message " + std::string(name));
}
