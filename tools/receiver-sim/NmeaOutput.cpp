#include "tools/receiver-sim/NmeaOutput.h"

#include "tools/receiver-sim/GpsTime.h"
#include "tools/receiver-sim/NmeaFields.h"
#include "tools/receiver-sim/ReceiverClock.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace {
constexpr double kKnotsPerMetrePerSecond = 3600.0 / 1852.0;
constexpr double kKmhPerMetrePerSecond = 3.6;
constexpr size_t kSatellitesPerGsv = 4;
constexpr size_t kGsaChannels = 12;
constexpr int kGgaMaxUsed = 12;
const std::string kNoDop = "99.99";

// One constellation as NMEA 4.11 reports it: its GSV talker, its GSA system
// id, the signal id of its L1 signal, and the UBX constellations it covers.
struct NmeaSystem {
    std::string_view talker;
    std::string_view systemId;
    std::string_view signalId;
    Gnss first, second;
    bool Covers(Gnss system) const { return system == first || system == second; }
};

constexpr NmeaSystem kNmeaSystems[] = {{"GP", "1", "1", Gnss::Gps, Gnss::Sbas},
                                       {"GL", "2", "1", Gnss::Glonass, Gnss::Glonass},
                                       {"GA", "3", "7", Gnss::Galileo, Gnss::Galileo},
                                       {"GB", "4", "1", Gnss::BeiDou, Gnss::BeiDou},
                                       {"GQ", "5", "1", Gnss::Qzss, Gnss::Qzss}};

// GPS alone: every satellite under GP, no system or signal ids.
constexpr NmeaSystem kGpsAlone = {"GP", "", "", Gnss::Gps, Gnss::Gps};

std::string Join(std::initializer_list<std::string> fields) {
    std::string body;
    for (const std::string& field : fields) {
        if (!body.empty())
            body += ',';
        body += field;
    }
    return body;
}

// Talker of the sentences about the combined solution.
std::string Talker(NmeaDialect dialect) {
    return dialect == NmeaDialect::MultiGnss ? "GN" : "GP";
}

std::string Position(const NavigationSolution& s) {
    if (!s.fix)
        return ",,,";
    return LatitudeFields(s.latitude, 5) + ',' + LongitudeFields(s.longitude, 5);
}

// The position mode that ends RMC, VTG and GLL: autonomous, or no fix.
std::string Mode(const NavigationSolution& s) {
    return s.fix ? "A" : "N";
}

// GGA's quality: RTK fixed 4, RTK float 5, else a GPS fix 1.
std::string GgaQuality(const NavigationSolution& s) {
    constexpr const char* kQualities[] = {"1", "5", "4"};
    return kQualities[static_cast<int>(s.carrier)];
}

std::string Gga(const NavigationSolution& s, NmeaDialect dialect) {
    if (!s.fix)
        return NmeaSentence(Join({Talker(dialect) + "GGA", TimeField(s.utc, s.millisecond),
                                  Position(s), "0", "00", kNoDop, "", "", "", "", "", ""}));
    return NmeaSentence(Join(
        {Talker(dialect) + "GGA", TimeField(s.utc, s.millisecond), Position(s), GgaQuality(s),
         Padded(std::min(s.usedCount(), kGgaMaxUsed), 2), Fixed(s.hdop, 2), Fixed(s.altitudeMsl, 1),
         "M", Fixed(s.geoidSeparation, 1), "M", s.correctionAgeS ? Fixed(*s.correctionAgeS, 1) : "",
         s.correctionAgeS ? Padded(s.referenceStation, 4) : ""}));
}

std::string Gll(const NavigationSolution& s, NmeaDialect dialect) {
    return NmeaSentence(Join({Talker(dialect) + "GLL", Position(s), TimeField(s.utc, s.millisecond),
                              s.fix ? "A" : "V", Mode(s)}));
}

