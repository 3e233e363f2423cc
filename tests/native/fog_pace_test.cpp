// The fog's pace, run as the worker runs it on timers of several
// resolutions: the ceiling holds at Delay 0 on every size, puffs due
// between two wake-ups are drawn together, a slower Speed is never faster,
// and time lost to a hold-up is not made up in a burst.
#include "core/fog_pace.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct WorkerRun {
    double puffsPerSecond = 0;
    uint32_t biggestBatch = 0;
    uint32_t wakeUps = 0;
    double worstExcess = 0;  // puffs beyond the ceiling's share at any wake-up
};

// The worker's loop, for `seconds`, on a clock whose waits end at the first
// timer tick at or after they are due. The tick counter starts just short
// of its wrap.
WorkerRun RunWorker(uint64_t area, int32_t delay, double tickMs, double seconds) {
    const uint32_t start = 0xFFFFF000u;
    const double ceiling = kPuffsPerSecondPerMegapixel * static_cast<double>(area) / 1e6;
    FogPace pace(start);
    WorkerRun run;
    double now = 0;
    uint64_t puffs = 0;
    while (now < seconds * 1000) {
        now = std::ceil((now + pace.NextWaitMs(delay, area)) / tickMs) * tickMs;
        pace.Advance(start + static_cast<uint32_t>(now), area);
        const uint32_t batch = pace.TakeDue(delay);
        puffs += batch;
        ++run.wakeUps;
        run.biggestBatch = std::max(run.biggestBatch, batch);
        run.worstExcess = std::max(run.worstExcess, puffs - ceiling * now / 1000);
    }
    run.puffsPerSecond = puffs * 1000 / now;
    return run;
}

constexpr double kNtTimerMs = 15.625;  // 64 ticks a second
constexpr double k9xTimerMs = 55;

TEST(FogPace, DelayZeroPuffsAtTheCeilingOfEverySizeOnEveryTimer) {
    const uint64_t sizes[] = {PaceArea(152, 112, 50), 1024 * 768, 1920 * 1080, 3840 * 2160};
    for (uint64_t area : sizes)
        for (double tick : {1.0, kNtTimerMs, k9xTimerMs}) {
            SCOPED_TRACE(testing::Message() << area << " pixels, timer tick " << tick << " ms");
            const double ceiling = kPuffsPerSecondPerMegapixel * area / 1e6;
            const WorkerRun run = RunWorker(area, 0, tick, 120);
            EXPECT_NEAR(ceiling, run.puffsPerSecond, ceiling * 0.02 + 0.05);
            EXPECT_LE(run.worstExcess, 1.0) << "a moment ahead of the ceiling";
            // Never more wake-ups than the shortest wait allows, however fine the timer.
            EXPECT_LE(run.wakeUps, 120 * 1000 / kShortestPaceWaitMs + 1);
            if (ceiling * tick / 1000 >= 2) {
                EXPECT_GE(run.biggestBatch, 2u) << "puffs due between two wake-ups must be drawn together";
            }
        }
}

TEST(FogPace, ASlowerSpeedIsNeverFaster) {
    for (uint64_t area : {PaceArea(152, 112, 50), uint64_t{1920 * 1080}, uint64_t{3840 * 2160}}) {
        double faster = 1e9;
        for (int32_t delay : {0, 1, 5, 10, 15, 16, 20, 50, 100, 500, 1999, 2000}) {
            const double rate = RunWorker(area, delay, kNtTimerMs, 60).puffsPerSecond;
            EXPECT_LE(rate, faster) << "Delay " << delay << " on " << area << " pixels";
            if (delay > 0) {
                EXPECT_LE(rate, 1000.0 / delay) << "Delay " << delay << " is the wait before each puff";
            }
            faster = rate;
        }
    }
}

TEST(FogPace, AHoldUpIsNotMadeUpInABurst) {
    const uint64_t area = 1920 * 1080;
    const double ceiling = kPuffsPerSecondPerMegapixel * area / 1e6;
    FogPace pace(1000);
    pace.Advance(6000, area);  // five seconds without a wake-up
    EXPECT_LE(pace.TakeDue(0), ceiling * kLongestCatchUpMs / 1000 + 1);
    for (uint32_t now = 6100; now < 9000; now += 100) {  // a Delay takes one puff per wait
        pace.Advance(now, area);
        pace.TakeDue(100);
    }
    EXPECT_LE(pace.TakeDue(0), ceiling * kLongestCatchUpMs / 1000 + 1) << "what a Delay leaves must not pile up";
    pace.Advance(6000 + 5000, area);
    pace.Restart(11000);
    pace.Advance(11000, area);
    EXPECT_EQ(0u, pace.TakeDue(0)) << "a restart forgets the puffs due";
}

TEST(FogPace, AWindowWithoutAreaNeverPuffsAndStillWakesForItsRefresh) {
    FogPace pace(0);
    pace.Advance(600000, 0);
    EXPECT_EQ(0u, pace.TakeDue(0));
    EXPECT_EQ(kLongestPaceWaitMs, pace.NextWaitMs(0, 0));
    EXPECT_EQ(kLongestPaceWaitMs, pace.NextWaitMs(0, 1)) << "a pixel's pace is a puff a few hours";
    EXPECT_EQ(0xFFFFFFFFu, pace.NextWaitMs(-1, 1920 * 1080)) << "a Delay of -1 waits for ever";
}

TEST(PaceArea, SmallWindowsArePacedAsASquareOfTheirPuffs) {
    const struct {
        int32_t width, height, ray;
        uint64_t area;
    } cases[] = {
        {1920, 1080, 50, 1920 * 1080},
        {152, 112, 50, 150 * 150},               // a preview: much of each puff lands outside
        {152, 112, 10, 152 * 112},               // small puffs fit
        {152, 112, 0x7FFFFFFF, 3072ull * 3072},  // radii beyond the puff's own cap count as the cap
        {152, 112, -5, 152 * 112},
        {0, 768, 50, 0},
        {-1024, -768, 50, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.area, PaceArea(c.width, c.height, c.ray)) << c.width << "x" << c.height << " Ray " << c.ray;
}

}  // namespace
