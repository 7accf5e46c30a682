// The configuration key table as a whole, and key values between the text
// the user reads and types and the raw value on the line.

#include "protocol/configkeys/ConfigValueText.h"

#include <bit>
#include <gtest/gtest.h>
#include <set>

using namespace ubx;

namespace {

const TConfigKey& Key(std::string_view name) {
    const TConfigKey* key = FindConfigKey(name);
    EXPECT_TRUE(key) << name;
    return *key;
}

constexpr TConfigName kModes[] = {{0, "OFF"}, {2, "ON"}};
constexpr TConfigName kBits[] = {{0, "A"}, {3, "D"}};

TConfigKey Made(TConfigType type, TConfigScale scale = {}, std::string_view unit = {},
                std::span<const TConfigName> names = {}) {
    return {0x10ee0001, "CFG-TEST-KEY", "TEST", type, scale, unit, names, "a key for the test"};
}

} // namespace

TEST(ConfigKeyTable, EveryKeyAgreesWithItsIdAndStandsAlone) {
    std::set<std::uint32_t> ids;
    std::set<std::string_view> names;
    for (const TConfigKey& key : ConfigKeys()) {
        EXPECT_EQ(ConfigKeySizeCode(key.id), ConfigTypeInfo(key.type).sizeCode) << key.name;
        EXPECT_TRUE(ids.insert(key.id).second) << key.name;
        EXPECT_TRUE(names.insert(key.name).second) << key.name;
        EXPECT_EQ(key.name.substr(0, 5 + key.group.size()), "CFG-" + std::string(key.group) + "-");
        EXPECT_EQ(FindConfigKey(key.id), &key);
        EXPECT_EQ(FindConfigKey(key.name), &key);
    }
    std::size_t grouped = 0;
    std::set<std::string_view> groups;
    for (const TConfigGroup& group : ConfigGroups()) {
        groups.insert(group.name);
        grouped += group.keys.size();
        for (const TConfigKey& key : group.keys)
            EXPECT_EQ(key.group, group.name) << key.name;
    }
    EXPECT_EQ(grouped, ConfigKeys().size());
    for (const char* wanted :
         {"RATE",   "UART1",  "UART2",    "USB", "I2C",  "SPI",    "MSGOUT", "NAVSPG",
          "NAVHPG", "SIGNAL", "TMODE",    "TP",  "ITFM", "INFMSG", "NMEA",   "SBAS",
          "PM",     "ODO",    "GEOFENCE", "HW",  "QZSS", "BDS"})
        EXPECT_TRUE(groups.contains(wanted)) << wanted;
    EXPECT_EQ(FindConfigKey("cfg-rate-meas"), FindConfigKey(0x30210001));
    EXPECT_FALSE(FindConfigKey(0x10520099));
    EXPECT_FALSE(FindConfigKey("CFG-RATE"));
}

TEST(ConfigValueText, EveryTypeRoundTrips) {
    const struct {
        TConfigKey key;
        const char* text;
        std::uint64_t raw;
    } cases[] = {
        {Made(TConfigType::L), "true", 1},
        {Made(TConfigType::U1), "255", 0xFF},
        {Made(TConfigType::U2, {}, "ms"), "1000 ms", 1000},
        {Made(TConfigType::U4), "4294967295", 0xFFFFFFFF},
        {Made(TConfigType::U8), "18446744073709551615", ~std::uint64_t{0}},
        {Made(TConfigType::I1), "-128", 0x80},
        {Made(TConfigType::I2), "-2", 0xFFFE},
        {Made(TConfigType::I4, {10, -7}, "deg"), "-12.3456789 deg", 0xF8A432EB},
        {Made(TConfigType::I8), "-9223372036854775808", 0x8000000000000000},
        {Made(TConfigType::U2, {10, -2}, "m/s"), "655.35 m/s", 0xFFFF},
        {Made(TConfigType::U1, {2, -6}), "0.046875", 3},
        {Made(TConfigType::U4, {10, -1}, "mm"), "0.5 mm", 5},
        {Made(TConfigType::R4), "0.1", std::bit_cast<std::uint32_t>(0.1f)},
        {Made(TConfigType::R8, {}, "m"), "-2.5e-10 m", std::bit_cast<std::uint64_t>(-2.5e-10)},
        {Made(TConfigType::E1, {}, {}, kModes), "ON", 2},
        {Made(TConfigType::E2, {}, {}, kModes), "7", 7}, // a value the table does not name
        {Made(TConfigType::E4, {}, {}, kModes), "OFF", 0},
        {Made(TConfigType::X1, {}, {}, kBits), "A|D", 0x09},
        {Made(TConfigType::X2, {}, {}, kBits), "A|0x0100", 0x0101}, // an unnamed bit
        {Made(TConfigType::X4, {}, {}, kBits), "none", 0},
        {Made(TConfigType::X8), "0x8000000000000001", 0x8000000000000001},
    };
    for (const auto& c : cases) {
        const std::string type(ConfigTypeInfo(c.key.type).name);
        EXPECT_EQ(ParseConfigValue(c.key, c.text), c.raw) << type << " " << c.text;
        EXPECT_EQ(FormatConfigValue(c.key, c.raw), c.text) << type << " " << c.text;
    }
    // What the user may type besides the canonical text.
    EXPECT_EQ(ParseConfigValue(Made(TConfigType::U2, {}, "ms"), " 1000 "), 1000u);
    EXPECT_EQ(ParseConfigValue(Made(TConfigType::I4, {10, -7}, "deg"), "+1.50deg"), 15000000u);
    EXPECT_EQ(ParseConfigValue(Made(TConfigType::E1, {}, {}, kModes), "on"), 2u);
    EXPECT_EQ(ParseConfigValue(Made(TConfigType::X1, {}, {}, kBits), "d | 0x10"), 0x18u);
}

