#include "protocol/ntrip/Sourcetable.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

namespace ntrip {
namespace {
constexpr double kEarthRadiusKm = 6371.0;

std::vector<std::string> Fields(std::string_view line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (const char c : line) {
        if (c == '"')
            quoted = !quoted;
        else if (c == ';' && !quoted)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

std::optional<double> Degrees(const std::string& text, double limit) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value) ||
        std::fabs(value) > limit)
        return std::nullopt;
    return value;
}

StreamRecord StreamOf(std::vector<std::string> f) {
    f.resize(19);
    StreamRecord s;
    s.mountpoint = f[1];
    s.identifier = f[2];
    s.format = f[3];
    s.formatDetails = f[4];
    s.carrier = f[5];
    s.navSystems = f[6];
    s.network = f[7];
    s.country = f[8];
    s.latitudeDeg = Degrees(f[9], 90);
    // Some casters give longitudes from 0 to 360.
    s.longitudeDeg = Degrees(f[10], 360);
    if (s.longitudeDeg && *s.longitudeDeg > 180)
        *s.longitudeDeg -= 360;
    s.wantsNmea = f[11] == "1";
    s.networkSolution = f[12] == "1";
    s.generator = f[13];
    s.compression = f[14];
    s.authentication = f[15];
    s.fee = f[16] == "Y";
    s.bitrate = f[17];
    s.misc = f[18];
    return s;
}
} // namespace

Sourcetable ParseSourcetable(std::string_view text) {
    Sourcetable table;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.starts_with("STR;")) {
            StreamRecord stream = StreamOf(Fields(line));
            if (!stream.mountpoint.empty())
                table.streams.push_back(std::move(stream));
        } else if (line.starts_with("CAS;")) {
            table.casters.emplace_back(line);
        } else if (line.starts_with("NET;")) {
            table.networks.emplace_back(line);
        }
    }
    return table;
}

std::string CarrierText(std::string_view carrier) {
    if (carrier == "0")
        return "none";
    if (carrier == "1")
        return "L1";
    if (carrier == "2")
        return "L1+L2";
    return std::string(carrier);
}

double DistanceKm(double latitudeDeg1, double longitudeDeg1, double latitudeDeg2,
                  double longitudeDeg2) {
    constexpr double kRad = std::numbers::pi / 180;
    const double dLat = (latitudeDeg2 - latitudeDeg1) * kRad;
    const double dLon = (longitudeDeg2 - longitudeDeg1) * kRad;
    const double a = std::sin(dLat / 2) * std::sin(dLat / 2) +
                     std::cos(latitudeDeg1 * kRad) * std::cos(latitudeDeg2 * kRad) *
                         std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2 * kEarthRadiusKm * std::asin(std::min(1.0, std::sqrt(a)));
}

} // namespace ntrip
