// Cutting the command tail in a double-byte code page: the program path is
// stepped over character by character, so a trail byte never ends it.
#include <gtest/gtest.h>

#include <string>

#include "host/saver_main.h"

namespace {

TEST(CommandTailDoubleByte, TrailBytesThatLookLikeQuotesOrBlanksStayInThePath) {
    ASSERT_EQ(932u, GetACP()) << "the test needs the Shift-JIS code page (LC_ALL=ja_JP.SJIS)";
    ASSERT_TRUE(IsDBCSLeadByte(0x81));
    // 0x81 0x22 is one character whose second byte is '"'.
    EXPECT_EQ("/s", std::string(CommandTailOf("\"C:\\a\x81\"b\\zorv.scr\" /s")));
    // 0x81 0x20: its second byte is a blank.
    EXPECT_EQ("/p 12", std::string(CommandTailOf("C:\\x\x81 y.scr /p 12")));
    // A lead byte at the very end does not step past the terminator.
    EXPECT_EQ("", std::string(CommandTailOf("zorv\x81")));
}

}  // namespace
