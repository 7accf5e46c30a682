#pragma once
// The configuration database of a generation 9+ receiver, in its layers:
// Default holds a value for every key of the key table, BBR and Flash hold
// the keys stored in them, and RAM is the configuration in force. RAM is
// built from Default, overlaid by Flash, then by BBR. Of RAM, the keys that
// act (BoundConfigKeys.h) live in the receiver's configuration, the others
// here.

#include "protocol/commands/ConfigValues.h"
#include "tools/receiver-sim/ReceiverConfig.h"

#include <cstdint>
#include <map>
#include <optional>

class ConfigDatabase {
public:
    // factory: the configuration the receiver starts with, whose bound keys
    // give their Default values; every other key defaults to 0, false or its
    // first enumeration value.
    explicit ConfigDatabase(const ReceiverConfig& factory);

    // None for a key the layer does not hold.
    std::optional<std::uint64_t> Get(ubx::TConfigLayer layer, std::uint32_t key,
                                     const ReceiverConfig& inForce) const;
    // Writes a key into the layers of the mask (ubx::kLayerRam, kLayerBbr,
    // kLayerFlash); false, changing nothing, when RAM refuses the value.
    bool Set(std::uint8_t layers, std::uint32_t key, std::uint64_t value, ReceiverConfig& inForce);
    void Delete(std::uint8_t layers, std::uint32_t key);

    // Every RAM value stored into the layers of the mask (BBR, Flash).
    void Save(std::uint8_t layers, const ReceiverConfig& inForce);
    // The layers of the mask emptied.
    void Clear(std::uint8_t layers);
    // RAM rebuilt from Default, Flash and BBR.
    void Load(ReceiverConfig& inForce);

private:
    std::map<std::uint32_t, std::uint64_t>* Stored(std::uint8_t layer);

    std::map<std::uint32_t, std::uint64_t> defaults_, ram_, bbr_, flash_;
};
