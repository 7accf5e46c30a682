#include "protocol/configfiles/ValueFile.h"

#include "protocol/configfiles/Blanks.h"
#include "protocol/configkeys/ConfigValueText.h"

#include <charconv>

namespace ubx {
namespace {

// A key by name, or by an ID whose size and reserved bits make it a key.
std::uint32_t KeyOf(std::string_view text) {
    if (const TConfigKey* key = FindConfigKey(text))
        return key->id;
    std::uint32_t id = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        const char* const end = text.data() + text.size();
        const auto [stop, error] = std::from_chars(text.data() + 2, end, id, 16);
        if (error == std::errc() && stop == end) {
            if (ConfigKeySize(id) == 0 || !ConfigKeyReservedBitsClear(id))
                throw EConfigError(std::string(text) +
                                   " is no key ID: its size or reserved bits are wrong");
            return id;
        }
    }
    throw EConfigError("unknown key " + std::string(text));
}

} // namespace

std::string WriteValueFile(const TValueFileHeader& header, std::span<const TConfigValue> values) {
    std::string text = "# Receiver configuration saved by ZEPO Monitor\n";
    if (!header.receiver.empty())
        text += "# Receiver: " + header.receiver + "\n";
    text += "# Layer: " + header.layer + "\n";
    text += "# Saved: " + header.saved + "\n";
    if (header.onlyChanged)
        text += "# Only the values that differ from the receiver's defaults\n";
    text += "\n";
    for (const TConfigValue& value : values) {
        const TConfigKey* key = FindConfigKey(value.key);
        if (header.descriptions && key && !key->description.empty())
            text +=
                (&value == values.data() ? "# " : "\n# ") + std::string(key->description) + "\n";
        text += ConfigKeyText(value.key) + "=" + FormatConfigValue(value.key, value.value) + "\n";
    }
    return text;
}

TConfigValue ReadValueLine(std::string_view line) {
    const std::size_t equals = line.find('=');
    const std::string_view name = TrimBlanks(line.substr(0, equals));
    if (name.empty())
        throw EConfigError("no key before \"=\"");
    const std::uint32_t id = KeyOf(name);
    try {
        return {id, ParseConfigValue(id, TrimBlanks(line.substr(equals + 1)))};
    } catch (const EConfigError& error) {
        throw EConfigError(std::string(TrimBlanks(line)) + ": " + error.what());
    }
}

} // namespace ubx
