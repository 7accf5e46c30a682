#include "tools/receiver-sim/ValueCommands.h"

#include "tools/receiver-sim/ConfigFrames.h"
#include "tools/receiver-sim/UbxOutput.h"

#include <utility>

namespace {
constexpr size_t kHeaderLength = 4;
constexpr std::uint32_t kWildcard = 0xFFF;

// The keys a VALGET key ID names, in the table's order; none when it names no key.
std::vector<std::uint32_t> KeysNamed(std::uint32_t id) {
    if ((id & kWildcard) != kWildcard) {
        if (ubx::FindConfigKey(id))
            return {id};
        return {};
    }
    const std::uint32_t group = (id >> 16) & kWildcard;
    std::vector<std::uint32_t> keys;
    for (const ubx::TConfigKey& key : ubx::ConfigKeys())
        if (group == kWildcard || ubx::ConfigKeyGroupId(key.id) == group)
            keys.push_back(key.id);
    return keys;
}

// The key/value pairs (or, for a deletion, keys alone) after the header;
// none when one is cut short, unknown, more than 64, or a switch holds more
// than 0 or 1.
std::optional<std::vector<ubx::TConfigValue>> ReadItems(const std::string& payload, bool values) {
    std::vector<ubx::TConfigValue> items;
    for (size_t at = kHeaderLength; at < payload.size();) {
        if (payload.size() - at < 4)
            return std::nullopt;
        const std::uint32_t key = Unsigned(payload, at, 4);
        at += 4;
        const ubx::TConfigKey* known = ubx::FindConfigKey(key);
        if (!known)
            return std::nullopt;
        ubx::TConfigValue item{key, 0};
        if (values) {
            const size_t bytes = ubx::ConfigKeySize(key);
            if (payload.size() - at < bytes)
                return std::nullopt;
            for (size_t k = bytes; k-- > 0;)
                item.value = item.value << 8 | static_cast<unsigned char>(payload[at + k]);
            at += bytes;
            if (known->type == ubx::TConfigType::L && item.value > 1)
                return std::nullopt;
        }
        items.push_back(item);
    }
    if (items.size() > ubx::kMaxConfigKeysPerMessage)
        return std::nullopt;
    return items;
}
} // namespace

bool ValueCommands::TakeGet(const std::string& payload, const ConfigDatabase& database,
                            const ReceiverConfig& inForce,
                            std::vector<std::string>& answers) const {
    if (payload.size() < kHeaderLength || (payload.size() - kHeaderLength) % 4 != 0 ||
        payload[0] != 0 || (payload.size() - kHeaderLength) / 4 > ubx::kMaxConfigKeysPerMessage)
        return false;
    const auto layer = static_cast<ubx::TConfigLayer>(payload[1]);
    if (layer != ubx::TConfigLayer::Ram && layer != ubx::TConfigLayer::Bbr &&
        layer != ubx::TConfigLayer::Flash && layer != ubx::TConfigLayer::Default)
        return false;
    ubx::TCfgValGetAnswer answer{layer, static_cast<std::uint16_t>(Unsigned(payload, 2, 2)), {}};
    size_t skip = answer.position;
    for (size_t at = kHeaderLength; at < payload.size(); at += 4) {
        const std::vector<std::uint32_t> keys = KeysNamed(Unsigned(payload, at, 4));
        if (keys.empty())
            return false;
        for (std::uint32_t key : keys) {
            const std::optional<std::uint64_t> value = database.Get(layer, key, inForce);
            if (!value || answer.values.size() == ubx::kMaxConfigKeysPerMessage)
                continue;
            if (skip > 0)
                --skip;
            else
                answer.values.push_back({key, *value});
        }
    }
    if (answer.values.empty())
        return false;
    const TPayload bytes = ubx::CfgValGetAnswer(answer).PayLoad;
    answers.push_back(
        UbxFrame(kUbxClassCfg, ubx::kIdCfgValGet, std::string(bytes.begin(), bytes.end())));
    return true;
}

bool ValueCommands::TakeChange(std::uint8_t id, const std::string& payload,
                               ConfigDatabase& database, ReceiverConfig& inForce) {
    const bool set = id == ubx::kIdCfgValSet;
    const std::uint8_t allowed = set ? ubx::kLayerRam | ubx::kLayerBbr | ubx::kLayerFlash
                                     : ubx::kLayerBbr | ubx::kLayerFlash;
    if (payload.size() < kHeaderLength) {
        Interrupt(0);
        return false;
    }
    const auto version = static_cast<std::uint8_t>(payload[0]);
    const auto layers = static_cast<std::uint8_t>(payload[1]);
    const auto step = static_cast<ubx::TConfigTransaction>(
        version == 1 ? static_cast<std::uint8_t>(payload[2]) : 0);
    const bool continues =
        step == ubx::TConfigTransaction::Continue || step == ubx::TConfigTransaction::Apply;
    const auto items = ReadItems(payload, set);
    const bool valid = items && version <= 1 && layers != 0 && (layers & ~allowed) == 0 &&
                       step <= ubx::TConfigTransaction::Apply && (!continues || transaction_ == id);
    if (!valid || !continues)
        pending_.clear();
    transaction_.reset();
    if (!valid)
        return false;
    pending_.push_back({layers, *items});
    if (step == ubx::TConfigTransaction::Start || step == ubx::TConfigTransaction::Continue) {
        transaction_ = id;
        return true;
    }
    // All or nothing: the changes are made on copies, kept only if every one was taken.
    ConfigDatabase changedDatabase = database;
    ReceiverConfig changedConfig = inForce;
    const std::vector<Change> changes = std::exchange(pending_, {});
    for (const Change& change : changes)
        for (const ubx::TConfigValue& item : change.values) {
            if (!set)
                changedDatabase.Delete(change.layers, item.key);
            else if (!changedDatabase.Set(change.layers, item.key, item.value, changedConfig))
                return false;
        }
    database = std::move(changedDatabase);
    inForce = changedConfig;
    return true;
}

void ValueCommands::Interrupt(std::uint8_t id) {
    if (transaction_ && *transaction_ != id) {
        transaction_.reset();
        pending_.clear();
    }
}
