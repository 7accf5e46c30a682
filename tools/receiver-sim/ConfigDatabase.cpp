#include "tools/receiver-sim/ConfigDatabase.h"

#include "tools/receiver-sim/BoundConfigKeys.h"

namespace {
std::uint64_t TableDefault(const ubx::TConfigKey& key) {
    const bool enumeration = ubx::ConfigTypeInfo(key.type).kind == ubx::TConfigKind::Enumeration;
    return enumeration && !key.names.empty() ? key.names.front().value : 0;
}
} // namespace

ConfigDatabase::ConfigDatabase(const ReceiverConfig& factory) {
    for (const ubx::TConfigKey& key : ubx::ConfigKeys()) {
        const std::optional<std::uint64_t> bound = ReadBoundKey(factory, key.id);
        defaults_[key.id] = bound.value_or(TableDefault(key));
        if (!bound)
            ram_[key.id] = defaults_[key.id];
    }
}

std::optional<std::uint64_t> ConfigDatabase::Get(ubx::TConfigLayer layer, std::uint32_t key,
                                                 const ReceiverConfig& inForce) const {
    const std::map<std::uint32_t, std::uint64_t>* values = &defaults_;
    switch (layer) {
    case ubx::TConfigLayer::Ram:
        if (const auto bound = ReadBoundKey(inForce, key))
            return bound;
        values = &ram_;
        break;
    case ubx::TConfigLayer::Bbr:
        values = &bbr_;
        break;
    case ubx::TConfigLayer::Flash:
        values = &flash_;
        break;
    case ubx::TConfigLayer::Default:
        break;
    }
    const auto found = values->find(key);
    return found == values->end() ? std::nullopt : std::optional(found->second);
}

bool ConfigDatabase::Set(std::uint8_t layers, std::uint32_t key, std::uint64_t value,
                         ReceiverConfig& inForce) {
    // A value RAM would refuse is refused for every layer.
    ReceiverConfig changed = inForce;
    const BoundWrite write = WriteBoundKey(changed, key, value);
    if (write == BoundWrite::Refused)
        return false;
    if ((layers & ubx::kLayerRam) && write == BoundWrite::Taken)
        inForce = changed;
    else if (layers & ubx::kLayerRam)
        ram_[key] = value;
    for (std::uint8_t layer : {ubx::kLayerBbr, ubx::kLayerFlash})
        if (layers & layer)
            (*Stored(layer))[key] = value;
    return true;
}

void ConfigDatabase::Delete(std::uint8_t layers, std::uint32_t key) {
    for (std::uint8_t layer : {ubx::kLayerBbr, ubx::kLayerFlash})
        if (layers & layer)
            Stored(layer)->erase(key);
}

void ConfigDatabase::Save(std::uint8_t layers, const ReceiverConfig& inForce) {
    for (const auto& [key, value] : defaults_)
        for (std::uint8_t layer : {ubx::kLayerBbr, ubx::kLayerFlash})
            if (layers & layer)
                (*Stored(layer))[key] = *Get(ubx::TConfigLayer::Ram, key, inForce);
}

void ConfigDatabase::Clear(std::uint8_t layers) {
    for (std::uint8_t layer : {ubx::kLayerBbr, ubx::kLayerFlash})
        if (layers & layer)
            Stored(layer)->clear();
}

void ConfigDatabase::Load(ReceiverConfig& inForce) {
    for (const auto& [key, value] : defaults_) {
        std::uint64_t loaded = value;
        if (const auto stored = flash_.find(key); stored != flash_.end())
            loaded = stored->second;
        if (const auto stored = bbr_.find(key); stored != bbr_.end())
            loaded = stored->second;
        Set(ubx::kLayerRam, key, loaded, inForce);
    }
}

std::map<std::uint32_t, std::uint64_t>* ConfigDatabase::Stored(std::uint8_t layer) {
    return layer == ubx::kLayerBbr ? &bbr_ : &flash_;
}
