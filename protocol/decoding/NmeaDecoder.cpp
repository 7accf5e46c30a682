// NMEA and PUBX sentences to fields and typed values. Fields are read by
// position; a sentence shorter than its layout leaves the missing fields
// empty and their typed values unset.

#include "protocol/decoding/Decoder.h"
#include "protocol/decoding/FieldText.h"
#include "protocol/decoding/NumberText.h"
#include "protocol/decoding/Satellites.h"
#include "protocol/decoding/SentenceFields.h"
#include "protocol/decoding/ValueRanges.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace protocol {
namespace {

constexpr double kKnotsToMps = 1852.0 / 3600.0;
constexpr double kKphToMps = 1.0 / 3.6;

// "ddmm.mmmm" or "dddmm.mmmm" with its hemisphere letter, in signed degrees.
bool ReadAngle(std::string_view value, std::string_view hemisphere, double& angle) {
    if (hemisphere.size() != 1)
        return false;
    const char side = hemisphere.front();
    double raw = 0;
    if (!ReadNumber(value, raw) || raw < 0 ||
        (side != 'N' && side != 'S' && side != 'E' && side != 'W'))
        return false;
    const double degrees = std::floor(raw / 100);
    const double magnitude = degrees + (raw - degrees * 100) / 60;
    angle = side == 'S' || side == 'W' ? -magnitude : magnitude;
    return true;
}

// The position at the latitude and longitude, its heights not yet known.
Position& SetLatLon(std::optional<Position>& position, double lat, double lon) {
    Position& at = position.emplace();
    at.LatitudeDeg = lat;
    at.LongitudeDeg = lon;
    return at;
}

// Writes the fields shown and the typed values of one sentence.
class SentenceDecoder {
public:
    SentenceDecoder(const SentenceFields& s, Decoded& d, DecodeDetail detail)
        : s_(s), d_(d), fields_(detail == DecodeDetail::Fields) {}

