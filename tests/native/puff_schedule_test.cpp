#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "fog_puff.h"
#include "random.h"

namespace {

TEST(PuffSchedule, PointsFollowTheRingBoundTwoDrawsEachAndNoneForRadiusOneOrLess) {
    const struct {
        int32_t radius, density;
        int64_t points;
    } cases[] = {
        {4, 5, 40}, {2, 1, 2}, {2, 10, 12}, {10, 5, 350}, {99, 10, 88209}, {100, 10, 90000},
        {1, 10, 0}, {0, 10, 0}, {-1, 10, 0}, {INT32_MIN, 10, 0}, {1, INT32_MAX, 0}, {50, 0, 0}, {50, INT32_MIN, 0},
    };
    for (const auto& c : cases) {
        SRand(4321);
        int64_t points = 0;
        ForEachPuffPoint(MakePuffPlan({c.density, 1.0, 1}, c.radius), [&](double, double, double) { ++points; });
        const int next = Rand();
        SRand(4321);
        for (int64_t i = 0; i < 2 * c.points; ++i) Rand();
        EXPECT_EQ(c.points, points) << "radius " << c.radius << " density " << c.density;
        EXPECT_EQ(Rand(), next) << "not two draws a point, radius " << c.radius << " density " << c.density;
    }
}

TEST(PuffSchedule, HostileRadiusAndDensityAreCapped) {
    const struct {
        int32_t radius, density, plannedRadius;
    } cases[] = {{INT32_MAX, INT32_MAX, kMaxPuffRadius}, {5000, 10, kMaxPuffRadius}, {100, INT32_MAX, 100}, {1024, 100, 1024}};
    for (const auto& c : cases) {
        const PuffPlan plan = MakePuffPlan({c.density, 2.0, 1}, c.radius);
        EXPECT_EQ(c.plannedRadius, plan.radius) << "radius " << c.radius;
        EXPECT_GT(plan.pointsPerRing, 0);
        EXPECT_LE(plan.radius * plan.pointsPerRing, kMaxPuffPoints) << "radius " << c.radius << " density " << c.density;
    }
}

TEST(PuffSchedule, SafeTruncTruncatesTowardZeroAndRefusesTheRest) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double value;
        int32_t expected;
    } cases[] = {
        {-0.7, 0}, {-1.2, -1}, {2.999, 2}, {2147483647.9, INT32_MAX}, {2147483648.0, kOffSurface},
        {-2147483649.0, kOffSurface}, {std::nan(""), kOffSurface}, {inf, kOffSurface}, {-inf, kOffSurface},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, SafeTrunc(c.value)) << "value " << c.value;
}

}  // namespace
