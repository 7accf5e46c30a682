#pragma once
// The configuration keys of generation 9+ receivers (CFG-VALGET, CFG-VALSET,
// CFG-VALDEL): name, ID, type, scale, unit, enumeration values or bit names
// and a short description of each. The table is kept in config_keys.csv and
// turned into C++ at build time (GenerateConfigKeyTable.cpp), which refuses a
// key whose ID disagrees with its type.

#include "protocol/configkeys/ConfigType.h"

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string_view>

namespace ubx {

// A request the configuration keys cannot serve: a value that is no value
// of its key, a message that cannot carry what was asked. The text says
// what is wrong in the user's terms.
class EConfigError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An enumeration value, or a named bit of a bit field (value = bit number).
struct TConfigName {
    std::uint64_t value;
    std::string_view name;
};

// The value a raw integer stands for: raw × base^exponent, exponent <= 0.
struct TConfigScale {
    std::uint8_t base = 10;
    std::int8_t exponent = 0;
};

struct TConfigKey {
    std::uint32_t id;
    std::string_view name;  // "CFG-RATE-MEAS"
    std::string_view group; // "RATE"
    TConfigType type;
    TConfigScale scale;
    std::string_view unit;              // empty when the value has none
    std::span<const TConfigName> names; // enumeration values or bit names
    std::string_view description;
};

struct TConfigGroup {
    std::string_view name;
    std::span<const TConfigKey> keys;
};

// Every key, group after group in the table's order.
std::span<const TConfigKey> ConfigKeys();
std::span<const TConfigGroup> ConfigGroups();

// None for a key the table does not hold. Names are matched ignoring case.
const TConfigKey* FindConfigKey(std::uint32_t id);
const TConfigKey* FindConfigKey(std::string_view name);

} // namespace ubx