std::string GsaOf(const NavigationSolution& s, const NmeaSystem& system, NmeaDialect dialect) {
    std::string body = Talker(dialect) + "GSA,A," + (s.fix ? "3" : "1");
    size_t channels = 0;
    for (const SatelliteView& sat : s.satellites) {
        if (sat.used && system.Covers(sat.system) && channels < kGsaChannels) {
            body += ',' + Padded(NmeaSatelliteNumber(sat), 2);
            ++channels;
        }
    }
    for (; channels < kGsaChannels; ++channels)
        body += ',';
    if (s.fix)
        body += ',' + Join({Fixed(s.pdop, 2), Fixed(s.hdop, 2), Fixed(s.vdop, 2)});
    else
        body += ',' + Join({kNoDop, kNoDop, kNoDop});
    if (!system.systemId.empty())
        body += ',' + std::string(system.systemId);
    return NmeaSentence(body);
}

std::vector<std::string> GsvOf(const NavigationSolution& s, const NmeaSystem& system) {
    std::vector<SatelliteView> inView;
    std::ranges::copy_if(s.satellites, std::back_inserter(inView),
                         [&](const SatelliteView& sat) { return system.Covers(sat.system); });
    std::ranges::sort(inView, {}, NmeaSatelliteNumber);
    const size_t count = inView.size();
    const size_t sentences =
        std::max<size_t>(1, (count + kSatellitesPerGsv - 1) / kSatellitesPerGsv);
    std::vector<std::string> result;
    for (size_t index = 0; index < sentences; ++index) {
        std::string body = Join({std::string(system.talker) + "GSV", std::to_string(sentences),
                                 std::to_string(index + 1), Padded(static_cast<int>(count), 2)});
        for (size_t k = index * kSatellitesPerGsv;
             k < std::min(count, (index + 1) * kSatellitesPerGsv); ++k) {
            const SatelliteView& sat = inView[k];
            body += ',' + Join({Padded(NmeaSatelliteNumber(sat), 2), Padded(sat.elevation, 2),
                                Padded(sat.azimuth, 3), sat.cno > 0 ? Padded(sat.cno, 2) : ""});
        }
        if (!system.signalId.empty())
            body += ',' + std::string(system.signalId);
        result.push_back(NmeaSentence(body));
    }
    return result;
}

std::vector<std::string> Gsa(const NavigationSolution& s, NmeaDialect dialect) {
    if (dialect == NmeaDialect::GpsOnly)
        return {GsaOf(s, kGpsAlone, dialect)};
    std::vector<std::string> result;
    for (const NmeaSystem& system : kNmeaSystems)
        result.push_back(GsaOf(s, system, dialect));
    return result;
}

std::vector<std::string> Gsv(const NavigationSolution& s, NmeaDialect dialect) {
    if (dialect == NmeaDialect::GpsOnly)
        return GsvOf(s, kGpsAlone);
    std::vector<std::string> result;
    for (const NmeaSystem& system : kNmeaSystems)
        std::ranges::move(GsvOf(s, system), std::back_inserter(result));
    return result;
}

std::string Rmc(const NavigationSolution& s, NmeaDialect dialect) {
    std::string body =
        Join({Talker(dialect) + "RMC", TimeField(s.utc, s.millisecond), s.fix ? "A" : "V",
              Position(s), s.fix ? Fixed(s.speed * kKnotsPerMetrePerSecond, 3) : "",
              s.fix ? Fixed(s.course, 2) : "", DateField(s.utc), "", "",
              s.carrier == CarrierSolution::Fixed   ? "R"
              : s.carrier == CarrierSolution::Float ? "F"
                                                    : Mode(s)});
    if (dialect == NmeaDialect::MultiGnss)
        body += ",V"; // navigational status: not given
    return NmeaSentence(body);
}

std::string Vtg(const NavigationSolution& s, NmeaDialect dialect) {
    if (!s.fix)
        return NmeaSentence(Talker(dialect) + "VTG,,,,,,,,,N");
    return NmeaSentence(Join({Talker(dialect) + "VTG", Fixed(s.course, 2), "T", "", "M",
                              Fixed(s.speed * kKnotsPerMetrePerSecond, 3), "N",
                              Fixed(s.speed * kKmhPerMetrePerSecond, 3), "K", "A"}));
}

std::string Zda(const NavigationSolution& s, NmeaDialect dialect) {
    std::tm t{};
    gmtime_r(&s.utc, &t);
    return NmeaSentence(
        Join({Talker(dialect) + "ZDA", TimeField(s.utc, s.millisecond), Padded(t.tm_mday, 2),
              Padded(t.tm_mon + 1, 2), Padded(t.tm_year + 1900, 4), "00", "00"}));
}

