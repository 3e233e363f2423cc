#include "pictures/area_reducer.h"

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

// An identity copy, whole blocks averaged channel by channel (rounded, the
// unused top byte ignored), enlargement repeating pixels, a split source
// pixel shared by its neighbours. (Fine patterns: the loader's tests.)
TEST(AreaReducer, WeighsEverySourcePixelByTheAreaItCovers) {
    const struct {
        const char* what;
        uint32_t width, height, toWidth, toHeight;
        std::vector<uint32_t> source, expected;
    } cases[] = {
        {"same size", 2, 2, 2, 2, {1, 2, 3, 4}, {1, 2, 3, 4}},
        {"2x2 blocks",
         4,
         2,
         2,
         1,
         {0xFF000010, 0x20, 0x000300, 0x000500, 0x30, 0x41, 0x010000, 0x020000},
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
