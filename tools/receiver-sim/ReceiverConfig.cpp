#include "tools/receiver-sim/ReceiverConfig.h"

#include <algorithm>

namespace {
constexpr std::uint32_t kUartMode = 0x08C0;
constexpr std::uint32_t kI2cMode = 0x0084; // address 0x42
constexpr std::uint32_t kSpiMode = 0x0100;
constexpr std::uint32_t kUart2Baud = 9600;
// The UBX messages the simulator interleaves with the NMEA output when asked to.
constexpr std::string_view kInterleavedUbx[] = {"NAV-POSLLH", "NAV-PVT", "NAV-STATUS", "NAV-DOP",
                                                "NAV-SAT"};
} // namespace

ReceiverConfig DefaultConfig(std::uint32_t lineBaud, bool ubx, bool positionEachEpoch) {
    ReceiverConfig config;
    config.ports[0].mode = kI2cMode;
    config.ports[1].mode = kUartMode;
    config.ports[1].baudRate = lineBaud;
    config.ports[2].mode = kUartMode;
    config.ports[2].baudRate = kUart2Baud;
    config.ports[4].mode = kSpiMode;
    for (size_t k = 0; k < kOutputMessageCount; ++k) {
        const OutputMessage& message = kOutputMessages[k];
        bool on = false;
        if (message.ubxClass == kNmeaStandardClass)
            on = true;
        else if (std::ranges::find(kInterleavedUbx, message.name) != std::end(kInterleavedUbx))
            on = ubx;
        else if (message.name == "PUBX,00")
            on = positionEachEpoch;
        config.rates[k].fill(0);
        config.rates[k][kLinePort] = on ? 1 : 0;
    }
    return config;
}

void CopySections(const ReceiverConfig& from, ReceiverConfig& to, std::uint32_t mask) {
    if (mask & kSectionPorts)
        to.ports = from.ports;
    if (mask & kSectionMessages)
        to.rates = from.rates;
    if (mask & kSectionNavigation) {
        to.measurementPeriodMs = from.measurementPeriodMs;
        to.navigationRate = from.navigationRate;
        to.timeReference = from.timeReference;
    }
    if (mask & kSectionAntenna)
        to.antenna = from.antenna;
}