    void Show(std::string_view name, std::size_t index, std::string_view unit = "") {
        if (fields_)
            ShowText(name, s_[index], unit);
    }
    // "hhmmss.ss" into the time of day, where all of it reads.
    void ShowTime(std::size_t index) {
        Show("UTC time", index, "hhmmss");
        const std::string_view text = s_[index];
        int hour = 0, minute = 0;
        if (text.size() < 6 || !ReadInteger(text.substr(0, 2), hour) ||
            !ReadInteger(text.substr(2, 2), minute))
            return;
        if (double second = 0; ReadNumber(text.substr(4), second)) {
            UtcTime& utc = Utc();
            utc.Hour = hour;
            utc.Minute = minute;
            utc.Second = second;
        }
    }
    // "ddmmyy" into the date, where all of it reads.
    void ShowDate(std::size_t index) {
        Show("date", index, "ddmmyy");
        const std::string_view text = s_[index];
        int day = 0, month = 0, year = 0;
        if (text.size() != 6 || !ReadInteger(text.substr(0, 2), day) ||
            !ReadInteger(text.substr(2, 2), month) || !ReadInteger(text.substr(4, 2), year))
            return;
        UtcTime& utc = Utc();
        utc.Day = day;
        utc.Month = month;
        utc.Year = year + (year < 80 ? 2000 : 1900);
    }
    // Latitude and longitude with their hemispheres from index on; true when both read.
    bool ShowLatLon(std::size_t index, double& lat, double& lon) {
        const bool latRead = ReadAngle(s_[index], s_[index + 1], lat);
        const bool lonRead = ReadAngle(s_[index + 2], s_[index + 3], lon);
        if (fields_) {
            ShowText("latitude", latRead ? FixedText(lat, 7) : "", "deg");
            ShowText("longitude", lonRead ? FixedText(lon, 7) : "", "deg");
        }
        return latRead && lonRead;
    }
    // The position with the altitude above mean sea level and the geoid
    // separation at the given fields (their sum is the ellipsoid height).
    void SetPosition(double lat, double lon, std::size_t altitude, std::size_t separation) {
        Position& position = SetLatLon(d_.Position, lat, lon);
        double msl = 0, geoid = 0;
        if (!Read(altitude, msl))
            return;
        position.HeightMslM = msl;
        if (Read(separation, geoid))
            position.HeightEllipsoidM = msl + geoid;
    }
    bool Read(std::size_t index, double& value) const { return ReadNumber(s_[index], value); }
    // Sets target where the field holds a number, leaves it otherwise.
    void SetNum(std::optional<double>& target, std::size_t index) const {
        if (double value = 0; Read(index, value))
            target = value;
    }
    std::optional<int> Int(std::size_t index) const { return IntegerText(s_[index]); }
    // Sets target where the field holds an integer, leaves it otherwise.
    void SetInt(std::optional<int>& target, std::size_t index) const {
        if (int value = 0; ReadInteger(s_[index], value))
            target = value;
    }
    // A field sent with other than an integer lowest..highest makes the
    // sentence's problem (the first one found), as a typed value out of range does.
    void CheckInt(std::string_view name, std::size_t index, int lowest, int highest) {
        const std::optional<int> value = Int(index);
        if (!s_[index].empty() && (!value || *value < lowest || *value > highest) &&
            d_.Problem.empty())
            d_.Problem = OutOfRangeText(name, PrintableText(s_[index]));
    }

private:
    void ShowText(std::string_view name, std::string_view value, std::string_view unit) {
        d_.Fields.push_back({std::string(name), std::string(value), std::string(unit)});
    }
    UtcTime& Utc() { return d_.Utc ? *d_.Utc : d_.Utc.emplace(); }
    const SentenceFields& s_;
    Decoded& d_;
    bool fields_;
};

std::string GgaQuality(std::optional<int> quality) {
    static constexpr const char* kNames[] = {"no fix",    "GPS",       "DGPS",           "PPS",
                                             "RTK fixed", "RTK float", "dead reckoning", "manual",
                                             "simulation"};
    if (!quality || *quality < 0 || *quality > 8)
        return "unknown";
    return kNames[*quality];
}

void Gga(const SentenceFields&, SentenceDecoder& x, Decoded& d) {
    x.ShowTime(1);
    double lat = 0, lon = 0;
    const bool located = x.ShowLatLon(2, lat, lon);
    x.Show("quality", 6);
    x.Show("satellites used", 7);
    x.Show("HDOP", 8);
    x.Show("altitude MSL", 9, "m");
    x.Show("geoid separation", 11, "m");
    x.Show("age of corrections", 13, "s");
    x.Show("reference station", 14);
    x.CheckInt("quality", 6, 0, 8);
    const std::optional<int> quality = x.Int(6);
    FixStatus& fix = d.Fix.emplace();
    fix.Quality = GgaQuality(quality);
    fix.SatellitesUsed = x.Int(7);
    if (quality == 0)
        fix.Type = FixType::NoFix;
    else if (quality == 1 || quality == 3)
        fix.Solution = Solution::Autonomous;
    else if (quality == 2)
        fix.Solution = Solution::Differential;
    else if (quality == 4)
        fix.Solution = Solution::RtkFixed;
    else if (quality == 5)
        fix.Solution = Solution::RtkFloat;
    else if (quality == 6)
        fix.Type = FixType::DeadReckoning;
    if (located && quality.value_or(0) != 0)
        x.SetPosition(lat, lon, 9, 11);
    x.SetNum(d.Dop.emplace().Horizontal, 8);
    x.SetNum(d.CorrectionAgeS, 13);
}

// The positioning mode indicator of RMC, GNS (one per constellation), VTG
// and GLL, into what it tells of the fix; empty for what tells nothing
// (manual input, simulation, an unknown letter).
struct ModeFix {
    std::optional<FixType> Type;
    std::optional<protocol::Solution> Solution;
    const char* Quality;
};
std::optional<ModeFix> ModeIndicator(char mode) {
    switch (mode) {
    case 'N':
        return ModeFix{FixType::NoFix, {}, "no fix"};
    case 'A':
        return ModeFix{{}, Solution::Autonomous, "autonomous"};
    case 'P':
        return ModeFix{{}, Solution::Autonomous, "precise"};
    case 'D':
        return ModeFix{{}, Solution::Differential, "DGPS"};
    case 'F':
        return ModeFix{{}, Solution::RtkFloat, "RTK float"};
    case 'R':
        return ModeFix{{}, Solution::RtkFixed, "RTK fixed"};
    case 'E':
        return ModeFix{FixType::DeadReckoning, {}, "dead reckoning"};
    default:
        return std::nullopt;
    }
}

void Rmc(const SentenceFields& s, SentenceDecoder& x, Decoded& d) {
    x.ShowTime(1);
    x.Show("status", 2);
    double lat = 0, lon = 0;
    const bool located = x.ShowLatLon(3, lat, lon);
    x.Show("speed", 7, "kn");
    x.Show("course", 8, "deg");
    x.ShowDate(9);
    x.Show("magnetic variation", 10, "deg");
    x.Show("variation direction", 11);
    x.Show("mode", 12);
    x.Show("navigational status", 13);
    const std::optional<ModeFix> mode =
        s[12].size() == 1 ? ModeIndicator(s[12].front()) : std::nullopt;
    const bool valid = s[2] == "A" && !(mode && mode->Type == FixType::NoFix);
    FixStatus& fix = d.Fix.emplace();
    if (!valid) {
        fix.Type = FixType::NoFix;
        fix.Quality = "invalid";
        return; // a position and motion without a fix are no readings
    }
    fix.Quality = mode ? mode->Quality : "valid";
    if (mode) {
        fix.Type = mode->Type;
        fix.Solution = mode->Solution;
    }
    if (located)
        SetLatLon(d.Position, lat, lon);
    Motion& motion = d.Motion.emplace();
    if (double knots = 0; x.Read(7, knots))
        motion.SpeedMps = knots * kKnotsToMps;
    x.SetNum(motion.CourseDeg, 8);
}

void Gsa(const SentenceFields& s, SentenceDecoder& x, Decoded& d) {
    x.Show("operation mode", 1);
    x.Show("fix mode", 2);
    const std::optional<int> systemId = x.Int(18);
    UsedSatellites& used = d.Used.emplace();
    if (systemId)
        used.System = NmeaSystemId(*systemId);
    else if (const Constellation system = TalkerSystem(d.Talker); system != Constellation::Unknown)
        used.System = system;
    used.Satellites.reserve(12);
    for (std::size_t i = 3; i <= 14; ++i) {
        if (s[i].empty())
            continue;
        x.Show("satellite", i);
        if (int number = 0; ReadInteger(s[i], number))
            AddSatellite(used.Satellites,
                         NmeaSatellite(used.System.value_or(Constellation::Unknown), number));
    }
    x.Show("PDOP", 15);
    x.Show("HDOP", 16);
    x.Show("VDOP", 17);
    x.Show("system id", 18);
    x.CheckInt("fix mode", 2, 1, 3);
    Dops& dops = d.Dop.emplace();
    x.SetNum(dops.Position, 15);
    x.SetNum(dops.Horizontal, 16);
    x.SetNum(dops.Vertical, 17);
    FixStatus& fix = d.Fix.emplace();
    const std::optional<int> mode = x.Int(2);
    if (mode == 1)
        fix.Type = FixType::NoFix;
    else if (mode == 2)
        fix.Type = FixType::Fix2D;
    else if (mode == 3)
        fix.Type = FixType::Fix3D;
}

void Gsv(const SentenceFields& s, SentenceDecoder& x, Decoded& d) {
    x.Show("messages", 1);
    x.Show("message", 2);
    x.Show("satellites in view", 3);
    // Built here and moved: built in place, the whole part would be cleared first.
    SatellitePart part;
    part.Talker = d.Talker;
    part.Systems = TalkerSystems(d.Talker);
    part.Count = x.Int(1).value_or(0);
    part.Index = x.Int(2).value_or(0);
    part.InView = x.Int(3).value_or(0);
    const std::size_t groups = s.size() > 4 ? (s.size() - 4) / 4 : 0;
    part.Satellites.reserve(groups);
    if (s.size() > 4 && (s.size() - 4) % 4 == 1) {
        part.SignalId = x.Int(s.size() - 1);
        x.Show("signal id", s.size() - 1);
    }
    const Constellation system = TalkerSystem(d.Talker);
    for (std::size_t g = 0; g < groups; ++g) {
        const std::size_t at = 4 + 4 * g;
        int number = 0;
        if (!ReadInteger(s[at], number))
            continue;
        x.Show("satellite", at);
        x.Show("elevation", at + 1, "deg");
        x.Show("azimuth", at + 2, "deg");
        x.Show("C/N0", at + 3, "dBHz");
        SatelliteInView& sv = AddSatellite(part.Satellites, NmeaSatellite(system, number));
        x.SetInt(sv.ElevationDeg, at + 1);
        x.SetInt(sv.AzimuthDeg, at + 2);
        x.SetInt(sv.Cn0DbHz, at + 3);
    }
    d.GsvPart = std::move(part);
}

void Gll(const SentenceFields& s, SentenceDecoder& x, Decoded& d) {
    double lat = 0, lon = 0;
    const bool located = x.ShowLatLon(1, lat, lon);
    x.ShowTime(5);
    x.Show("status", 6);
    x.Show("mode", 7);
    if (located && s[6] == "A")
        SetLatLon(d.Position, lat, lon);
}

void Vtg(const SentenceFields& s, SentenceDecoder& x, Decoded& d) {
    x.Show("course true", 1, "deg");
    x.Show("course magnetic", 3, "deg");
    x.Show("speed", 5, "kn");
    x.Show("speed", 7, "km/h");
    x.Show("mode", 9);
    if (s[9] == "N")
        return;
    Motion& motion = d.Motion.emplace();
    x.SetNum(motion.CourseDeg, 1);
    if (double kph = 0, knots = 0; x.Read(7, kph))
        motion.SpeedMps = kph * kKphToMps;
    else if (x.Read(5, knots))
        motion.SpeedMps = knots * kKnotsToMps;
}

void Zda(const SentenceFields& s, SentenceDecoder& x, Decoded& d) {
    x.ShowTime(1);
    x.Show("day", 2);
    x.Show("month", 3);
    x.Show("year", 4);
    x.Show("local zone hours", 5, "h");
    x.Show("local zone minutes", 6, "min");
    int day = 0, month = 0, year = 0;
    if (d.Utc && ReadInteger(s[2], day) && ReadInteger(s[3], month) && ReadInteger(s[4], year)) {
        d.Utc->Day = day;
        d.Utc->Month = month;
        d.Utc->Year = year;
    }
}

void Gns(const SentenceFields& s, SentenceDecoder& x, Decoded& d) {
    x.ShowTime(1);
    double lat = 0, lon = 0;
    const bool located = x.ShowLatLon(2, lat, lon);
    x.Show("mode", 6);
    x.Show("satellites used", 7);
    x.Show("HDOP", 8);
    x.Show("altitude MSL", 9, "m");
    x.Show("geoid separation", 10, "m");
    x.Show("age of corrections", 11, "s");
    x.Show("reference station", 12);
    x.Show("navigational status", 13);
    const std::string_view mode = s[6];
    const bool fixed = mode.find_first_not_of('N') != std::string_view::npos;
    if (located && fixed)
        x.SetPosition(lat, lon, 9, 10);
    FixStatus& fix = d.Fix.emplace();
    fix.Quality = mode;
    fix.SatellitesUsed = x.Int(7);
    if (!fixed)
        fix.Type = FixType::NoFix;
    // One letter per constellation: the best of them tells the solution.
    for (const char letter : mode)
        if (const auto told = ModeIndicator(letter); told && told->Solution)
            fix.Solution = std::max(fix.Solution.value_or(Solution::Autonomous), *told->Solution);
    x.SetNum(d.Dop.emplace().Horizontal, 8);
    x.SetNum(d.CorrectionAgeS, 11);
}

void Gst(const SentenceFields&, SentenceDecoder& x, Decoded& d) {
    x.ShowTime(1);
    x.Show("range RMS", 2, "m");
    x.Show("major axis", 3, "m");
    x.Show("minor axis", 4, "m");
    x.Show("orientation", 5, "deg");
    x.Show("latitude error", 6, "m");
    x.Show("longitude error", 7, "m");
    x.Show("altitude error", 8, "m");
    Accuracies& accuracy = d.Accuracy.emplace();
    if (double latErr = 0, lonErr = 0; x.Read(6, latErr) && x.Read(7, lonErr))
        accuracy.HorizontalM = std::hypot(latErr, lonErr);
    x.SetNum(accuracy.VerticalM, 8);
}

void Txt(const SentenceFields& s, SentenceDecoder& x, Decoded& d) {
    x.Show("messages", 1);
    x.Show("message", 2);
    x.Show("type", 3);
    x.Show("text", 4);
    d.Text = std::string(s[4]);
}

std::optional<FixType> PubxNavStatus(std::string_view status) {
    if (status == "NF")
        return FixType::NoFix;
    if (status == "DR")
        return FixType::DeadReckoning;
    if (status == "G2" || status == "D2")
        return FixType::Fix2D;
    if (status == "G3" || status == "D3")
        return FixType::Fix3D;
    if (status == "RK")
        return FixType::GnssDeadReckoning;
    if (status == "TT")
        return FixType::TimeOnly;
    return std::nullopt;
}

void Pubx00(const SentenceFields& s, SentenceDecoder& x, Decoded& d) {
    x.ShowTime(2);
    double lat = 0, lon = 0;
    const bool located = x.ShowLatLon(3, lat, lon);
    x.Show("altitude", 7, "m");
    x.Show("navigation status", 8);
    x.Show("horizontal accuracy", 9, "m");
    x.Show("vertical accuracy", 10, "m");
    x.Show("speed", 11, "km/h");
    x.Show("course", 12, "deg");
    x.Show("vertical velocity", 13, "m/s");
    x.Show("age of corrections", 14, "s");
    x.Show("HDOP", 15);
    x.Show("VDOP", 16);
    x.Show("TDOP", 17);
    x.Show("satellites used", 18);
    x.Show("dead reckoning", 20);
    const std::optional<FixType> type = PubxNavStatus(s[8]);
    const bool fixed = type && *type != FixType::NoFix;
    if (located && fixed)
        x.SetNum(SetLatLon(d.Position, lat, lon).HeightEllipsoidM, 7);
    FixStatus& fix = d.Fix.emplace();
    fix.Type = type;
    fix.Quality = s[8];
    x.SetInt(fix.SatellitesUsed, 18);
    if (!fixed)
        return; // without a fix, its accuracies, speed and DOPs are no readings
    fix.Solution = s[8] == "D2" || s[8] == "D3" ? Solution::Differential : Solution::Autonomous;
    Accuracies& accuracy = d.Accuracy.emplace();
    x.SetNum(accuracy.HorizontalM, 9);
    x.SetNum(accuracy.VerticalM, 10);
    Motion& motion = d.Motion.emplace();
    if (double kph = 0; x.Read(11, kph))
        motion.SpeedMps = kph * kKphToMps;
    x.SetNum(motion.CourseDeg, 12);
    if (double down = 0; x.Read(13, down))
        motion.ClimbMps = -down;
    Dops& dops = d.Dop.emplace();
    x.SetNum(dops.Horizontal, 15);
    x.SetNum(dops.Vertical, 16);
    x.SetNum(dops.Time, 17);
}

void Pubx03(const SentenceFields& s, SentenceDecoder& x, Decoded& d) {
    x.Show("satellites", 2);
    SatelliteReport& report = d.Satellites.emplace();
    const std::size_t count = static_cast<std::size_t>(std::max(0, x.Int(2).value_or(0)));
    report.Satellites.reserve(std::min(count, s.size() / 6));
    for (std::size_t i = 0; i < count && 3 + 6 * i + 5 < s.size() + 1; ++i) {
        const std::size_t at = 3 + 6 * i;
        int number = 0;
        if (!ReadInteger(s[at], number))
            continue;
        x.Show("satellite", at);
        x.Show("status", at + 1);
        x.Show("azimuth", at + 2, "deg");
        x.Show("elevation", at + 3, "deg");
        x.Show("C/N0", at + 4, "dBHz");
        x.Show("lock time", at + 5, "s");
        SatelliteInView& sv =
            AddSatellite(report.Satellites, NmeaSatellite(Constellation::Unknown, number));
        x.SetInt(sv.AzimuthDeg, at + 2);
        x.SetInt(sv.ElevationDeg, at + 3);
        x.SetInt(sv.Cn0DbHz, at + 4);
        sv.Used = s[at + 1] == "U";
    }
}

void Pubx04(const SentenceFields&, SentenceDecoder& x, Decoded&) {
    x.ShowTime(2);
    x.ShowDate(3);
    x.Show("UTC time of week", 4, "s");
    x.Show("UTC week", 5);
    x.Show("leap seconds", 6, "s");
    x.Show("clock bias", 7, "ns");
    x.Show("clock drift", 8, "ns/s");
    x.Show("time pulse granularity", 9, "ns");
}

using SentenceReader = void (*)(const SentenceFields&, SentenceDecoder&, Decoded&);

// A sentence type of up to three letters as one number, for a switch: a
// search through the names, letter by letter, mispredicts its branches.
constexpr std::uint32_t TypeCode(std::string_view type) {
    if (type.size() > 3)
        return 0;
    std::uint32_t code = static_cast<std::uint32_t>(type.size());
    for (const char c : type)
        code = code << 8 | static_cast<std::uint8_t>(c);
    return code;
}

SentenceReader FindReader(std::string_view type) {
    switch (TypeCode(type)) {
    case TypeCode("GGA"):
        return Gga;
    case TypeCode("RMC"):
        return Rmc;
    case TypeCode("GSA"):
        return Gsa;
    case TypeCode("GSV"):
        return Gsv;
    case TypeCode("GLL"):
        return Gll;
    case TypeCode("VTG"):
        return Vtg;
    case TypeCode("ZDA"):
        return Zda;
    case TypeCode("GNS"):
        return Gns;
    case TypeCode("GST"):
        return Gst;
    case TypeCode("TXT"):
        return Txt;
    default:
        return nullptr;
    }
}

SentenceReader FindPubxReader(std::string_view type) {
    switch (TypeCode(type)) {
    case TypeCode("00"):
        return Pubx00;
    case TypeCode("03"):
        return Pubx03;
    case TypeCode("04"):
        return Pubx04;
    default:
        return nullptr;
    }
}

} // namespace

Decoded DecodeNmea(std::string_view line, DecodeDetail detail) {
    const SentenceFields s(line);
    Decoded d;
    SentenceReader read = nullptr;
    const std::string_view address = s[0];
    if (address == "PUBX") {
        d.Name.assign("PUBX,").append(s[1]);
        read = FindPubxReader(s[1]);
    } else if (address.size() == 5 && address[0] != 'P') {
        d.Talker.assign(address.substr(0, 2));
        d.Name.assign(address.substr(2));
        read = FindReader(d.Name);
    } else {
        d.Name = PrintableText(address);
    }
    SentenceDecoder decoder(s, d, detail);
    if (read) {
        read(s, decoder, d);
    } else if (detail == DecodeDetail::Fields) {
        for (std::size_t i = 1; i < s.size(); ++i)
            decoder.Show(std::to_string(i), i);
    }
    return d;
}

} // namespace protocol
