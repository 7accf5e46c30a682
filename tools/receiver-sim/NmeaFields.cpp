#include "tools/receiver-sim/NmeaFields.h"

#include "protocol/NmeaSentence.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace {
std::string Printf(const char* format, auto... values) {
    char text[64];
    const int length = std::snprintf(text, sizeof text, format, values...);
    return std::string(text, static_cast<size_t>(length));
}

// Works in whole units of the last minute decimal, so rounding can never
// produce "60.00000" minutes.
std::string AngleFields(double degrees, int degreeDigits, int minuteDecimals, char positive,
                        char negative) {
    const std::int64_t scale = static_cast<std::int64_t>(std::pow(10, minuteDecimals));
    const std::int64_t units = std::llround(std::fabs(degrees) * 60.0 * scale);
    const std::int64_t wholeDegrees = units / (60 * scale);
    const std::int64_t minuteUnits = units % (60 * scale);
    return Printf("%0*lld%02lld.%0*lld,%c", degreeDigits, static_cast<long long>(wholeDegrees),
                  static_cast<long long>(minuteUnits / scale), minuteDecimals,
                  static_cast<long long>(minuteUnits % scale), degrees < 0 ? negative : positive);
}

std::tm Utc(std::time_t utc) {
    std::tm parts{};
    gmtime_r(&utc, &parts);
    return parts;
}
} // namespace

std::string Fixed(double value, int decimals) {
    std::string text = Printf("%.*f", decimals, value);
    if (text.find_first_not_of("-0.") == std::string::npos && text.front() == '-')
        text.erase(0, 1); // "-0.00" reads as a sign error
    return text;
}

std::string Padded(int value, int width) {
    return Printf("%0*d", width, value);
}

std::string LatitudeFields(double degrees, int minuteDecimals) {
    return AngleFields(degrees, 2, minuteDecimals, 'N', 'S');
}

std::string LongitudeFields(double degrees, int minuteDecimals) {
    return AngleFields(degrees, 3, minuteDecimals, 'E', 'W');
}

std::string TimeField(std::time_t utc, int millisecond) {
    const std::tm t = Utc(utc);
    return Printf("%02d%02d%02d.%02d", t.tm_hour, t.tm_min, t.tm_sec, millisecond / 10);
}

std::string DateField(std::time_t utc) {
    const std::tm t = Utc(utc);
    return Printf("%02d%02d%02d", t.tm_mday, t.tm_mon + 1, t.tm_year % 100);
}

std::string NmeaSentence(std::string_view body) {
    std::string framed = "$";
    framed += body;
    framed += '*';
    return AppendNmeaChecksum(framed) + "\r\n";
}
