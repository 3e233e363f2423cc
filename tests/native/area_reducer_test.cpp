#include "area_reducer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<uint32_t> Reduce(const std::vector<uint32_t>& source, uint32_t width, uint32_t height, uint32_t toWidth,
                             uint32_t toHeight) {
    AreaReducer reducer(width, height, toWidth, toHeight);
    for (uint32_t y = 0; y < height; ++y) reducer.AddRow(&source[size_t{y} * width]);
    EXPECT_TRUE(reducer.Complete());
    return reducer.Target();
}

// One-pixel stripes across, down and checks of two colours: whatever the
// ratio, a shrunk picture
// shows their mean everywhere, never the moiré of kept and dropped pixels.
TEST(AreaReducer, AFinePatternBecomesItsAverageTone) {
    const uint32_t black = 0x000000, white = 0xFFFFFF;
    const struct {
        uint32_t width, height, toWidth, toHeight;
    } cases[] = {{64, 48, 32, 24}, {64, 48, 16, 12}, {640, 480, 100, 75}, {300, 200, 7, 5}, {64, 64, 1, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " to " << c.toWidth << "x" << c.toHeight);
        for (auto pattern : {+[](uint32_t x, uint32_t) { return x; }, +[](uint32_t, uint32_t y) { return y; },
                             +[](uint32_t x, uint32_t y) { return x + y; }}) {
            std::vector<uint32_t> fine(size_t{c.width} * c.height);
            for (uint32_t y = 0; y < c.height; ++y)
                for (uint32_t x = 0; x < c.width; ++x) fine[y * c.width + x] = pattern(x, y) % 2 ? white : black;
            for (uint32_t pixel : Reduce(fine, c.width, c.height, c.toWidth, c.toHeight))
                for (int shift : {0, 8, 16}) ASSERT_NEAR(0x80, pixel >> shift & 0xFF, 10) << std::hex << pixel;
        }
    }
}

// Exact cases: an identity copy, whole blocks averaged channel by
// channel (rounded, the unused top byte ignored), enlargement repeating
// pixels, a split source pixel shared by its neighbours.
TEST(AreaReducer, WeighsEverySourcePixelByTheAreaItCovers) {
    const struct {
        const char* what;
        uint32_t width, height, toWidth, toHeight;
        std::vector<uint32_t> source, expected;
    } cases[] = {
        {"same size", 2, 2, 2, 2, {1, 2, 3, 4}, {1, 2, 3, 4}},
        {"2x2 blocks", 4, 2, 2, 1, {0xFF000010, 0x20, 0x000300, 0x000500, 0x30, 0x41, 0x010000, 0x020000},
         {0x28, 0x010200}},
        {"enlarged", 2, 1, 4, 2, {0x10, 0x20}, {0x10, 0x10, 0x20, 0x20, 0x10, 0x10, 0x20, 0x20}},
        {"three to two", 3, 1, 2, 1, {0x00, 0x30, 0x60}, {0x10, 0x50}},
        {"no target", 3, 1, 0, 0, {1, 2, 3}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.expected, Reduce(c.source, c.width, c.height, c.toWidth, c.toHeight));
    }
}

}  // namespace
