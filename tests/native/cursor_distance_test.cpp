#include "cursor_distance.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(CursorDistance, AddsTheHorizontalAndVerticalGaps) {
    const struct {
        CursorPoint from, to;
        uint32_t distance;
    } cases[] = {
        {{500, 400}, {500, 400}, 0},
        {{500, 400}, {502, 402}, 4},
        {{500, 400}, {503, 402}, 5},
        {{500, 400}, {496, 400}, 4},
        {{500, 400}, {497, 398}, 5},
        {{-1280, -20}, {-1277, -22}, 5},  // a monitor left of and above the primary
        {{10, 10}, {-10, -10}, 40},
        // Gaps beyond the signed range: the sum wraps modulo 2^32 as the
        // rule's unsigned comparison expects, and nothing overflows.
        {{INT32_MIN, 0}, {INT32_MAX, 0}, 1},
        {{INT32_MAX, 0}, {INT32_MIN, 0}, 1},
        {{0, INT32_MIN}, {0, 0}, 0x80000000u},
        {{INT32_MIN, INT32_MIN}, {0, 0}, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.distance, CursorDistance(c.from, c.to))
            << "from (" << c.from.x << "," << c.from.y << ") to (" << c.to.x << "," << c.to.y << ")";
}

TEST(CursorDistance, OnlyAMoveBeyondTheThresholdCounts) {
    EXPECT_FALSE(MovedBeyond({0, 0}, {2, 2}, 4));
    EXPECT_FALSE(MovedBeyond({0, 0}, {0, -4}, 4));
    EXPECT_TRUE(MovedBeyond({0, 0}, {3, 2}, 4));
    EXPECT_TRUE(MovedBeyond({0, 0}, {-5, 0}, 4));
}

}  // namespace
