#pragma once
// Configuration files of KEY=value lines, as the user reads and edits them:
// each key by its name ("CFG-RATE-MEAS"), or by its ID ("0x10520005") when
// the key table lacks it, and its value as ConfigValueText writes it
// ("1000 ms", "AUTOMOT", "ERROR|WARNING"). Lines starting with "#" are
// comments: a header says which receiver, layer and time the values came
// from, and each key's description may stand above it.

#include "protocol/commands/ConfigValues.h"

#include <span>
#include <string>
#include <string_view>

namespace ubx {

struct TValueFileHeader {
    std::string receiver;      // "ZED-F9P, FWVER=HPG 1.32"; left out when empty
    std::string layer;         // "RAM"
    std::string saved;         // "2026-12-08 05:20 UTC"
    bool onlyChanged = false;  // the values are those that differ from the defaults
    bool descriptions = false; // each key's description as a comment above it
};

std::string WriteValueFile(const TValueFileHeader& header, std::span<const TConfigValue> values);

// The key and raw value of one KEY=value line. Throws EConfigError saying
// what is wrong: "unknown key FOO", "CFG-RATE-MEAS=abc: CFG-RATE-MEAS takes
// a number ...".
TConfigValue ReadValueLine(std::string_view line);

} // namespace ubx
