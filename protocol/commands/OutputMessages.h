#pragma once
// The receiver's output messages whose rate CFG-MSG sets: the NMEA
// sentences (class 0xF0), the PUBX messages (class 0xF1) and the UBX
// navigation and monitoring messages, listed as the Configure page offers
// them.

#include <cstdint>
#include <span>
#include <string_view>

struct TOutputMessage {
    std::string_view Name; // "GGA", "PUBX,00", "NAV-PVT"
    std::uint8_t Class;
    std::uint8_t Id;
};

std::span<const TOutputMessage> OutputMessages();
// The message of that name; throws std::out_of_range for a name not listed.
const TOutputMessage& OutputMessage(std::string_view name);
