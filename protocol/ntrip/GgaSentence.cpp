#include "protocol/ntrip/GgaSentence.h"

#include "protocol/NmeaSentence.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace ntrip {
namespace {
// Degrees as NMEA's degrees and minutes to 1e-5 minute, rounded as a whole
// so that 59.999996 minutes become the next degree.
std::string DegreesMinutes(double degrees, int degreeDigits) {
    const auto units = static_cast<std::int64_t>(std::llround(std::fabs(degrees) * 60 * 100000));
    char text[32];
    std::snprintf(text, sizeof text, "%0*lld%02lld.%05lld", degreeDigits,
                  static_cast<long long>(units / 6000000),
                  static_cast<long long>(units / 100000 % 60),
                  static_cast<long long>(units % 100000));
    return text;
}
} // namespace

std::string BuildGga(const GgaFix& fix, double utcSecondsOfDay) {
    const auto centiseconds = static_cast<long long>(std::llround(
                                  std::fmod(std::max(0.0, utcSecondsOfDay), 86400) * 100)) %
                              8640000;
    char time[16];
    std::snprintf(time, sizeof time, "%02lld%02lld%02lld.%02lld", centiseconds / 360000,
                  centiseconds / 6000 % 60, centiseconds / 100 % 60, centiseconds % 100);
    char numbers[96];
    std::snprintf(numbers, sizeof numbers, "%d,%02d,%.1f,%.3f,M,", fix.quality,
                  std::clamp(fix.satellites, 0, 99), fix.hdop, fix.heightMslM);
    std::string body = "$GPGGA," + std::string(time) + "," + DegreesMinutes(fix.latitudeDeg, 2) +
                       (fix.latitudeDeg < 0 ? ",S," : ",N,") + DegreesMinutes(fix.longitudeDeg, 3) +
                       (fix.longitudeDeg < 0 ? ",W," : ",E,") + numbers;
    if (fix.geoidSeparationM) {
        char separation[32];
        std::snprintf(separation, sizeof separation, "%.3f", *fix.geoidSeparationM);
        body += separation;
    }
    body += ",M,,*";
    return AppendNmeaChecksum(body) + "\r\n";
}

} // namespace ntrip
