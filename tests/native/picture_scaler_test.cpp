#include "pictures/picture_scaler.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Growth interpolates between neighbours (never repeats a pixel), each
// channel for itself, edges kept; shrinking averages by area; the top byte
// never comes through.
TEST(PictureScaler, InterpolatesWhereItGrowsAndAveragesWhereItShrinks) {
    const struct {
        const char* what;
        uint32_t width, height, toWidth, toHeight;
        std::vector<uint32_t> source, expected;
    } cases[] = {
        {"same size", 2, 1, 2, 1, {0x10, 0xFF000020}, {0x10, 0x20}},
        {"doubled", 2, 1, 4, 1, {0x00, 0x80}, {0x00, 0x20, 0x60, 0x80}},
        {"taller only", 2, 2, 2, 4, {0x00, 0x00, 0x80, 0x80}, {0x00, 0x00, 0x20, 0x20, 0x60, 0x60, 0x80, 0x80}},
        {"channels apart",
         2,
         2,
         3,
         3,
         {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF},
         {0x0000FF, 0x008080, 0x00FF00, 0x800080, 0x808080, 0x80FF80, 0xFF0000, 0xFF8080, 0xFFFFFF}},
        {"one tone", 2, 1, 5, 2, {0x123456, 0x123456}, std::vector<uint32_t>(10, 0x123456)},
        {"halved",
         4,
         2,
         2,
         1,
         {0xFF000010, 0x20, 0x000300, 0x000500, 0x30, 0x41, 0x010000, 0x020000},
         {0x28, 0x010200}},
        {"no target", 3, 1, 0, 0, {1, 2, 3}, {}},
        {"too few pixels", 3, 1, 6, 2, {1, 2}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.expected, ScalePicture(c.source, c.width, c.height, c.toWidth, c.toHeight));
    }
}

}  // namespace
