#include "core/image_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "core/random.h"

using namespace std::string_literals;

namespace {

// An index is named in lowercase hex without leading zeros. The registry
// compares names without case, so "A" and "a" are one value: both name
// entry 10. Leading zeros, signs and names past 32 bits are some other
// value's.
TEST(ImageValueName, IsTheIndexInLowercaseHexAndIsReadBackWhateverTheCaseAndNothingElseIs) {
    const std::pair<const char*, long long> cases[] = {
        {"0", 0},          {"9", 9},     {"a", 10},  {"A", 10},   {"1F", 31}, {"10", 16}, {"ffffffff", 0xFFFFFFFF},
        {"abcd", 0xABCD},  {"", -1},     {"00", -1}, {"0a", -1},  {"g", -1},  {"-1", -1}, {" 1", -1},
        {"100000000", -1}, {"note", -1}, {"1x", -1}, {"0x1", -1},
    };
    for (const auto& c : cases) {
        uint32_t index = 0xDEADBEEF;
        const bool parsed = ParseImageValueName(c.first, index);
        EXPECT_EQ(c.second >= 0, parsed) << '"' << c.first << '"';
        if (!parsed) continue;
        EXPECT_EQ(c.second, index) << '"' << c.first << '"';
        std::string lower = c.first;
        for (char& letter : lower) letter = static_cast<char>(std::tolower(letter));
        EXPECT_EQ(lower, ImageValueName(index));
    }
}

// The file-open dialog's buffer: one full path, or a folder and the names
// chosen in it, each with its zero byte, then an empty string. Never read
// past the given size, whatever the buffer holds. (Where a path grows too
// long is the images dialog test's.)
TEST(OpenFileSelection, JoinsTheFolderWithEveryNameInOrderAndNeverReadsPastTheBuffer) {
    const struct {
        std::string buffer;
        std::vector<std::string> expected;
        std::vector<std::string> tooLong;
    } cases[] = {
        {"C:\\Pictures\\one.jpg\0\0"s, {"C:\\Pictures\\one.jpg"}, {}},
        {"C:\\Pictures\0b.png\0a.jpg\0a.jpg\0\0"s,
         {"C:\\Pictures\\b.png", "C:\\Pictures\\a.jpg", "C:\\Pictures\\a.jpg"},
         {}},
        {"C:\\\0a.jpg\0b.png\0\0"s, {"C:\\a.jpg", "C:\\b.png"}, {}},  // a root already ends in "\"
        {"\0\0"s, {}, {}},
        {"qqqq"s, {"qqqq"}, {}},
        {"C:\\d\0a.jpg\0b.p"s, {"C:\\d\\a.jpg", "C:\\d\\b.p"}, {}},
    };
    for (const auto& c : cases) {
        OpenFileSelection selection = ParseOpenFileSelection(c.buffer.data(), c.buffer.size());
        EXPECT_EQ(c.expected, selection.paths) << c.buffer;
        EXPECT_EQ(c.tooLong, selection.tooLong) << c.buffer;
    }
}

}  // namespace

// Monitors show pictures of their own while the list has enough; the
// first pick is the plain draw modulo the count, as with one monitor.
TEST(PickImageIndices, EveryMonitorGetsAnEntryOfItsOwnWhileThereAreEnough) {
    for (uint32_t count : {1u, 2u, 3u, 7u}) {
        for (uint32_t seed = 0; seed < 50; ++seed) {
            SRand(seed);
            const uint32_t firstDraw = static_cast<uint32_t>(Rand()) % count;
            SRand(seed);
            const std::vector<uint32_t> picks = PickImageIndices(count, 4);
            ASSERT_EQ(4u, picks.size());
            EXPECT_EQ(firstDraw, picks[0]);
            std::vector<uint32_t> distinct(picks.begin(), picks.begin() + std::min<size_t>(count, 4));
            std::sort(distinct.begin(), distinct.end());
            EXPECT_EQ(distinct.end(), std::unique(distinct.begin(), distinct.end())) << "count " << count;
            for (uint32_t index : picks) EXPECT_LT(index, count);
        }
    }
    EXPECT_TRUE(PickImageIndices(0, 2).empty());
}
