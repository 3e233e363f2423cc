#include "command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string TailOf(const char* commandLine) { return SkipProgramPath(commandLine, NextByte); }

TEST(CommandTail, SkipsThePlainOrQuotedProgramPath) {
    const struct {
        const char* commandLine;
        const char* tail;
    } cases[] = {
        {"zorv.scr", ""},
        {"zorv.scr /s", "/s"},
        {"C:\\WINDOWS\\ZORV.SCR   \t /p 123", "/p 123"},
        {"\"C:\\Program Files\\zorv.scr\" /c:42", "/c:42"},
        {"\"C:\\Program Files\\zorv.scr\"/s", "/s"},
        {"\"C:\\no closing quote\\zorv.scr /s", ""},  // the whole line is the path
        {" /s", "/s"},                                // no path to skip
        {"\t\x01s trailing", "s trailing"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(c.tail, TailOf(c.commandLine)) << "command line: " << c.commandLine;
}

TEST(ParseDecimal, ReadsDigitsOnlyAndWrapsModulo2To32) {
    const std::pair<const char*, uint32_t> cases[] = {{"", 0},           {" 12", 0},         {"-12", 0},
                                                      {"0x1F", 0},       {"1234abc", 1234},  {"4294967295", 4294967295u},
                                                      {"4294967296", 0}, {"4295032836", 65540}};
    for (const auto& c : cases) EXPECT_EQ(c.second, ParseDecimal(c.first)) << c.first;
}

struct GrammarCase {
    const char* tail;
    SaverMode mode;
    const char* argument;  // for Preview and ChangePassword
    bool hasOwnerHandle;
    uint32_t ownerHandle;
};

TEST(ModeGrammar, EveryRowOfTheGrammar) {
    const GrammarCase cases[] = {
        {"", SaverMode::Configure, nullptr, false, 0},
        {"  - / ", SaverMode::Configure, nullptr, false, 0},
        {"s", SaverMode::Saver, nullptr, false, 0},
        {"/S", SaverMode::Saver, nullptr, false, 0},
        {"-s", SaverMode::Saver, nullptr, false, 0},
        {"/-/ -s whatever follows", SaverMode::Saver, nullptr, false, 0},
        {"/p 1234", SaverMode::Preview, "1234", false, 0},
        {"/P    77", SaverMode::Preview, "77", false, 0},
        {"/p:1234", SaverMode::Preview, ":1234", false, 0},  // only blanks may follow the letter
        {"/p\t12", SaverMode::Preview, "\t12", false, 0},
        {"/l 99", SaverMode::Preview, "99", false, 0},
        {"L", SaverMode::Preview, "", false, 0},
        {"/c", SaverMode::ConfigureOwned, nullptr, false, 0},
        {"/c:1234", SaverMode::ConfigureOwned, nullptr, true, 1234},
        {"/C:0", SaverMode::ConfigureOwned, nullptr, true, 0},
        {"/c:", SaverMode::ConfigureOwned, nullptr, true, 0},
        {"/c: 12", SaverMode::ConfigureOwned, nullptr, true, 0},  // no blanks after the colon
        {"/c 1234", SaverMode::ConfigureOwned, nullptr, false, 0},
        {"/c:4294967297", SaverMode::ConfigureOwned, nullptr, true, 1},
        {"/a", SaverMode::ChangePassword, "", false, 0},
        {"/A  555", SaverMode::ChangePassword, "555", false, 0},
        {"/x", SaverMode::Invalid, nullptr, false, 0},
        {"\t/s", SaverMode::Invalid, nullptr, false, 0},  // a tab is no separator
        {"\x01s", SaverMode::Invalid, nullptr, false, 0},
        {"\xd3", SaverMode::Invalid, nullptr, false, 0},  // above 0x7F: no letter
        {"\xf3", SaverMode::Invalid, nullptr, false, 0},
        {"1", SaverMode::Invalid, nullptr, false, 0},
    };
    for (const GrammarCase& c : cases) {
        ModeRequest request = ParseModeRequest(c.tail);
        SCOPED_TRACE(std::string("tail \"") + c.tail + "\"");
        EXPECT_EQ(static_cast<int>(c.mode), static_cast<int>(request.mode));
        if (c.argument) {
            ASSERT_NE(nullptr, request.argument);
            EXPECT_STREQ(c.argument, request.argument);
        }
        EXPECT_EQ(c.hasOwnerHandle, request.hasOwnerHandle);
        EXPECT_EQ(c.ownerHandle, request.ownerHandle);
    }
}

}  // namespace
