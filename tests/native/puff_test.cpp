// The fog puff's core: schedule, both drawing paths, blends and the
// buffer's square, against exact expectations and plain reference code.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "fog_buffer.h"
#include "fog_puff.h"
#include "fog_puff_reference.h"
#include "pixel_surface.h"
#include "puff_test_support.h"
#include "random.h"
#include "trig.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

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

TEST(PuffSchedule, HostileRadiusDensityAndCoordinatesAreCapped) {
    const struct {
        int32_t radius, density, plannedRadius;
    } cases[] = {{INT32_MAX, INT32_MAX, kMaxPuffRadius}, {5000, 10, kMaxPuffRadius}, {100, INT32_MAX, 100}, {1024, 100, 1024}};
    for (const auto& c : cases) {
        const PuffPlan plan = MakePuffPlan({c.density, 2.0, 1}, c.radius);
        EXPECT_EQ(c.plannedRadius, plan.radius) << "radius " << c.radius;
        EXPECT_TRUE(plan.pointsPerRing > 0 && plan.radius * plan.pointsPerRing <= kMaxPuffPoints) << "radius " << c.radius;
    }
    const double inf = std::numeric_limits<double>::infinity();
    const std::pair<double, int32_t> truncations[] = {{-0.7, 0}, {-1.2, -1}, {2147483647.9, INT32_MAX}, {2147483648.0, kOffSurface},
                                                      {-2147483649.0, kOffSurface}, {kNaN, kOffSurface}, {inf, kOffSurface}, {-inf, kOffSurface}};
    for (const auto& t : truncations) EXPECT_EQ(t.second, SafeTrunc(t.first)) << "value " << t.first;
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

TEST(PuffBlend, PixelTakesTheMeanBufferKeepsThreeQuartersRoundedDown) {
    const struct {
        uint32_t old, value, pixel, buffer;
    } cases[] = {
        {0xFF0000, 0x000001, 0x7F0000, 0xBF0000},  // blue 255 + red 1
        {0xFFFFFF, 0x000000, 0x7F7F7F, 0xBFBFBF},
        {0x000000, 0xFFFFFF, 0x7F7F7F, 0x3F3F3F},
        {0x000001, 0x000003, 0x000002, 0x000001},
        {0x102030, kPixelReadFailed, 0x878F97, 0x4B5763},  // a read off the surface: toward white
    };
    for (const auto& c : cases) {
        uint8_t buffer[52] = {};
        SetBufferPixel(buffer, 4, 1, 1, c.old);
        BlendBufferPixel(buffer, 4, 1, 1, c.value);
        EXPECT_EQ(c.pixel, BlendPixelColours(c.old, c.value)) << std::hex << c.old << " + " << c.value;
        EXPECT_EQ(c.buffer, GetBufferPixel(buffer, 4, 1, 1)) << std::hex << c.old << " <- " << c.value;
        EXPECT_EQ(c.buffer, BlendBufferValues(c.old, c.value)) << std::hex << c.old << " <- " << c.value;
    }
}

// The pixel path as plainly as it can be written.
void PlainPuffPixels(PixelSurface& surface, int32_t x, int32_t y, int32_t radius, const PuffSettings& s) {
    const double bound = double(int64_t{s.density} * radius) - s.density * std::sqrt(double(radius));
    for (int32_t n = radius; n >= 1; --n)
        for (int32_t i = 0; i < bound; ++i) {
            const double theta = Rand() * kPuffAngleStep, dx = n * TrigCos(theta), dy = n * TrigSin(theta);
            const double f = Rand() * (s.power * kPuffFactorStep) + 1;
            const uint32_t v = surface.Get(int32_t(x + dx), int32_t(y + dy));
            const int32_t tx = int32_t(x + f * dx), ty = int32_t(y + f * dy);
            surface.Set(tx, ty, s.mixPix ? BlendPixelColours(surface.Get(tx, ty), v) : v);
        }
}

// Both buffer kernels and the pixel path against their plain versions.
TEST(PuffPaths, OptimizedMatchTheStraightforwardOnRandomPuffs) {
    EXPECT_EQ("", FirstKernelMismatch(PuffKernel::Portable, 300));
    EXPECT_EQ("", FirstKernelMismatch(PuffKernel::Sse2, 300));
    for (int trial = 0; trial < 60; ++trial) {
        SRand(4242 + trial);
        const int32_t radius = Rand() % 101, x = Rand() % 140 - 20, y = Rand() % 120 - 20;
        const PuffSettings settings{1 + Rand() % 10, (Rand() % 201) * 0.01, uint32_t(Rand() % 2)};
        PixelSurface pixels = Noise(100, 80, trial), plain = pixels;  // centres near and beyond the edges
        SRand(trial);
        PuffPixelsOnSurface(pixels, x, y, radius, settings);
        const int pixelsNext = Rand();
        SRand(trial);
        PlainPuffPixels(plain, x, y, radius, settings);
        ASSERT_TRUE(pixels == plain && Rand() == pixelsNext) << "trial " << trial << " centre " << x << "," << y;
    }
}

TEST(PuffSquare, PuffSideFollowsPowerAndRadius) {
    const struct {
        double power;
        int32_t radius, side;
    } cases[] = {
        {1.0, 0, 4}, {2.0, -7, 4}, {1.0, 1, 8}, {1.5, 2, 12}, {1.0, 50, 204}, {1.5, 99, 496}, {2.0, 99, 596},
        {1.16, 100, 436},  // (1.16 + 1) x 100 in doubles: 216
        // Odd settings: the ring itself always fits, the reach is capped.
        {kNaN, 10, 24}, {-0.5, 10, 24}, {-3.0, 10, 44}, {1e30, 99, 4100}, {2.0, INT32_MAX, 4100},
    };
    for (const auto& c : cases) {
        const PuffSquare square = ComputePuffSquare(c.power, c.radius);
        EXPECT_TRUE(c.side == square.side && c.side / 2 == square.half) << "power " << c.power << " radius " << c.radius;
    }
}

TEST(PuffBufferOnSurface, BufferCentreIsThePixelAboveTheCentre) {
    // Angle draw 0, factor draw 32767, Power 1.0, ring 10: buffer (e+10, e)
    // goes to (e+20, e), on the surface (x+10, y-1) -> (x+20, y-1).
    PixelSurface surface(200, 200, 0x000000);
    surface.Set(110, 99, 0x00C0FF);
    surface.Set(110, 100, 0x0000FF);
    SRand(SeedForDraws(0, kRandMax));
    PuffBufferOnSurface(surface, 100, 100, 10, {1, 1.0, 0});
    EXPECT_TRUE(surface.Get(120, 99) == 0x00C0FF && surface.Get(120, 100) == 0);
}

TEST(PuffBufferOnSurface, CopyBackChangesOnlyTheSquareOnTheSurface) {
    const struct {
        int32_t x, y, radius;
    } cases[] = {{60, 50, 20}, {0, 0, 20}, {119, 99, 25}, {-30, 50, 20}, {60, 50, 0}};
    for (const auto& c : cases) {
        for (uint32_t mix : {0u, 1u}) {
            const int32_t half = ComputePuffSquare(1.0, c.radius).half;
            PixelSurface surface = Noise(120, 100, 12);
            const PixelSurface before = surface;
            SRand(3);
            PuffBufferOnSurface(surface, c.x, c.y, c.radius, {10, 1.0, mix});
            bool outside = false;
            for (int32_t y = 0; y < 100; ++y)
                for (int32_t x = 0; x < 120; ++x)
                    if (std::abs(x - c.x + 0.5) > half || std::abs(y - c.y + 0.5) > half)
                        outside |= surface.Get(x, y) != before.Get(x, y);
            EXPECT_FALSE(outside) << "centre " << c.x << "," << c.y << " mix " << mix;
            EXPECT_EQ(c.x + half > 0 && c.y + half > 0 && c.radius > 1, surface != before) << "centre " << c.x << "," << c.y;
        }
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
