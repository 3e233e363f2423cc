#include "cursor_distance.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(CursorDistance, AddsTheGapsAndWrapsBeyondTheSignedRange) {
    EXPECT_EQ(4u, CursorDistance({500, 400}, {502, 402}));
    EXPECT_EQ(5u, CursorDistance({500, 400}, {497, 398}));
    EXPECT_EQ(5u, CursorDistance({-1280, -20}, {-1277, -22}));  // a monitor left of and above the primary
    // Gaps beyond the signed range wrap modulo 2^32, as the rule's
    // unsigned comparison expects, and nothing overflows.
    EXPECT_EQ(1u, CursorDistance({INT32_MIN, 0}, {INT32_MAX, 0}));
    EXPECT_EQ(0x80000000u, CursorDistance({0, INT32_MIN}, {0, 0}));
}

}  // namespace