TEST(ConfigValueText, TextThatIsNoValueIsRefusedByName) {
    const struct {
        const char* key;
        const char* text;
        const char* error;
    } cases[] = {
        {"CFG-RATE-MEAS", "70000",
         "CFG-RATE-MEAS takes a number from 0 to 65535 ms, not \"70000\""},
        {"CFG-RATE-MEAS", "fast", "CFG-RATE-MEAS takes a number from 0 to 65535 ms, not \"fast\""},
        {"CFG-NAVSPG-INFIL_MINELEV", "-129",
         "CFG-NAVSPG-INFIL_MINELEV takes a number from -128 to 127 deg, not \"-129\""},
        {"CFG-NAVSPG-OUTFIL_PDOP", "2.55",
         "CFG-NAVSPG-OUTFIL_PDOP takes steps of 0.1, not \"2.55\""},
        {"CFG-UART1-ENABLED", "yes", "CFG-UART1-ENABLED takes true or false, not \"yes\""},
        {"CFG-NAVSPG-FIXMODE", "4D",
         "CFG-NAVSPG-FIXMODE takes one of 2DONLY, 3DONLY, AUTO, not \"4D\""},
        {"CFG-INFMSG-UBX_UART1", "ERROR|LOUD",
         "CFG-INFMSG-UBX_UART1 takes bit names joined by | (ERROR, WARNING, NOTICE, TEST, "
         "DEBUG), \"none\" or a number, not \"ERROR|LOUD\""},
        {"CFG-NAVSPG-USRDAT_DX", "1e39",
         "CFG-NAVSPG-USRDAT_DX takes a decimal number within the range of R4, not \"1e39\""},
    };
    for (const auto& c : cases) {
        try {
            ParseConfigValue(Key(c.key), c.text);
            ADD_FAILURE() << c.key << " took " << c.text;
        } catch (const EConfigError& error) {
            EXPECT_STREQ(error.what(), c.error);
        }
    }
}

TEST(ConfigValueText, KeysOutsideTheTableKeepTheirRawValue) {
    EXPECT_EQ(ConfigKeyText(0x10520099), "0x10520099");
    EXPECT_EQ(ConfigKeyText(0x30210001), "CFG-RATE-MEAS");
    EXPECT_EQ(FormatConfigValue(0x40ee0001, 0x12345678), "0x12345678");
    EXPECT_EQ(FormatConfigValue(0x20110021, 4), "AUTOMOT");
    EXPECT_EQ(FormatConfigValue(0x30210001, 1000), "1000 ms");
    EXPECT_EQ(ParseConfigValue(0x40ee0001, "0x12345678"), 0x12345678u);
    EXPECT_THROW(ParseConfigValue(0x10ee0001, "256"), EConfigError);
    EXPECT_THROW(ParseConfigValue(0x00ee0001, "0"), EConfigError); // no value size
}
