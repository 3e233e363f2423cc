#include "cursor_distance.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(CursorDistance, AddsTheGapsAndWrapsBeyondTheSignedRange) {
    const struct {
        CursorPoint from, to;
        uint32_t distance;
    } cases[] = {
        {{500, 400}, {502, 402}, 4},
        {{500, 400}, {497, 398}, 5},
        {{-1280, -20}, {-1277, -22}, 5},  // a monitor left of and above the primary
        // Gaps beyond the signed range wrap modulo 2^32, as the rule's
        // unsigned comparison expects, and nothing overflows.
        {{INT32_MIN, 0}, {INT32_MAX, 0}, 1},
        {{INT32_MAX, 0}, {INT32_MIN, 0}, 1},
        {{0, INT32_MIN}, {0, 0}, 0x80000000u},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.distance, CursorDistance(c.from, c.to))
            << "from (" << c.from.x << "," << c.from.y << ") to (" << c.to.x << "," << c.to.y << ")";
}

}  // namespace
