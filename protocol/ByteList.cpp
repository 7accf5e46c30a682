#include "protocol/ByteList.h"

#include <cstdint>
#include <limits>
#include <optional>

namespace {

bool EndsPiece(char c) {
    return c == '#' || c == '\r' || c == '\n';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view piece) {
    while (!piece.empty() && IsBlank(piece.front()))
        piece.remove_prefix(1);
    while (!piece.empty() && IsBlank(piece.back()))
        piece.remove_suffix(1);
    return piece;
}

int DigitValue(char c, int base) {
    int value = base; // not a digit
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    return value < base ? value : -1;
}

// Optional sign, then decimal digits or "$"/"0x" and hexadecimal digits; the
// value must fit a signed 32-bit integer.
std::optional<std::int32_t> ReadInteger(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.starts_with('$')) {
        base = 16;
        text.remove_prefix(1);
    } else if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
        return std::nullopt;
    const std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + negative;
    std::int64_t magnitude = 0;
    for (char c : text) {
        const int digit = DigitValue(c, base);
        if (digit < 0)
            return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

} // namespace

std::string ParseByteList(std::string_view text) {
    std::string bytes;
    while (!text.empty()) {
        std::size_t end = 0;
        while (end < text.size() && !EndsPiece(text[end]))
            ++end;
        const std::string_view piece = Trimmed(text.substr(0, end));
        text.remove_prefix(end < text.size() ? end + 1 : end);
        const auto value = ReadInteger(piece);
        if (!value)
            continue;
        if (*value < 0 || *value > 255)
            throw EByteListError("Byte value " + std::string(piece) + " is out of range 0 to 255.");
        bytes += static_cast<char>(*value);
    }
    return bytes;
}
