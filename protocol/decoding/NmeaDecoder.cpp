// NMEA and PUBX sentences to fields and typed values. Fields are read by
// position; a sentence shorter than its layout leaves the missing fields
// empty and their typed values unset.

#include "protocol/decoding/Decoder.h"
#include "protocol/decoding/FieldText.h"
#include "protocol/decoding/NumberText.h"
#include "protocol/decoding/Satellites.h"
#include "protocol/decoding/ValueRanges.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace protocol {
namespace {

constexpr double kKnotsToMps = 1852.0 / 3600.0;
constexpr double kKphToMps = 1.0 / 3.6;

// The comma-separated fields of a sentence, address first, without "$",
// "*hh" and the line end. The fields of a usual sentence are kept in place;
// only a long one (PUBX,03 with many satellites) takes memory for the rest.
class Sentence {
public:
    explicit Sentence(std::string_view line) {
        if (!line.empty() && line.front() == '$')
            line.remove_prefix(1);
        // Eight bytes at a time: the commas, and the first "*", CR or LF
        // that ends the fields.
        std::size_t start = 0;
        for (std::size_t at = 0; at < line.size(); at += 8) {
            const std::uint64_t word = Word(line, at);
            std::uint64_t commas = BytesEqual(word, ',');
            const std::uint64_t ends =
                BytesEqual(word, '*') | BytesEqual(word, '\r') | BytesEqual(word, '\n');
            if (ends != 0)
                commas &= (ends & -ends) - 1; // only those before the end
            for (; commas != 0; commas &= commas - 1) {
                const std::size_t comma =
                    at + static_cast<std::size_t>(std::countr_zero(commas)) / 8;
                Add(line.substr(start, comma - start));
                start = comma + 1;
            }
            if (ends != 0) {
                const std::size_t end = at + static_cast<std::size_t>(std::countr_zero(ends)) / 8;
                Add(line.substr(start, end - start));
                return;
            }
        }
        Add(line.substr(start));
    }
    std::string_view operator[](std::size_t i) const {
        if (i >= size_)
            return {};
        if (i >= kInPlace)
            return more_[i - kInPlace];
        return {inPlace_[i].Data, inPlace_[i].Size};
    }
    std::size_t size() const { return size_; }

private:
    static_assert(std::endian::native == std::endian::little, "the first byte is the lowest");
    static constexpr std::uint64_t kLowBits = 0x7F7F7F7F7F7F7F7F;

    // Eight bytes from at on, zeros past the end (no separator is zero).
    static std::uint64_t Word(std::string_view line, std::size_t at) {
        std::uint64_t word = 0;
        if (line.size() - at >= 8) // one load, the usual case
            std::memcpy(&word, line.data() + at, 8);
        else
            std::memcpy(&word, line.data() + at, line.size() - at);
        return word;
    }
    // The top bit of every byte of word that equals c, no other bit.
    static std::uint64_t BytesEqual(std::uint64_t word, char c) {
        const std::uint64_t x = word ^ (0x0101010101010101 * static_cast<std::uint8_t>(c));
        return ~(((x & kLowBits) + kLowBits) | x | kLowBits);
    }

    static constexpr std::size_t kInPlace = 32; // GSV and PUBX,00 hold 20 or so
    static constexpr std::size_t kMoreAtOnce = 96;

    void Add(std::string_view field) {
        if (size_ < kInPlace)
            inPlace_[size_++] = {field.data(), field.size()};
        else
            AddMore(field);
    }
    [[gnu::noinline]] void AddMore(std::string_view field) {
        if (more_.empty())
            more_.reserve(kMoreAtOnce);
        more_.push_back(field);
        ++size_;
    }

