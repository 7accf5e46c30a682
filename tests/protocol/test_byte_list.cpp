#include "protocol/ByteList.h"
#include "protocol/TransmitEcho.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

TEST(ByteList, ReadsTypedAndPastedLists) {
    struct Case {
        const char* legend;
        std::string text, bytes;
    };
    const Case cases[] = {
        {"CFG-ANT poll", "#181#98#6#19#0#0#25#81", "\xB5\x62\x06\x13\x00\x00\x19\x51"s},
        {"no leading #", "181#98", "\xB5\x62"},
        {"empty pieces", "##1###2#", "\x01\x02"},
        {"NUL does not stop the list", "#0#65#0", "\x00\x41\x00"s},
        {"nothing", "", ""},
        {"only separators", "###", ""},
        {"overflowing piece skipped", "#1#99999999999#2", "\x01\x02"},
        {"int32 edge overflows", "2147483648#3", "\x03"},
        {"letters skipped", "#1#a#12b#3", "\x01\x03"},
        {"blanks and line breaks", "  1 #\t2\r\n3\n#4 ", "\x01\x02\x03\x04"},
        {"inner blank unreadable", "#1 2#5", "\x05"},
        {"hexadecimal prefixes", "$B5#0x62#0X0a#$ff", "\xB5\x62\x0A\xFF"},
        {"signs", "+7#-0", "\x07\x00"s},
        {"bare prefix or sign", "$#0x#-#+", ""},
        {"quotes are unreadable", "'1#2'#\"3\"#4", "\x04"},
        {"top byte", "255#128", "\xFF\x80"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseByteList(c.text), c.bytes) << c.legend;
}

TEST(ByteList, ValueOutsideAByteRefusesTheWholeList) {
    struct Case {
        std::string text, message;
    };
    const Case cases[] = {
        {"#1#300#2", "Byte value 300 is out of range 0 to 255."},
        {"256", "Byte value 256 is out of range 0 to 255."},
        {"#5#-1", "Byte value -1 is out of range 0 to 255."},
        {"$100", "Byte value $100 is out of range 0 to 255."},
        {"2147483647", "Byte value 2147483647 is out of range 0 to 255."},
        {"-2147483648", "Byte value -2147483648 is out of range 0 to 255."},
    };
    for (const auto& c : cases) {
        try {
            const std::string bytes = ParseByteList(c.text);
            ADD_FAILURE() << c.text << " gave " << bytes.size() << " bytes";
        } catch (const EByteListError& error) {
            EXPECT_EQ(error.what(), c.message);
        }
    }
}

TEST(TransmitEcho, EchoLinesAndCaption) {
    EXPECT_EQ(SendEchoLine("\xB5\x62\x06\x13\x00\x00\x19\x51"s),
              "Sent(Hex): B5 62 06 13 00 00 19 51 ");
    EXPECT_EQ(SendEchoLine("\r\n"), "Sent(Hex): 0D 0A ");
    EXPECT_EQ(SendEchoLine("ABC\r\n"), "Sent(Hex): 41 42 43 0D 0A ");
    EXPECT_EQ(FormatHexBytes("\x00\xff\x7f"s), "00 FF 7F ");
    EXPECT_EQ(FormatHexBytes(""), "");
    EXPECT_EQ(BytesSentCaption(8), "Bytes Sent: 8");
    EXPECT_EQ(BytesSentCaption(12), "Bytes Sent: 12");
}
