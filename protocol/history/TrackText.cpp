#include "protocol/history/TrackText.h"

#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace protocol {

void AppendFixed(std::string& out, double value, int decimals) {
    std::array<char, 64> text{};
    const auto written = std::to_chars(text.data(), text.data() + text.size(), value,
                                       std::chars_format::fixed, decimals);
    out.append(text.data(), written.ptr);
}

void AppendUtc(std::string& out, double utcSeconds) {
    using namespace std::chrono;
    const auto ms = static_cast<std::int64_t>(std::llround(utcSeconds * 1000));
    const sys_days day = floor<days>(sys_time<milliseconds>(milliseconds(ms)));
    const year_month_day date(day);
    const std::int64_t ofDay = ms - duration_cast<milliseconds>(day.time_since_epoch()).count();
    std::array<char, 40> text{};
    const int length = std::snprintf(
        text.data(), text.size(), "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", int(date.year()),
        unsigned(date.month()), unsigned(date.day()), int(ofDay / 3600000), int(ofDay / 60000 % 60),
        int(ofDay / 1000 % 60), int(ofDay % 1000));
    out.append(text.data(), static_cast<std::size_t>(length));
}

} // namespace protocol
