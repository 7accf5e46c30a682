#include "window/blocks/PositionText.h"

#include <algorithm>
#include <cmath>

namespace {
QString AngleText(double degrees, int decimals, TAngleStyle style, QChar positive, QChar negative) {
    const QChar hemisphere = degrees < 0 ? negative : positive;
    const double magnitude = std::abs(degrees);
    if (style == TAngleStyle::Decimal)
        return QString("%1° %2").arg(magnitude, 0, 'f', decimals).arg(hemisphere);
    // A second of arc is 1/3600 degree: about three and a half places fewer.
    const int secondDecimals = std::max(0, decimals - 4);
    const double scale = std::pow(10.0, secondDecimals);
    // Rounded once, in units of the last second place, so 59.9999" never
    // shows as 60".
    const auto units = static_cast<long long>(std::llround(magnitude * 3600 * scale));
    const long long unitsPerMinute = static_cast<long long>(60 * scale);
    const long long whole = units / (60 * unitsPerMinute);
    const long long minutes = units / unitsPerMinute % 60;
    const double seconds = static_cast<double>(units % unitsPerMinute) / scale;
    return QString("%1° %2' %3\" %4")
        .arg(whole)
        .arg(minutes, 2, 10, QChar('0'))
        .arg(seconds, secondDecimals + (secondDecimals ? 3 : 2), 'f', secondDecimals, QChar('0'))
        .arg(hemisphere);
}
} // namespace

QString LatitudeText(double degrees, int decimals, TAngleStyle style) {
    return AngleText(degrees, decimals, style, 'N', 'S');
}

QString LongitudeText(double degrees, int decimals, TAngleStyle style) {
    return AngleText(degrees, decimals, style, 'E', 'W');
}
