#include "protocol/ReplaceControlChars.h"

#include <gtest/gtest.h>

TEST(ReplaceControlChars, NamesEveryControlByteAndKeepsTheRest) {
    EXPECT_EQ(ReplaceControlChars("A\r\n"), "A<CR><LF>");
    EXPECT_EQ(ReplaceControlChars(std::string(1, '\0')), "<NUL>");
    EXPECT_EQ(ReplaceControlChars("\t\x1f"), "<TAB><US>");
    const std::string high = "\x7f\x80\xb5\xff ";
    EXPECT_EQ(ReplaceControlChars(high), high);
    EXPECT_EQ(ReplaceControlChars(""), "");
}
