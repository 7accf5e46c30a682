#include "protocol/commands/HexBytes.h"

#include "protocol/HexDigit.h"

#include <string>

namespace {

bool IsSeparator(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',';
}

std::string_view WithoutPrefix(std::string_view group) {
    if (group.size() >= 2 && group[0] == '0' && (group[1] == 'x' || group[1] == 'X'))
        group.remove_prefix(2);
    return group;
}

// The digits of a group, or an error naming the first character that is none.
std::string_view CheckedDigits(std::string_view group) {
    const std::string_view digits = WithoutPrefix(group);
    if (digits.empty() && !group.empty())
        throw EHexBytesError("\"" + std::string(group) + "\" has no hex digits after its 0x.");
    for (char c : digits)
        if (HexDigitValue(c) < 0)
            throw EHexBytesError("\"" + std::string(group) + "\" is not hexadecimal: \"" +
                                 std::string(1, c) + "\" is no hex digit.");
    return digits;
}

} // namespace

std::vector<std::uint8_t> ParseHexBytes(std::string_view text, std::size_t maxBytes) {
    std::vector<std::uint8_t> bytes;
    std::size_t position = 0;
    while (position < text.size()) {
        if (IsSeparator(text[position])) {
            ++position;
            continue;
        }
        std::size_t end = position;
        while (end < text.size() && !IsSeparator(text[end]))
            ++end;
        const std::string_view group = text.substr(position, end - position);
        position = end;
        const std::string_view digits = CheckedDigits(group);
        if (digits.size() % 2 != 0)
            throw EHexBytesError("\"" + std::string(group) +
                                 "\" has an odd number of hex digits: write every byte as two "
                                 "digits (\"0A\", not \"A\").");
        if (bytes.size() + digits.size() / 2 > maxBytes)
            throw EHexBytesError("The payload holds more than " + std::to_string(maxBytes) +
                                 " bytes, the most a UBX frame carries.");
        for (std::size_t index = 0; index < digits.size(); index += 2)
            bytes.push_back(static_cast<std::uint8_t>(HexDigitValue(digits[index]) * 16 +
                                                      HexDigitValue(digits[index + 1])));
    }
    return bytes;
}

std::uint8_t ParseHexByte(std::string_view text, std::string_view what) {
    while (!text.empty() && IsSeparator(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSeparator(text.back()))
        text.remove_suffix(1);
    const std::string_view digits = CheckedDigits(text);
    if (digits.empty() || digits.size() > 2)
        throw EHexBytesError("The " + std::string(what) + " is one byte in hex, 00 to FF, not \"" +
                             std::string(text) + "\".");
    int value = 0;
    for (char c : digits)
        value = value * 16 + HexDigitValue(c);
    return static_cast<std::uint8_t>(value);
}
