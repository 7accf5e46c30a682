#include "tools/receiver-sim/NmeaOutput.h"

#include "tools/receiver-sim/GpsTime.h"
#include "tools/receiver-sim/NmeaFields.h"

#include <cmath>
#include <ctime>

namespace {
constexpr double kKnotsPerMetrePerSecond = 3600.0 / 1852.0;
constexpr double kKmhPerMetrePerSecond = 3.6;
constexpr size_t kSatellitesPerGsv = 4;
constexpr size_t kGsaChannels = 12;

std::string Join(std::initializer_list<std::string> fields) {
    std::string body;
    for (const std::string& field : fields) {
        if (!body.empty())
            body += ',';
        body += field;
    }
    return body;
}

std::string Gga(const NavigationSolution& s) {
    return NmeaSentence(
        Join({"GPGGA", TimeField(s.utc), LatitudeFields(s.latitude, 5),
              LongitudeFields(s.longitude, 5), "1", Padded(s.usedCount(), 2), Fixed(s.hdop, 2),
              Fixed(s.altitudeMsl, 1), "M", Fixed(s.geoidSeparation, 1), "M", "", ""}));
}

std::string Gll(const NavigationSolution& s) {
    return NmeaSentence(Join({"GPGLL", LatitudeFields(s.latitude, 5),
                              LongitudeFields(s.longitude, 5), TimeField(s.utc), "A", "A"}));
}

std::string Gsa(const NavigationSolution& s) {
    std::string body = "GPGSA,A,3";
    size_t channels = 0;
    for (const SatelliteView& sat : s.satellites) {
        if (sat.used && channels < kGsaChannels) {
            body += ',' + Padded(sat.prn, 2);
            ++channels;
        }
    }
    for (; channels < kGsaChannels; ++channels)
        body += ',';
    body += ',' + Join({Fixed(s.pdop, 2), Fixed(s.hdop, 2), Fixed(s.vdop, 2)});
    return NmeaSentence(body);
}

std::vector<std::string> Gsv(const NavigationSolution& s) {
    const size_t count = s.satellites.size();
    const size_t sentences =
        std::max<size_t>(1, (count + kSatellitesPerGsv - 1) / kSatellitesPerGsv);
    std::vector<std::string> result;
    for (size_t index = 0; index < sentences; ++index) {
        std::string body = Join({"GPGSV", std::to_string(sentences), std::to_string(index + 1),
                                 Padded(static_cast<int>(count), 2)});
        for (size_t k = index * kSatellitesPerGsv;
             k < std::min(count, (index + 1) * kSatellitesPerGsv); ++k) {
            const SatelliteView& sat = s.satellites[k];
            body += ',' + Join({Padded(sat.prn, 2), Padded(sat.elevation, 2),
                                Padded(sat.azimuth, 3), sat.cno > 0 ? Padded(sat.cno, 2) : ""});
        }
        result.push_back(NmeaSentence(body));
    }
    return result;
}

std::string Rmc(const NavigationSolution& s) {
    return NmeaSentence(
        Join({"GPRMC", TimeField(s.utc), "A", LatitudeFields(s.latitude, 5),
              LongitudeFields(s.longitude, 5), Fixed(s.speed * kKnotsPerMetrePerSecond, 3),
              Fixed(s.course, 2), DateField(s.utc), "", "", "A"}));
}

std::string Vtg(const NavigationSolution& s) {
    return NmeaSentence(Join({"GPVTG", Fixed(s.course, 2), "T", "", "M",
                              Fixed(s.speed * kKnotsPerMetrePerSecond, 3), "N",
                              Fixed(s.speed * kKmhPerMetrePerSecond, 3), "K", "A"}));
}

std::string Zda(const NavigationSolution& s) {
    std::tm t{};
    gmtime_r(&s.utc, &t);
    return NmeaSentence(Join({"GPZDA", TimeField(s.utc), Padded(t.tm_mday, 2),
                              Padded(t.tm_mon + 1, 2), Padded(t.tm_year + 1900, 4), "00", "00"}));
}

template <std::string (*Build)(const NavigationSolution&)>
std::vector<std::string> One(const NavigationSolution& s) {
    return {Build(s)};
}
} // namespace

std::vector<std::string> StandardMessage(std::string_view id, const NavigationSolution& s) {
    using Builder = std::vector<std::string> (*)(const NavigationSolution&);
    static constexpr std::pair<std::string_view, Builder> kBuilders[] = {
        {"RMC", One<Rmc>}, {"VTG", One<Vtg>}, {"GGA", One<Gga>}, {"GSA", One<Gsa>},
        {"GSV", Gsv},      {"GLL", One<Gll>}, {"ZDA", One<Zda>}};
    for (const auto& [name, build] : kBuilders)
        if (name == id)
            return build(s);
    return {};
}

std::vector<std::string> BannerSentences() {
    std::vector<std::string> banner;
    for (const char* text : {"u-blox ag - www.u-blox.com", "HW  UBX-G70xx   00070000",
                             "PROTVER 14.00", "ANTSTATUS=OK", "ZEPO receiver simulator"})
        banner.push_back(NmeaSentence(std::string("GPTXT,01,01,02,") + text));
    return banner;
}

std::string Pubx00Position(const NavigationSolution& s) {
    return NmeaSentence(Join({"PUBX,00", TimeField(s.utc), LatitudeFields(s.latitude, 6),
                              LongitudeFields(s.longitude, 6), Fixed(s.altitudeEllipsoid(), 3),
                              "G3", Fixed(s.horizontalAccuracy, 1), Fixed(s.verticalAccuracy, 1),
                              Fixed(s.speed * kKmhPerMetrePerSecond, 3), Fixed(s.course, 2),
                              Fixed(-s.verticalSpeed, 3), "", Fixed(s.hdop, 2), Fixed(s.vdop, 2),
                              Fixed(s.tdop, 2), std::to_string(s.usedCount()), "0", "0"}));
}

std::string Pubx03SatelliteStatus(const NavigationSolution& s) {
    std::string body = "PUBX,03," + std::to_string(s.satellites.size());
    for (const SatelliteView& sat : s.satellites)
        body += ',' + Join({Padded(sat.prn, 2), sat.used ? "U" : "e", Padded(sat.azimuth, 3),
                            Padded(sat.elevation, 2), Padded(sat.cno, 2), Padded(sat.lockTime, 3)});
    return NmeaSentence(body);
}

std::string Pubx04TimeOfDay(const NavigationSolution& s) {
    const std::time_t sinceGpsEpoch = s.utc - kGpsEpochUtc;
    // The receiver's clock runs slow and is steered back by whole milliseconds.
    const double drift = -2660.664 + 3.0 * std::sin(static_cast<double>(s.utc) / 300.0);
    const double bias =
        std::fmod(std::fabs(drift) * static_cast<double>(sinceGpsEpoch % 100000), 1e6);
    return NmeaSentence(
        Join({"PUBX,04", TimeField(s.utc), DateField(s.utc),
              Fixed(static_cast<double>(UtcTimeOfWeek(s.utc)), 2), std::to_string(UtcWeek(s.utc)),
              std::to_string(kGpsLeapSeconds), std::to_string(std::lround(bias)), Fixed(drift, 3),
              std::to_string(20 + s.utc % 30), ""}));
}
