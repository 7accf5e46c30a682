#include "tools/receiver-sim/UbxOutput.h"

#include "protocol/UbxFrame.h"
#include "tools/receiver-sim/GpsTime.h"

#include <cmath>
#include <ctime>
#include <numbers>

namespace {
constexpr std::uint8_t kStatusFixOk = 0x01;      // NAV-STATUS gpsFixOk
constexpr std::uint8_t kStatusTimeValid = 0x0C;  // week and time of week valid
constexpr std::uint8_t kPvtDateTimeValid = 0x07; // date, time, fully resolved
constexpr std::uint8_t kPvtFixOk = 0x01;         // gnssFixOK
constexpr std::uint8_t kPvtDiffSoln = 0x02;      // corrections applied
constexpr int kPvtCarrierShift = 6;              // carrSoln: 1 float, 2 fixed
constexpr std::uint8_t kPvtConfirmed = 0xE0;     // date and time confirmed, and so able to be
constexpr std::uint32_t kSpeedAccuracyMmS = 350;
constexpr std::uint32_t kHeadingAccuracy = 80000; // 1e-5 degrees
constexpr std::uint8_t kNavSatVersion = 1;

constexpr std::uint8_t kChipGeneration8 = 4; // NAV-SVINFO globalFlags

// NAV-SAT flags: signal quality, used, healthy, orbit from ephemeris.
std::uint32_t SatelliteFlags(const SatelliteView& sat) {
    std::uint32_t flags = SignalQuality(sat) | 1u << 4; // healthy
    if (sat.used)
        flags |= 1u << 3 | 1u << 8 | 1u << 11; // svUsed, orbit source ephemeris, ephemeris
    return flags;
}

// NAV-SVINFO flags: used, orbit available and from ephemeris.
std::uint8_t ChannelFlags(const SatelliteView& sat) {
    return sat.used ? 0x01 | 0x04 | 0x08 : 0x00;
}

// Longitude and latitude (1e-7 degrees), heights above the ellipsoid and mean
// sea level and their accuracies (mm), as NAV-POSLLH and NAV-PVT lay them out.
void PutPosition(std::string& payload, const NavigationSolution& s) {
    PutSigned(payload, s.longitude * 1e7);
    PutSigned(payload, s.latitude * 1e7);
    PutSigned(payload, s.altitudeEllipsoid() * 1000);
    PutSigned(payload, s.altitudeMsl * 1000);
    PutSigned(payload, s.horizontalAccuracy * 1000);
    PutSigned(payload, s.verticalAccuracy * 1000);
}
} // namespace

namespace {
// NAV-PVT flags3's range of the age of corrections: 0 none, 1 under 1 s,
// 2 up to 2 s, 3 up to 5 s, 4 up to 10 s, ... 12 for 120 s or more.
std::uint32_t LastCorrectionAge(const NavigationSolution& s) {
    if (!s.correctionAgeS)
        return 0;
    constexpr double kUpTo[] = {1, 2, 5, 10, 15, 20, 30, 45, 60, 90, 120};
    std::uint32_t range = 1;
    for (const double upTo : kUpTo) {
        if (*s.correctionAgeS < upTo)
            return range;
        ++range;
    }
    return range;
}
} // namespace

std::uint32_t SignalQuality(const SatelliteView& sat) {
    return sat.used ? 7 : sat.cno > 0 ? 4 : 1;
}

std::uint32_t EpochTimeOfWeekMs(const NavigationSolution& s) {
    return GpsTimeOfWeekMs(s.utc) + static_cast<std::uint32_t>(s.millisecond);
}

std::string UbxFrame(std::uint8_t ubxClass, std::uint8_t id, std::string_view payload) {
    return ToByteString(
        BuildUbxFrame(MakeUbxPacket(ubxClass, id, TPayload(payload.begin(), payload.end()))));
}

void PutUnsigned(std::string& payload, std::uint32_t value, int bytes) {
    for (int k = 0; k < bytes; ++k)
        payload.push_back(static_cast<char>(value >> (8 * k)));
}

void PutSigned(std::string& payload, double value, int bytes) {
    PutUnsigned(payload, static_cast<std::uint32_t>(static_cast<std::int32_t>(std::lround(value))),
                bytes);
}

std::string NavPosllhFrame(const NavigationSolution& s) {
    std::string payload;
    PutUnsigned(payload, EpochTimeOfWeekMs(s), 4);
    PutPosition(payload, s);
    return UbxFrame(kUbxClassNav, kUbxIdNavPosllh, payload);
}

std::string NavStatusFrame(const NavigationSolution& s) {
    std::string payload;
    PutUnsigned(payload, EpochTimeOfWeekMs(s), 4);
    payload.push_back(static_cast<char>(s.fix ? kUbxFix3D : kUbxNoFix));
    payload.push_back(static_cast<char>((s.fix ? kStatusFixOk : 0) | kStatusTimeValid));
    payload.push_back(0); // fixStat
    payload.push_back(0); // flags2
    PutUnsigned(payload, s.timeToFirstFixMs, 4);
    PutUnsigned(payload, s.millisSinceStart, 4);
    return UbxFrame(kUbxClassNav, kUbxIdNavStatus, payload);
}

