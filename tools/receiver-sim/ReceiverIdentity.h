#pragma once
// Who the simulated receiver says it is, in MON-VER and in the TXT banner it
// prints on start-up, by receiver generation: 8 a NEO-M8N with firmware
// SPG 3.01 speaking protocol version 18; 9 a ZED-F9P with HPG 1.32,
// protocol 27.31; 10 a MAX-M10S with SPG 5.10, protocol 34.10.

#include <span>
#include <string_view>

struct ReceiverIdentity {
    std::string_view softwareVersion;
    std::string_view hardwareVersion;
    std::string_view hardwareName; // as the banner's HW line names the chip
    // Firmware, protocol, module and GNSS lines; the banner prints the first two.
    std::span<const std::string_view> extensions;
};

// The generation's identity; generations before 9 are the M8.
const ReceiverIdentity& IdentityOf(int generation);
