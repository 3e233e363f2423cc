#include "image_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ImageValueName, IsTheIndexInLowercaseHexWithoutLeadingZeros) {
    const struct {
        uint32_t index;
        const char* name;
    } cases[] = {
        {0, "0"},    {9, "9"},      {10, "a"},       {15, "f"},         {16, "10"},
        {255, "ff"}, {256, "100"},  {0xABCD, "abcd"}, {0x7FFFFFFF, "7fffffff"}, {0xFFFFFFFF, "ffffffff"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.name, ImageValueName(c.index)) << "index " << c.index;
}

// The file-open dialog's buffer as it would hand it back: the strings one
// after another, each with its zero byte, then zeros up to the size.
std::string DialogBuffer(const std::vector<std::string>& strings, std::size_t size = 4096) {
    std::string buffer;
    for (const std::string& text : strings) buffer += text + '\0';
    buffer.resize(size, '\0');
    return buffer;
}

std::vector<std::string> PathsOf(const std::string& buffer) {
    return ParseOpenFileSelection(buffer.data(), buffer.size()).paths;
}

TEST(OpenFileSelection, JoinsTheFolderWithEveryNameInOrder) {
    using Paths = std::vector<std::string>;
    const struct {
        std::vector<std::string> strings;
        Paths expected;
    } cases[] = {
        {{"C:\\Pictures\\one.jpg"}, {"C:\\Pictures\\one.jpg"}},
        {{"C:\\Pictures", "b.png", "a.jpg"}, {"C:\\Pictures\\b.png", "C:\\Pictures\\a.jpg"}},
        {{"C:\\", "a.jpg", "b.png"}, {"C:\\a.jpg", "C:\\b.png"}},  // a root already ends in "\"
        {{"\\\\server\\share\\dir", "x.bmp"}, {"\\\\server\\share\\dir\\x.bmp"}},
        {{"C:\\Pictures", "a.jpg", "a.jpg"}, {"C:\\Pictures\\a.jpg", "C:\\Pictures\\a.jpg"}},
        {{""}, {}},
        {{}, {}},
    };
    for (const auto& c : cases) {
        std::string description;
        for (const std::string& s : c.strings) description += "[" + s + "]";
        EXPECT_EQ(c.expected, PathsOf(DialogBuffer(c.strings))) << description;
    }
}

TEST(OpenFileSelection, LeavesOutPathsTooLongForAnEntryAndKeepsTheRest) {
    const std::string folder = "C:\\" + std::string(240, 'd');
    const std::string fits(259 - folder.size() - 1, 'n');  // joined: exactly 259 bytes
    const std::string tooLong = fits + "x";                 // joined: 260 bytes
    std::string buffer = DialogBuffer({folder, "a.jpg", tooLong, fits});
    OpenFileSelection selection = ParseOpenFileSelection(buffer.data(), buffer.size());
    ASSERT_EQ(2u, selection.paths.size());
    EXPECT_EQ(folder + "\\a.jpg", selection.paths[0]);
    EXPECT_EQ(259u, selection.paths[1].size());
    EXPECT_EQ(1u, selection.leftOut);

    std::string single = DialogBuffer({"C:\\" + std::string(257, 'p')});  // 260 bytes
    selection = ParseOpenFileSelection(single.data(), single.size());
    EXPECT_TRUE(selection.paths.empty());
    EXPECT_EQ(1u, selection.leftOut);
}

TEST(OpenFileSelection, NeverReadsPastTheBuffer) {
    // No zero byte anywhere: the one string ends with the buffer.
    std::string full(16, 'q');
    EXPECT_EQ(std::vector<std::string>{full}, PathsOf(full));
    // A folder and a name whose zero byte lies beyond the size.
    std::string cut = std::string("C:\\d\0a.jpg\0b.p", 14);
    EXPECT_EQ((std::vector<std::string>{"C:\\d\\a.jpg", "C:\\d\\b.p"}), PathsOf(cut));
}

TEST(OpenFileSelection, ABackslashTrailByteIsNoRoot) {
    // 0x81 0x5C is one double-byte character whose trail byte is "\".
    const std::string folder = "C:\\x\x81\\";
    auto doubleByteStep = [](const char* p) -> const char* {
        if (!*p) return p;
        if (static_cast<unsigned char>(*p) == 0x81 && p[1]) return p + 2;
        return p + 1;
    };
    std::string buffer = DialogBuffer({folder, "a.jpg"});
    EXPECT_EQ(folder + "\\a.jpg", ParseOpenFileSelection(buffer.data(), buffer.size(), doubleByteStep).paths.at(0));
    EXPECT_EQ(folder + "a.jpg", PathsOf(buffer).at(0));
}

}  // namespace
