// Layouts of the messages that tell what a receiver does with corrections:
// the RTCM it took in (RXM-RTCM), the rover's baseline to its reference
// station (NAV-RELPOSNED, version 0 of u-blox 8 and version 1 of
// generation 9) and a base station's survey of its own position (NAV-SVIN).

#include "protocol/decoding/UbxLayouts.h"

#include <cmath>

namespace protocol {
namespace {

using T = UbxType;
constexpr std::uint8_t kNav = 0x01, kRxm = 0x02;

constexpr UbxField kRxmRtcm[] = {
    {0, T::U1, "version"},    {1, T::X1, "flags"},   {2, T::U2, "subType"},
    {4, T::U2, "refStation"}, {6, T::U2, "msgType"},
};

// flags: crcFailed bit 0, msgUsed bits 1-2 (0 unknown, 1 not used, 2 used).
void RxmRtcm(const UbxPayload& p, Decoded& d) {
    CorrectionInput input;
    const std::int64_t flags = p.U1(1);
    input.CrcFailed = (flags & 0x01) != 0;
    if (const std::int64_t used = (flags >> 1) & 0x03; used == 1 || used == 2)
        input.Used = used == 2;
    input.ReferenceStation = static_cast<int>(p.U2(4));
    input.MessageType = static_cast<int>(p.U2(6));
    d.Correction = input;
}

constexpr UbxField kNavRelposned0[] = {
    {0, T::U1, "version"},
    {2, T::U2, "refStationId"},
    {4, T::U4, "iTOW", 1, "ms"},
    {8, T::I4, "relPosN", 0.01, "m", 2},
    {12, T::I4, "relPosE", 0.01, "m", 2},
    {16, T::I4, "relPosD", 0.01, "m", 2},
    {20, T::I1, "relPosHPN", 0.1, "mm", 1},
    {21, T::I1, "relPosHPE", 0.1, "mm", 1},
    {22, T::I1, "relPosHPD", 0.1, "mm", 1},
    {24, T::U4, "accN", 1e-4, "m", 4},
    {28, T::U4, "accE", 1e-4, "m", 4},
    {32, T::U4, "accD", 1e-4, "m", 4},
    {36, T::X4, "flags"},
};

constexpr UbxField kNavRelposned1[] = {
    {0, T::U1, "version"},
    {2, T::U2, "refStationId"},
    {4, T::U4, "iTOW", 1, "ms"},
    {8, T::I4, "relPosN", 0.01, "m", 2},
    {12, T::I4, "relPosE", 0.01, "m", 2},
    {16, T::I4, "relPosD", 0.01, "m", 2},
    {20, T::I4, "relPosLength", 0.01, "m", 2},
    {24, T::I4, "relPosHeading", 1e-5, "deg", 5},
    {32, T::I1, "relPosHPN", 0.1, "mm", 1},
    {33, T::I1, "relPosHPE", 0.1, "mm", 1},
    {34, T::I1, "relPosHPD", 0.1, "mm", 1},
    {35, T::I1, "relPosHPLength", 0.1, "mm", 1},
    {36, T::U4, "accN", 1e-4, "m", 4},
    {40, T::U4, "accE", 1e-4, "m", 4},
    {44, T::U4, "accD", 1e-4, "m", 4},
    {48, T::U4, "accLength", 1e-4, "m", 4},
    {52, T::U4, "accHeading", 1e-5, "deg", 5},
    {60, T::X4, "flags"},
};

// A distance sent as centimetres (I4) at offset plus a fine part in 0.1 mm
// (I1) at fineOffset.
double Metres(const UbxPayload& p, std::size_t offset, std::size_t fineOffset) {
    return static_cast<double>(p.I4(offset)) * 0.01 + static_cast<double>(p.I1(fineOffset)) * 1e-4;
}

// flags: gnssFixOK bit 0, diffSoln 1, relPosValid 2, carrSoln 3-4 (1 float,
// 2 fixed), isMoving 5; version 1 adds relPosHeadingValid, bit 8.
void BaselineFlags(std::int64_t flags, protocol::Baseline& b) {
    b.FixOk = (flags & 0x01) != 0;
    b.Differential = (flags & 0x02) != 0;
    b.Valid = (flags & 0x04) != 0;
    if (const std::int64_t carrier = (flags >> 3) & 0x03; carrier == 1 || carrier == 2)
        b.Carrier = carrier == 1 ? Solution::RtkFloat : Solution::RtkFixed;
    b.Moving = (flags & 0x20) != 0;
}

void NavRelposned0(const UbxPayload& p, Decoded& d) {
    protocol::Baseline& b = d.Baseline.emplace();
    b.ReferenceStation = static_cast<int>(p.U2(2));
    b.NorthM = Metres(p, 8, 20);
    b.EastM = Metres(p, 12, 21);
    b.DownM = Metres(p, 16, 22);
    b.LengthM = std::sqrt(b.NorthM * b.NorthM + b.EastM * b.EastM + b.DownM * b.DownM);
    b.AccuracyNorthM = static_cast<double>(p.U4(24)) * 1e-4;
    b.AccuracyEastM = static_cast<double>(p.U4(28)) * 1e-4;
    b.AccuracyDownM = static_cast<double>(p.U4(32)) * 1e-4;
    BaselineFlags(p.U4(36), b);
}

void NavRelposned1(const UbxPayload& p, Decoded& d) {
    protocol::Baseline& b = d.Baseline.emplace();
    b.ReferenceStation = static_cast<int>(p.U2(2));
    b.NorthM = Metres(p, 8, 32);
    b.EastM = Metres(p, 12, 33);
    b.DownM = Metres(p, 16, 34);
    b.LengthM = Metres(p, 20, 35);
    b.AccuracyNorthM = static_cast<double>(p.U4(36)) * 1e-4;
    b.AccuracyEastM = static_cast<double>(p.U4(40)) * 1e-4;
    b.AccuracyDownM = static_cast<double>(p.U4(44)) * 1e-4;
    b.AccuracyLengthM = static_cast<double>(p.U4(48)) * 1e-4;
    const std::int64_t flags = p.U4(60);
    BaselineFlags(flags, b);
    if (flags & 0x100)
        b.HeadingDeg = static_cast<double>(p.I4(24)) * 1e-5;
}

constexpr UbxField kNavSvin[] = {
    {0, T::U1, "version"},
    {4, T::U4, "iTOW", 1, "ms"},
    {8, T::U4, "dur", 1, "s"},
    {12, T::I4, "meanX", 0.01, "m", 2},
    {16, T::I4, "meanY", 0.01, "m", 2},
    {20, T::I4, "meanZ", 0.01, "m", 2},
    {24, T::I1, "meanXHP", 0.1, "mm", 1},
    {25, T::I1, "meanYHP", 0.1, "mm", 1},
    {26, T::I1, "meanZHP", 0.1, "mm", 1},
    {28, T::U4, "meanAcc", 1e-4, "m", 4},
    {32, T::U4, "obs"},
    {36, T::U1, "valid"},
    {37, T::U1, "active"},
};

void NavSvin(const UbxPayload& p, Decoded& d) {
    protocol::SurveyIn& survey = d.Survey.emplace();
    survey.DurationS = static_cast<std::uint32_t>(p.U4(8));
    survey.MeanXM = Metres(p, 12, 24);
    survey.MeanYM = Metres(p, 16, 25);
    survey.MeanZM = Metres(p, 20, 26);
    survey.MeanAccuracyM = static_cast<double>(p.U4(28)) * 1e-4;
    survey.Observations = static_cast<std::uint32_t>(p.U4(32));
    survey.Valid = p.U1(36) != 0;
    survey.Active = p.U1(37) != 0;
}

constexpr UbxLayout kRtkLayouts[] = {
    {kRxm, 0x32, 8, kRxmRtcm, 0, {}, "", -1, RxmRtcm, 0, 2},
    {kNav, 0x3C, 40, kNavRelposned0, 0, {}, "", -1, NavRelposned0, 0, 0},
    {kNav, 0x3C, 64, kNavRelposned1, 0, {}, "", -1, NavRelposned1, 0, 1},
    {kNav, 0x3B, 40, kNavSvin, 0, {}, "", -1, NavSvin, 0, 0},
};

} // namespace

std::span<const UbxLayout> UbxRtkLayouts() {
    return kRtkLayouts;
}

} // namespace protocol
