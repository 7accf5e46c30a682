#pragma once
// Numbers in received sentence fields. They read exactly what std::from_chars
// reads (the whole text, decimal, no "+" or spaces), to the same value, but
// take the short decimals a receiver sends ("4807.038", "-12", "0.9") without
// the general parser's cost; anything else goes to std::from_chars.

#include <optional>
#include <string_view>

namespace protocol {

bool ReadLongInteger(std::string_view text, int& value); // any length, as ReadInteger

inline unsigned DigitValue(char c) { // above 9 for anything but a digit
    return static_cast<unsigned char>(c) - unsigned{'0'};
}

// The whole text as a decimal integer into value; false when it is not one.
// Callers that fill an optional should set it from value rather than copy
// IntegerText's result: a copy of an optional just written stalls the processor.
inline bool ReadInteger(std::string_view text, int& value) {
    // Fields hold one to three digits: those are read without a loop.
    const bool negative = !text.empty() && text.front() == '-';
    const char* const digits = text.data() + (negative ? 1 : 0);
    unsigned read = 0;
    switch (text.size() - (negative ? 1 : 0)) {
    case 1:
        read = DigitValue(digits[0]);
        if (read > 9)
            return false;
        break;
    case 2: {
        const unsigned tens = DigitValue(digits[0]), ones = DigitValue(digits[1]);
        if ((tens > 9) | (ones > 9))
            return false;
        read = tens * 10 + ones;
        break;
    }
    case 3: {
        const unsigned hundreds = DigitValue(digits[0]), tens = DigitValue(digits[1]),
                       ones = DigitValue(digits[2]);
        if ((hundreds > 9) | (tens > 9) | (ones > 9))
            return false;
        read = hundreds * 100 + tens * 10 + ones;
        break;
    }
    default:
        return ReadLongInteger(text, value);
    }
    value = negative ? -static_cast<int>(read) : static_cast<int>(read);
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
