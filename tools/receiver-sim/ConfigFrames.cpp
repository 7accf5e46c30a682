#include "tools/receiver-sim/ConfigFrames.h"

#include <algorithm>

namespace {
constexpr size_t kSoftwareField = 30;
constexpr size_t kHardwareField = 10;
constexpr size_t kExtensionField = 30;

// A NUL-padded character field of a fixed width.
void PutText(std::string& payload, std::string_view text, size_t width) {
    payload += text.substr(0, width - 1);
    payload.append(width - std::min(text.size(), width - 1), '\0');
}
} // namespace

std::string CfgPrtFrame(int portId, const PortConfig& port) {
    std::string payload;
    payload.push_back(static_cast<char>(portId));
    payload.push_back(0);
    PutUnsigned(payload, port.txReady, 2);
    PutUnsigned(payload, port.mode, 4);
    PutUnsigned(payload, port.baudRate, 4);
    PutUnsigned(payload, port.inProtoMask, 2);
    PutUnsigned(payload, port.outProtoMask, 2);
    PutUnsigned(payload, port.flags, 2);
    PutUnsigned(payload, 0, 2);
    return UbxFrame(kUbxClassCfg, kUbxIdCfgPrt, payload);
}

std::string CfgMsgFrame(std::uint8_t ubxClass, std::uint8_t id, const MessageRates& rates) {
    std::string payload{static_cast<char>(ubxClass), static_cast<char>(id)};
    for (std::uint8_t rate : rates)
        payload.push_back(static_cast<char>(rate));
    return UbxFrame(kUbxClassCfg, kUbxIdCfgMsg, payload);
}

std::string CfgRateFrame(const ReceiverConfig& config) {
    std::string payload;
    PutUnsigned(payload, config.measurementPeriodMs, 2);
    PutUnsigned(payload, config.navigationRate, 2);
    PutUnsigned(payload, config.timeReference, 2);
    return UbxFrame(kUbxClassCfg, kUbxIdCfgRate, payload);
}

std::string MonVerFrame(const ReceiverIdentity& identity) {
    std::string payload;
    PutText(payload, identity.softwareVersion, kSoftwareField);
    PutText(payload, identity.hardwareVersion, kHardwareField);
    for (std::string_view extension : identity.extensions)
        PutText(payload, extension, kExtensionField);
    return UbxFrame(kUbxClassMon, kUbxIdMonVer, payload);
}

std::uint32_t Unsigned(std::string_view payload, size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int k = bytes - 1; k >= 0; --k)
        value = value << 8 | static_cast<unsigned char>(payload[at + static_cast<size_t>(k)]);
    return value;
}
