// CFG-VALGET, CFG-VALSET and CFG-VALDEL as they go on the line, large
// settings split into transactions, what the encoders refuse, and a
// CFG-VALGET answer read back after arriving in pieces.

#include "protocol/commands/ConfigValues.h"
#include "protocol/commands/UbxCommands.h"
#include "protocol/framing/Framer.h"
#include "tests/protocol/StreamBytes.h"

#include <bit>
#include <gtest/gtest.h>

using namespace ubx;

namespace {

constexpr std::uint32_t kRateMeas = 0x30210001;     // U2
constexpr std::uint32_t kDynModel = 0x20110021;     // E1
constexpr std::uint32_t kUart1Enabled = 0x10520005; // L
constexpr std::uint32_t kUart1Baud = 0x40520001;    // U4
constexpr std::uint32_t kPrnScanMask = 0x50360006;  // X8

std::vector<TConfigValue> RateValues(std::size_t count) {
    return std::vector<TConfigValue>(count, TConfigValue{kRateMeas, 1000});
}

} // namespace

TEST(ConfigValues, FramesOnTheLine) {
    const std::uint32_t meas[] = {kRateMeas};
    const std::uint32_t measAndModel[] = {kRateMeas, kDynModel};
    const TConfigValue rateAndPort[] = {{kRateMeas, 200}, {kUart1Enabled, 1}};
    const TConfigValue baud[] = {{kUart1Baud, 115200}};
    const TConfigValue mask[] = {{kPrnScanMask, 0x8000000000000001}};
    const struct {
        const char* legend;
        TUBXPacket packet;
        const char* frame;
    } cases[] = {
        // version 0, layer, position, keys
        {"VALGET RAM", CfgValGetPoll(TConfigLayer::Ram, meas),
         "B5 62 06 8B 08 00 00 00 00 00 01 00 21 30 EB 07"},
        {"VALGET default from 3", CfgValGetPoll(TConfigLayer::Default, measAndModel, 3),
         "B5 62 06 8B 0C 00 00 07 03 00 01 00 21 30 21 00 11 20 4B 1C"},
        // version 0, layers, reserved, then key and value by the key's size
        {"VALSET", CfgValSet(kLayerRam, rateAndPort),
         "B5 62 06 8A 0F 00 00 01 00 00 01 00 21 30 C8 00 05 00 52 10 01 22 8F"},
        // version 1, layers, transaction, reserved
        {"VALSET start", CfgValSet(kLayerRam | kLayerBbr, TConfigTransaction::Start, baud),
         "B5 62 06 8A 0C 00 01 03 01 00 01 00 52 40 00 C2 01 00 F7 D1"},
        {"VALSET apply", CfgValSet(kLayerFlash, TConfigTransaction::Apply, mask),
         "B5 62 06 8A 10 00 01 04 03 00 06 00 36 50 01 00 00 00 00 00 00 80 B5 08"},
        {"VALDEL", CfgValDel(kLayerBbr | kLayerFlash, meas),
         "B5 62 06 8C 08 00 00 06 00 00 01 00 21 30 F2 3C"},
        {"VALDEL continue", CfgValDel(kLayerFlash, TConfigTransaction::Continue, measAndModel),
         "B5 62 06 8C 0C 00 01 04 02 00 01 00 21 30 21 00 11 20 49 0C"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Hex(BuildUbxFrame(c.packet)), c.frame) << c.legend;
}

TEST(ConfigValues, LargeSettingsBecomeOneTransaction) {
    const auto one = CfgValSetMessages(kLayerRam, RateValues(64));
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].PayLoad[0], 0); // version 0: applied at once
    EXPECT_EQ(one[0].PayLoad.size(), 4u + 64 * 6);

    const auto three = CfgValSetMessages(kLayerRam, RateValues(130));
    ASSERT_EQ(three.size(), 3u);
    const std::uint8_t steps[] = {1, 2, 3}; // start, continue, apply
    const std::size_t keys[] = {64, 64, 2};
    for (std::size_t index = 0; index < 3; ++index) {
        EXPECT_EQ(three[index].PayLoad[0], 1) << index;
        EXPECT_EQ(three[index].PayLoad[2], steps[index]) << index;
        EXPECT_EQ(three[index].PayLoad.size(), 4 + keys[index] * 6) << index;
    }

    const std::vector<std::uint32_t> many(65, kRateMeas);
    const auto deletions = CfgValDelMessages(kLayerBbr, many);
    ASSERT_EQ(deletions.size(), 2u);
    EXPECT_EQ(deletions[1].PayLoad[2], 3);
    EXPECT_EQ(deletions[1].PayLoad.size(), 8u);
}

