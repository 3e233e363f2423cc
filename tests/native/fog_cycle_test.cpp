#include "fog_cycle.h"

#include <gtest/gtest.h>


#include "random.h"

namespace {

TEST(BackgroundRefreshDue, ComparesWholeElapsedSecondsWithTheTimeout) {
    const struct {
        uint32_t last, now;
        int32_t timeout;
        bool due;
    } cases[] = {
        {1000, 1000 + 60999, 60, false},  // 60 whole seconds are not more than 60
        {1000, 1000 + 61000, 60, true},
        {0, 999, 0, false},  // 0 means: as soon as a whole second has passed
        {0, 1000, 0, true},
        {0, 3601000, 3600, true},
        {0xFFFFFC18u, 500, 0, true},         // the counter wrapped: 1500 ms passed
        {0xFFFFFFF0u, 60983, 60, false},  // wrapped: 16 + 60,983 = 60,999 ms
        {0xFFFFFFF0u, 60984, 60, true},   // wrapped: 61,000 ms
        {0, 0xFFFFFFFFu, -1, false},  // never
        {0, 0xFFFFFFFFu, -2, false},  // any negative lies beyond every elapsed time
        {0, 0xFFFFFFFFu, INT32_MIN, false},
        {0, 0xFFFFFFFFu, 4294966, true},  // the largest quotient is 4294967
        {0, 0xFFFFFFFFu, 4294967, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.due, BackgroundRefreshDue(c.now, c.last, c.timeout))
            << "last " << c.last << " now " << c.now << " timeout " << c.timeout;
}

TEST(PickPuffPlace, DrawsRadiusThenYThenX) {
    SRand(4711);
    const int first = Rand(), second = Rand(), third = Rand();
    SRand(4711);
    PuffPlace place = {-7, -7, -7};
    ASSERT_TRUE(PickPuffPlace(100, 1024, 768, place));
    EXPECT_EQ(first % 100, place.radius);
    EXPECT_EQ(second % 768, place.y);
    EXPECT_EQ(third % 1024, place.x);
}

TEST(PickPuffPlace, StaysWithinItsBounds) {
    SRand(1);
    for (int i = 0; i < 20000; ++i) {
        PuffPlace place;
        ASSERT_TRUE(PickPuffPlace(10, 3, 2, place));
        ASSERT_TRUE(place.radius >= 0 && place.radius < 10) << place.radius;
        ASSERT_TRUE(place.x >= 0 && place.x < 3) << place.x;
        ASSERT_TRUE(place.y >= 0 && place.y < 2) << place.y;
    }
}

TEST(PickPuffPlace, AZeroBoundSkipsThePuffWithoutDrawing) {
    const struct {
        int32_t ray, width, height;
    } cases[] = {{0, 100, 100}, {50, 0, 100}, {50, 100, 0}, {0, 0, 0}};
    for (const auto& c : cases) {
        SRand(99);
        PuffPlace place = {-7, -7, -7};
        EXPECT_FALSE(PickPuffPlace(c.ray, c.width, c.height, place)) << c.ray << " " << c.width << " " << c.height;
        EXPECT_EQ(-7, place.radius);
        SRand(99);
        int expected = Rand();
        SRand(99);
        PickPuffPlace(c.ray, c.width, c.height, place);
        EXPECT_EQ(expected, Rand()) << "a skipped puff must not use up numbers";
    }
}

TEST(PickPuffPlace, HostileBoundsStayDefined) {
    // Hand-edited settings: negative and extreme bounds must not overflow.
    const int32_t bounds[] = {-1, -50, INT32_MIN, INT32_MAX, 1};
    for (int32_t bound : bounds) {
        SRand(7);
        PuffPlace place;
        ASSERT_TRUE(PickPuffPlace(bound, bound, bound, place));
        for (int32_t value : {place.radius, place.x, place.y}) {
            EXPECT_GE(value, 0) << bound;
            EXPECT_LE(value, kRandMax) << bound;
        }
    }
}

}  // namespace
