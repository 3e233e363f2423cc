#include "core/trig.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double kAngleStep = 0.00019175345033112584;

TEST(Trig, AgreesWithTheLibraryToOneUnitInTheLastPlaceKeepingTheSignsThatDecideATruncation) {
    for (int a = 0; a <= 32767; ++a) {
        double theta = a * kAngleStep;
        ASSERT_LE(std::fabs(TrigCos(theta) - std::cos(theta)), std::nextafter(1.0, 2.0) - 1.0) << "draw " << a;
        ASSERT_LE(std::fabs(TrigSin(theta) - std::sin(theta)), std::nextafter(1.0, 2.0) - 1.0) << "draw " << a;
    }
    // Draw 32767 is a full turn to ten digits: the loop kept its tiny
    // negative sine; a cosine of exactly 1 and a sine of exactly 0 stay so.
    EXPECT_EQ(1.0, TrigCos(32767 * kAngleStep));
    EXPECT_EQ(0.0, TrigSin(0.0));
    EXPECT_EQ(1.0, TrigCos(0.0));
    EXPECT_TRUE(std::isnan(TrigCos(NAN)));
}

}  // namespace
