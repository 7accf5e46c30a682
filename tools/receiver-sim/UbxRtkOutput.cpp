#include "tools/receiver-sim/UbxRtkOutput.h"

#include "tools/receiver-sim/UbxOutput.h"

#include <cmath>
#include <numbers>

namespace {
constexpr std::uint8_t kRxmRtcmVersion = 2;
// RXM-RTCM flags: crcFailed bit 0, msgUsed bits 1-2 (1 not used, 2 used).
constexpr std::uint8_t kRtcmCrcFailed = 0x01;
constexpr std::uint8_t kRtcmNotUsed = 0x02;
constexpr std::uint8_t kRtcmUsed = 0x04;

// NAV-RELPOSNED flags.
constexpr std::uint32_t kGnssFixOk = 0x01, kDiffSoln = 0x02, kRelPosValid = 0x04;
constexpr int kCarrierShift = 3;
constexpr std::uint32_t kHeadingValid = 0x100;

// Accuracies in 0.1 mm: an RTK fixed baseline to a centimetre or two, a
// floating one to decimetres.
constexpr std::uint32_t kFixedAccuracy = 140, kFloatAccuracy = 3500;

// A distance as whole centimetres (I4) and the fine part in 0.1 mm (I1).
struct Split {
    std::int32_t cm;
    std::int8_t fine;
};
Split SplitMetres(double metres) {
    const auto cm = static_cast<std::int32_t>(std::trunc(metres * 100));
    return {cm, static_cast<std::int8_t>(std::lround((metres * 100 - cm) * 100))};
}

std::uint32_t Flags(const NavigationSolution& s, bool headingValid) {
    std::uint32_t flags = s.fix ? kGnssFixOk : 0;
    if (s.differential())
        flags |= kDiffSoln;
    if (s.baseline && s.differential()) {
        flags |= kRelPosValid | static_cast<std::uint32_t>(s.carrier) << kCarrierShift;
        if (headingValid)
            flags |= kHeadingValid;
    }
    return flags;
}
} // namespace

std::string NavRelposnedFrame(const NavigationSolution& s, int generation) {
    const bool version1 = generation >= 9;
    const NedVector ned = s.baseline.value_or(NedVector{});
    const Split parts[] = {
        SplitMetres(ned.north), SplitMetres(ned.east), SplitMetres(ned.down),
        SplitMetres(std::sqrt(ned.north * ned.north + ned.east * ned.east + ned.down * ned.down))};
    const std::uint32_t accuracy =
        s.carrier == CarrierSolution::Fixed ? kFixedAccuracy : kFloatAccuracy;
    std::string payload;
    payload.push_back(static_cast<char>(version1 ? 1 : 0));
    payload.push_back(0);
    PutUnsigned(payload, static_cast<std::uint32_t>(s.referenceStation), 2);
    PutUnsigned(payload, EpochTimeOfWeekMs(s), 4);
    for (int axis = 0; axis < 3; ++axis)
        PutSigned(payload, parts[axis].cm);
    if (version1) {
        PutSigned(payload, parts[3].cm);
        const double heading = std::atan2(ned.east, ned.north) * 180 / std::numbers::pi;
        PutSigned(payload, (heading < 0 ? heading + 360 : heading) * 1e5);
        payload.append(4, '\0');
    }
    for (int axis = 0; axis < (version1 ? 4 : 3); ++axis)
        payload.push_back(static_cast<char>(parts[axis].fine));
    if (!version1)
        payload.push_back(0);
    for (int axis = 0; axis < (version1 ? 4 : 3); ++axis)
        PutUnsigned(payload, accuracy * (axis == 2 ? 2 : 1), 4); // down twice as uncertain
    if (version1) {
        PutUnsigned(payload, 20000, 4); // heading accuracy, 1e-5 degrees
        payload.append(4, '\0');
    }
    PutUnsigned(payload, Flags(s, version1 && s.carrier == CarrierSolution::Fixed), 4);
    return UbxFrame(kUbxClassNav, kUbxIdNavRelposned, payload);
}

std::string RxmRtcmFrame(const RtcmTaken& taken) {
    std::string payload;
    payload.push_back(static_cast<char>(kRxmRtcmVersion));
    payload.push_back(static_cast<char>(taken.crcFailed ? kRtcmCrcFailed
                                        : taken.used    ? kRtcmUsed
                                                        : kRtcmNotUsed));
    PutUnsigned(payload, 0, 2); // subType: u-blox's own 4072 only
    PutUnsigned(payload, static_cast<std::uint32_t>(taken.station), 2);
    PutUnsigned(payload, static_cast<std::uint32_t>(taken.messageType), 2);
    return UbxFrame(kUbxClassRxm, kUbxIdRxmRtcm, payload);
}
