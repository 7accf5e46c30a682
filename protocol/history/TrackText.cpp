#include "protocol/history/TrackText.h"

#include <array>
#include <charconv>
#include <chrono>
#include <cmath>

namespace protocol {

namespace {
// value as count digits, zeros in front.
void AppendDigits(std::string& out, std::uint64_t value, int count) {
    std::array<char, 20> digits{};
    for (int at = count - 1; at >= 0; --at, value /= 10)
        digits[static_cast<std::size_t>(at)] = static_cast<char>('0' + value % 10);
    out.append(digits.data(), static_cast<std::size_t>(count));
}
} // namespace

// In whole units of the last decimal: a track's numbers are small, and
// integer digits are several times quicker than a general conversion.
void AppendFixed(std::string& out, double value, int decimals) {
    constexpr double kLargest = 1e15;
    std::uint64_t scale = 1;
    for (int k = 0; k < decimals; ++k)
        scale *= 10;
    const double units = std::round(std::abs(value) * static_cast<double>(scale));
    if (!(units < kLargest)) {
        std::array<char, 400> text{};
        const auto written = std::to_chars(text.data(), text.data() + text.size(), value,
                                           std::chars_format::fixed, decimals);
        out.append(text.data(), written.ptr);
        return;
    }
    const auto whole = static_cast<std::uint64_t>(units);
    if (value < 0 && whole != 0)
        out.push_back('-');
    std::array<char, 20> integer{};
    const auto written =
        std::to_chars(integer.data(), integer.data() + integer.size(), whole / scale);
    out.append(integer.data(), written.ptr);
    if (decimals > 0) {
        out.push_back('.');
        AppendDigits(out, whole % scale, decimals);
    }
}

void AppendUtc(std::string& out, double utcSeconds) {
    using namespace std::chrono;
    const auto ms = static_cast<std::int64_t>(std::llround(utcSeconds * 1000));
    const sys_days day = floor<days>(sys_time<milliseconds>(milliseconds(ms)));
    const year_month_day date(day);
    const auto ofDay = ms - duration_cast<milliseconds>(day.time_since_epoch()).count();
    AppendDigits(out, static_cast<std::uint64_t>(int(date.year())), 4);
    out.push_back('-');
    AppendDigits(out, unsigned(date.month()), 2);
    out.push_back('-');
    AppendDigits(out, unsigned(date.day()), 2);
    out.push_back('T');
    AppendDigits(out, static_cast<std::uint64_t>(ofDay / 3600000), 2);
    out.push_back(':');
    AppendDigits(out, static_cast<std::uint64_t>(ofDay / 60000 % 60), 2);
    out.push_back(':');
    AppendDigits(out, static_cast<std::uint64_t>(ofDay / 1000 % 60), 2);
    out.push_back('.');
    AppendDigits(out, static_cast<std::uint64_t>(ofDay % 1000), 3);
    out.push_back('Z');
}

} // namespace protocol
