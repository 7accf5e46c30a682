#include "protocol/decoding/Satellites.h"

#include <array>
#include <span>

namespace protocol {
namespace {

// A block of satellite numbers and the constellation numbers it stands for.
struct NumberRange {
    int First, Last;
    Constellation System;
    int Offset; // subtracted to give the constellation's own number
};

SatelliteId FromRanges(std::span<const NumberRange> ranges, int number) {
    for (const auto& range : ranges)
        if (number >= range.First && number <= range.Last)
            return {range.System, number - range.Offset};
    return {Constellation::Unknown, number};
}

// NMEA 4.0 numbers with the u-blox extensions, as GP and GN sentences use them.
constexpr std::array<NumberRange, 9> kNmeaNumbers = {{
    {1, 32, Constellation::Gps, 0},
    {33, 64, Constellation::Sbas, -87},
    {65, 96, Constellation::Glonass, 64},
    {120, 158, Constellation::Sbas, 0},
    {173, 182, Constellation::Imes, 172},
    {193, 202, Constellation::Qzss, 192},
    {201, 237, Constellation::BeiDou, 200},
    {301, 336, Constellation::Galileo, 300},
    {401, 437, Constellation::BeiDou, 400},
}};

constexpr std::array<NumberRange, 9> kSvinfoNumbers = {{
    {1, 32, Constellation::Gps, 0},
    {33, 64, Constellation::BeiDou, 32},
    {65, 96, Constellation::Glonass, 64},
    {120, 158, Constellation::Sbas, 0},
    {159, 163, Constellation::BeiDou, 126},
    {173, 182, Constellation::Imes, 172},
    {193, 197, Constellation::Qzss, 192},
    {211, 246, Constellation::Galileo, 210},
    {255, 255, Constellation::Glonass, 0},
}};

} // namespace

Constellation TalkerSystem(std::string_view talker) {
    if (talker == "GL")
        return Constellation::Glonass;
    if (talker == "GA")
        return Constellation::Galileo;
    if (talker == "GB" || talker == "BD")
        return Constellation::BeiDou;
    if (talker == "GQ" || talker == "QZ")
        return Constellation::Qzss;
    if (talker == "GI")
        return Constellation::NavIC;
    return Constellation::Unknown;
}

Constellation NmeaSystemId(int systemId) {
    constexpr std::array<Constellation, 6> kIds = {Constellation::Gps,     Constellation::Glonass,
                                                   Constellation::Galileo, Constellation::BeiDou,
                                                   Constellation::Qzss,    Constellation::NavIC};
    return systemId >= 1 && systemId <= 6 ? kIds[systemId - 1] : Constellation::Unknown;
}

Coverage TalkerSystems(std::string_view talker) {
    if (talker == "GP")
        return {Constellation::Gps, Constellation::Sbas, Constellation::Qzss, Constellation::Imes};
    const Constellation system = TalkerSystem(talker);
    if (system == Constellation::Unknown)
        return {};
    return {system};
}

SatelliteId NmeaSatellite(Constellation system, int number) {
    // GPS sentences also carry SBAS and QZSS satellites, numbered as such.
    const SatelliteId numbered = FromRanges(kNmeaNumbers, number);
    if (system == Constellation::Unknown || system == Constellation::Gps ||
        numbered.System == system)
        return numbered;
    // Strict NMEA 4.10 numbers within the constellation.
    return {system, number};
}

SatelliteId SvinfoSatellite(int svid) {
    return FromRanges(kSvinfoNumbers, svid);
}

SatelliteId GnssIdSatellite(int gnssId, int svId) {
    constexpr std::array<Constellation, 8> kIds = {
        Constellation::Gps,  Constellation::Sbas, Constellation::Galileo, Constellation::BeiDou,
        Constellation::Imes, Constellation::Qzss, Constellation::Glonass, Constellation::NavIC};
    return {gnssId >= 0 && gnssId < 8 ? kIds[gnssId] : Constellation::Unknown, svId};
}

std::string_view ConstellationName(Constellation system) {
    switch (system) {
    case Constellation::Gps:
        return "GPS";
    case Constellation::Sbas:
        return "SBAS";
    case Constellation::Galileo:
        return "Galileo";
    case Constellation::BeiDou:
        return "BeiDou";
    case Constellation::Imes:
        return "IMES";
    case Constellation::Qzss:
        return "QZSS";
    case Constellation::Glonass:
        return "GLONASS";
    case Constellation::NavIC:
        return "NavIC";
    case Constellation::Unknown:
        break;
    }
    return "unknown";
}

} // namespace protocol
