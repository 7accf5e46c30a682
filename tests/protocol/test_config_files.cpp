// Configuration files: every key of the table through a KEY=value file and
// back, frames through a frame file and back, frame lines with and without
// sync and checksum, a file as receivers' configurations are exchanged
// (MON-VER, CFG-VALGET answers, legacy CFG frames), and each kind of bad
// line, all reported at once and nothing planned.

#include "protocol/UbxVocabulary.h"
#include "protocol/commands/UbxCommands.h"
#include "protocol/configfiles/ConfigFileReader.h"
#include "protocol/configfiles/ValueFile.h"
#include "tests/protocol/StreamBytes.h"

#include <gtest/gtest.h>

using namespace ubx;

namespace {

using Strings = std::vector<std::string>;

constexpr std::uint32_t kRateMeas = 0x30210001; // U2, ms
constexpr std::uint32_t kDynModel = 0x20110021; // E1
constexpr std::uint32_t kNotInTable = 0x20fe0001;

// A value of each key that uses what its type offers: every named bit, the
// last enumeration value, the widest integer, a fraction.
std::uint64_t TellingValue(const TConfigKey& key) {
    const std::size_t bytes = ConfigTypeSize(key.type);
    const std::uint64_t ones = bytes == 8 ? ~0ull : (1ull << (8 * bytes)) - 1;
    switch (ConfigTypeInfo(key.type).kind) {
    case TConfigKind::Bool:
        return 1;
    case TConfigKind::Enumeration:
        return key.names.empty() ? 0 : key.names.back().value;
    case TConfigKind::Bits: {
        std::uint64_t bits = 0;
        for (const TConfigName& name : key.names)
            bits |= 1ull << name.value;
        return bits;
    }
    case TConfigKind::Real:
        return bytes == 4 ? 0xBFC00000u : 0x415854A660000000u; // -1.5, 6378137.5
    default:
        return ones;
    }
}

Strings Frames(const TConfigFilePlan& plan) {
    Strings frames;
    for (const TNamedFrame& frame : plan.frames)
        frames.push_back(frame.name + " " + Hex(BuildUbxFrame(frame.packet)));
    return frames;
}

Strings Frames(const std::vector<TUBXPacket>& packets) {
    Strings frames;
    for (const TUBXPacket& packet : packets)
        frames.push_back(UbxMessageName(packet.pkClass, packet.ID) + " " +
                         Hex(BuildUbxFrame(packet)));
    return frames;
}

} // namespace

TEST(ValueFile, EveryKeyRoundTripsThroughTheText) {
    std::vector<TConfigValue> values;
    for (const TConfigKey& key : ConfigKeys())
        values.push_back({key.id, TellingValue(key)});
    values.push_back({kNotInTable, 0xA5});
    for (const bool descriptions : {false, true}) {
        const std::string text = WriteValueFile({"", "RAM", "now", false, descriptions}, values);
        const TConfigFilePlan plan = ReadConfigFile(text, kLayerRam | kLayerFlash);
        EXPECT_EQ(plan.errors, Strings{});
        EXPECT_EQ(Frames(plan), Frames(CfgValSetMessages(kLayerRam | kLayerFlash, values)));
    }
}

TEST(ValueFile, TellsWhereTheValuesCameFrom) {
    const TConfigValue values[] = {{kRateMeas, 1000}, {kDynModel, 4}, {kNotInTable, 7}};
    EXPECT_EQ(WriteValueFile(
                  {"ZED-F9P, FWVER=HPG 1.32", "Flash", "2026-12-08 05:20 UTC", true, true}, values),
              "# Receiver configuration saved by ZEPO Monitor\n"
              "# Receiver: ZED-F9P, FWVER=HPG 1.32\n"
              "# Layer: Flash\n"
              "# Saved: 2026-12-08 05:20 UTC\n"
              "# Only the values that differ from the receiver's defaults\n"
              "\n"
              "# Time between two measurements\n"
              "CFG-RATE-MEAS=1000 ms\n"
              "\n"
              "# Motion model of the platform the receiver is on\n"
              "CFG-NAVSPG-DYNMODEL=AUTOMOT\n"
              "0x20fe0001=0x07\n");
}

