#pragma once
// Latitude and longitude as the fix panel writes them: unsigned degrees with
// the hemisphere letter, in decimal degrees to the resolution the receiver
// sent, or in degrees, minutes and seconds to about the same resolution.

#include <QString>

enum class TAngleStyle { Decimal, DegreesMinutesSeconds };

// decimals: places of decimal degrees the receiver's value carries (7 for
// UBX's 1e-7 degrees).
QString LatitudeText(double degrees, int decimals, TAngleStyle style);
QString LongitudeText(double degrees, int decimals, TAngleStyle style);
