#pragma once
// Values of configuration keys as the user reads and types them: integers
// scaled and with their unit ("1000 ms", "-12.3456789 deg"), flags as "true"
// or "false", floating point in its shortest exact form, enumerations by
// name ("AUTOMOT"), bit fields by their bit names ("ERROR|WARNING", "none").
// A key the table does not hold is named by its ID ("0x10520005") and its
// value shown and taken as a raw hexadecimal number, so nothing the receiver
// sends is dropped.
//
// A raw value holds the value's bytes as they travel, little-endian in the
// low bytes of the integer; bytes beyond the key's size are ignored.

#include "protocol/configkeys/ConfigKeys.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace ubx {

std::string FormatConfigValue(const TConfigKey& key, std::uint64_t raw);

// The raw value of the text, which may end in the key's unit. Throws
// EConfigError naming the key when the text is no value of it: a bad word,
// a number out of the type's range or between two steps of its scale.
std::uint64_t ParseConfigValue(const TConfigKey& key, std::string_view text);

// The same by key ID, for keys the table may not hold.
std::string ConfigKeyText(std::uint32_t id);
std::string FormatConfigValue(std::uint32_t id, std::uint64_t raw);
std::uint64_t ParseConfigValue(std::uint32_t id, std::string_view text);

} // namespace ubx