TEST(FrameFile, LinesGiveTheFramesTheyHold) {
    const TConfigValue values[] = {{kRateMeas, 200}, {kDynModel, 4}};
    const std::uint32_t keys[] = {kRateMeas, kDynModel};
    const std::vector<TUBXPacket> written = {
        CfgPrtSet(TCfgPrt{}),
        CfgMsgSet(TCfgMsg{0xF0, 0x03, {0, 1, 0, 0, 0, 0}}),
        CfgValSet(kLayerRam, values),
        CfgValDel(kLayerBbr, keys),
        MakeUbxPacket(kClassCfg, 0x99, {1, 2, 3}), // no name in the vocabulary
        CfgPrtPoll()};
    const TUBXPacket rate = CfgRateSet(TCfgRate{});
    const struct {
        const char* legend;
        std::string text;
        std::vector<TUBXPacket> frames;
    } cases[] = {
        {"as written", WriteFrameFile(written), written},
        {"bare", "CFG-RATE - 06 08 06 00 E8 03 01 00 01 00", {rate}},
        {"with sync and checksum", "CFG-RATE - B5 62 06 08 06 00 E8 03 01 00 01 00 01 39", {rate}},
        {"loosely typed", "  CFG-RATE  -  0608 0600 e803 0100 0100\r", {rate}},
        // As receivers' configurations are exchanged: MON-VER names the
        // receiver, CFG-VALGET answers (version 1) hold its values.
        {"receiver's answers",
         "\xEF\xBB\xBFMON-VER - 0A 04 04 00 41 42 43 00\r\n"
         "CFG-VALGET - 06 8B 0F 00 01 00 00 00 01 00 21 30 C8 00 21 00 11 20 04\r\n"
         "CFG-RATE - 06 08 06 00 E8 03 01 00 01 00\r\n",
         {CfgValSet(kLayerBbr, values), rate}},
    };
    for (const auto& c : cases) {
        const TConfigFilePlan plan = ReadConfigFile(c.text, kLayerBbr);
        EXPECT_EQ(plan.errors, Strings{}) << c.legend;
        EXPECT_EQ(Frames(plan), Frames(c.frames)) << c.legend;
    }
    EXPECT_EQ(WriteFrameFile(std::vector{rate}), "CFG-RATE - 06 08 06 00 E8 03 01 00 01 00\n");
}

TEST(ConfigFile, EveryBadLineIsReportedAndNothingPlanned) {
    const struct {
        const char* legend;
        std::string text;
        std::uint8_t layers;
        Strings errors;
    } cases[] = {
        {"value no value of its key",
         "# rate\n\nCFG-RATE-MEAS=abc\nCFG-RATE-NAV=1\nFOO=1\n",
         kLayerRam,
         {"Line 3: CFG-RATE-MEAS=abc: CFG-RATE-MEAS takes a number from 0 to 65535 ms, not "
          "\"abc\"",
          "Line 5: unknown key FOO"}},
        {"key parts",
         "=5\n0x80fe0001=1\n0x20fe0001=0x100\n",
         kLayerRam,
         {"Line 1: no key before \"=\"",
          "Line 2: 0x80fe0001 is no key ID: its size or reserved bits are wrong",
          "Line 3: 0x20fe0001=0x100: 0x20fe0001 takes a number such as 0x00, not \"0x100\""}},
        {"key twice",
         "CFG-RATE-MEAS=100\ncfg-rate-meas=200 ms\n",
         kLayerRam,
         {"Line 2: CFG-RATE-MEAS is set already on line 1"}},
        {"no layer",
         "CFG-RATE-MEAS=100\n",
         0,
         {"CFG-VALSET writes to RAM, BBR or flash: choose at least one of them and no other "
          "layer"}},
        {"neither kind",
         "hello\n",
         kLayerRam,
         {"Line 1: \"hello\" is neither KEY=value nor a frame (NAME - hex bytes)"}},
        {"kinds mixed",
         "CFG-RATE-MEAS=100\nCFG-RATE - 06 08 00 00\n",
         kLayerRam,
         {"Line 2: a frame line in a file of KEY=value lines"}},
        {"kinds mixed the other way",
         "CFG-RATE - 06 08 00 00\nCFG-RATE-MEAS=100\n",
         kLayerRam,
         {"Line 2: a KEY=value line in a file of frames"}},
        {"frame parts",
         " - 06 08 00 00\n"
         "CFG-RATE - 06\n"
         "CFG-RATE - 06 08 0G\n"
         "CFG-VALSET - 06 8A 09 00 00 01 00 00 01 00 21 30 C8 00\n"
         "CFG-RATE - B5 62 06 08 06 00 E8 03 01 00 01 00 01 38\n"
         "CFG-RATE - B5 62 06 08\n"
         "CFG-MSG - 06 08 00 00\n"
         "CFG-VALGET - 06 8B 07 00 01 00 00 00 01 00 21\n",
         kLayerRam,
         {"Line 1: no message name before \" - \"",
          "Line 2: the frame is cut short: it needs at least class, id and two length bytes",
          "Line 3: \"0G\" is not hexadecimal: \"G\" is no hex digit.",
          "Line 4: the length bytes give 9 payload bytes, the line holds 10",
          "Line 5: checksum wrong",
          "Line 6: the frame is cut short: it needs at least sync, class, id, length and checksum",
          "Line 7: the name CFG-MSG does not match the frame's class and id (CFG-RATE)",
          "Line 8: the CFG-VALGET answer's keys and values are cut short"}},
        {"nothing to apply",
         "# only a comment\n\n",
         kLayerRam,
         {"The file holds no KEY=value lines and no frames."}},
    };
    for (const auto& c : cases) {
        const TConfigFilePlan plan = ReadConfigFile(c.text, c.layers);
        EXPECT_EQ(plan.errors, c.errors) << c.legend;
        EXPECT_TRUE(plan.frames.empty()) << c.legend;
    }
}
