// The base station's commands: CFG-TMODE3 and the CFG-TMODE keys carry the
// survey-in and a fixed position with its fine parts, the RTCM output goes
// to every port's key, and values no receiver can take are refused.

#include "protocol/commands/BaseStation.h"
#include "protocol/commands/ConfigValues.h"
#include "tests/protocol/StreamBytes.h"

#include <gtest/gtest.h>
#include <map>

using namespace ubx;

namespace {
std::map<std::string, std::int64_t> KeyValues(const TUBXPacket& valset) {
    const auto content = ReadCfgValSet(valset.PayLoad);
    std::map<std::string, std::int64_t> values;
    for (const TConfigValue& value : content->values) {
        const TConfigKey* key = FindConfigKey(value.key);
        const std::size_t bits = 8 * ConfigKeySize(value.key);
        // Sign-extended where the key is signed, as the receiver reads it.
        const bool isSigned = ConfigTypeInfo(key->type).kind == TConfigKind::Signed;
        const bool negative = bits < 64 && isSigned && (value.value >> (bits - 1)) & 1;
        values[std::string(key->name)] = static_cast<std::int64_t>(
            negative ? value.value - (std::uint64_t{1} << bits) : value.value);
    }
    return values;
}
} // namespace

TEST(BaseStation, SurveyInAndFixedPositionsInBothForms) {
    TBaseSettings survey;
    survey.surveyMinDurationS = 120;
    survey.surveyAccuracyLimitM = 0.5;
    EXPECT_EQ(Hex(BuildUbxFrame(CfgTmode3(survey))).substr(0, 17), "B5 62 06 71 28 00");
    const TPayload surveyed = CfgTmode3(survey).PayLoad;
    EXPECT_EQ(surveyed[2], 1); // survey-in, ECEF
    EXPECT_EQ(PayloadWriter().U4(120).U4(5000).Bytes(),
              std::string(surveyed.begin() + 24, surveyed.begin() + 32)); // duration, 0.1 mm
    EXPECT_EQ(KeyValues(TmodeValSet(survey)),
              (std::map<std::string, std::int64_t>{{"CFG-TMODE-MODE", 1},
                                                   {"CFG-TMODE-SVIN_MIN_DUR", 120},
                                                   {"CFG-TMODE-SVIN_ACC_LIMIT", 5000}}));

    TBaseSettings fixed;
    fixed.mode = TBaseMode::Fixed;
    fixed.position = {47.123456789, -8.5000000012, 500.12345};
    fixed.fixedAccuracyM = 0.02;
    const TPayload llh = CfgTmode3(fixed).PayLoad;
    EXPECT_EQ(std::string(llh.begin() + 2, llh.begin() + 19),
              PayloadWriter().U2(0x0102).I4(471234567).I4(-85000000).I4(50012).Bytes() +
                  "\x59\xFF\x23"); // 89, -1, 35 (0.5 rounds away)
    EXPECT_EQ(KeyValues(TmodeValSet(fixed)),
              (std::map<std::string, std::int64_t>{{"CFG-TMODE-MODE", 2},
                                                   {"CFG-TMODE-POS_TYPE", 1},
                                                   {"CFG-TMODE-LAT", 471234567},
                                                   {"CFG-TMODE-LAT_HP", 89},
                                                   {"CFG-TMODE-LON", -85000000},
                                                   {"CFG-TMODE-LON_HP", -1},
                                                   {"CFG-TMODE-HEIGHT", 50012},
                                                   {"CFG-TMODE-HEIGHT_HP", 35},
                                                   {"CFG-TMODE-FIXED_POS_ACC", 200}}));
    fixed.llh = false;
    fixed.position = {4273980.1234, 640172.5, -4655019.99995};
    const auto ecef = KeyValues(TmodeValSet(fixed));
    EXPECT_EQ(ecef.at("CFG-TMODE-POS_TYPE"), 0);
    EXPECT_EQ(ecef.at("CFG-TMODE-ECEF_X"), 427398012);
    EXPECT_EQ(ecef.at("CFG-TMODE-ECEF_X_HP"), 34);
    EXPECT_EQ(ecef.at("CFG-TMODE-ECEF_Z"), -465502000); // -4655020.0000 after rounding
    EXPECT_EQ(ecef.at("CFG-TMODE-ECEF_Z_HP"), 0);
}

TEST(BaseStation, ValuesNoReceiverCanTakeAreRefusedWithTheReason) {
    const auto refused = [](auto change) {
        TBaseSettings settings;
        change(settings);
        try {
            CfgTmode3(settings);
        } catch (const EConfigError& error) {
            EXPECT_THROW(TmodeValSet(settings), EConfigError);
            return std::string(error.what());
        }
        return std::string("accepted");
    };
    EXPECT_EQ(refused([](TBaseSettings& s) { s.surveyMinDurationS = 0; }),
              "The shortest survey-in must last at least 1 s");
    EXPECT_EQ(refused([](TBaseSettings& s) { s.surveyAccuracyLimitM = 0; }),
              "The survey-in's accuracy must be more than 0 m and at most 429496 m");
    EXPECT_EQ(refused([](TBaseSettings& s) {
                  s.mode = TBaseMode::Fixed;
                  s.position = {91, 0, 0};
              }),
              "The latitude must lie from -90 to 90 degrees");
    EXPECT_EQ(refused([](TBaseSettings& s) {
                  s.mode = TBaseMode::Fixed;
                  s.llh = false;
                  s.position = {6378137, 0, 3e6};
              }),
              "ECEF X, Y and Z put the base 7048 km from the earth's centre; a base lies near "
              "its surface, 6300 to 6500 km");
    EXPECT_EQ(refused([](TBaseSettings& s) { s.mode = TBaseMode::Disabled; }), "accepted");
}

TEST(BaseStation, RtcmOutputReachesEveryPortOfEveryMessage) {
    EXPECT_EQ(CfgMsgRtcm(1074, {0, 1, 0, 0, 0, 0}).PayLoad,
              (TPayload{0xF5, 0x4A, 0, 1, 0, 0, 0, 0}));
    const auto values = KeyValues(RtcmOutputValSet({0, 1, 0, 2, 0, 0}));
    EXPECT_EQ(values.size(), 30u);
    EXPECT_EQ(values.at("CFG-MSGOUT-RTCM_3X_TYPE1230_USB"), 2);
    EXPECT_EQ(values.at("CFG-MSGOUT-RTCM_3X_TYPE1005_UART1"), 1);
    EXPECT_EQ(values.at("CFG-MSGOUT-RTCM_3X_TYPE1124_I2C"), 0);
}
