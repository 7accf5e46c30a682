#pragma once
// The configuration messages of generation 9+ receivers, which read, set
// and delete configuration keys one by one:
// - CFG-VALGET polls up to 64 keys from one layer and is answered by a
//   CFG-VALGET carrying their values (then ACK-ACK), or by ACK-NAK;
// - CFG-VALSET writes up to 64 values into a mask of layers, CFG-VALDEL
//   removes up to 64 keys from the stored layers; both are answered by
//   ACK-ACK or ACK-NAK only. Version 0 applies each message at once;
//   version 1 carries a transaction step, so that more than 64 keys can be
//   set or deleted as one change that is applied with the last message;
//   any other CFG message sent in between cancels the transaction.
// Each value takes the size its key ID gives (ConfigKeyId.h) and travels
// little-endian after its key.

#include "protocol/UbxFrame.h"
#include "protocol/configkeys/ConfigKeys.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace ubx {

inline constexpr std::uint8_t kIdCfgValSet = 0x8A;
inline constexpr std::uint8_t kIdCfgValGet = 0x8B;
inline constexpr std::uint8_t kIdCfgValDel = 0x8C;
inline constexpr std::size_t kMaxConfigKeysPerMessage = 64;

// The layer CFG-VALGET reads from.
enum class TConfigLayer : std::uint8_t { Ram = 0, Bbr = 1, Flash = 2, Default = 7 };

// The layers CFG-VALSET writes to (any of the three) and CFG-VALDEL deletes
// from (BBR and flash only), as a mask.
inline constexpr std::uint8_t kLayerRam = 0x01;
inline constexpr std::uint8_t kLayerBbr = 0x02;
inline constexpr std::uint8_t kLayerFlash = 0x04;

enum class TConfigTransaction : std::uint8_t { None = 0, Start = 1, Continue = 2, Apply = 3 };

// A key and its raw value (ConfigValueText.h).
struct TConfigValue {
    std::uint32_t key = 0;
    std::uint64_t value = 0;
    friend bool operator==(const TConfigValue&, const TConfigValue&) = default;
};

// The encoders throw EConfigError for more than 64 keys, a layer mask
// the message does not take, a key ID without a defined value size, or a
// value wider than its key.

// position: how many of the keys' values the receiver skips, to read the
// rest of an answer that did not fit one message.
TUBXPacket CfgValGetPoll(TConfigLayer layer, std::span<const std::uint32_t> keys,
                         std::uint16_t position = 0);
TUBXPacket CfgValSet(std::uint8_t layers, std::span<const TConfigValue> values);
TUBXPacket CfgValSet(std::uint8_t layers, TConfigTransaction transaction,
                     std::span<const TConfigValue> values);
TUBXPacket CfgValDel(std::uint8_t layers, std::span<const std::uint32_t> keys);
TUBXPacket CfgValDel(std::uint8_t layers, TConfigTransaction transaction,
                     std::span<const std::uint32_t> keys);

// Any number of values or keys as messages of at most 64: one version 0
// message when they fit it, else a transaction that starts with the first
// message, continues and is applied by the last.
std::vector<TUBXPacket> CfgValSetMessages(std::uint8_t layers,
                                          std::span<const TConfigValue> values);
std::vector<TUBXPacket> CfgValDelMessages(std::uint8_t layers, std::span<const std::uint32_t> keys);

// The CFG-VALGET answer: version 1, the layer, the position, then each key
// with its value.
struct TCfgValGetAnswer {
    TConfigLayer layer = TConfigLayer::Ram;
    std::uint16_t position = 0;
    std::vector<TConfigValue> values;
};

// The receiver's side: the answer as a receiver sends it. Throws EConfigError
// as the encoders above do.
TUBXPacket CfgValGetAnswer(const TCfgValGetAnswer& answer);

// None for a payload of another version, or whose key/value pairs are cut
// short or hold a key ID without a defined value size.
std::optional<TCfgValGetAnswer> ReadCfgValGet(std::span<const std::uint8_t> payload);

// What a CFG-VALSET sets, for those who follow what the receiver was told;
// none for a payload cut short.
struct TCfgValSetContent {
    std::uint8_t layers = 0;
    TConfigTransaction transaction = TConfigTransaction::None;
    std::vector<TConfigValue> values;
};
std::optional<TCfgValSetContent> ReadCfgValSet(std::span<const std::uint8_t> payload);

} // namespace ubx