    // Left unset until written: clearing them would cost more than the split.
    struct Span {
        const char* Data;
        std::size_t Size;
    };
    Span inPlace_[kInPlace];
    std::vector<std::string_view> more_;
    std::size_t size_ = 0;
};

// "ddmm.mmmm" or "dddmm.mmmm" with its hemisphere letter, in signed degrees.
std::optional<double> Angle(std::string_view value, std::string_view hemisphere) {
    const std::optional<double> raw = NumberText(value);
    if (!raw || *raw < 0 || hemisphere.size() != 1 || hemisphere.find_first_of("NSEW") != 0)
        return std::nullopt;
    const double degrees = std::floor(*raw / 100);
    const double angle = degrees + (*raw - degrees * 100) / 60;
    return hemisphere == "S" || hemisphere == "W" ? -angle : angle;
}

// "hhmmss.ss" into the time of day.
void ReadTime(std::string_view text, UtcTime& utc) {
    if (text.size() < 6)
        return;
    const auto hour = IntegerText(text.substr(0, 2));
    const auto minute = IntegerText(text.substr(2, 2));
    const auto second = NumberText(text.substr(4));
    if (hour && minute && second) {
        utc.Hour = *hour;
        utc.Minute = *minute;
        utc.Second = *second;
    }
}

// "ddmmyy" into the date.
void ReadDate(std::string_view text, UtcTime& utc) {
    if (text.size() != 6)
        return;
    const auto day = IntegerText(text.substr(0, 2));
    const auto month = IntegerText(text.substr(2, 2));
    const auto year = IntegerText(text.substr(4, 2));
    if (day && month && year) {
        utc.Day = *day;
        utc.Month = *month;
        utc.Year = *year + (*year < 80 ? 2000 : 1900);
    }
}

// Writes the fields shown and the typed values of one sentence.
class SentenceDecoder {
public:
    SentenceDecoder(const Sentence& s, Decoded& d, DecodeDetail detail)
        : s_(s), d_(d), fields_(detail == DecodeDetail::Fields) {}

