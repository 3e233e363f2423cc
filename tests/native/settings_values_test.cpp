#include "settings_values.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(StoredPower, RoundsToTheNearestHundredthBothWays) {
    EXPECT_EQ(1.5, PowerFromStored(150));
    EXPECT_EQ(150u, PowerToStored(1.5));
    // 1.15 x 100 is 114.99999999999999 in doubles: rounding, not truncation.
    EXPECT_EQ(115u, PowerToStored(15 * 0.01 + 1.0));
    EXPECT_LT(PowerFromStored(116), 1.16 + 1e-15);
    EXPECT_EQ(116u, PowerToStored(PowerFromStored(116)));
    EXPECT_EQ(42949672.95, PowerFromStored(0xFFFFFFFFu));
    EXPECT_EQ(0xFFFFFFFFu, PowerToStored(PowerFromStored(0xFFFFFFFFu)));
}

TEST(StoredPower, OutOfRangeOrNaNNeverMakesTheConversionUndefined) {
    EXPECT_EQ(0u, PowerToStored(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_EQ(0xFFFFFFFFu, PowerToStored(1e300));
    EXPECT_EQ(0x80000000u, PowerToStored(-1e300));
    EXPECT_EQ(static_cast<uint32_t>(-150), PowerToStored(-1.5));
}

TEST(BlurSlider, ShowsPowerRoundedAndSetsItBack) {
    const struct {
        double power;
        int32_t position;
    } cases[] = {{1.0, 0}, {1.5, 50}, {1.17, 17}, {2.0, 100}, {1.004, 0}, {1.996, 100}, {0.5, -50}};
    for (const auto& c : cases) EXPECT_EQ(c.position, BlurPositionFromPower(c.power)) << "power " << c.power;
    EXPECT_EQ(1.0, PowerFromBlurPosition(0));
    EXPECT_EQ(2.0, PowerFromBlurPosition(100));
    for (int32_t position = kBlurRange.low; position <= kBlurRange.high; ++position)
        EXPECT_EQ(position, BlurPositionFromPower(PowerFromBlurPosition(position)));
    EXPECT_EQ(0, BlurPositionFromPower(std::nan("")));
}

TEST(SpeedSlider, RunsFromSlowToFast) {
    EXPECT_EQ(2000, SpeedPositionFromDelay(0));
    EXPECT_EQ(0, SpeedPositionFromDelay(2000));
    EXPECT_EQ(2000, DelayFromSpeedPosition(0));
    EXPECT_EQ(1500, DelayFromSpeedPosition(500));
    EXPECT_EQ(INT32_MAX, SpeedPositionFromDelay(INT32_MIN));  // a hand-edited delay, no overflow
}

}  // namespace
