#include "image_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

// The file-open dialog's buffer: one full path, or a folder and the names
// chosen in it, each with its zero byte, then an empty string. Never read
// past the given size, whatever the buffer holds.
TEST(OpenFileSelection, JoinsTheFolderWithEveryNameInOrderAndNeverReadsPastTheBuffer) {
    const std::string fits(259 - 241 - 1, 'n');  // with the folder below: exactly 259 bytes
    const std::string folder = "C:\\" + std::string(238, 'd');
    const struct {
        std::string buffer;
        std::vector<std::string> expected;
        size_t leftOut;
    } cases[] = {
        {"C:\\Pictures\\one.jpg\0\0"s, {"C:\\Pictures\\one.jpg"}, 0},
        {"C:\\Pictures\0b.png\0a.jpg\0a.jpg\0\0"s, {"C:\\Pictures\\b.png", "C:\\Pictures\\a.jpg", "C:\\Pictures\\a.jpg"}, 0},
        {"C:\\\0a.jpg\0b.png\0\0"s, {"C:\\a.jpg", "C:\\b.png"}, 0},  // a root already ends in "\"
        {"\0\0"s, {}, 0},
        {"qqqq"s, {"qqqq"}, 0},
        {"C:\\d\0a.jpg\0b.p"s, {"C:\\d\\a.jpg", "C:\\d\\b.p"}, 0},
        {folder + "\0a.jpg\0"s + fits + "x\0"s + fits + "\0\0"s, {folder + "\\a.jpg", folder + "\\" + fits}, 1},
        {"C:\\" + std::string(257, 'p') + "\0\0"s, {}, 1},  // 260 bytes
    };
    for (const auto& c : cases) {
        OpenFileSelection selection = ParseOpenFileSelection(c.buffer.data(), c.buffer.size());
        EXPECT_EQ(c.expected, selection.paths) << c.buffer;
        EXPECT_EQ(c.leftOut, selection.leftOut) << c.buffer;
    }
}

}  // namespace
