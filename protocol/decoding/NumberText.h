#pragma once
// Numbers in received sentence fields. They read exactly what std::from_chars
// reads (the whole text, decimal, no "+" or spaces), to the same value, but
// take the short decimals a receiver sends ("4807.038", "-12", "0.9") without
// the general parser's cost; anything else goes to std::from_chars.

#include <optional>
#include <string_view>

namespace protocol {

bool ReadLongInteger(std::string_view text, int& value); // any length, as ReadInteger

// The whole text as a decimal integer into value; false when it is not one.
// Callers that fill an optional should set it from value rather than copy
// IntegerText's result: a copy of an optional just written stalls the processor.
inline bool ReadInteger(std::string_view text, int& value) {
    // Up to nine digits cannot overflow; fields hold one to three.
    const bool negative = !text.empty() && text.front() == '-';
    const std::size_t digits = text.size() - (negative ? 1 : 0);
    if (digits == 0)
        return false;
    if (digits > 9)
        return ReadLongInteger(text, value);
    int read = 0;
    for (std::size_t i = text.size() - digits; i < text.size(); ++i) {
        const auto digit = static_cast<unsigned>(text[i] - '0');
        if (digit > 9)
            return false;
        read = read * 10 + static_cast<int>(digit);
    }
    value = negative ? -read : read;
    return true;
}

inline std::optional<int> IntegerText(std::string_view text) {
    int value = 0;
    if (!ReadInteger(text, value))
        return std::nullopt;
    return value;
}

// The whole text as a decimal number into value; false when it is not one.
// Finite values only: "inf", "nan" and overflowing texts read as nothing.
bool ReadNumber(std::string_view text, double& value);

// Callers that fill an optional should set it from ReadNumber's value, as
// for IntegerText: an optional returned from a call is put together in memory
// and read back at once, which stalls the processor.
inline std::optional<double> NumberText(std::string_view text) {
    double value = 0;
    if (!ReadNumber(text, value))
        return std::nullopt;
    return value;
}

} // namespace protocol