TEST(ConfigValues, EncodersRefuseWhatCannotGoOut) {
    const std::vector<std::uint32_t> tooMany(65, kRateMeas);
    const std::uint32_t meas[] = {kRateMeas};
    const TConfigValue tooWide[] = {{kDynModel, 256}};
    const TConfigValue noSize[] = {{0x00210001, 1}};
    const TConfigValue fine[] = {{kRateMeas, 1}};
    EXPECT_THROW(CfgValGetPoll(TConfigLayer::Ram, tooMany), EConfigError);
    EXPECT_THROW(CfgValSet(kLayerRam, RateValues(65)), EConfigError);
    EXPECT_THROW(CfgValSet(0, fine), EConfigError);
    EXPECT_THROW(CfgValSet(0x08, fine), EConfigError);
    EXPECT_THROW(CfgValDel(kLayerRam, meas), EConfigError); // RAM cannot be deleted from
    EXPECT_THROW(CfgValSet(kLayerRam, noSize), EConfigError);
    try {
        CfgValSet(kLayerRam, tooWide);
        FAIL() << "a value wider than its key went out";
    } catch (const EConfigError& error) {
        EXPECT_STREQ(error.what(), "CFG-NAVSPG-DYNMODEL holds 1 byte, too few for the value 256");
    }
}

TEST(ConfigValues, AnswerArrivingInPiecesIsReadBack) {
    const std::uint32_t unknownKey = 0x10ee0001; // not in the table, still read
    const double duty = 25.5;
    PayloadWriter payload;
    payload.U1(1).U1(2).U2(0);        // version 1, flash layer, position 0
    payload.U4(kRateMeas).U2(1000);   // U2
    payload.U4(kUart1Enabled).U1(1);  // L
    payload.U4(0x401100c1).I4(-1234); // CFG-NAVSPG-CONSTR_ALT, I4
    payload.U4(0x5005002a)
        .U4(std::bit_cast<std::uint64_t>(duty))
        .U4(std::bit_cast<std::uint64_t>(duty) >> 32); // CFG-TP-DUTY_TP1, R8
    payload.U4(unknownKey).U1(0);
    const std::string stream = "\xB5" + UbxBytes(kClassCfg, kIdCfgValGet, payload.Bytes());

    protocol::Framer framer;
    std::vector<protocol::Message> messages;
    for (std::size_t offset = 0; offset < stream.size(); offset += 5)
        for (auto& message : framer.Feed(std::string_view(stream).substr(offset, 5)))
            messages.push_back(std::move(message));
    ASSERT_EQ(messages.size(), 2u); // the stray sync byte, then the frame
    const protocol::Message& frame = messages[1];
    ASSERT_EQ(frame.Kind, protocol::MessageKind::Ubx);
    ASSERT_EQ(frame.Checksum, protocol::ChecksumState::Right);

    const std::string_view bytes = std::string_view(frame.Bytes).substr(6, frame.Bytes.size() - 8);
    const TPayload received(bytes.begin(), bytes.end());
    const auto answer = ReadCfgValGet(received);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->layer, TConfigLayer::Flash);
    const std::vector<TConfigValue> expected = {{kRateMeas, 1000},
                                                {kUart1Enabled, 1},
                                                {0x401100c1, 0xFFFFFB2E},
                                                {0x5005002a, std::bit_cast<std::uint64_t>(duty)},
                                                {unknownKey, 0}};
    EXPECT_EQ(answer->values, expected);

    // Another version, a value cut short, a key without a value size.
    TPayload wrong = received;
    wrong[0] = 0;
    EXPECT_FALSE(ReadCfgValGet(wrong));
    EXPECT_FALSE(ReadCfgValGet(TPayload(received.begin(), received.end() - 1)));
    EXPECT_FALSE(ReadCfgValGet(TPayload{1, 0, 0, 0, 0x01, 0x00, 0x21, 0x00, 7}));
    EXPECT_TRUE(ReadCfgValGet(TPayload{1, 0, 0, 0})->values.empty());
}
