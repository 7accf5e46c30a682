// The configuration commands as they go on the line, written out from the
// receiver's layouts field by field; their answers read back; and the hex
// entry of the UBX composer.

#include "protocol/commands/HexBytes.h"
#include "protocol/commands/UbxCommands.h"
#include "tests/protocol/StreamBytes.h"

#include <gtest/gtest.h>

using namespace ubx;

namespace {

TPayload Bytes(std::string_view hex) {
    return ParseHexBytes(hex, 65535);
}

struct FrameCase {
    const char* legend;
    TUBXPacket packet;
    const char* frame;
};

} // namespace

TEST(UbxCommands, FramesOnTheLine) {
    const TCfgPrt uart115200{1, 0, 0x08C0, 115200, 0x0007, 0x0003, 0};
    const FrameCase cases[] = {
        {"CFG-PRT poll", CfgPrtPoll(), "B5 62 06 00 00 00 06 18"},
        {"CFG-PRT poll UART1", CfgPrtPoll(1), "B5 62 06 00 01 00 01 08 22"},
        // portID, reserved, txReady, mode 8N1, baud, in UBX+NMEA+RTCM, out UBX+NMEA, flags,
        // reserved
        {"CFG-PRT set", CfgPrtSet(uart115200),
         "B5 62 06 00 14 00 01 00 00 00 C0 08 00 00 00 C2 01 00 07 00 03 00 00 00 00 00 B0 7E"},
        {"CFG-RATE poll", CfgRatePoll(), "B5 62 06 08 00 00 0E 30"},
        // 200 ms, one measurement per solution, GPS time
        {"CFG-RATE set", CfgRateSet({200, 1, 1}), "B5 62 06 08 06 00 C8 00 01 00 01 00 DE 6A"},
        {"CFG-MSG poll GGA", CfgMsgPoll(0xF0, 0x00), "B5 62 06 01 02 00 F0 00 F9 11"},
        // NAV-PVT once per solution on UART1 and USB
        {"CFG-MSG set", CfgMsgSet({0x01, 0x07, {0, 1, 0, 1, 0, 0}}),
         "B5 62 06 01 08 00 01 07 00 01 00 01 00 00 19 E4"},
        // clear, save, load masks, then the device mask
        {"CFG-CFG save", CfgCfg(TCfgAction::Save),
         "B5 62 06 09 0D 00 00 00 00 00 FF FF 00 00 00 00 00 00 17 31 BF"},
        {"CFG-CFG save BBR+flash", CfgCfg(TCfgAction::Save, kDevBbr | kDevFlash),
         "B5 62 06 09 0D 00 00 00 00 00 FF FF 00 00 00 00 00 00 03 1D AB"},
        {"CFG-CFG load", CfgCfg(TCfgAction::Load),
         "B5 62 06 09 0D 00 00 00 00 00 00 00 00 00 FF FF 00 00 17 31 C7"},
        {"CFG-CFG default", CfgCfg(TCfgAction::Default),
         "B5 62 06 09 0D 00 FF FF 00 00 00 00 00 00 FF FF 00 00 17 2F AE"},
        // navBbrMask, resetMode 2 (GNSS restart), reserved
        {"CFG-RST hot", CfgRst(TStartKind::Hot), "B5 62 06 04 04 00 00 00 02 00 10 68"},
        {"CFG-RST warm", CfgRst(TStartKind::Warm), "B5 62 06 04 04 00 01 00 02 00 11 6C"},
        {"CFG-RST cold", CfgRst(TStartKind::Cold), "B5 62 06 04 04 00 FF FF 02 00 0E 61"},
        {"MON-VER poll", MonVerPoll(), "B5 62 0A 04 00 00 0E 34"},
    };
    for (const auto& item : cases)
        EXPECT_EQ(Hex(BuildUbxFrame(item.packet)), item.frame) << item.legend;
}

