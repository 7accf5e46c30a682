#include "protocol/NmeaSentence.h"

#include <gtest/gtest.h>

TEST(NmeaChecksum, XorOfTheBodyInTwoUpperCaseDigits) {
    struct Case {
        std::string input, expected;
    };
    const Case cases[] = {
        {"$PUBX,00*", "$PUBX,00*33"},
        {"$PUBX,03*", "$PUBX,03*30"},
        {"$PUBX,04*", "$PUBX,04*37"},
        {"$*", "$*00"}, // empty body
        {"$A*", "$A*41"},
        {"$AA*", "$AA*00"},             // leading zero kept
        {"$\xff\x01*", "$\xff\x01*FE"}, // Latin-1 bytes enter as their value
        {std::string("$\0*", 3), std::string("$\0*00", 5)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AppendNmeaChecksum(c.input), c.expected) << c.input;
}

TEST(NmeaChecksum, StoredPollsMatchTheirComputedChecksums) {
    for (std::string_view poll : {kPubxPollLatLon, kPubxPollSatStat, kPubxPollTime}) {
        ASSERT_EQ(poll.size(), 13u);
        EXPECT_EQ(AppendNmeaChecksum(poll.substr(0, 9)) + "\r\n", poll);
    }
}

TEST(Pubx40, SentencesForSelectionsAndRates) {
    struct Case {
        std::string selection;
        TPubx40Rates rates;
        std::string expected;
    };
    const Case cases[] = {
        {"GGA SysFix      p.49", {1, 1, 1, 1, 1}, "$PUBX,40,GGA,1,1,1,1,1,0*5B\r\n"},
        {"Select Target Message", {1, 1, 1, 1, 1}, "$PUBX,40,Sel,1,1,1,1,1,0*40\r\n"},
        {"GGA SysFix      p.49", {0, 0, 0, 0, 0}, "$PUBX,40,GGA,0,0,0,0,0,0*5A\r\n"},
        {"RMC RecomdMin   p.57", {0, 1, 0, 1, 0}, "$PUBX,40,RMC,0,1,0,1,0,0*47\r\n"},
        {"GGA", {1, 1, 1, 0, 1}, "$PUBX,40,GGA,1,1,1,0,1,0*5A\r\n"},
        {"gga", {1, 1, 1, 1, 1}, AppendNmeaChecksum("$PUBX,40,gga,1,1,1,1,1,0*") + "\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BuildPubx40(c.selection, c.rates), c.expected) << c.selection;
    EXPECT_EQ(BuildPubx40("GGA", 1, 1, 1, 0, 1), "$PUBX,40,GGA,1,1,1,0,1,0*5A\r\n");
    EXPECT_NE(BuildPubx40("gga", {}), BuildPubx40("GGA", {}));
}

TEST(Pubx40, SelectionTooShortToNameAMessageIsRefused) {
    for (std::string selection : {"", "G", "GG"}) {
        try {
            BuildPubx40(selection, {});
            ADD_FAILURE() << "accepted \"" << selection << "\"";
        } catch (const EPubxCommandError& error) {
            EXPECT_STREQ(error.what(),
                         "Choose the NMEA message to set: the first three characters name it.");
        }
    }
}
