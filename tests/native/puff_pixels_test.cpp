#include <gtest/gtest.h>

#include <cmath>

#include "fog_puff.h"
#include "pixel_surface.h"
#include "puff_test_support.h"
#include "random.h"
#include "trig.h"

namespace {

// The first accesses of a radius-10 puff at (100, 100) whose first point
// has the given angle and factor draws.
std::vector<PixelCall> FirstCalls(int angleDraw, int factorDraw, bool mix, size_t count, int32_t x = 100, int32_t y = 100,
                                  int32_t radius = 10) {
    const uint32_t seed = SeedForDraws(angleDraw, factorDraw);
    SRand(seed);
    EXPECT_EQ(angleDraw, Rand());
    EXPECT_EQ(factorDraw, Rand());
    SRand(seed);
    RecordingSurface surface{640, 480, 0x123456, count, {}};
    PuffPixels(surface, x, y, MakePuffPlan({1, 1.0, mix}, radius), mix);
    return surface.calls;
}

TEST(PuffPixels, MovesTheRingPointOutwardByTheFactor) {
    const struct {
        int angleDraw, factorDraw;
        bool mix;
        std::vector<PixelCall> expected;
    } cases[] = {
        // Power 1.0, factor draw 32767: f = 2 exactly.
        {0, kRandMax, false, {{'G', 110, 100, 0}, {'S', 120, 100, 0x123456}}},
        {0, kRandMax, true, {{'G', 110, 100, 0}, {'G', 120, 100, 0}, {'S', 120, 100, 0x123456}}},
        // A full turn to ten digits: the sine is -1.8e-10, and 100 - 1.8e-9 truncates to 99.
        {kRandMax, kRandMax, false, {{'G', 110, 99, 0}, {'S', 120, 99, 0x123456}}},
        // Factor draw 0: f = 1, the pixel is put back where it was read.
        {0, 0, false, {{'G', 110, 100, 0}, {'S', 110, 100, 0x123456}}},
    };
    for (const auto& c : cases) {
        const std::vector<PixelCall> calls = FirstCalls(c.angleDraw, c.factorDraw, c.mix, c.expected.size());
        EXPECT_EQ(c.expected, calls) << "angle " << c.angleDraw << " factor " << c.factorDraw << " mix " << c.mix
                                     << "\nexpected " << Describe(c.expected) << "\nactual   " << Describe(calls);
    }
}

TEST(PuffPixels, TruncatesTheSumTowardZero) {
    // Ring 2 at angle draws of about 108 and 137 degrees: the source lies
    // 0.6 and 1.4 columns left of a centre in column 0.
    for (const auto& c : {std::pair<int, int32_t>{9800, 0}, std::pair<int, int32_t>{12500, -1}}) {
        const double dx = 2 * TrigCos(c.first * kPuffAngleStep);
        const std::vector<PixelCall> calls = FirstCalls(c.first, 0, false, 1, 0, 50, 2);
        ASSERT_EQ(1u, calls.size());
        EXPECT_EQ(c.second, calls[0].x) << "x + dx = " << dx;
    }
}

TEST(PuffPixels, BlendsEachByteToTheRoundedDownMean) {
    const struct {
        uint32_t old, colour, expected;
    } cases[] = {
        {0xFF0000, 0x000001, 0x7F0000},  // blue 255 + red 1: blue 127, red 0
        {0x000000, 0xFFFFFF, 0x7F7F7F},
        {0x010203, 0x030201, 0x020202},
        {0x102030, kPixelReadFailed, 0x878F97},  // off the surface: halfway toward white
        {kPixelReadFailed, kPixelReadFailed, 0xFFFFFF},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, BlendPixelColours(c.old, c.colour)) << std::hex << c.old << " + " << c.colour;
}

// The pixel path as plainly as it can be written, for comparison.
void PlainPuffPixels(PixelSurface& surface, int32_t x, int32_t y, int32_t radius, const PuffSettings& settings) {
    if (radius <= 0) return;
    const double bound = static_cast<double>(int64_t{settings.density} * radius) - settings.density * std::sqrt(double(radius));
    for (int32_t n = radius; n >= 1; --n) {
        for (int32_t i = 0; i < bound; ++i) {
            const double theta = Rand() * kPuffAngleStep;
            const double dx = n * TrigCos(theta), dy = n * TrigSin(theta);
            const double f = Rand() * (settings.power * kPuffFactorStep) + 1;
            const uint32_t v = surface.Get(int32_t(x + dx), int32_t(y + dy));
            const int32_t tx = int32_t(x + f * dx), ty = int32_t(y + f * dy);
            if (!settings.mixPix) {
                surface.Set(tx, ty, v);
                continue;
            }
            const uint32_t old = surface.Get(tx, ty);
            uint32_t blended = 0;
            for (int shift = 0; shift < 24; shift += 8) blended |= (((old >> shift & 255) + (v >> shift & 255)) >> 1) << shift;
            surface.Set(tx, ty, blended);
        }
    }
}

PixelSurface NoisySurface(int32_t width, int32_t height, uint32_t seed) {
    PixelSurface surface(width, height);
    SRand(seed);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) surface.Set(x, y, uint32_t(Rand()) << 9 ^ uint32_t(Rand()));
    return surface;
}

TEST(PuffPixels, MatchesThePlainAlgorithmOnRandomPuffs) {
    SRand(2024);
    for (int trial = 0; trial < 60; ++trial) {
        const int32_t x = Rand() % 140 - 20, y = Rand() % 120 - 20;  // some centres near and beyond the edges
        const int32_t radius = Rand() % 40;
        const PuffSettings settings{1 + Rand() % 10, (Rand() % 201) * 0.01, uint32_t(Rand() % 2)};
        const uint32_t seed = uint32_t(Rand()) << 16 | uint32_t(Rand());
        PixelSurface fast = NoisySurface(100, 80, trial);
        PixelSurface plain = fast;
        SRand(seed);
        PuffPixelsOnSurface(fast, x, y, radius, settings);
        const int fastNext = Rand();
        SRand(seed);
        PlainPuffPixels(plain, x, y, radius, settings);
        const int plainNext = Rand();
        ASSERT_TRUE(fast == plain) << "trial " << trial << " centre " << x << "," << y << " radius " << radius;
        ASSERT_EQ(plainNext, fastNext) << "trial " << trial;
        SRand(seed * 7 + 1);
    }
}

TEST(PuffPixels, OffSurfaceSourcePaintsWhiteOrPullsTowardWhite) {
    // A puff centred left of a black surface reads the failure value for
    // its sources off the surface: unblended it lands as white, blended it
    // gives greys.
    for (uint32_t mix : {0u, 1u}) {
        PixelSurface surface(30, 30, 0x000000);
        SRand(5);
        PuffPixelsOnSurface(surface, -12, 15, 12, {10, 2.0, mix});
        int lightened = 0;
        for (int32_t y = 0; y < 30; ++y) {
            for (int32_t x = 0; x < 30; ++x) {
                const uint32_t c = surface.Get(x, y);
                if (mix)
                    ASSERT_TRUE((c & 0xFF) == (c >> 8 & 0xFF) && (c & 0xFF) == (c >> 16)) << std::hex << c;
                else
                    ASSERT_TRUE(c == 0 || c == 0xFFFFFF) << std::hex << c;
                lightened += c != 0;
            }
        }
        EXPECT_GT(lightened, 0) << "mix " << mix;
    }
}

}  // namespace
