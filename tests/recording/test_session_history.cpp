// The session history: a search finds matches across chunk boundaries, the
// hex dump shows known bytes in rows of sixteen, receive times belong to
// their chunks, and the bound drops the oldest bytes while offsets hold.

#include "recording/SessionHistory.h"

#include <gtest/gtest.h>

TEST(SessionHistory, FindsAcrossChunksAndKnowsEachByteTime) {
    SessionHistory history;
    history.Append(1000, "$GPGGA,1\r\n$GP");
    history.Append(2000, std::string("ZDA,2\r\n\xB5", 8));
    history.Append(3000, "\x62\x01");
    EXPECT_EQ(history.Find("$GPZDA", 0), 10u);
    EXPECT_EQ(history.Find(*ParseHexBytes("b5 62 01"), 0), 20u);
    EXPECT_EQ(history.Find("$GP", 1), 10u);
    EXPECT_FALSE(history.Find("$GPGSV", 0));
    EXPECT_EQ(history.ReceivedAt(12), 1000);
    EXPECT_EQ(history.ReceivedAt(13), 2000);
    EXPECT_EQ(history.ReceivedAt(21), 3000);
    EXPECT_EQ(history.Lines(), 2u);
    for (const char* notHex : {"", "B5 6", "G1", "B5 62 zz"})
        EXPECT_FALSE(ParseHexBytes(notHex)) << notHex;
}

TEST(SessionHistory, HexDumpOfKnownBytes) {
    SessionHistory history;
    history.Append(0, "$GPGGA,1*5C\r\nABC\x01\xFF");
    EXPECT_EQ(history.HexDump(0, 5),
              "00000000  24 47 50 47 47 41 2C 31 2A 35 43 0D 0A 41 42 43  $GPGGA,1*5C..ABC\n"
              "00000010  01 FF                                            ..\n");
}

TEST(SessionHistory, BoundDropsTheOldestAndKeepsOffsets) {
    SessionHistory byBytes(100, 1000);
    for (int index = 0; index < 30; ++index)
        byBytes.Append(index, "0123456789");
    EXPECT_LE(byBytes.EndOffset() - byBytes.FirstOffset(), 100u);
    EXPECT_EQ(byBytes.EndOffset(), 300u);
    EXPECT_EQ(byBytes.Find("0123", 0), byBytes.FirstOffset());
    EXPECT_EQ(byBytes.ReceivedAt(295), 29);
    EXPECT_EQ(byBytes.HexDump(0, 1).substr(0, 8), "000000C0") << "dropped rows are not shown";

    SessionHistory byLines(1 << 20, 10);
    for (int index = 0; index < 25; ++index)
        byLines.Append(index, "line " + std::to_string(index) + "\n");
    EXPECT_LE(byLines.Lines(), 10u);
    EXPECT_FALSE(byLines.Find("line 3\n", 0));
    EXPECT_TRUE(byLines.Find("line 24\n", 0));
}