template <std::string (*Build)(const NavigationSolution&, NmeaDialect)>
std::vector<std::string> One(const NavigationSolution& s, NmeaDialect dialect) {
    return {Build(s, dialect)};
}
} // namespace

int NmeaSatelliteNumber(const SatelliteView& sat) {
    switch (sat.system) {
    case Gnss::Sbas:
        // 33-64 for PRN 120-151; the PRNs above keep their own number, as
        // 65 and up are GLONASS.
        return sat.prn <= 151 ? sat.prn - 87 : sat.prn;
    case Gnss::Glonass:
        return 64 + sat.prn;
    default:
        return sat.prn;
    }
}

std::vector<std::string> StandardMessage(std::string_view id, const NavigationSolution& s,
                                         NmeaDialect dialect) {
    using Builder = std::vector<std::string> (*)(const NavigationSolution&, NmeaDialect);
    static constexpr std::pair<std::string_view, Builder> kBuilders[] = {
        {"RMC", One<Rmc>}, {"VTG", One<Vtg>}, {"GGA", One<Gga>}, {"GSA", Gsa},
        {"GSV", Gsv},      {"GLL", One<Gll>}, {"ZDA", One<Zda>}};
    for (const auto& [name, build] : kBuilders)
        if (name == id)
            return build(s, dialect);
    return {};
}

std::vector<std::string> BannerSentences(const ReceiverIdentity& identity, NmeaDialect dialect) {
    std::vector<std::string> banner;
    const std::string texts[] = {"u-blox ag - www.u-blox.com",
                                 "HW " + std::string(identity.hardwareName) + " " +
                                     std::string(identity.hardwareVersion),
                                 std::string(identity.softwareVersion),
                                 std::string(identity.extensions[0]),
                                 std::string(identity.extensions[1]),
                                 "ANTSTATUS=OK",
                                 "ZEPO receiver simulator"};
    for (const std::string& text : texts)
        banner.push_back(NmeaSentence(Talker(dialect) + "TXT,01,01,02," + text));
    return banner;
}

std::string Pubx00Position(const NavigationSolution& s) {
    return NmeaSentence(
        Join({"PUBX,00", TimeField(s.utc, s.millisecond), LatitudeFields(s.latitude, 6),
              LongitudeFields(s.longitude, 6), Fixed(s.altitudeEllipsoid(), 3), s.fix ? "G3" : "NF",
              Fixed(s.horizontalAccuracy, 1), Fixed(s.verticalAccuracy, 1),
              Fixed(s.speed * kKmhPerMetrePerSecond, 3), Fixed(s.course, 2),
              Fixed(-s.verticalSpeed, 3), "", Fixed(s.hdop, 2), Fixed(s.vdop, 2), Fixed(s.tdop, 2),
              std::to_string(s.usedCount()), "0", "0"}));
}

std::string Pubx03SatelliteStatus(const NavigationSolution& s) {
    std::string body = "PUBX,03," + std::to_string(s.satellites.size());
    for (const SatelliteView& sat : s.satellites)
        body +=
            ',' + Join({Padded(sat.UbloxNumber(), 2), sat.used ? "U" : "e", Padded(sat.azimuth, 3),
                        Padded(sat.elevation, 2), Padded(sat.cno, 2), Padded(sat.lockTime, 3)});
    return NmeaSentence(body);
}

std::string Pubx04TimeOfDay(const NavigationSolution& s) {
    const ClockError clock = ReceiverClockError(s.utc);
    return NmeaSentence(
        Join({"PUBX,04", TimeField(s.utc, s.millisecond), DateField(s.utc),
              Fixed(static_cast<double>(UtcTimeOfWeek(s.utc)) + s.millisecond / 1000.0, 2),
              std::to_string(UtcWeek(s.utc)), std::to_string(kGpsLeapSeconds),
              std::to_string(std::lround(clock.biasNs)), Fixed(clock.driftNsPerSecond, 3),
              std::to_string(20 + s.utc % 30), ""}));
}
