#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "fog_puff.h"
#include "puff_test_support.h"
#include "random.h"
#include "trig.h"

namespace {

struct Visit {
    double dx, dy, f;
};

std::vector<Visit> VisitsOf(const PuffSettings& settings, int32_t radius) {
    std::vector<Visit> visits;
    ForEachPuffPoint(MakePuffPlan(settings, radius), [&](double dx, double dy, double f) { visits.push_back({dx, dy, f}); });
    return visits;
}

// The generator's next value after `draws` values from `seed`.
int ValueAfter(uint32_t seed, int64_t draws) {
    SRand(seed);
    for (int64_t i = 0; i < draws; ++i) Rand();
    return Rand();
}

TEST(PuffSchedule, PointsPerPuffFollowTheRingBound) {
    const struct {
        int32_t radius, density;
        int64_t points;
    } cases[] = {
        {2, 1, 2},   {2, 10, 12},  {4, 5, 40},  // bound exactly 10: i = 0..9 on each ring
        {10, 5, 350}, {50, 10, 21500}, {99, 10, 88209}, {100, 10, 90000},
    };
    for (const auto& c : cases) {
        SRand(4321);
        const size_t points = VisitsOf({c.density, 1.0, 1}, c.radius).size();
        EXPECT_EQ(c.points, static_cast<int64_t>(points)) << "radius " << c.radius << " density " << c.density;
        EXPECT_EQ(ValueAfter(4321, 2 * c.points), Rand()) << "two draws a point, radius " << c.radius;
    }
}

TEST(PuffSchedule, NothingIsDrawnWithoutPoints) {
    const struct {
        int32_t radius, density;
    } cases[] = {{0, 10}, {-1, 10}, {INT32_MIN, 10}, {1, 10}, {1, INT32_MAX}, {50, 0}, {50, -3}, {50, INT32_MIN}};
    for (const auto& c : cases) {
        SRand(99);
        EXPECT_TRUE(VisitsOf({c.density, 1.0, 1}, c.radius).empty()) << "radius " << c.radius << " density " << c.density;
        EXPECT_EQ(ValueAfter(99, 0), Rand()) << "the generator moved, radius " << c.radius << " density " << c.density;
    }
}

TEST(PuffSchedule, RingsRunOutsideInWithTheAngleDrawnBeforeTheFactor) {
    // Radius 2, Density 1: one point on ring 2, then one on ring 1.
    const uint32_t seed = SeedForDraws(0, kRandMax);
    SRand(seed);
    ASSERT_EQ(0, Rand());
    ASSERT_EQ(kRandMax, Rand());
    SRand(seed);
    const std::vector<Visit> visits = VisitsOf({1, 1.0, 1}, 2);
    ASSERT_EQ(2u, visits.size());
    EXPECT_EQ(2.0, visits[0].dx);  // angle 0 on ring 2
    EXPECT_EQ(0.0, visits[0].dy);
    EXPECT_EQ(2.0, visits[0].f);  // the largest factor with Power 1.0 is exactly 2
    EXPECT_LE(std::fabs(visits[1].dx * visits[1].dx + visits[1].dy * visits[1].dy - 1.0), 1e-12) << "second point on ring 1";
}

TEST(PuffSchedule, AngleTableHoldsTheDeterministicTrig) {
    for (int a = 0; a <= kRandMax; ++a) {
        const double theta = a * kPuffAngleStep;
        ASSERT_EQ(TrigCos(theta), puffAngles[a].cos) << "draw " << a;
        ASSERT_EQ(TrigSin(theta), puffAngles[a].sin) << "draw " << a;
    }
}

TEST(PuffSchedule, DrawsMatchTheOneAtATimeGenerator) {
    for (uint32_t seed : {0u, 1u, 0x80000000u, 0xFFFFFFFFu, 123456789u}) {
        SRand(seed);
        std::vector<int> single;
        for (int i = 0; i < 40; ++i) single.push_back(Rand());
        const int after = Rand();
        SRand(seed);
        {
            RandSequence sequence;
            for (int i = 0; i < 20; ++i) {
                if (i + 8 < 20) {
                    EXPECT_EQ(single[2 * (i + 8)], sequence.PeekFirstAhead<8>()) << "seed " << seed << " pair " << i;
                }
                const RandPair pair = sequence.NextPair();
                EXPECT_EQ(single[2 * i], pair.first) << "seed " << seed;
                EXPECT_EQ(single[2 * i + 1], pair.second) << "seed " << seed;
            }
        }
        EXPECT_EQ(after, Rand()) << "the state was not handed back, seed " << seed;
    }
}

TEST(PuffSchedule, HostileSettingsStayBounded) {
    const struct {
        int32_t radius, density;
        int32_t plannedRadius;
    } cases[] = {
        {INT32_MAX, INT32_MAX, kMaxPuffRadius}, {5000, 10, kMaxPuffRadius}, {100, INT32_MAX, 100}, {1024, 100, 1024},
    };
    for (const auto& c : cases) {
        const PuffPlan plan = MakePuffPlan({c.density, 2.0, 1}, c.radius);
        EXPECT_EQ(c.plannedRadius, plan.radius) << "radius " << c.radius;
        EXPECT_GT(plan.pointsPerRing, 0);
        EXPECT_LE(plan.radius * plan.pointsPerRing, kMaxPuffPoints) << "radius " << c.radius << " density " << c.density;
    }
    // Within the dialog's ranges the caps change nothing.
    EXPECT_EQ(900, MakePuffPlan({10, 2.0, 1}, 100).pointsPerRing);
}

TEST(PuffSchedule, SafeTruncTruncatesTowardZeroAndRefusesTheRest) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double value;
        int32_t expected;
    } cases[] = {
        {-0.7, 0},           {-1.2, -1},          {2.999, 2},           {99.9999999, 99},
        {-1.8e-9, 0},        {2147483647.9, INT32_MAX}, {-2147483648.9, INT32_MIN},
        {2147483648.0, kOffSurface}, {-2147483649.0, kOffSurface}, {1e300, kOffSurface},
        {nan, kOffSurface},  {inf, kOffSurface},  {-inf, kOffSurface},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, SafeTrunc(c.value)) << "value " << c.value;
}

}  // namespace
