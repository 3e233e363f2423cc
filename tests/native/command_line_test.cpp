#include "core/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CommandTail, SkipsThePlainOrQuotedProgramPath) {
    const std::pair<const char*, const char*> cases[] = {
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
    for (const auto& c : cases)
        EXPECT_STREQ(c.second, SkipProgramPath(c.first, NextByte)) << "command line: " << c.first;
}

// The mode and what it takes: C configure, O configure owned (with the
// handle after a colon, when one was given), S saver, P preview and A
// password change (with the text from the argument), X none.
std::string Parsed(const char* tail) {
    const ModeRequest r = ParseModeRequest(tail);
    const char* letters = "COSPAX";
    std::string text(1, letters[static_cast<int>(r.mode)]);
    if (r.hasOwnerHandle) text += ":" + std::to_string(r.ownerHandle);
    if (r.mode == SaverMode::Preview || r.mode == SaverMode::ChangePassword)
        text += std::string("[") + r.argument + "]";
    return text;
}

TEST(ModeGrammar, EveryRowOfTheGrammarAndTheOwnerHandlesDigits) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "C"},
        {"  - / ", "C"},
        {"s", "S"},
        {"/S", "S"},
        {"-s", "S"},
        {"/-/ -s whatever follows", "S"},
        {"/p 1234", "P[1234]"},
        {"/P    77", "P[77]"},
        {"/p:1234", "P[:1234]"},  // only blanks may follow the letter
        {"/p\t12", "P[\t12]"},
        {"/l 99", "P[99]"},
        {"L", "P[]"},
        {"/c", "O"},
        {"/c:1234", "O:1234"},
        {"/C:0", "O:0"},
        {"/c:", "O:0"},
        {"/c 1234", "O"},
        // The handle: digits only, modulo 2 to the 32.
        {"/c: 12", "O:0"},
        {"/c:-12", "O:0"},
        {"/c:0x1F", "O:0"},
        {"/c:1234abc", "O:1234"},
        {"/c:4294967295", "O:4294967295"},
        {"/c:4294967296", "O:0"},
        {"/c:4295032836", "O:65540"},
        {"/a", "A[]"},
        {"/A  555", "A[555]"},
        {"/x", "X"},
        {"\t/s", "X"},  // a tab is no separator
        {"\x01s", "X"},
        {"\xd3", "X"},
        {"\xf3", "X"},
        {"1", "X"},  // above 0x7F: no letter
    };
    for (const auto& c : cases) EXPECT_EQ(c.second, Parsed(c.first)) << "tail \"" << c.first << "\"";
}

}  // namespace