TEST(UbxCommands, AnswersReadBackIntoWhatIsSentAgain) {
    const TCfgPrt port{2, 0x1234, 0x08D0, 38400, 0x0001, 0x0002, 0x0002};
    const auto prt = ReadCfgPrt(CfgPrtSet(port).PayLoad);
    ASSERT_TRUE(prt);
    EXPECT_EQ(BuildUbxFrame(CfgPrtSet(*prt)), BuildUbxFrame(CfgPrtSet(port)));

    const auto rate = ReadCfgRate(Bytes("E8 03 02 00 00 00"));
    ASSERT_TRUE(rate);
    EXPECT_EQ(rate->measRateMs, 1000);
    EXPECT_EQ(rate->navRate, 2);
    EXPECT_EQ(rate->timeRef, 0);

    const auto msg = ReadCfgMsg(Bytes("F0 04 00 01 00 00 FF 00"));
    ASSERT_TRUE(msg);
    EXPECT_EQ(msg->msgClass, 0xF0);
    EXPECT_EQ(msg->msgId, 0x04);
    EXPECT_EQ(msg->rates, (std::array<std::uint8_t, 6>{0, 1, 0, 0, 255, 0}));

    // Short and long payloads are refused, never read past.
    EXPECT_FALSE(ReadCfgPrt(Bytes("01")));
    EXPECT_FALSE(ReadCfgRate(Bytes("E8 03 01 00 01 00 00")));
    EXPECT_FALSE(ReadCfgMsg(Bytes("F0 04 01")));
}

TEST(UbxCommands, MonVerStringsEndAtTheirFirstNul) {
    TPayload payload(30 + 10 + 2 * 30, 0);
    const auto put = [&](std::size_t offset, std::string_view text) {
        std::copy(text.begin(), text.end(), payload.begin() + offset);
    };
    put(0, "ROM CORE 3.01 (107888)");
    put(30, "00080000");
    put(40, "FWVER=SPG 3.01");
    put(70, "PROTVER=18.00");
    const auto version = ReadMonVer(payload);
    ASSERT_TRUE(version);
    EXPECT_EQ(version->software, "ROM CORE 3.01 (107888)");
    EXPECT_EQ(version->hardware, "00080000");
    EXPECT_EQ(version->extensions, (std::vector<std::string>{"FWVER=SPG 3.01", "PROTVER=18.00"}));

    // Fields filled to the brim have no NUL: the text stops at the field's end.
    std::fill(payload.begin(), payload.begin() + 40, 'A');
    EXPECT_EQ(ReadMonVer(payload)->software, std::string(30, 'A'));
    payload.pop_back();
    EXPECT_FALSE(ReadMonVer(payload));
    EXPECT_FALSE(ReadMonVer(TPayload(39, 'A')));
}

TEST(HexBytes, PayloadEntry) {
    struct Case {
        const char* text;
        TPayload bytes;
    } cases[] = {
        {"01 02 0A", {0x01, 0x02, 0x0A}},
        {"01020a", {0x01, 0x02, 0x0A}},
        {" 0x01,0XfF\n 10 ", {0x01, 0xFF, 0x10}},
        {"", {}},
        {"  ", {}},
    };
    for (const auto& item : cases)
        EXPECT_EQ(ParseHexBytes(item.text, 65535), item.bytes) << item.text;
}

TEST(HexBytes, TyposAreRefusedWithTheirReason) {
    struct Case {
        const char* text;
        const char* message;
    } cases[] = {
        {"01 0x1G", "\"0x1G\" is not hexadecimal: \"G\" is no hex digit."},
        {"010", "\"010\" has an odd number of hex digits: write every byte as two digits "
                "(\"0A\", not \"A\")."},
        {"01 2", "\"2\" has an odd number of hex digits: write every byte as two digits "
                 "(\"0A\", not \"A\")."},
        {"01 0x", "\"0x\" has no hex digits after its 0x."},
    };
    for (const auto& item : cases) {
        try {
            ParseHexBytes(item.text, 10);
            ADD_FAILURE() << item.text << " was taken";
        } catch (const EHexBytesError& error) {
            EXPECT_STREQ(error.what(), item.message);
        }
    }
    EXPECT_EQ(ParseHexBytes(std::string(2 * 65535, 'A'), 65535).size(), 65535u);
    EXPECT_THROW(ParseHexBytes(std::string(2 * 65536, 'A'), 65535), EHexBytesError);
}

TEST(HexBytes, OneByteForClassAndId) {
    EXPECT_EQ(ParseHexByte("6", "class"), 0x06);
    EXPECT_EQ(ParseHexByte(" 0x0a ", "class"), 0x0A);
    EXPECT_EQ(ParseHexByte("F0", "id"), 0xF0);
    for (const char* wrong : {"", "100", "0x", "G"})
        EXPECT_THROW(ParseHexByte(wrong, "id"), EHexBytesError) << wrong;
}
