#pragma once
// What one received message means: its name, the fields to show (name, value
// text, unit) and the typed values that the receiver state and the pages use.
// Typed values are set only where the message carries them; units are SI
// (metres, metres per second) and degrees, times in UTC.

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
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

// Interference and antenna of one RF block (MON-RF), or of the receiver's
// single front end (MON-HW).
enum class JammingState { Unknown, Ok, Warning, Critical };
enum class AntennaStatus { Init, Unknown, Ok, Short, Open };
enum class AntennaPower { Off, On, Unknown };

struct RfBlockStatus {
    int Block = 0; // 0 the L1 block, 1 the L2 or L5 block; 0 for MON-HW
    JammingState Jamming = JammingState::Unknown;
    int JammingIndicator = 0; // continuous-wave jamming, 0 none to 255 strong
    AntennaStatus Antenna = AntennaStatus::Unknown;
    AntennaPower Power = AntennaPower::Unknown;
    int AgcCount = 0; // of 8191, the gain control's full range
    int NoisePerMs = 0;
    friend bool operator==(const RfBlockStatus&, const RfBlockStatus&) = default;
};

// The spectrum of one RF block (MON-SPAN): 256 levels evenly over the span
// around the centre frequency.
struct RfSpectrum {
    static constexpr int kPoints = 256;
    std::array<float, kPoints> LevelsDb{};
    double SpanHz = 0, ResolutionHz = 0, CenterHz = 0;
    int PgaGainDb = 0;
    double PointHz(int point) const { return CenterHz + SpanHz * (point - kPoints / 2) / kPoints; }
};

// Traffic of one port (MON-COMMS). Messages counts the messages of each
// protocol the report's ProtocolIds name, in that order.
struct PortTraffic {
    int PortId = 0; // 0x0100 UART1; the high byte is the port number
    int TxPendingBytes = 0, TxUsagePercent = 0, TxPeakUsagePercent = 0;
    std::uint32_t TxBytes = 0;
    int RxPendingBytes = 0, RxUsagePercent = 0, RxPeakUsagePercent = 0;
    std::uint32_t RxBytes = 0;
    int Overruns = 0;
    std::array<int, 4> Messages{};
    std::uint32_t SkippedBytes = 0;
    friend bool operator==(const PortTraffic&, const PortTraffic&) = default;
};

struct CommsReport {
    // UBX 0, NMEA 1, RTCM2 2, RTCM3 5, SPARTN 6; 255 none.
    std::array<int, 4> ProtocolIds{};
    bool TxMemoryError = false, TxBufferFull = false;
    std::vector<PortTraffic> Ports;
};

// The receiver's own load (MON-SYS), shares in percent.
struct SystemLoad {
    int CpuPercent = 0, CpuPeakPercent = 0;
    int MemoryPercent = 0, MemoryPeakPercent = 0;
    int IoPercent = 0, IoPeakPercent = 0;
    std::uint32_t RunTimeS = 0;
    int Notices = 0, Warnings = 0, Errors = 0;
    int TemperatureC = 0;
    friend bool operator==(const SystemLoad&, const SystemLoad&) = default;
};

// The receiver front-end band a signal arrives in: L2 also holds Galileo
// E5b and BeiDou B2I, L5 also Galileo E5a.
enum class RfBand { L1, L2, L5, E6, Unknown };

// One signal tracked (NAV-SIG).
struct SignalInView {
    Constellation System = Constellation::Unknown;
    int Number = 0;        // as SatelliteInView numbers it
    int SignalId = 0;      // the constellation's sigId
    std::string_view Name; // "GPS L1C/A", "Galileo E5a I"; empty for an unknown sigId
    RfBand Band = RfBand::Unknown;
    int Cn0DbHz = 0;
    int Quality = 0;   // 0 no signal ... 4 code locked ... 5-7 carrier locked
    bool Used = false; // its pseudorange is in the solution
    std::optional<bool> Healthy{};
    bool CorrectionsUsed = false;
    friend bool operator==(const SignalInView&, const SignalInView&) = default;
};

// An RTCM message the receiver took in, as it reports it (RXM-RTCM).
struct CorrectionInput {
    int MessageType = 0;
    int ReferenceStation = 0;
    bool CrcFailed = false;
    std::optional<bool> Used{}; // where the receiver knows
    friend bool operator==(const CorrectionInput&, const CorrectionInput&) = default;
};

// Where the rover is from its reference station (NAV-RELPOSNED), metres,
// the fine parts included. Length, heading and their accuracies come with
// version 1; version 0 gives the length from north, east and down.
struct Baseline {
    int ReferenceStation = 0;
    double NorthM = 0, EastM = 0, DownM = 0, LengthM = 0;
    std::optional<double> HeadingDeg{}; // where the receiver says it is valid
    double AccuracyNorthM = 0, AccuracyEastM = 0, AccuracyDownM = 0;
    std::optional<double> AccuracyLengthM{};
    bool FixOk = false, Differential = false, Valid = false, Moving = false;
    std::optional<protocol::Solution> Carrier{}; // RtkFloat or RtkFixed when carrier-phase
};

// A base station's survey of its own position (NAV-SVIN): the mean so far,
// in ECEF metres, and whether it is still running and already good enough.
struct SurveyIn {
    std::uint32_t DurationS = 0;
    double MeanXM = 0, MeanYM = 0, MeanZM = 0;
    double MeanAccuracyM = 0;
    std::uint32_t Observations = 0;
    bool Valid = false, Active = false;
};

// A reference station's antenna reference point (RTCM 1005 and 1006): the
// base a rover's corrections come from.
struct BaseStation {
    int StationId = 0;
    double EcefXM = 0, EcefYM = 0, EcefZM = 0;
    std::optional<protocol::Position> Place{}; // latitude, longitude, ellipsoid height
    std::optional<double> AntennaHeightM{};    // above the marker (1006 only)
};

struct Decoded {
    std::string Name;   // "NAV-PVT", "GGA", "PUBX,00", "UBX 0x0A-0x04", "RTCM 1005"
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
    std::optional<std::string> Text;    // INF-* and TXT messages
    std::optional<BaseStation> Station; // RTCM 1005, 1006

    // Corrections: how old the last one applied is (GGA, NAV-PVT; NAV-PVT
    // tells a range, given as its upper end), the RTCM taken in (RXM-RTCM),
    // the rover's baseline (NAV-RELPOSNED) and a base station's survey-in
    // (NAV-SVIN).
    std::optional<double> CorrectionAgeS;
    std::optional<CorrectionInput> Correction;
    std::optional<protocol::Baseline> Baseline;
    std::optional<protocol::SurveyIn> Survey;

    // The receiver's health: MON-SPAN, MON-RF or MON-HW, MON-COMMS, MON-SYS, NAV-SIG.
    std::optional<std::vector<RfSpectrum>> Spectra;
    std::optional<std::vector<RfBlockStatus>> RfBlocks;
    std::optional<CommsReport> Comms;
    std::optional<SystemLoad> System;
    std::optional<std::vector<SignalInView>> Signals;
};

std::string_view ConstellationName(Constellation system);

} // namespace protocol
