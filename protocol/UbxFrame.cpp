#include "protocol/UbxFrame.h"

#include <cstring>
#include <limits>

namespace {

// The Fletcher pair eight bytes a step. Over bytes x0..x7, the running sum a
// grows by x0 + ... + x7 and b by 8a + 8x0 + 7x1 + ... + 1x7. Split into
// 16-bit lanes (the even bytes, the odd bytes), one multiplication adds the
// lanes, weighted by a constant's lanes, into the top lane; no lane carries
// into the next (at most 255 * 20 each). The sums wrap modulo 2^64, a
// multiple of 256, so their low bytes stay right for any length.
TUbxChecksum Fletcher8(const unsigned char* bytes, std::size_t size) {
    constexpr std::uint64_t kLanes = 0x00FF00FF00FF00FF;
    constexpr std::uint64_t kOnes = 0x0001000100010001;
    constexpr std::uint64_t kEvenWeights = 0x0008000600040002; // x0 8, x2 6, x4 4, x6 2
    constexpr std::uint64_t kOddWeights = 0x0007000500030001;  // x1 7, x3 5, x5 3, x7 1
    std::uint64_t a = 0, b = 0;
    std::size_t at = 0;
    for (; size - at >= 8; at += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + at, 8);
        const std::uint64_t even = word & kLanes;
        const std::uint64_t odd = (word >> 8) & kLanes;
        b += 8 * a + ((even * kEvenWeights) >> 48) + ((odd * kOddWeights) >> 48);
        a += ((even + odd) * kOnes) >> 48;
    }
    for (; at < size; ++at) {
        a += bytes[at];
        b += a;
    }
    return {static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b)};
}

constexpr std::uint8_t kClassCfg = 0x06;
constexpr std::uint8_t kIdCfgAnt = 0x13;

} // namespace

TUbxChecksum UbxChecksum(std::span<const std::uint8_t> covered) {
    return Fletcher8(covered.data(), covered.size());
}

TUbxChecksum UbxChecksum(std::string_view covered) {
    return Fletcher8(reinterpret_cast<const unsigned char*>(covered.data()), covered.size());
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
