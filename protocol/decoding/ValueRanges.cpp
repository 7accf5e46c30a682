#include "protocol/decoding/ValueRanges.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace protocol {
namespace {

// Finite bounds: NaN and infinities fall outside every range.
struct Range {
    double Lowest, Highest;
    bool HighestIncluded = true;
    bool Holds(double value) const {
        return value >= Lowest && (HighestIncluded ? value <= Highest : value < Highest);
    }
};

constexpr double kNoLimit = std::numeric_limits<double>::max();

constexpr Range kLatitude{-90, 90};
constexpr Range kLongitude{-180, 180};
// GPS time begins in January 1980; u-blox receivers report years up to 2099.
constexpr Range kYear{1980, 2099};
constexpr Range kMonth{1, 12};
constexpr Range kHour{0, 23};
constexpr Range kMinute{0, 59};
// A minute with a leap second lasts 61 seconds.
constexpr Range kNmeaSecond{0, 61, false};
// UBX adds its nano field (-1e9..1e9 ns) to the whole second (0..60): a
// rounded-up second comes with a negative fraction, 12:00:00 - 0.2 s.
constexpr Range kUbxSecond{-1, 61, false};
// Receivers stop navigating at 50 km altitude by export rules; the lowest
// dry land lies 430 m below sea level. The margins keep any true fix in.
constexpr Range kHeight{-2000, 100000};
// NMEA's field holds two digits; UBX numSV (U1) could say 255, but no sky
// holds more than about 85 navigation satellites above the horizon.
constexpr Range kSatelliteCount{0, 99};
// A day is far past any use of a correction; a negative age is none.
constexpr Range kCorrectionAge{0, 86400};
// 99.99 is the largest DOP the NMEA fields hold (receivers send it for
// "unknown"); UBX scaled U2 fields cannot pass 655.35.
constexpr Range kNmeaDop{0, 99.99};
constexpr Range kUbxDop{0, 655.35};
// u-blox receivers stop at 500 m/s, others at 515 m/s (1000 knots), by
// export rules; 1000 m/s leaves room for receivers without that limit.
constexpr Range kSpeed{0, 1000};
constexpr Range kClimb{-1000, 1000};
// 360 is allowed: a course of 359.96 degrees sent with one decimal reads 360.0.
constexpr Range kCourse{0, 360};
constexpr Range kAccuracy{0, kNoLimit}; // no fix: u-blox sends 4294967 m
constexpr Range kElevation{-90, 90};
constexpr Range kAzimuth{0, 360}; // some receivers send 360 for 0
constexpr Range kCn0{0, 99};
// The standard stops at 9; a receiver with many satellites on one talker may
// need a second digit.
constexpr Range kGsvMessages{1, 99};

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// "91.0", "-0.25", "2100000.0"; very large values as "1e+30".
std::string ValueText(double value) {
    char text[64];
    if (!std::isfinite(value) || std::fabs(value) >= 1e9) {
        std::snprintf(text, sizeof text, "%g", value);
        return text;
    }
    std::snprintf(text, sizeof text, "%.6f", value);
    std::string fixed = text;
    fixed.erase(fixed.find_last_not_of('0') + 1);
    if (fixed.back() == '.')
        fixed += '0';
    return fixed;
}

std::string ValueText(int value) {
    return std::to_string(value);
}

// Keeps the first value found outside its range. Every message passes
// through here: the checks stay inline, the text is written only on failure.
class RangeCheck {
public:
    explicit RangeCheck(MessageKind kind) : ubx_(kind == MessageKind::Ubx) {}

    template <typename T> void Check(const char* name, T value, Range range) {
        if (!range.Holds(static_cast<double>(value))) [[unlikely]]
            Fail(name, value);
    }
    template <typename T> void Check(const char* name, const std::optional<T>& value, Range range) {
        if (value)
            Check(name, *value, range);
    }

    void Time(const UtcTime& utc) {
        Check("year", utc.Year, kYear);
        Check("month", utc.Month, kMonth);
        if (utc.Day && utc.Month && kMonth.Holds(*utc.Month))
            Check("day", utc.Day,
                  Range{1, static_cast<double>(DaysInMonth(utc.Year.value_or(2000), *utc.Month))});
        Check("hour", utc.Hour, kHour);
        Check("minute", utc.Minute, kMinute);
        Check("second", utc.Second, ubx_ ? kUbxSecond : kNmeaSecond);
    }
    void Place(const protocol::Position& position) {
        Check("latitude", position.LatitudeDeg, kLatitude);
        Check("longitude", position.LongitudeDeg, kLongitude);
        Check("height MSL", position.HeightMslM, kHeight);
        Check("height ellipsoid", position.HeightEllipsoidM, kHeight);
    }
    void Dop(const Dops& dops) {
        const Range range = ubx_ ? kUbxDop : kNmeaDop;
        Check("GDOP", dops.Geometric, range);
        Check("PDOP", dops.Position, range);
        Check("TDOP", dops.Time, range);
        Check("VDOP", dops.Vertical, range);
        Check("HDOP", dops.Horizontal, range);
    }
    void Move(const protocol::Motion& motion) {
        Check("speed", motion.SpeedMps, kSpeed);
        Check("course", motion.CourseDeg, kCourse);
        Check("climb", motion.ClimbMps, kClimb);
    }
    void Accuracy(const Accuracies& accuracy) {
        Check("horizontal accuracy", accuracy.HorizontalM, kAccuracy);
        Check("vertical accuracy", accuracy.VerticalM, kAccuracy);
        Check("speed accuracy", accuracy.SpeedMps, kAccuracy);
        Check("course accuracy", accuracy.CourseDeg, kAccuracy);
        Check("time accuracy", accuracy.TimeNs, kAccuracy);
    }
    // Elevation and azimuth are left out where the receiver does not know them.
    void Sky(const std::vector<SatelliteInView>& satellites) {
        for (const auto& sv : satellites) {
            Check("elevation", sv.ElevationDeg, kElevation);
            Check("azimuth", sv.AzimuthDeg, kAzimuth);
            Check("C/N0", sv.Cn0DbHz, kCn0);
        }
    }
    void GsvPart(const SatellitePart& part) {
        Check("messages", part.Count, kGsvMessages);
        Check("message", part.Index, Range{1, static_cast<double>(part.Count)});
        Check("satellites in view", part.InView, kSatelliteCount);
        Sky(part.Satellites);
    }

    const std::string& Problem() const { return problem_; }

private:
    template <typename T> [[gnu::noinline]] void Fail(const char* name, T value) {
        if (problem_.empty())
            problem_ = OutOfRangeText(name, ValueText(value));
    }
    bool ubx_;
    std::string problem_;
};

} // namespace

std::string OutOfRangeText(std::string_view name, std::string_view value) {
    return std::string(name) + " " + std::string(value) + " out of range";
}

std::string OutOfRange(const Decoded& d, MessageKind kind) {
    RangeCheck check(kind);
    if (d.Utc)
        check.Time(*d.Utc);
    if (d.Position)
        check.Place(*d.Position);
    if (d.Fix)
        check.Check("satellites used", d.Fix->SatellitesUsed, kSatelliteCount);
    if (d.Dop)
        check.Dop(*d.Dop);
    if (d.Motion)
        check.Move(*d.Motion);
    if (d.Accuracy)
        check.Accuracy(*d.Accuracy);
    if (d.Satellites)
        check.Sky(d.Satellites->Satellites);
    if (d.GsvPart)
        check.GsvPart(*d.GsvPart);
    check.Check("age of corrections", d.CorrectionAgeS, kCorrectionAge);
    return check.Problem();
}

} // namespace protocol
