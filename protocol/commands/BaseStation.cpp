#include "protocol/commands/BaseStation.h"

#include <cmath>
#include <string>

namespace ubx {
namespace {

constexpr std::uint8_t kTmode3Version = 0;
constexpr std::uint16_t kTmode3Llh = 0x0100; // flags: the position is latitude, longitude, height
// ECEF positions within these distances of the earth's centre lie near its
// surface: below the deepest sea, above any base a receiver serves.
constexpr double kNearestM = 6'300'000, kFarthestM = 6'500'000;
constexpr double kLargestAccuracyM = 4294967295 * 1e-4; // U4 of 0.1 mm

// A value in whole units of coarse and the rest in units of fine (a
// hundredth of coarse), both with the value's sign, as TMODE's fields and
// their high-precision parts take it.
struct TSplit {
    std::int32_t coarse;
    std::int8_t fine;
};
TSplit Split(double value, double fineUnit) {
    const long long total = std::llround(value / fineUnit);
    return {static_cast<std::int32_t>(total / 100), static_cast<std::int8_t>(total % 100)};
}

std::uint32_t TenthsOfMillimetres(const char* name, double metres) {
    if (!(metres > 0 && metres <= kLargestAccuracyM))
        throw EConfigError(std::string(name) + " must be more than 0 m and at most 429496 m");
    return static_cast<std::uint32_t>(std::llround(metres * 1e4));
}

// The position fields of the settings: three coarse values and their fine parts.
std::array<TSplit, 3> PositionFields(const TBaseSettings& s) {
    const auto& p = s.position;
    if (s.llh) {
        if (!(std::abs(p[0]) <= 90))
            throw EConfigError("The latitude must lie from -90 to 90 degrees");
        if (!(std::abs(p[1]) <= 180))
            throw EConfigError("The longitude must lie from -180 to 180 degrees");
        if (!(p[2] >= -2000 && p[2] <= 100000))
            throw EConfigError("The height must lie from -2000 to 100000 m");
        return {Split(p[0], 1e-9), Split(p[1], 1e-9), Split(p[2], 1e-4)};
    }
    const double radius = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    if (!(radius >= kNearestM && radius <= kFarthestM))
        throw EConfigError(
            "ECEF X, Y and Z put the base " + std::to_string(std::lround(radius / 1000)) +
            " km from the earth's centre; a base lies near its surface, 6300 to 6500 km");
    return {Split(p[0], 1e-4), Split(p[1], 1e-4), Split(p[2], 1e-4)};
}

void CheckSurvey(const TBaseSettings& s) {
    if (s.surveyMinDurationS == 0)
        throw EConfigError("The shortest survey-in must last at least 1 s");
}

void Append(TPayload& payload, std::uint64_t value, int bytes) {
    for (int k = 0; k < bytes; ++k)
        payload.push_back(static_cast<std::uint8_t>(value >> (8 * k)));
}

// A signed value in its key's width, as CFG-VALSET carries it.
std::uint64_t Raw(std::int64_t value, int bytes) {
    return static_cast<std::uint64_t>(value) & ((std::uint64_t{1} << (8 * bytes)) - 1);
}

} // namespace

TUBXPacket CfgTmode3(const TBaseSettings& s) {
    std::array<TSplit, 3> position{};
    std::uint32_t fixedAccuracy = 0, surveyAccuracy = 0, surveyDuration = 0;
    if (s.mode == TBaseMode::Fixed) {
        position = PositionFields(s);
        fixedAccuracy = TenthsOfMillimetres("The position's accuracy", s.fixedAccuracyM);
    } else if (s.mode == TBaseMode::SurveyIn) {
        CheckSurvey(s);
        surveyDuration = s.surveyMinDurationS;
        surveyAccuracy = TenthsOfMillimetres("The survey-in's accuracy", s.surveyAccuracyLimitM);
    }
    TPayload payload;
    Append(payload, kTmode3Version, 1);
    Append(payload, 0, 1);
    const bool llh = s.mode == TBaseMode::Fixed && s.llh;
    Append(payload, static_cast<std::uint16_t>(s.mode) | (llh ? kTmode3Llh : 0), 2);
    for (const TSplit& field : position)
        Append(payload, Raw(field.coarse, 4), 4);
    for (const TSplit& field : position)
        Append(payload, Raw(field.fine, 1), 1);
    Append(payload, 0, 1);
    Append(payload, fixedAccuracy, 4);
    Append(payload, surveyDuration, 4);
    Append(payload, surveyAccuracy, 4);
    Append(payload, 0, 8);
    return MakeUbxPacket(kClassCfg, kIdCfgTmode3, std::move(payload));
}

TUBXPacket TmodeValSet(const TBaseSettings& s) {
    std::vector<TConfigValue> values = {
        {ConfigKeyId("CFG-TMODE-MODE"), static_cast<std::uint64_t>(s.mode)}};
    const auto add = [&values](const char* key, std::uint64_t value) {
        values.push_back({ConfigKeyId(key), value});
    };
    if (s.mode == TBaseMode::SurveyIn) {
        CheckSurvey(s);
        add("CFG-TMODE-SVIN_MIN_DUR", s.surveyMinDurationS);
        add("CFG-TMODE-SVIN_ACC_LIMIT",
            TenthsOfMillimetres("The survey-in's accuracy", s.surveyAccuracyLimitM));
    } else if (s.mode == TBaseMode::Fixed) {
        const std::array<TSplit, 3> position = PositionFields(s);
        static constexpr const char* kLlh[] = {"LAT", "LON", "HEIGHT"};
        static constexpr const char* kEcef[] = {"ECEF_X", "ECEF_Y", "ECEF_Z"};
        add("CFG-TMODE-POS_TYPE", s.llh ? 1 : 0);
        for (std::size_t axis = 0; axis < 3; ++axis) {
            const std::string name = std::string("CFG-TMODE-") + (s.llh ? kLlh : kEcef)[axis];
            add(name.c_str(), Raw(position[axis].coarse, 4));
            add((name + "_HP").c_str(), Raw(position[axis].fine, 1));
        }
        add("CFG-TMODE-FIXED_POS_ACC",
            TenthsOfMillimetres("The position's accuracy", s.fixedAccuracyM));
    }
    return CfgValSet(kLayerRam, values);
}

TUBXPacket CfgMsgRtcm(int messageType, const TMessageRates& rates) {
    return CfgMsgSet({kClassRtcm3, static_cast<std::uint8_t>(messageType - 1000), rates});
}

TUBXPacket RtcmOutputValSet(const TMessageRates& rates) {
    std::vector<TConfigValue> values;
    for (const int type : kBaseRtcmTypes)
        for (std::size_t port = 0; port + 1 < rates.size(); ++port)
            values.push_back({ConfigKeyId("CFG-MSGOUT-RTCM_3X_TYPE" + std::to_string(type) + "_" +
                                          kMsgRatePorts[port]),
                              rates[port]});
    return CfgValSet(kLayerRam, values);
}

} // namespace ubx
