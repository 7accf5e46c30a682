#include "protocol/commands/UbxCommands.h"

#include <algorithm>

namespace ubx {
namespace {

// Appends little-endian fields to a payload.
class PayloadWriter {
public:
    PayloadWriter& U1(std::uint8_t value) {
        bytes_.push_back(value);
        return *this;
    }
    PayloadWriter& U2(std::uint16_t value) { return Little(value, 2); }
    PayloadWriter& U4(std::uint32_t value) { return Little(value, 4); }
    TPayload Take() { return std::move(bytes_); }

private:
    PayloadWriter& Little(std::uint32_t value, int size) {
        for (int index = 0; index < size; ++index)
            bytes_.push_back(static_cast<std::uint8_t>(value >> (8 * index)));
        return *this;
    }
    TPayload bytes_;
};

// Reads little-endian fields at fixed offsets of a payload whose length the
// caller has checked.
std::uint16_t U2At(std::span<const std::uint8_t> payload, std::size_t offset) {
    return static_cast<std::uint16_t>(payload[offset] | payload[offset + 1] << 8);
}
std::uint32_t U4At(std::span<const std::uint8_t> payload, std::size_t offset) {
    return U2At(payload, offset) | std::uint32_t{U2At(payload, offset + 2)} << 16;
}

// A fixed-size text field: up to its first NUL.
std::string TextField(std::span<const std::uint8_t> field) {
    const auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
    return std::string(field.begin(), end);
}

constexpr std::size_t kCfgPrtSize = 20;
constexpr std::size_t kCfgRateSize = 6;
constexpr std::size_t kCfgMsgSize = 8;
constexpr std::size_t kMonVerSoftware = 30;
constexpr std::size_t kMonVerHardware = 10;
constexpr std::size_t kMonVerExtension = 30;
constexpr std::uint32_t kAllSections = 0x0000FFFF;

} // namespace

TUBXPacket CfgPrtPoll() {
    return MakeUbxPacket(kClassCfg, kIdCfgPrt);
}

TUBXPacket CfgPrtPoll(std::uint8_t portId) {
    return MakeUbxPacket(kClassCfg, kIdCfgPrt, {portId});
}

TUBXPacket CfgPrtSet(const TCfgPrt& settings) {
    PayloadWriter payload;
    payload.U1(settings.portId).U1(0).U2(settings.txReady).U4(settings.mode);
    payload.U4(settings.baudRate).U2(settings.inProtoMask).U2(settings.outProtoMask);
    payload.U2(settings.flags).U2(0);
    return MakeUbxPacket(kClassCfg, kIdCfgPrt, payload.Take());
}

TUBXPacket CfgRatePoll() {
    return MakeUbxPacket(kClassCfg, kIdCfgRate);
}

TUBXPacket CfgRateSet(const TCfgRate& rate) {
    PayloadWriter payload;
    payload.U2(rate.measRateMs).U2(rate.navRate).U2(rate.timeRef);
    return MakeUbxPacket(kClassCfg, kIdCfgRate, payload.Take());
}

TUBXPacket CfgMsgPoll(std::uint8_t msgClass, std::uint8_t msgId) {
    return MakeUbxPacket(kClassCfg, kIdCfgMsg, {msgClass, msgId});
}

TUBXPacket CfgMsgSet(const TCfgMsg& rates) {
    TPayload payload = {rates.msgClass, rates.msgId};
    payload.insert(payload.end(), rates.rates.begin(), rates.rates.end());
    return MakeUbxPacket(kClassCfg, kIdCfgMsg, std::move(payload));
}

TUBXPacket CfgMsgSetOnLine(std::uint8_t msgClass, std::uint8_t msgId, std::uint8_t rate) {
    return MakeUbxPacket(kClassCfg, kIdCfgMsg, {msgClass, msgId, rate});
}

TUBXPacket CfgCfg(TCfgAction action, std::uint8_t deviceMask) {
    const bool save = action == TCfgAction::Save;
    const bool clear = action == TCfgAction::Default;
    // Reverting to defaults clears the stored sections and then loads them,
    // which makes the defaults current too.
    PayloadWriter payload;
    payload.U4(clear ? kAllSections : 0);
    payload.U4(save ? kAllSections : 0);
    payload.U4(save ? 0 : kAllSections);
    payload.U1(deviceMask);
    return MakeUbxPacket(kClassCfg, kIdCfgCfg, payload.Take());
}

TUBXPacket CfgRst(TStartKind kind) {
    // Navigation data kept: all (hot), all but the ephemerides (warm), none (cold).
    const std::uint16_t clearedData = kind == TStartKind::Hot    ? 0x0000
                                      : kind == TStartKind::Warm ? 0x0001
                                                                 : 0xFFFF;
    constexpr std::uint8_t kControlledGnssRestart = 0x02;
    PayloadWriter payload;
    payload.U2(clearedData).U1(kControlledGnssRestart).U1(0);
    return MakeUbxPacket(kClassCfg, kIdCfgRst, payload.Take());
}

TUBXPacket MonVerPoll() {
    return MakeUbxPacket(kClassMon, kIdMonVer);
}

std::optional<TCfgPrt> ReadCfgPrt(std::span<const std::uint8_t> payload) {
    if (payload.size() != kCfgPrtSize)
        return std::nullopt;
    return TCfgPrt{payload[0],        U2At(payload, 2),  U4At(payload, 4), U4At(payload, 8),
                   U2At(payload, 12), U2At(payload, 14), U2At(payload, 16)};
}

std::optional<TCfgRate> ReadCfgRate(std::span<const std::uint8_t> payload) {
    if (payload.size() != kCfgRateSize)
        return std::nullopt;
    return TCfgRate{U2At(payload, 0), U2At(payload, 2), U2At(payload, 4)};
}

std::optional<TCfgMsg> ReadCfgMsg(std::span<const std::uint8_t> payload) {
    if (payload.size() != kCfgMsgSize)
        return std::nullopt;
    TCfgMsg rates{payload[0], payload[1], {}};
    std::copy(payload.begin() + 2, payload.end(), rates.rates.begin());
    return rates;
}

std::optional<TMonVer> ReadMonVer(std::span<const std::uint8_t> payload) {
    const std::size_t fixed = kMonVerSoftware + kMonVerHardware;
    if (payload.size() < fixed || (payload.size() - fixed) % kMonVerExtension != 0)
        return std::nullopt;
    TMonVer version{TextField(payload.first(kMonVerSoftware)),
                    TextField(payload.subspan(kMonVerSoftware, kMonVerHardware)),
                    {}};
    for (std::size_t offset = fixed; offset < payload.size(); offset += kMonVerExtension)
        version.extensions.push_back(TextField(payload.subspan(offset, kMonVerExtension)));
    return version;
}

} // namespace ubx
