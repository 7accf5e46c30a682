#include "protocol/commands/ConfigValues.h"

#include "protocol/commands/UbxCommands.h"
#include "protocol/configkeys/ConfigValueText.h"

#include <algorithm>
#include <string>

namespace ubx {
namespace {

constexpr std::uint8_t kSetLayers = kLayerRam | kLayerBbr | kLayerFlash;
constexpr std::uint8_t kDeleteLayers = kLayerBbr | kLayerFlash;
constexpr std::size_t kHeaderSize = 4; // version, layer(s), position or transaction + reserved

void AppendLittle(TPayload& payload, std::uint64_t value, std::size_t bytes) {
    for (std::size_t index = 0; index < bytes; ++index)
        payload.push_back(static_cast<std::uint8_t>(value >> (8 * index)));
}

void CheckCount(const char* message, std::size_t count) {
    if (count > kMaxConfigKeysPerMessage)
        throw EConfigError(std::string(message) + " carries at most " +
                           std::to_string(kMaxConfigKeysPerMessage) + " keys, not " +
                           std::to_string(count));
}

void CheckLayers(const char* message, std::uint8_t layers, std::uint8_t allowed) {
    if (layers == 0 || (layers & ~allowed) != 0)
        throw EConfigError(std::string(message) +
                           (allowed == kSetLayers ? " writes to RAM, BBR or flash"
                                                  : " deletes from BBR or flash") +
                           ": choose at least one of them and no other layer");
}

std::size_t CheckedSize(std::uint32_t key) {
    const std::size_t bytes = ConfigKeySize(key);
    if (bytes == 0)
        throw EConfigError(ConfigKeyText(key) + " gives no value size in its size bits");
    return bytes;
}

TPayload Header(std::uint8_t version, std::uint8_t layers, TConfigTransaction transaction) {
    return {version, layers, static_cast<std::uint8_t>(transaction), 0};
}

TUBXPacket ValSet(std::uint8_t version, std::uint8_t layers, TConfigTransaction transaction,
                  std::span<const TConfigValue> values) {
    CheckCount("CFG-VALSET", values.size());
    CheckLayers("CFG-VALSET", layers, kSetLayers);
    TPayload payload = Header(version, layers, transaction);
    for (const TConfigValue& value : values) {
        const std::size_t bytes = CheckedSize(value.key);
        if (bytes < 8 && (value.value >> (8 * bytes)) != 0)
            throw EConfigError(ConfigKeyText(value.key) + " holds " + std::to_string(bytes) +
                               (bytes == 1 ? " byte" : " bytes") + ", too few for the value " +
                               std::to_string(value.value));
        AppendLittle(payload, value.key, 4);
        AppendLittle(payload, value.value, bytes);
    }
    return MakeUbxPacket(kClassCfg, kIdCfgValSet, std::move(payload));
}

TUBXPacket ValDel(std::uint8_t version, std::uint8_t layers, TConfigTransaction transaction,
                  std::span<const std::uint32_t> keys) {
    CheckCount("CFG-VALDEL", keys.size());
    CheckLayers("CFG-VALDEL", layers, kDeleteLayers);
    TPayload payload = Header(version, layers, transaction);
    for (const std::uint32_t key : keys)
        AppendLittle(payload, key, 4);
    return MakeUbxPacket(kClassCfg, kIdCfgValDel, std::move(payload));
}

// One message when everything fits, else one transaction over as many
// messages as it takes.
template <typename Item, typename Encode>
std::vector<TUBXPacket> Split(std::span<const Item> items, Encode encode) {
    if (items.size() <= kMaxConfigKeysPerMessage)
        return {encode(0, TConfigTransaction::None, items)};
    std::vector<TUBXPacket> messages;
    for (std::size_t first = 0; first < items.size(); first += kMaxConfigKeysPerMessage) {
        const std::size_t count = std::min(kMaxConfigKeysPerMessage, items.size() - first);
        const TConfigTransaction step = first == 0 ? TConfigTransaction::Start
                                        : first + count == items.size()
                                            ? TConfigTransaction::Apply
                                            : TConfigTransaction::Continue;
        messages.push_back(encode(1, step, items.subspan(first, count)));
    }
    return messages;
}

std::uint64_t LittleAt(std::span<const std::uint8_t> bytes) {
    std::uint64_t value = 0;
    for (std::size_t index = bytes.size(); index-- > 0;)
        value = value << 8 | bytes[index];
    return value;
}

// Keys each followed by its value, to the end; none when cut short or a key
// gives no value size.
std::optional<std::vector<TConfigValue>> ReadValues(std::span<const std::uint8_t> pairs) {
    std::vector<TConfigValue> values;
    for (std::size_t offset = 0; offset < pairs.size();) {
        if (pairs.size() - offset < 4)
            return std::nullopt;
        const auto key = static_cast<std::uint32_t>(LittleAt(pairs.subspan(offset, 4)));
        const std::size_t bytes = ConfigKeySize(key);
        offset += 4;
        if (bytes == 0 || pairs.size() - offset < bytes)
            return std::nullopt;
        values.push_back({key, LittleAt(pairs.subspan(offset, bytes))});
        offset += bytes;
    }
    return values;
}

} // namespace

TUBXPacket CfgValGetPoll(TConfigLayer layer, std::span<const std::uint32_t> keys,
                         std::uint16_t position) {
    CheckCount("CFG-VALGET", keys.size());
    TPayload payload = {0, static_cast<std::uint8_t>(layer)};
    AppendLittle(payload, position, 2);
    for (const std::uint32_t key : keys)
        AppendLittle(payload, key, 4);
    return MakeUbxPacket(kClassCfg, kIdCfgValGet, std::move(payload));
}

TUBXPacket CfgValSet(std::uint8_t layers, std::span<const TConfigValue> values) {
    return ValSet(0, layers, TConfigTransaction::None, values);
}

TUBXPacket CfgValSet(std::uint8_t layers, TConfigTransaction transaction,
                     std::span<const TConfigValue> values) {
    return ValSet(1, layers, transaction, values);
}

TUBXPacket CfgValDel(std::uint8_t layers, std::span<const std::uint32_t> keys) {
    return ValDel(0, layers, TConfigTransaction::None, keys);
}

TUBXPacket CfgValDel(std::uint8_t layers, TConfigTransaction transaction,
                     std::span<const std::uint32_t> keys) {
    return ValDel(1, layers, transaction, keys);
}

std::vector<TUBXPacket> CfgValSetMessages(std::uint8_t layers,
                                          std::span<const TConfigValue> values) {
    return Split(values, [layers](std::uint8_t version, TConfigTransaction step,
                                  std::span<const TConfigValue> part) {
        return ValSet(version, layers, step, part);
    });
}

std::vector<TUBXPacket> CfgValDelMessages(std::uint8_t layers,
                                          std::span<const std::uint32_t> keys) {
    return Split(keys, [layers](std::uint8_t version, TConfigTransaction step,
                                std::span<const std::uint32_t> part) {
        return ValDel(version, layers, step, part);
    });
}

TUBXPacket CfgValGetAnswer(const TCfgValGetAnswer& answer) {
    CheckCount("CFG-VALGET", answer.values.size());
    TPayload payload = {1, static_cast<std::uint8_t>(answer.layer)};
    AppendLittle(payload, answer.position, 2);
    for (const TConfigValue& value : answer.values) {
        AppendLittle(payload, value.key, 4);
        AppendLittle(payload, value.value, CheckedSize(value.key));
    }
    return MakeUbxPacket(kClassCfg, kIdCfgValGet, std::move(payload));
}

std::optional<TCfgValGetAnswer> ReadCfgValGet(std::span<const std::uint8_t> payload) {
    constexpr std::uint8_t kAnswerVersion = 1;
    if (payload.size() < kHeaderSize || payload[0] != kAnswerVersion)
        return std::nullopt;
    auto values = ReadValues(payload.subspan(kHeaderSize));
    if (!values)
        return std::nullopt;
    return TCfgValGetAnswer{static_cast<TConfigLayer>(payload[1]),
                            static_cast<std::uint16_t>(LittleAt(payload.subspan(2, 2))),
                            std::move(*values)};
}

std::optional<TCfgValSetContent> ReadCfgValSet(std::span<const std::uint8_t> payload) {
    if (payload.size() < kHeaderSize || payload[0] > 1)
        return std::nullopt;
    auto values = ReadValues(payload.subspan(kHeaderSize));
    if (!values)
        return std::nullopt;
    return TCfgValSetContent{payload[1], static_cast<TConfigTransaction>(payload[2]),
                             std::move(*values)};
}

} // namespace ubx
