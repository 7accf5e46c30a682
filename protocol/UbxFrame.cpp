#include "protocol/UbxFrame.h"

#include <limits>

namespace {

template <typename Bytes> TUbxChecksum Fletcher8(const Bytes& covered) {
    TUbxChecksum sum;
    for (auto byte : covered) {
        sum.CK_A = static_cast<std::uint8_t>(sum.CK_A + static_cast<std::uint8_t>(byte));
        sum.CK_B = static_cast<std::uint8_t>(sum.CK_B + sum.CK_A);
    }
    return sum;
}

constexpr std::uint8_t kClassCfg = 0x06;
constexpr std::uint8_t kIdCfgAnt = 0x13;

} // namespace

TUbxChecksum UbxChecksum(std::span<const std::uint8_t> covered) {
    return Fletcher8(covered);
}

TUbxChecksum UbxChecksum(std::string_view covered) {
    return Fletcher8(covered);
}

TUBXPacket MakeUbxPacket(std::uint8_t pkClass, std::uint8_t id, TPayload payload) {
    if (payload.size() > std::numeric_limits<std::uint16_t>::max())
        throw EUbxFrameError("A UBX payload holds at most 65535 bytes, not " +
                             std::to_string(payload.size()) + ".");
    TUBXPacket packet;
    packet.pkClass = pkClass;
    packet.ID = id;
    packet.PayloadLengthLSB = static_cast<std::uint8_t>(payload.size() & 0xFF);
    packet.PayloadLengthMSB = static_cast<std::uint8_t>(payload.size() >> 8);
    packet.PayLoad = std::move(payload);
    return packet;
}

TBufToSend BuildUbxFrame(TUBXPacket packet) {
    const std::size_t n = packet.PayloadLengthLSB | (std::size_t{packet.PayloadLengthMSB} << 8);
    if (n != packet.PayLoad.size())
        throw EUbxFrameError("The UBX length field says " + std::to_string(n) +
                             " bytes but the payload holds " +
                             std::to_string(packet.PayLoad.size()) + ".");
    TBufToSend frame;
    frame.reserve(n + kUbxFrameOverhead);
    frame.push_back(packet.SynchChar1);
    frame.push_back(packet.SynchChar2);
    frame.push_back(packet.pkClass);
    frame.push_back(packet.ID);
    frame.push_back(packet.PayloadLengthLSB);
    frame.push_back(packet.PayloadLengthMSB);
    frame.insert(frame.end(), packet.PayLoad.begin(), packet.PayLoad.end());
    const TUbxChecksum sum = UbxChecksum(std::span<const std::uint8_t>(frame).subspan(2));
    frame.push_back(sum.CK_A);
    frame.push_back(sum.CK_B);
    return frame;
}

TUBXPacket CfgAntPollPacket() {
    return MakeUbxPacket(kClassCfg, kIdCfgAnt);
}

TUBXPacket CfgAntSetPacket() {
    // flags 0x000B, then pins 0x640F, both little-endian
    return MakeUbxPacket(kClassCfg, kIdCfgAnt, {0x0B, 0x00, 0x0F, 0x64});
}

TBufToSend CfgAntPollFrame() {
    return BuildUbxFrame(CfgAntPollPacket());
}

TBufToSend CfgAntSetFrame() {
    return BuildUbxFrame(CfgAntSetPacket());
}
