#pragma once
// What one received message means: its name, the fields to show (name, value
// text, unit) and the typed values that the receiver state and the pages use.
// Typed values are set only where the message carries them; units are SI
// (metres, metres per second) and degrees, times in UTC.

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace protocol {

struct Field {
    std::string Name;
    std::string Value;
    std::string Unit;
    friend bool operator==(const Field&, const Field&) = default;
};

enum class Constellation { Gps, Sbas, Galileo, BeiDou, Imes, Qzss, Glonass, NavIC, Unknown };

// The constellations a satellite report covers: those listed, or every one
// when none is.
class Coverage {
public:
    Coverage() = default;
    Coverage(std::initializer_list<Constellation> systems) {
        for (const Constellation system : systems)
            listed_ |= Bit(system);
    }
    bool Covers(Constellation system) const { return listed_ == 0 || (listed_ & Bit(system)) != 0; }
    friend bool operator==(const Coverage&, const Coverage&) = default;

private:
    static std::uint32_t Bit(Constellation system) {
        return std::uint32_t{1} << static_cast<unsigned>(system);
    }
    std::uint32_t listed_ = 0;
};

// A satellite in view. Number is the constellation's own (GLONASS slot 1-24,
// SBAS PRN 120-158, Galileo 1-36), whatever numbering the message used.
struct SatelliteInView {
    Constellation System = Constellation::Unknown;
    int Number = 0;
    std::optional<int> ElevationDeg{};
    std::optional<int> AzimuthDeg{};
    std::optional<int> Cn0DbHz{};
    bool Used = false;
    std::optional<bool> Healthy{}; // where the message says (NAV-SAT, NAV-SVINFO)
    friend bool operator==(const SatelliteInView&, const SatelliteInView&) = default;
};

struct UtcTime {
    std::optional<int> Year{}, Month{}, Day{}; // the date, where sent and valid
    std::optional<int> Hour{}, Minute{};
    std::optional<double> Second{};
};

struct Position {
    double LatitudeDeg = 0;
    double LongitudeDeg = 0;
    std::optional<double> HeightEllipsoidM{};
    std::optional<double> HeightMslM{};
};

enum class FixType { NoFix, DeadReckoning, Fix2D, Fix3D, GnssDeadReckoning, TimeOnly };

// How the fix was corrected: on its own, by differential corrections, or by
// a carrier-phase (RTK) solution whose ambiguities float or are fixed.
enum class Solution { Autonomous, Differential, RtkFloat, RtkFixed };

struct FixStatus {
    std::optional<FixType> Type{}; // not every message says 2D or 3D
    // The quality text as sent or derived ("GPS", "DGPS", "RTK fixed", "valid").
    std::string Quality;
    std::optional<int> SatellitesUsed{};
    std::optional<protocol::Solution> Solution{}; // where the message tells
};

struct Dops {
    std::optional<double> Geometric{}, Position{}, Time{}, Vertical{}, Horizontal{};
};

struct Motion {
    std::optional<double> SpeedMps{};  // over ground
    std::optional<double> CourseDeg{}; // over ground, true north
    std::optional<double> ClimbMps{};  // up positive
};

struct Accuracies {
    std::optional<double> HorizontalM{}, VerticalM{}, SpeedMps{}, CourseDeg{}, TimeNs{};
};

// Satellites of one complete report: they replace what was in view for each
// constellation Systems covers (all of them when the report covers every
// constellation the receiver tracks).
struct SatelliteReport {
    Coverage Systems;
    std::vector<SatelliteInView> Satellites;
};

// One GSV sentence: part Index of Count of the talker's report, which covers
// the constellations in Systems (every one for "GN").
struct SatellitePart {
    std::string Talker;
    Coverage Systems;
    int Count = 0, Index = 0, InView = 0;
    std::optional<int> SignalId{};
    std::vector<SatelliteInView> Satellites;
};

// Satellites used in the fix (GSA), for one constellation or, when System
// is empty, for whichever their numbers say.
struct UsedSatellites {
    std::optional<Constellation> System;
    std::vector<SatelliteInView> Satellites; // System and Number only
};

// ACK-ACK (Acknowledged) or ACK-NAK for the UBX message class/id.
struct Acknowledgement {
    bool Acknowledged = false;
    int Class = 0, Id = 0;
};

struct Decoded {
    std::string Name;   // "NAV-PVT", "GGA", "PUBX,00", "UBX 0x0A-0x04"
    std::string Talker; // NMEA talker ("GP", "GN"); empty for UBX and PUBX
    std::vector<Field> Fields;
    // Why the fields are missing or incomplete ("checksum wrong", a wrong
    // payload length), or which value is impossible ("latitude 91.0 out of
    // range"); empty when the message decoded whole. A message with a
    // problem carries no typed values.
    std::string Problem;

    std::optional<UtcTime> Utc;
    std::optional<protocol::Position> Position;
    std::optional<FixStatus> Fix;
    std::optional<protocol::Dops> Dop;
    std::optional<protocol::Motion> Motion;
    std::optional<protocol::Accuracies> Accuracy;
    std::optional<SatelliteReport> Satellites;
    std::optional<SatellitePart> GsvPart;
    std::optional<UsedSatellites> Used;
    std::optional<Acknowledgement> Ack;
    std::optional<std::string> Text; // INF-* and TXT messages
};

std::string_view ConstellationName(Constellation system);

} // namespace protocol
