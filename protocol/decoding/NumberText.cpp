#include "protocol/decoding/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace protocol {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Powers of ten that a double holds exactly.
constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr std::uint64_t kLargestExactInteger = std::uint64_t{1} << 53;
constexpr int kMaxDigits = 19; // their value fits 64 bits

bool ReadGeneralNumber(std::string_view text, double& value) {
    double read = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), read);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(read))
        return false;
    value = read;
    return true;
}

} // namespace

bool ReadLongInteger(std::string_view text, int& value) {
    const bool negative = !text.empty() && text.front() == '-';
    if (negative)
        text.remove_prefix(1);
    if (text.empty())
        return false;
    const std::int64_t limit = negative ? std::int64_t{1} << 31 : (std::int64_t{1} << 31) - 1;
    std::int64_t read = 0;
    for (const char c : text) {
        if (!IsDigit(c))
            return false;
        read = read * 10 + (c - '0');
        if (read > limit)
            return false;
    }
    value = static_cast<int>(negative ? -read : read);
    return true;
}

bool ReadNumber(std::string_view text, double& value) {
    // Digits, optionally a point and more digits: with at most 2^53 as the
    // digits' value and 22 decimals, one division of two exact doubles gives
    // the correctly rounded value, as the general parser does.
    const char* at = text.data();
    const char* const end = at + text.size();
    const bool negative = at != end && *at == '-';
    at += negative ? 1 : 0;
    std::uint64_t digitsValue = 0;
    const auto readDigits = [&] {
        const char* const first = at;
        for (; at != end; ++at) {
            const unsigned digit = static_cast<unsigned char>(*at) - unsigned{'0'};
            if (digit > 9)
                break;
            digitsValue = digitsValue * 10 + digit;
        }
        return at - first;
    };
    const std::ptrdiff_t wholeDigits = readDigits();
    std::ptrdiff_t decimals = 0;
    if (at != end && *at == '.') {
        ++at;
        decimals = readDigits();
        if (decimals == 0)
            return ReadGeneralNumber(text, value);
    }
    // Past 19 digits the value may have wrapped: the general parser reads it.
    if (at != end || wholeDigits == 0 || wholeDigits + decimals > kMaxDigits ||
        digitsValue > kLargestExactInteger || decimals > 22)
        return ReadGeneralNumber(text, value);
    const double magnitude = static_cast<double>(digitsValue) / kExactPowersOfTen[decimals];
    value = negative ? -magnitude : magnitude;
    return true;
}

} // namespace protocol