std::string NavDopFrame(const NavigationSolution& s) {
    std::string payload;
    PutUnsigned(payload, EpochTimeOfWeekMs(s), 4);
    const double dops[] = {std::hypot(s.pdop, s.tdop),
                           s.pdop,
                           s.tdop,
                           s.vdop,
                           s.hdop,
                           s.hdop * 0.7,
                           s.hdop * 0.7}; // g p t v h n e
    for (double dop : dops)
        PutSigned(payload, (s.fix ? dop : 99.99) * 100, 2);
    return UbxFrame(kUbxClassNav, kUbxIdNavDop, payload);
}

std::string NavPvtFrame(const NavigationSolution& s) {
    std::tm t{};
    gmtime_r(&s.utc, &t);
    const double course = s.course * std::numbers::pi / 180;
    std::string payload;
    PutUnsigned(payload, EpochTimeOfWeekMs(s), 4);
    PutUnsigned(payload, static_cast<std::uint32_t>(t.tm_year + 1900), 2);
    for (int field : {t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec})
        payload.push_back(static_cast<char>(field));
    payload.push_back(static_cast<char>(kPvtDateTimeValid));
    PutUnsigned(payload, kUbxTimeAccuracyNs, 4);
    PutSigned(payload, s.millisecond * 1e6); // nano
    payload.push_back(static_cast<char>(s.fix ? kUbxFix3D : kUbxNoFix));
    payload.push_back(static_cast<char>(s.fix ? kPvtFixOk | (s.differential() ? kPvtDiffSoln : 0) |
                                                    static_cast<int>(s.carrier) << kPvtCarrierShift
                                              : 0));
    payload.push_back(static_cast<char>(kPvtConfirmed));
    payload.push_back(static_cast<char>(s.usedCount()));
    PutPosition(payload, s);
    PutSigned(payload, s.speed * std::cos(course) * 1000); // velN
    PutSigned(payload, s.speed * std::sin(course) * 1000); // velE
    PutSigned(payload, -s.verticalSpeed * 1000);           // velD
    PutSigned(payload, s.speed * 1000);                    // gSpeed
    PutSigned(payload, s.course * 1e5);                    // headMot
    PutUnsigned(payload, kSpeedAccuracyMmS, 4);
    PutUnsigned(payload, kHeadingAccuracy, 4);
    PutSigned(payload, (s.fix ? s.pdop : 99.99) * 100, 2);
    PutUnsigned(payload, LastCorrectionAge(s) << 1, 2); // flags3
    payload.append(4, '\0');                            // reserved
    PutSigned(payload, 0);                              // headVeh: no vehicle heading
    PutSigned(payload, 0, 2);                           // magDec
    PutSigned(payload, 0, 2);                           // magAcc
    return UbxFrame(kUbxClassNav, kUbxIdNavPvt, payload);
}

std::string NavSatFrame(const NavigationSolution& s) {
    std::string payload;
    PutUnsigned(payload, EpochTimeOfWeekMs(s), 4);
    payload.push_back(static_cast<char>(kNavSatVersion));
    payload.push_back(static_cast<char>(s.satellites.size()));
    payload.append(2, '\0');
    for (const SatelliteView& sat : s.satellites) {
        payload.push_back(static_cast<char>(sat.system));
        payload.push_back(static_cast<char>(sat.prn));
        payload.push_back(static_cast<char>(sat.cno));
        payload.push_back(static_cast<char>(sat.elevation));
        PutSigned(payload, sat.azimuth, 2);
        PutSigned(payload, 0, 2); // pseudorange residual
        PutUnsigned(payload, SatelliteFlags(sat), 4);
    }
    return UbxFrame(kUbxClassNav, kUbxIdNavSat, payload);
}

std::string NavSvinfoFrame(const NavigationSolution& s) {
    std::string payload;
    PutUnsigned(payload, EpochTimeOfWeekMs(s), 4);
    payload.push_back(static_cast<char>(s.satellites.size()));
    payload.push_back(static_cast<char>(kChipGeneration8));
    payload.append(2, '\0');
    int channel = 0;
    for (const SatelliteView& sat : s.satellites) {
        payload.push_back(static_cast<char>(channel++));
        payload.push_back(static_cast<char>(sat.UbloxNumber()));
        payload.push_back(static_cast<char>(ChannelFlags(sat)));
        payload.push_back(static_cast<char>(SignalQuality(sat)));
        payload.push_back(static_cast<char>(sat.cno));
        payload.push_back(static_cast<char>(sat.elevation));
        PutSigned(payload, sat.azimuth, 2);
        PutSigned(payload, 0); // pseudorange residual, cm
    }
    return UbxFrame(kUbxClassNav, kUbxIdNavSvinfo, payload);
}

std::string CfgAntFrame(const AntennaSettings& antenna) {
    std::string payload;
    PutUnsigned(payload, antenna.flags, 2);
    PutUnsigned(payload, antenna.pins, 2);
    return UbxFrame(kUbxClassCfg, kUbxIdCfgAnt, payload);
}

std::string AckFrame(bool acknowledged, std::uint8_t ackedClass, std::uint8_t ackedId) {
    return UbxFrame(kUbxClassAck, acknowledged ? kUbxIdAckAck : kUbxIdAckNak,
                    std::string{static_cast<char>(ackedClass), static_cast<char>(ackedId)});
}
