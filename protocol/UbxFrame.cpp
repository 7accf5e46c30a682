#include "protocol/UbxFrame.h"

#include <array>
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

constexpr std::array<TUbxVocabularyItem, 8> kClasses = {{
    {"NAV", 0x01, "NAV 01  p.157"},
    {"RXM", 0x02, "RXM 02  p.173"},
    {"INF", 0x04, "INF 04  p.148"},
    {"ACK", 0x05, "ACK 05  p.94"},
    {"CFG", 0x06, "CFG 06  p.107"},
    {"MON", 0x0A, "MON 0A  p.151"},
    {"AID", 0x0B, "AID 0B  p.95"},
    {"TIM", 0x0D, "TIM 0D  p.175"},
}};

constexpr std::array<TUbxVocabularyItem, 17> kCfgIds = {{
    {"ANT", 0x13, "ANT   $13 p.107"},
    {"DAT", 0x06, "DAT   $06 p.110"},
    {"GNSS", 0x3E, "GNSS  $3E p.112"},
    {"INF", 0x02, "INF   $02 p.113"},
    {"ITFM", 0x39, "ITFM  $39 p.115"},
    {"MSG", 0x01, "MSG   $01 p.116"},
    {"NAV5", 0x24, "NAV5  $24 p.117"},
    {"NAVX5", 0x23, "NAVX5 $23 p.119"},
    {"NMEA", 0x17, "NMEA  $17 p.121"},
    {"PM2", 0x3B, "PM2   $3B p.127"},
    {"PRT", 0x00, "PRT   $00 p.129"},
    {"RATE", 0x08, "RATE  $08 p.138"},
    {"RINV", 0x34, "RINV  $34 p.139"},
    {"RXM", 0x11, "RXM   $11 p.141"},
    {"SBAS", 0x16, "SBAS  $16 p.142"},
    {"TPS", 0x31, "TPS   $31 p.144"},
    {"USB", 0x1B, "USB   $1B p.146"},
}};

constexpr std::array<TUbxVocabularyItem, 5> kAidIds = {{
    {"ALM", 0x30, "ALM   $30 p.95"},
    {"DATA", 0x10, "DATA  $10 p.101"},
    {"EPH", 0x31, "EPH   $31 p.101"},
    {"HUI", 0x02, "HUI   $02 p.103"},
    {"INI", 0x01, "INI   $01 p.104"},
}};

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

std::span<const TUbxVocabularyItem> UbxClasses() {
    return kClasses;
}

std::span<const TUbxVocabularyItem> UbxCfgIds() {
    return kCfgIds;
}

std::span<const TUbxVocabularyItem> UbxAidIds() {
    return kAidIds;
}

const TUbxVocabularyItem* FindUbxItem(std::span<const TUbxVocabularyItem> items,
                                      std::string_view text) {
    const auto start = text.find_first_not_of(' ');
    if (start == std::string_view::npos)
        return nullptr;
    text.remove_prefix(start);
    const std::string_view name = text.substr(0, text.find(' '));
    for (const auto& item : items)
        if (item.Name == name)
            return &item;
    return nullptr;
}