    void Show(std::string_view name, std::size_t index, std::string_view unit = "") {
        if (fields_)
            ShowText(name, s_[index], unit);
    }
    void ShowTime(std::size_t index) {
        UtcTime utc;
        ReadTime(s_[index], utc);
        Show("UTC time", index, "hhmmss");
        if (utc.Hour)
            Merge(utc);
    }
    void ShowDate(std::size_t index) {
        UtcTime utc;
        ReadDate(s_[index], utc);
        Show("date", index, "ddmmyy");
        if (utc.Year)
            Merge(utc);
    }
    // Latitude and longitude with their hemispheres from index on; true when both read.
    bool ShowLatLon(std::size_t index, std::optional<double>& lat, std::optional<double>& lon) {
        lat = Angle(s_[index], s_[index + 1]);
        lon = Angle(s_[index + 2], s_[index + 3]);
        if (fields_) {
            ShowText("latitude", lat ? FixedText(*lat, 7) : "", "deg");
            ShowText("longitude", lon ? FixedText(*lon, 7) : "", "deg");
        }
        return lat && lon;
    }
    // The position with the altitude above mean sea level and the geoid
    // separation at the given fields (their sum is the ellipsoid height).
    Position PositionAt(double lat, double lon, std::size_t altitude,
                        std::size_t separation) const {
        Position position{lat, lon};
        position.HeightMslM = Num(altitude);
        if (position.HeightMslM && Num(separation))
            position.HeightEllipsoidM = *position.HeightMslM + *Num(separation);
        return position;
    }
    std::optional<double> Num(std::size_t index) const { return NumberText(s_[index]); }
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
    void Merge(const UtcTime& part) {
        UtcTime& utc = d_.Utc ? *d_.Utc : d_.Utc.emplace();
        if (part.Year) {
            utc.Year = part.Year;
            utc.Month = part.Month;
            utc.Day = part.Day;
        }
        if (part.Hour) {
            utc.Hour = part.Hour;
            utc.Minute = part.Minute;
            utc.Second = part.Second;
        }
    }
    const Sentence& s_;
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

void Gga(const Sentence&, SentenceDecoder& x, Decoded& d) {
    x.ShowTime(1);
    std::optional<double> lat, lon;
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
    FixStatus fix;
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
    d.Fix = fix;
    if (located && quality.value_or(0) != 0)
        d.Position = x.PositionAt(*lat, *lon, 9, 11);
    Dops dops;
    dops.Horizontal = x.Num(8);
    d.Dop = dops;
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

void Rmc(const Sentence& s, SentenceDecoder& x, Decoded& d) {
    x.ShowTime(1);
    x.Show("status", 2);
    std::optional<double> lat, lon;
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
    FixStatus fix;
    fix.Quality = valid ? "valid" : "invalid";
    if (!valid)
        fix.Type = FixType::NoFix;
    else if (mode)
        fix = FixStatus{mode->Type, mode->Quality, {}, mode->Solution};
    d.Fix = fix;
    if (!valid)
        return; // a position and motion without a fix are no readings
    if (located)
        d.Position = Position{*lat, *lon};
    Motion motion;
    if (const auto knots = x.Num(7))
        motion.SpeedMps = *knots * kKnotsToMps;
    motion.CourseDeg = x.Num(8);
    d.Motion = motion;
}

void Gsa(const Sentence& s, SentenceDecoder& x, Decoded& d) {
    x.Show("operation mode", 1);
    x.Show("fix mode", 2);
    const std::optional<int> systemId = x.Int(18);
    UsedSatellites used;
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
            used.Satellites.push_back(
                NmeaSatellite(used.System.value_or(Constellation::Unknown), number));
    }
    x.Show("PDOP", 15);
    x.Show("HDOP", 16);
    x.Show("VDOP", 17);
    x.Show("system id", 18);
    x.CheckInt("fix mode", 2, 1, 3);
    d.Used = std::move(used);
    Dops dops;
    dops.Position = x.Num(15);
    dops.Horizontal = x.Num(16);
    dops.Vertical = x.Num(17);
    d.Dop = dops;
    FixStatus fix;
    const std::optional<int> mode = x.Int(2);
    if (mode == 1)
        fix.Type = FixType::NoFix;
    else if (mode == 2)
        fix.Type = FixType::Fix2D;
    else if (mode == 3)
        fix.Type = FixType::Fix3D;
    d.Fix = fix;
}

void Gsv(const Sentence& s, SentenceDecoder& x, Decoded& d) {
    x.Show("messages", 1);
    x.Show("message", 2);
    x.Show("satellites in view", 3);
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
        // Filled in place: a copy of freshly written optionals stalls the processor.
        SatelliteInView& sv = part.Satellites.emplace_back(NmeaSatellite(system, number));
        x.SetInt(sv.ElevationDeg, at + 1);
        x.SetInt(sv.AzimuthDeg, at + 2);
        x.SetInt(sv.Cn0DbHz, at + 3);
    }
    d.GsvPart = std::move(part);
}

void Gll(const Sentence& s, SentenceDecoder& x, Decoded& d) {
    std::optional<double> lat, lon;
    const bool located = x.ShowLatLon(1, lat, lon);
    x.ShowTime(5);
    x.Show("status", 6);
    x.Show("mode", 7);
    if (located && s[6] == "A")
        d.Position = Position{*lat, *lon};
}

void Vtg(const Sentence& s, SentenceDecoder& x, Decoded& d) {
    x.Show("course true", 1, "deg");
    x.Show("course magnetic", 3, "deg");
    x.Show("speed", 5, "kn");
    x.Show("speed", 7, "km/h");
    x.Show("mode", 9);
    if (s[9] == "N")
        return;
    Motion motion;
    motion.CourseDeg = x.Num(1);
    if (const auto kph = x.Num(7))
        motion.SpeedMps = *kph * kKphToMps;
    else if (const auto knots = x.Num(5))
        motion.SpeedMps = *knots * kKnotsToMps;
    d.Motion = motion;
}

void Zda(const Sentence&, SentenceDecoder& x, Decoded& d) {
    x.ShowTime(1);
    x.Show("day", 2);
    x.Show("month", 3);
    x.Show("year", 4);
    x.Show("local zone hours", 5, "h");
    x.Show("local zone minutes", 6, "min");
    const auto day = x.Int(2), month = x.Int(3), year = x.Int(4);
    if (d.Utc && day && month && year) {
        d.Utc->Day = day;
        d.Utc->Month = month;
        d.Utc->Year = year;
    }
}

void Gns(const Sentence& s, SentenceDecoder& x, Decoded& d) {
    x.ShowTime(1);
    std::optional<double> lat, lon;
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
        d.Position = x.PositionAt(*lat, *lon, 9, 10);
    FixStatus fix;
    fix.Quality = std::string(mode);
    fix.SatellitesUsed = x.Int(7);
    if (!fixed)
        fix.Type = FixType::NoFix;
    // One letter per constellation: the best of them tells the solution.
    for (const char letter : mode)
        if (const auto told = ModeIndicator(letter); told && told->Solution)
            fix.Solution = std::max(fix.Solution.value_or(Solution::Autonomous), *told->Solution);
    d.Fix = fix;
    Dops dops;
    dops.Horizontal = x.Num(8);
    d.Dop = dops;
}

void Gst(const Sentence&, SentenceDecoder& x, Decoded& d) {
    x.ShowTime(1);
    x.Show("range RMS", 2, "m");
    x.Show("major axis", 3, "m");
    x.Show("minor axis", 4, "m");
    x.Show("orientation", 5, "deg");
    x.Show("latitude error", 6, "m");
    x.Show("longitude error", 7, "m");
    x.Show("altitude error", 8, "m");
    Accuracies accuracy;
    if (const auto latErr = x.Num(6), lonErr = x.Num(7); latErr && lonErr)
        accuracy.HorizontalM = std::hypot(*latErr, *lonErr);
    accuracy.VerticalM = x.Num(8);
    d.Accuracy = accuracy;
}

void Txt(const Sentence& s, SentenceDecoder& x, Decoded& d) {
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

void Pubx00(const Sentence& s, SentenceDecoder& x, Decoded& d) {
    x.ShowTime(2);
    std::optional<double> lat, lon;
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
    if (located && type && *type != FixType::NoFix) {
        Position position{*lat, *lon};
        position.HeightEllipsoidM = x.Num(7);
        d.Position = position;
    }
    const bool differential = s[8] == "D2" || s[8] == "D3";
    d.Fix =
        FixStatus{type, std::string(s[8]), x.Int(18),
                  type && *type != FixType::NoFix
                      ? std::optional(differential ? Solution::Differential : Solution::Autonomous)
                      : std::nullopt};
    if (!type || *type == FixType::NoFix)
        return; // without a fix, its accuracies, speed and DOPs are no readings
    Accuracies accuracy;
    accuracy.HorizontalM = x.Num(9);
    accuracy.VerticalM = x.Num(10);
    d.Accuracy = accuracy;
    Motion motion;
    if (const auto kph = x.Num(11))
        motion.SpeedMps = *kph * kKphToMps;
    motion.CourseDeg = x.Num(12);
    if (const auto down = x.Num(13))
        motion.ClimbMps = -*down;
    d.Motion = motion;
    Dops dops;
    dops.Horizontal = x.Num(15);
    dops.Vertical = x.Num(16);
    dops.Time = x.Num(17);
    d.Dop = dops;
}

void Pubx03(const Sentence& s, SentenceDecoder& x, Decoded& d) {
    x.Show("satellites", 2);
    SatelliteReport report;
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
            report.Satellites.emplace_back(NmeaSatellite(Constellation::Unknown, number));
        x.SetInt(sv.AzimuthDeg, at + 2);
        x.SetInt(sv.ElevationDeg, at + 3);
        x.SetInt(sv.Cn0DbHz, at + 4);
        sv.Used = s[at + 1] == "U";
    }
    d.Satellites = std::move(report);
}

void Pubx04(const Sentence&, SentenceDecoder& x, Decoded&) {
    x.ShowTime(2);
    x.ShowDate(3);
    x.Show("UTC time of week", 4, "s");
    x.Show("UTC week", 5);
    x.Show("leap seconds", 6, "s");
    x.Show("clock bias", 7, "ns");
    x.Show("clock drift", 8, "ns/s");
    x.Show("time pulse granularity", 9, "ns");
}

using SentenceReader = void (*)(const Sentence&, SentenceDecoder&, Decoded&);

struct KnownSentence {
    std::string_view Type;
    SentenceReader Read;
};

constexpr KnownSentence kSentences[] = {
    {"GGA", Gga}, {"RMC", Rmc}, {"GSA", Gsa}, {"GSV", Gsv}, {"GLL", Gll},
    {"VTG", Vtg}, {"ZDA", Zda}, {"GNS", Gns}, {"GST", Gst}, {"TXT", Txt},
};

constexpr KnownSentence kPubx[] = {{"00", Pubx00}, {"03", Pubx03}, {"04", Pubx04}};

SentenceReader FindReader(std::span<const KnownSentence> known, std::string_view type) {
    // Compared by hand: these three-letter names are not worth a memcmp call each.
    const auto same = [type](std::string_view name) {
        if (name.size() != type.size())
            return false;
        for (std::size_t i = 0; i < name.size(); ++i)
            if (name[i] != type[i])
                return false;
        return true;
    };
    for (const auto& sentence : known)
        if (same(sentence.Type))
            return sentence.Read;
    return nullptr;
}

} // namespace

Decoded DecodeNmea(std::string_view line, DecodeDetail detail) {
    const Sentence s(line);
    Decoded d;
    SentenceReader read = nullptr;
    const std::string_view address = s[0];
    if (address == "PUBX") {
        d.Name = "PUBX," + std::string(s[1]);
        read = FindReader(kPubx, s[1]);
    } else if (address.size() == 5 && address[0] != 'P') {
        d.Talker = std::string(address.substr(0, 2));
        d.Name = std::string(address.substr(2));
        read = FindReader(kSentences, d.Name);
    } else {
        d.Name = PrintableText(address);
    }
    SentenceDecoder decoder(s, d, detail);
    if (read) {
        read(s, decoder, d);
    } else {
        for (std::size_t i = 1; i < s.size(); ++i)
            decoder.Show(std::to_string(i), i);
    }
    return d;
}

} // namespace protocol
