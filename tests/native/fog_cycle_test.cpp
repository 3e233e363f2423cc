// The worker's refresh test, at the edges of whole seconds and across the
// tick counter's wrap.
#include "core/fog_cycle.h"

#include <gtest/gtest.h>

namespace {

TEST(BackgroundRefreshDue, ComparesWholeElapsedSecondsWithTheTimeout) {
    const struct {
        uint32_t last, now;
        int32_t timeout;
        bool due;
    } cases[] = {
        {1000, 1000 + 60999, 60, false}, {1000, 1000 + 61000, 60, true},  // 60 whole seconds are not more than 60
        {0xFFFFFFF0u, 60983, 60, false}, {0xFFFFFFF0u, 60984, 60, true},  // wrapped: 60,999 and 61,000 ms
        {0, 0xFFFFFFFFu, -1, false},     {0, 0xFFFFFFFFu, -2, false},     // any negative lies beyond every elapsed time
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.due, BackgroundRefreshDue(c.now, c.last, c.timeout))
            << "last " << c.last << " now " << c.now << " timeout " << c.timeout;
}

TEST(MsUntilRefreshDue, IsTheWaitAfterWhichTheRefreshTestFirstHolds) {
    const struct {
        uint32_t last, now;
        int32_t timeout;
        uint32_t wait;
    } cases[] = {
        {1000, 1000, 0, 1000},       {1000, 1999, 0, 1},     {1000, 2000, 0, 0},     {1000, 5000, 0, 0},
        {0xFFFFFFF0u, 60983, 60, 1}, {0, 0, -1, UINT32_MAX}, {0, 0, -2, UINT32_MAX}, {0, 0, 0x7FFFFFFF, UINT32_MAX},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.wait, MsUntilRefreshDue(c.now, c.last, c.timeout)) << c.last << " " << c.now << " " << c.timeout;
        if (c.wait != UINT32_MAX) {
            EXPECT_TRUE(BackgroundRefreshDue(c.now + c.wait, c.last, c.timeout));
            if (c.wait > 0) {
                EXPECT_FALSE(BackgroundRefreshDue(c.now + c.wait - 1, c.last, c.timeout));
            }
        }
    }
}

}  // namespace
