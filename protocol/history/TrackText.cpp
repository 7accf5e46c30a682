#include "protocol/history/TrackText.h"

#include <array>
#include <charconv>
#include <chrono>
#include <cmath>

namespace protocol {

namespace {
// value as count digits, zeros in front.
char* PutDigits(char* at, std::uint64_t value, int count) {
    for (int k = count - 1; k >= 0; --k, value /= 10)
        at[k] = static_cast<char>('0' + value % 10);
    return at + count;
}
} // namespace

// In whole units of the last decimal: a track's numbers are small, and
// integer digits are several times quicker than a general conversion.
char* PutFixed(char* at, double value, int decimals) {
    constexpr double kLargest = 1e15;
    std::uint64_t scale = 1;
    for (int k = 0; k < decimals; ++k)
        scale *= 10;
    const double units = std::round(std::abs(value) * static_cast<double>(scale));
    if (!(units < kLargest))
        return std::to_chars(at, at + kMaxFixedChars, value, std::chars_format::fixed, decimals)
            .ptr;
    const auto whole = static_cast<std::uint64_t>(units);
    if (value < 0 && whole != 0)
        *at++ = '-';
    at = std::to_chars(at, at + kMaxFixedChars, whole / scale).ptr;
    if (decimals > 0) {
        *at++ = '.';
        at = PutDigits(at, whole % scale, decimals);
    }
    return at;
}

char* PutUtc(char* at, double utcSeconds) {
    using namespace std::chrono;
    const auto ms = static_cast<std::int64_t>(std::llround(utcSeconds * 1000));
    const sys_days day = floor<days>(sys_time<milliseconds>(milliseconds(ms)));
    const year_month_day date(day);
    const auto ofDay = ms - duration_cast<milliseconds>(day.time_since_epoch()).count();
    at = PutDigits(at, static_cast<std::uint64_t>(int(date.year())), 4);
    *at++ = '-';
    at = PutDigits(at, unsigned(date.month()), 2);
    *at++ = '-';
    at = PutDigits(at, unsigned(date.day()), 2);
    *at++ = 'T';
    at = PutDigits(at, static_cast<std::uint64_t>(ofDay / 3600000), 2);
    *at++ = ':';
    at = PutDigits(at, static_cast<std::uint64_t>(ofDay / 60000 % 60), 2);
    *at++ = ':';
    at = PutDigits(at, static_cast<std::uint64_t>(ofDay / 1000 % 60), 2);
    *at++ = '.';
    at = PutDigits(at, static_cast<std::uint64_t>(ofDay % 1000), 3);
    *at++ = 'Z';
    return at;
}

void AppendFixed(std::string& out, double value, int decimals) {
    std::array<char, kMaxFixedChars> text; // written before read
    out.append(text.data(), PutFixed(text.data(), value, decimals));
}

void AppendUtc(std::string& out, double utcSeconds) {
    std::array<char, kUtcChars> text; // written before read
    out.append(text.data(), PutUtc(text.data(), utcSeconds));
}

} // namespace protocol
