#include "protocol/history/TrackText.h"

#include <array>
#include <charconv>
#include <chrono>
#include <cmath>

namespace protocol {

void AppendFixed(std::string& out, double value, int decimals) {
    std::array<char, 64> text{};
    const auto written = std::to_chars(text.data(), text.data() + text.size(), value,
                                       std::chars_format::fixed, decimals);
    out.append(text.data(), written.ptr);
}

namespace {
// value as count digits, zeros in front.
void AppendDigits(std::string& out, std::int64_t value, int count) {
    std::array<char, 8> digits{};
    for (int at = count - 1; at >= 0; --at, value /= 10)
        digits[static_cast<std::size_t>(at)] = static_cast<char>('0' + value % 10);
    out.append(digits.data(), static_cast<std::size_t>(count));
}
} // namespace

void AppendUtc(std::string& out, double utcSeconds) {
    using namespace std::chrono;
    const auto ms = static_cast<std::int64_t>(std::llround(utcSeconds * 1000));
    const sys_days day = floor<days>(sys_time<milliseconds>(milliseconds(ms)));
    const year_month_day date(day);
    const std::int64_t ofDay = ms - duration_cast<milliseconds>(day.time_since_epoch()).count();
    AppendDigits(out, int(date.year()), 4);
    out.push_back('-');
    AppendDigits(out, unsigned(date.month()), 2);
    out.push_back('-');
    AppendDigits(out, unsigned(date.day()), 2);
    out.push_back('T');
    AppendDigits(out, ofDay / 3600000, 2);
    out.push_back(':');
    AppendDigits(out, ofDay / 60000 % 60, 2);
    out.push_back(':');
    AppendDigits(out, ofDay / 1000 % 60, 2);
    out.push_back('.');
    AppendDigits(out, ofDay % 1000, 3);
    out.push_back('Z');
}

} // namespace protocol
