#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "fog_puff.h"
#include "pixel_surface.h"
#include "puff_test_support.h"
#include "random.h"
#include "trig.h"

namespace {

// A 640 x 480 surface of one colour that writes down every access:
// "Gx,y " a read, "Sx,y " a write.
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
        ASSERT_EQ(c.angle, Rand());
        ASSERT_EQ(c.factor, Rand());
        SRand(seed);
        RecordingSurface surface;
        PuffPixels(surface, c.x, c.y, MakePuffPlan({1, 1.0, c.mix}, c.radius), c.mix);
        EXPECT_EQ(c.calls, surface.calls.substr(0, std::string(c.calls).size()))
            << "angle " << c.angle << " factor " << c.factor << " mix " << c.mix;
    }
}

TEST(PuffPixels, BlendsEachByteToTheRoundedDownMean) {
    const struct {
        uint32_t old, colour, expected;
    } cases[] = {
        {0xFF0000, 0x000001, 0x7F0000},  // blue 255 + red 1: blue 127
        {0x010203, 0x030201, 0x020202},
        {0x102030, kPixelReadFailed, 0x878F97},  // a read off the surface: halfway toward white
        {kPixelReadFailed, kPixelReadFailed, 0xFFFFFF},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, BlendPixelColours(c.old, c.colour)) << std::hex << c.old << " + " << c.colour;
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

TEST(PuffPixels, MatchesThePlainAlgorithmOnRandomPuffs) {
    SRand(2024);
    for (int trial = 0; trial < 60; ++trial) {
        const int32_t x = Rand() % 140 - 20, y = Rand() % 120 - 20;  // some centres near and beyond the edges
        const int32_t radius = Rand() % 40;
        const PuffSettings settings{1 + Rand() % 10, (Rand() % 201) * 0.01, uint32_t(Rand() % 2)};
        const uint32_t seed = uint32_t(Rand()) << 16 | uint32_t(Rand());
        PixelSurface fast = Noise(100, 80, trial), plain = fast;
        SRand(seed);
        PuffPixelsOnSurface(fast, x, y, radius, settings);
        const int fastNext = Rand();
        SRand(seed);
        PlainPuffPixels(plain, x, y, radius, settings);
        ASSERT_TRUE(fast == plain) << "trial " << trial << " centre " << x << "," << y << " radius " << radius;
        ASSERT_EQ(Rand(), fastNext) << "trial " << trial;
        SRand(seed * 7 + 1);
    }
}

}  // namespace
