// The fog puff's core on the in-memory surface: the random draws of the
// ring schedule, the first point's truncations, and settings no dialog
// gives (under the sanitizers). The pixels of both paths are checked
// against plain reference code in the Windows puff test.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "fog_puff.h"
#include "pixel_surface.h"
#include "puff_test_support.h"
#include "random.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// Two draws a point, ceil(Density x (R - sqrt R)) points a ring, none for a
// radius of 1 or less or a Density of 0 or less.
TEST(PuffSchedule, DrawsTwoNumbersForEveryPointOfTheRingBound) {
    const struct {
        int32_t radius, density;
        int64_t points;
    } cases[] = {
        {4, 5, 40}, {2, 1, 2}, {2, 10, 12}, {10, 5, 350}, {99, 10, 88209}, {100, 10, 90000},
        {1, 10, 0}, {0, 10, 0}, {-1, 10, 0}, {INT32_MIN, 10, 0}, {1, INT32_MAX, 0}, {50, 0, 0}, {50, INT32_MIN, 0},
    };
    for (const auto& c : cases) {
        for (auto puff : {PuffPixelsOnSurface, PuffBufferOnSurface}) {
            PixelSurface surface(16, 16);
            SRand(4321);
            puff(surface, 8, 8, c.radius, {c.density, 1.0, 1});
            const uint32_t after = RandState();
            SRand(4321);
            for (int64_t i = 0; i < 2 * c.points; ++i) Rand();
            EXPECT_EQ(RandState(), after) << "radius " << c.radius << " density " << c.density;
        }
    }
}

// A 640 x 480 surface of one colour that writes down every access.
struct RecordingSurface {
    std::string calls;
    uint32_t Get(int32_t x, int32_t y) {
        calls += "G" + std::to_string(x) + "," + std::to_string(y) + " ";
        return x >= 0 && y >= 0 && x < 640 && y < 480 ? 0x123456 : kPixelReadFailed;
    }
    void Set(int32_t x, int32_t y, uint32_t) { calls += "S" + std::to_string(x) + "," + std::to_string(y) + " "; }
};

TEST(PuffPixels, FirstPointIsReadOnTheRingAndWrittenPushedOutward) {
    const struct {
        int angle, factor;
        bool mix;
        int32_t x, y, radius;
        const char* calls;
    } cases[] = {
        // Power 1.0 and factor draw 32767: f = 2 exactly, ring 10 goes to 20.
        {0, kRandMax, false, 100, 100, 10, "G110,100 S120,100 "},
        {0, kRandMax, true, 100, 100, 10, "G110,100 G120,100 S120,100 "},
        // A full turn to ten digits: the sine is -1.8e-10, 100 - 1.8e-9 truncates to 99.
        {kRandMax, kRandMax, false, 100, 100, 10, "G110,99 S120,99 "},
        {0, 0, false, 100, 100, 10, "G110,100 S110,100 "},  // f = 1: back where it was read
        // The sum is truncated toward zero: 0 - 0.6 is column 0, 0 - 1.4 column -1.
        {9800, 0, false, 0, 50, 2, "G0,51 "},
        {12500, 0, false, 0, 50, 2, "G-1,51 "},
    };
    for (const auto& c : cases) {
        const uint32_t seed = SeedForDraws(c.angle, c.factor);
        SRand(seed);
        ASSERT_TRUE(Rand() == c.angle && Rand() == c.factor);
        SRand(seed);
        RecordingSurface surface;
        PuffPixels(surface, c.x, c.y, MakePuffPlan({1, 1.0, c.mix}, c.radius), c.mix);
        EXPECT_EQ(c.calls, surface.calls.substr(0, std::string(c.calls).size()))
            << "angle " << c.angle << " factor " << c.factor << " mix " << c.mix;
    }
}

TEST(PuffOnSurface, HostileSettingsDrawSafelyOrNothingOnBothPaths) {
    const struct {
        int32_t x, y, radius, density;
        double power;
        bool changes;
    } cases[] = {
        {40, 40, 30, 10, kNaN, false}, {40, 40, 30, 10, 1e30, false}, {40, 40, 30, 10, -3.0, true},
        {INT32_MAX, INT32_MIN, 30, 10, 2.0, false}, {INT32_MIN, 0, 30, 10, 2.0, false},
        {40, 40, INT32_MAX, INT32_MAX, 2.0, true}, {40, 40, 30, -5, 2.0, false},
    };
    for (const auto& c : cases) {
        for (uint32_t mix : {0u, 1u}) {
            for (auto puff : {PuffPixelsOnSurface, PuffBufferOnSurface}) {
                PixelSurface surface = Noise(80, 80, 3);
                const PixelSurface before = surface;
                SRand(77);
                puff(surface, c.x, c.y, c.radius, {c.density, c.power, mix});
                EXPECT_EQ(c.changes, surface != before) << "power " << c.power << " centre " << c.x << " mix " << mix
                                                        << (puff == PuffPixelsOnSurface ? " pixels" : " buffer");
            }
        }
    }
}

}  // namespace
