#include "protocol/decoding/UbxLayouts.h"

#include "protocol/decoding/FieldText.h"
#include "protocol/decoding/Geodetic.h"
#include "protocol/decoding/Satellites.h"

#include <array>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstring>
#include <vector>

namespace protocol {

namespace {

// A little-endian value of V's width at offset, as UBX sends them, in one
// load; 0 where the payload ends before it.
template <typename V> std::int64_t LittleEndian(std::string_view bytes, std::size_t offset) {
    static_assert(std::endian::native == std::endian::little, "UBX values are little-endian");
    if (offset + sizeof(V) > bytes.size())
        return 0;
    V value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

} // namespace

std::int64_t UbxPayload::Read(std::size_t offset, UbxType type) const {
    switch (type) {
    case UbxType::I1:
        return LittleEndian<std::int8_t>(bytes_, offset);
    case UbxType::U2:
    case UbxType::X2:
        return LittleEndian<std::uint16_t>(bytes_, offset);
    case UbxType::I2:
        return LittleEndian<std::int16_t>(bytes_, offset);
    case UbxType::U4:
    case UbxType::X4:
        return LittleEndian<std::uint32_t>(bytes_, offset);
    case UbxType::I4:
        return LittleEndian<std::int32_t>(bytes_, offset);
    default: // U1, X1, and a text's bytes one at a time
        return LittleEndian<std::uint8_t>(bytes_, offset);
    }
}

namespace {

using T = UbxType;
constexpr std::uint8_t kNav = 0x01, kInf = 0x04, kAck = 0x05, kCfg = 0x06, kMon = 0x0A;

FixType GpsFix(std::int64_t value) {
    constexpr std::array<FixType, 6> kFixes = {
        FixType::NoFix, FixType::DeadReckoning,     FixType::Fix2D,
        FixType::Fix3D, FixType::GnssDeadReckoning, FixType::TimeOnly};
    return value >= 0 && value < 6 ? kFixes[value] : FixType::NoFix;
}

// The fix of a navigation solution from its fix type and flags: gnssFixOK
// (bit 0), diffSoln (bit 1) and, where sent, the carrier solution (1 float,
// 2 fixed). A fix without gnssFixOK is outside the receiver's limits: no fix.
FixStatus SolutionFix(std::int64_t fixType, std::int64_t flags, std::int64_t carrier,
                      std::optional<int> satellitesUsed) {
    FixStatus fix;
    fix.SatellitesUsed = satellitesUsed;
    if (!(flags & 0x01)) {
        fix.Type = FixType::NoFix;
        fix.Quality = "invalid";
        return fix;
    }
    fix.Type = GpsFix(fixType);
    if (fix.Type == FixType::NoFix)
        return fix;
    fix.Solution = flags & 0x02 ? Solution::Differential : Solution::Autonomous;
    fix.Quality = flags & 0x02 ? "DGNSS" : "valid";
    if (carrier == 1 || carrier == 2) {
        fix.Solution = carrier == 1 ? Solution::RtkFloat : Solution::RtkFixed;
        fix.Quality = carrier == 1 ? "RTK float" : "RTK fixed";
    }
    return fix;
}

constexpr UbxField kNavPvt[] = {
    {0, T::U4, "iTOW", 1, "ms"},
    {4, T::U2, "year"},
    {6, T::U1, "month"},
    {7, T::U1, "day"},
    {8, T::U1, "hour"},
    {9, T::U1, "min"},
    {10, T::U1, "sec", 1, "s"},
    {11, T::X1, "valid"},
    {12, T::U4, "tAcc", 1, "ns"},
    {16, T::I4, "nano", 1, "ns"},
    {20, T::U1, "fixType"},
    {21, T::X1, "flags"},
    {22, T::X1, "flags2"},
    {23, T::U1, "numSV"},
    {24, T::I4, "lon", 1e-7, "deg", 7},
    {28, T::I4, "lat", 1e-7, "deg", 7},
    {32, T::I4, "height", 1e-3, "m", 3},
    {36, T::I4, "hMSL", 1e-3, "m", 3},
    {40, T::U4, "hAcc", 1e-3, "m", 3},
    {44, T::U4, "vAcc", 1e-3, "m", 3},
    {48, T::I4, "velN", 1e-3, "m/s", 3},
    {52, T::I4, "velE", 1e-3, "m/s", 3},
    {56, T::I4, "velD", 1e-3, "m/s", 3},
    {60, T::I4, "gSpeed", 1e-3, "m/s", 3},
    {64, T::I4, "headMot", 1e-5, "deg", 5},
    {68, T::U4, "sAcc", 1e-3, "m/s", 3},
    {72, T::U4, "headAcc", 1e-5, "deg", 5},
    {76, T::U2, "pDOP", 0.01, "", 2},
    {78, T::X2, "flags3"},
    {84, T::I4, "headVeh", 1e-5, "deg", 5},
    {88, T::I2, "magDec", 0.01, "deg", 2},
    {90, T::U2, "magAcc", 0.01, "deg", 2},
};

// flags3 bits 1-4 (generation 9 on): how old the last correction is, as a
// range; the age given is its upper end.
std::optional<double> LastCorrectionAge(std::int64_t flags3) {
    constexpr double kUpTo[] = {0, 1, 2, 5, 10, 15, 20, 30, 45, 60, 90, 120, 120};
    const std::int64_t range = (flags3 >> 1) & 0x0F;
    if (range == 0 || range >= static_cast<std::int64_t>(std::size(kUpTo)))
        return std::nullopt;
    return kUpTo[range];
}

void NavPvt(const UbxPayload& p, Decoded& d) {
    const std::int64_t valid = p.U1(11);
    UtcTime utc;
    if (valid & 0x01) {
        utc.Year = static_cast<int>(p.U2(4));
        utc.Month = static_cast<int>(p.U1(6));
        utc.Day = static_cast<int>(p.U1(7));
    }
    if (valid & 0x02) {
        utc.Hour = static_cast<int>(p.U1(8));
        utc.Minute = static_cast<int>(p.U1(9));
        utc.Second = static_cast<double>(p.U1(10)) + static_cast<double>(p.I4(16)) * 1e-9;
    }
    d.Utc = utc;
    const std::int64_t flags = p.U1(21);
    d.Fix = SolutionFix(p.U1(20), flags, (flags >> 6) & 0x03, static_cast<int>(p.U1(23)));
    d.CorrectionAgeS = LastCorrectionAge(p.U2(78));
    if (d.Fix->Type == FixType::NoFix)
        return; // position, motion and accuracies of no fix are no readings
    d.Position = Position{p.I4(28) * 1e-7, p.I4(24) * 1e-7, p.I4(32) * 1e-3, p.I4(36) * 1e-3};
    d.Motion = Motion{p.I4(60) * 1e-3, p.I4(64) * 1e-5, -p.I4(56) * 1e-3};
    d.Accuracy = Accuracies{p.U4(40) * 1e-3, p.U4(44) * 1e-3, p.U4(68) * 1e-3, p.U4(72) * 1e-5,
                            static_cast<double>(p.U4(12))};
    Dops dops;
    dops.Position = p.U2(76) * 0.01;
    d.Dop = dops;
}

constexpr UbxField kNavPosllh[] = {
    {0, T::U4, "iTOW", 1, "ms"},       {4, T::I4, "lon", 1e-7, "deg", 7},
    {8, T::I4, "lat", 1e-7, "deg", 7}, {12, T::I4, "height", 1e-3, "m", 3},
    {16, T::I4, "hMSL", 1e-3, "m", 3}, {20, T::U4, "hAcc", 1e-3, "m", 3},
    {24, T::U4, "vAcc", 1e-3, "m", 3},
};

void NavPosllh(const UbxPayload& p, Decoded& d) {
    d.Position = Position{p.I4(8) * 1e-7, p.I4(4) * 1e-7, p.I4(12) * 1e-3, p.I4(16) * 1e-3};
    Accuracies accuracy;
    accuracy.HorizontalM = p.U4(20) * 1e-3;
    accuracy.VerticalM = p.U4(24) * 1e-3;
    d.Accuracy = accuracy;
}

constexpr UbxField kNavSol[] = {
    {0, T::U4, "iTOW", 1, "ms"},
    {4, T::I4, "fTOW", 1, "ns"},
    {8, T::I2, "week"},
    {10, T::U1, "gpsFix"},
    {11, T::X1, "flags"},
    {12, T::I4, "ecefX", 0.01, "m", 2},
    {16, T::I4, "ecefY", 0.01, "m", 2},
    {20, T::I4, "ecefZ", 0.01, "m", 2},
    {24, T::U4, "pAcc", 0.01, "m", 2},
    {28, T::I4, "ecefVX", 0.01, "m/s", 2},
    {32, T::I4, "ecefVY", 0.01, "m/s", 2},
    {36, T::I4, "ecefVZ", 0.01, "m/s", 2},
    {40, T::U4, "sAcc", 0.01, "m/s", 2},
    {44, T::U2, "pDOP", 0.01, "", 2},
    {47, T::U1, "numSV"},
};

// A position sent as ECEF (X, Y, Z in cm from offset on) becomes latitude,
// longitude and height for the fix panel.
void EcefPosition(const UbxPayload& p, std::size_t offset, Decoded& d) {
    d.Position =
        EcefToGeodetic(p.I4(offset) * 0.01, p.I4(offset + 4) * 0.01, p.I4(offset + 8) * 0.01);
}

void NavSol(const UbxPayload& p, Decoded& d) {
    d.Fix = SolutionFix(p.U1(10), p.U1(11), 0, static_cast<int>(p.U1(47)));
    if (d.Fix->Type != FixType::NoFix)
        EcefPosition(p, 12, d);
    Dops dops;
    dops.Position = p.U2(44) * 0.01;
    d.Dop = dops;
}

constexpr UbxField kNavPosecef[] = {
    {0, T::U4, "iTOW", 1, "ms"},       {4, T::I4, "ecefX", 0.01, "m", 2},
    {8, T::I4, "ecefY", 0.01, "m", 2}, {12, T::I4, "ecefZ", 0.01, "m", 2},
    {16, T::U4, "pAcc", 0.01, "m", 2},
};

void NavPosecef(const UbxPayload& p, Decoded& d) {
    EcefPosition(p, 4, d);
    Accuracies accuracy;
    accuracy.HorizontalM = p.U4(16) * 0.01; // 3D; the closest the message gives
    d.Accuracy = accuracy;
}

constexpr UbxField kNavStatus[] = {
    {0, T::U4, "iTOW", 1, "ms"},  {4, T::U1, "gpsFix"}, {5, T::X1, "flags"},
    {6, T::X1, "fixStat"},        {7, T::X1, "flags2"}, {8, T::U4, "ttff", 1, "ms"},
    {12, T::U4, "msss", 1, "ms"},
};

void NavStatus(const UbxPayload& p, Decoded& d) {
    // flags2 (offset 7) carries the carrier solution in bits 6 and 7.
    d.Fix = SolutionFix(p.U1(4), p.U1(5), (p.U1(7) >> 6) & 0x03, std::nullopt);
}

constexpr UbxField kNavDop[] = {
    {0, T::U4, "iTOW", 1, "ms"},      {4, T::U2, "gDOP", 0.01, "", 2},
    {6, T::U2, "pDOP", 0.01, "", 2},  {8, T::U2, "tDOP", 0.01, "", 2},
    {10, T::U2, "vDOP", 0.01, "", 2}, {12, T::U2, "hDOP", 0.01, "", 2},
    {14, T::U2, "nDOP", 0.01, "", 2}, {16, T::U2, "eDOP", 0.01, "", 2},
};

void NavDop(const UbxPayload& p, Decoded& d) {
    d.Dop = Dops{p.U2(4) * 0.01, p.U2(6) * 0.01, p.U2(8) * 0.01, p.U2(10) * 0.01, p.U2(12) * 0.01};
}

constexpr UbxField kNavVelned[] = {
    {0, T::U4, "iTOW", 1, "ms"},
    {4, T::I4, "velN", 0.01, "m/s", 2},
    {8, T::I4, "velE", 0.01, "m/s", 2},
    {12, T::I4, "velD", 0.01, "m/s", 2},
    {16, T::U4, "speed", 0.01, "m/s", 2},
    {20, T::U4, "gSpeed", 0.01, "m/s", 2},
    {24, T::I4, "heading", 1e-5, "deg", 5},
    {28, T::U4, "sAcc", 0.01, "m/s", 2},
    {32, T::U4, "cAcc", 1e-5, "deg", 5},
};

void NavVelned(const UbxPayload& p, Decoded& d) {
    d.Motion = Motion{p.U4(20) * 0.01, p.I4(24) * 1e-5, -p.I4(12) * 0.01};
    Accuracies accuracy;
    accuracy.SpeedMps = p.U4(28) * 0.01;
    accuracy.CourseDeg = p.U4(32) * 1e-5;
    d.Accuracy = accuracy;
}

constexpr UbxField kNavTimeutc[] = {
    {0, T::U4, "iTOW", 1, "ms"}, {4, T::U4, "tAcc", 1, "ns"}, {8, T::I4, "nano", 1, "ns"},
    {12, T::U2, "year"},         {14, T::U1, "month"},        {15, T::U1, "day"},
    {16, T::U1, "hour"},         {17, T::U1, "min"},          {18, T::U1, "sec", 1, "s"},
    {19, T::X1, "valid"},
};

void NavTimeutc(const UbxPayload& p, Decoded& d) {
    if (!(p.U1(19) & 0x04)) // validUTC
        return;
    d.Utc = UtcTime{static_cast<int>(p.U2(12)),
                    static_cast<int>(p.U1(14)),
                    static_cast<int>(p.U1(15)),
                    static_cast<int>(p.U1(16)),
                    static_cast<int>(p.U1(17)),
                    static_cast<double>(p.U1(18)) + static_cast<double>(p.I4(8)) * 1e-9};
    Accuracies accuracy;
    accuracy.TimeNs = static_cast<double>(p.U4(4));
    d.Accuracy = accuracy;
}

constexpr UbxField kNavTimegps[] = {
    {0, T::U4, "iTOW", 1, "ms"},  {4, T::I4, "fTOW", 1, "ns"}, {8, T::I2, "week"},
    {10, T::I1, "leapS", 1, "s"}, {11, T::X1, "valid"},        {12, T::U4, "tAcc", 1, "ns"},
};

// UTC from GPS time where the time of week, the week and the leap seconds
// are all valid (bits 0 to 2 of valid): GPS time began 1980-01-06 and runs
// ahead of UTC by the leap seconds.
void NavTimegps(const UbxPayload& p, Decoded& d) {
    if ((p.U1(11) & 0x07) != 0x07)
        return;
    using namespace std::chrono;
    constexpr sys_days kGpsEpoch = year{1980} / January / 6;
    const double gpsSeconds = static_cast<double>(p.I2(8)) * 604800.0 +
                              static_cast<double>(p.U4(0)) * 1e-3 +
                              static_cast<double>(p.I4(4)) * 1e-9 - static_cast<double>(p.I1(10));
    const double wholeDays = std::floor(gpsSeconds / 86400.0);
    const year_month_day date{kGpsEpoch + days{static_cast<int>(wholeDays)}};
    const double secondOfDay = gpsSeconds - wholeDays * 86400.0;
    const int hour = static_cast<int>(secondOfDay / 3600);
    const int minute = static_cast<int>((secondOfDay - hour * 3600.0) / 60);
    d.Utc = UtcTime{static_cast<int>(date.year()),
                    static_cast<int>(unsigned{date.month()}),
                    static_cast<int>(unsigned{date.day()}),
                    hour,
                    minute,
                    secondOfDay - hour * 3600.0 - minute * 60.0};
    Accuracies accuracy;
    accuracy.TimeNs = static_cast<double>(p.U4(12));
    d.Accuracy = accuracy;
}

constexpr UbxField kNavClock[] = {
    {0, T::U4, "iTOW", 1, "ms"},  {4, T::I4, "clkB", 1, "ns"},    {8, T::I4, "clkD", 1, "ns/s"},
    {12, T::U4, "tAcc", 1, "ns"}, {16, T::U4, "fAcc", 1, "ps/s"},
};

constexpr UbxField kNavSat[] = {
    {0, T::U4, "iTOW", 1, "ms"},
    {4, T::U1, "version"},
    {5, T::U1, "numSvs"},
};
constexpr UbxField kNavSatBlock[] = {
    {0, T::U1, "gnssId"},         {1, T::U1, "svId"},           {2, T::U1, "cno", 1, "dBHz"},
    {3, T::I1, "elev", 1, "deg"}, {4, T::I2, "azim", 1, "deg"}, {6, T::I2, "prRes", 0.1, "m", 1},
    {8, T::X4, "flags"},
};

// Elevation and azimuth are sent as unknown for a satellite the receiver has
// no orbit for: elevation outside -90..90, or both zero with no signal.
void SetDirection(SatelliteInView& sv, std::int64_t elevation, std::int64_t azimuth) {
    if (elevation < -90 || elevation > 90 || azimuth < 0 || azimuth > 360)
        return;
    sv.ElevationDeg = static_cast<int>(elevation);
    sv.AzimuthDeg = static_cast<int>(azimuth);
}

void NavSat(const UbxPayload& p, Decoded& d) {
    SatelliteReport report;
    report.Satellites.reserve(p.Bytes().size() / 12);
    for (std::size_t at = 8; at + 12 <= p.Bytes().size(); at += 12) {
        SatelliteInView& sv =
            AddSatellite(report.Satellites, GnssIdSatellite(static_cast<int>(p.U1(at)),
                                                            static_cast<int>(p.U1(at + 1))));
        sv.Cn0DbHz = static_cast<int>(p.U1(at + 2));
        SetDirection(sv, p.I1(at + 3), p.I2(at + 4));
        const std::int64_t flags = p.U4(at + 8);
        sv.Used = (flags & 0x08) != 0;
        if (const std::int64_t health = (flags >> 4) & 0x03; health == 1 || health == 2)
            sv.Healthy = health == 1;
    }
    d.Satellites = std::move(report); // every constellation: Systems left empty
}

constexpr UbxField kNavSvinfo[] = {
    {0, T::U4, "iTOW", 1, "ms"},
    {4, T::U1, "numCh"},
    {5, T::X1, "globalFlags"},
};
constexpr UbxField kNavSvinfoBlock[] = {
    {0, T::U1, "chn"},
    {1, T::U1, "svid"},
    {2, T::X1, "flags"},
    {3, T::X1, "quality"},
    {4, T::U1, "cno", 1, "dBHz"},
    {5, T::I1, "elev", 1, "deg"},
    {6, T::I2, "azim", 1, "deg"},
    {8, T::I4, "prRes", 0.01, "m", 2},
};

void NavSvinfo(const UbxPayload& p, Decoded& d) {
    SatelliteReport report;
    report.Satellites.reserve(p.Bytes().size() / 12);
    for (std::size_t at = 8; at + 12 <= p.Bytes().size(); at += 12) {
        if (p.U1(at + 1) == 0)
            continue; // an idle channel, tracking no satellite
        SatelliteInView& sv =
            AddSatellite(report.Satellites, SvinfoSatellite(static_cast<int>(p.U1(at + 1))));
        sv.Cn0DbHz = static_cast<int>(p.U1(at + 4));
        SetDirection(sv, p.I1(at + 5), p.I2(at + 6));
        const std::int64_t flags = p.U1(at + 2);
        sv.Used = (flags & 0x01) != 0;
        sv.Healthy = (flags & 0x10) == 0;
    }
    d.Satellites = std::move(report);
}

constexpr UbxField kAckFields[] = {{0, T::X1, "clsID"}, {1, T::X1, "msgID"}};

void AckAck(const UbxPayload& p, Decoded& d) {
    d.Ack = Acknowledgement{true, static_cast<int>(p.U1(0)), static_cast<int>(p.U1(1))};
}

void AckNak(const UbxPayload& p, Decoded& d) {
    d.Ack = Acknowledgement{false, static_cast<int>(p.U1(0)), static_cast<int>(p.U1(1))};
}

constexpr UbxField kMonVer[] = {{0, T::Text, "swVersion", 1, "", 0, 30},
                                {30, T::Text, "hwVersion", 1, "", 0, 10}};
constexpr UbxField kMonVerBlock[] = {{0, T::Text, "extension", 1, "", 0, 30}};

constexpr UbxField kCfgPrtPoll[] = {{0, T::U1, "portID"}};
constexpr UbxField kCfgPrt[] = {
    {0, T::U1, "portID"},       {2, T::X2, "txReady"},
    {4, T::X4, "mode"},         {8, T::U4, "baudRate", 1, "Bd"},
    {12, T::X2, "inProtoMask"}, {14, T::X2, "outProtoMask"},
    {16, T::X2, "flags"},
};

constexpr UbxField kCfgRate[] = {
    {0, T::U2, "measRate", 1, "ms"}, {2, T::U2, "navRate", 1, "cycles"}, {4, T::U2, "timeRef"}};

constexpr UbxField kCfgMsgPoll[] = {{0, T::X1, "msgClass"}, {1, T::X1, "msgID"}};
constexpr UbxField kCfgMsgCurrent[] = {
    {0, T::X1, "msgClass"}, {1, T::X1, "msgID"}, {2, T::U1, "rate"}};
constexpr UbxField kCfgMsgPorts[] = {
    {0, T::X1, "msgClass"},   {1, T::X1, "msgID"},       {2, T::U1, "rate DDC"},
    {3, T::U1, "rate UART1"}, {4, T::U1, "rate UART2"},  {5, T::U1, "rate USB"},
    {6, T::U1, "rate SPI"},   {7, T::U1, "rate port 5"},
};

constexpr UbxField kCfgAnt[] = {{0, T::X2, "flags"}, {2, T::X2, "pins"}};

constexpr UbxField kCfgNav5[] = {
    {0, T::X2, "mask"},
    {2, T::U1, "dynModel"},
    {3, T::U1, "fixMode"},
    {4, T::I4, "fixedAlt", 0.01, "m", 2},
    {8, T::U4, "fixedAltVar", 1e-4, "m^2", 4},
    {12, T::I1, "minElev", 1, "deg"},
    {13, T::U1, "drLimit", 1, "s"},
    {14, T::U2, "pDop", 0.1, "", 1},
    {16, T::U2, "tDop", 0.1, "", 1},
    {18, T::U2, "pAcc", 1, "m"},
    {20, T::U2, "tAcc", 1, "m"},
    {22, T::U1, "staticHoldThresh", 0.01, "m/s", 2},
    {23, T::U1, "dgnssTimeout", 1, "s"},
    {24, T::U1, "cnoThreshNumSVs"},
    {25, T::U1, "cnoThresh", 1, "dBHz"},
    {28, T::U2, "staticHoldMaxDist", 1, "m"},
    {30, T::U1, "utcStandard"},
};

constexpr UbxField kCfgCfg[] = {
    {0, T::X4, "clearMask"}, {4, T::X4, "saveMask"}, {8, T::X4, "loadMask"}};
constexpr UbxField kCfgCfgDevices[] = {{0, T::X4, "clearMask"},
                                       {4, T::X4, "saveMask"},
                                       {8, T::X4, "loadMask"},
                                       {12, T::X1, "deviceMask"}};

constexpr UbxField kCfgRst[] = {{0, T::X2, "navBbrMask"}, {2, T::U1, "resetMode"}};

// A CFG message without payload polls the receiver for its settings.
constexpr std::span<const UbxField> kPoll{};

// INF messages are text of any length, one byte per character.
void InfText(const UbxPayload& p, Decoded& d) {
    d.Text = std::string(p.Bytes());
    d.Fields.push_back({"text", PrintableText(p.Bytes()), ""});
}

constexpr UbxLayout kLayouts[] = {
    {kNav, 0x07, 92, kNavPvt, 0, {}, "", -1, NavPvt},
    {kNav, 0x02, 28, kNavPosllh, 0, {}, "", -1, NavPosllh},
    {kNav, 0x06, 52, kNavSol, 0, {}, "", -1, NavSol},
    {kNav, 0x01, 20, kNavPosecef, 0, {}, "", -1, NavPosecef},
    {kNav, 0x03, 16, kNavStatus, 0, {}, "", -1, NavStatus},
    {kNav, 0x04, 18, kNavDop, 0, {}, "", -1, NavDop},
    {kNav, 0x12, 36, kNavVelned, 0, {}, "", -1, NavVelned},
    {kNav, 0x21, 20, kNavTimeutc, 0, {}, "", -1, NavTimeutc},
    {kNav, 0x20, 16, kNavTimegps, 0, {}, "", -1, NavTimegps},
    {kNav, 0x22, 20, kNavClock},
    {kNav, 0x35, 8, kNavSat, 12, kNavSatBlock, "SV", 5, NavSat},
    {kNav, 0x30, 8, kNavSvinfo, 12, kNavSvinfoBlock, "SV", 4, NavSvinfo},
    {kAck, 0x01, 2, kAckFields, 0, {}, "", -1, AckAck},
    {kAck, 0x00, 2, kAckFields, 0, {}, "", -1, AckNak},
    {kMon, 0x04, 40, kMonVer, 30, kMonVerBlock, "ext"},
    {kCfg, 0x00, 0, kPoll},
    {kCfg, 0x00, 1, kCfgPrtPoll},
    {kCfg, 0x00, 20, kCfgPrt},
    {kCfg, 0x08, 0, kPoll},
    {kCfg, 0x08, 6, kCfgRate},
    {kCfg, 0x01, 2, kCfgMsgPoll},
    {kCfg, 0x01, 3, kCfgMsgCurrent},
    {kCfg, 0x01, 8, kCfgMsgPorts},
    {kCfg, 0x13, 0, kPoll},
    {kCfg, 0x13, 4, kCfgAnt},
    {kCfg, 0x24, 0, kPoll},
    {kCfg, 0x24, 36, kCfgNav5},
    {kCfg, 0x09, 12, kCfgCfg},
    {kCfg, 0x09, 13, kCfgCfgDevices},
    {kCfg, 0x04, 4, kCfgRst},
    {kInf, 0x00, 0, kPoll, 1, {}, "", -1, InfText},
    {kInf, 0x01, 0, kPoll, 1, {}, "", -1, InfText},
    {kInf, 0x02, 0, kPoll, 1, {}, "", -1, InfText},
    {kInf, 0x03, 0, kPoll, 1, {}, "", -1, InfText},
    {kInf, 0x04, 0, kPoll, 1, {}, "", -1, InfText},
};

} // namespace

std::span<const UbxLayout> UbxLayouts() {
    static const std::vector<UbxLayout> all = [] {
        std::vector<UbxLayout> layouts(std::begin(kLayouts), std::end(kLayouts));
        for (const auto more : {UbxHealthLayouts(), UbxRtkLayouts()})
            layouts.insert(layouts.end(), more.begin(), more.end());
        return layouts;
    }();
    return all;
}

} // namespace protocol
