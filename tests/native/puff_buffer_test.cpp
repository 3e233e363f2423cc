#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "fog_buffer.h"
#include "fog_puff_reference.h"
#include "pixel_surface.h"
#include "puff_test_support.h"
#include "random.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(PuffBuffer, PuffSideFollowsPowerAndRadius) {
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
        EXPECT_EQ(c.side, square.side) << "power " << c.power << " radius " << c.radius;
        EXPECT_EQ(c.side / 2, square.half) << "power " << c.power << " radius " << c.radius;
    }
}

TEST(PuffBuffer, BlendKeepsThreeQuartersOfTheOldColour) {
    const struct {
        uint32_t old, value, expected;
    } cases[] = {{0xFFFFFF, 0x000000, 0xBFBFBF}, {0x000000, 0xFFFFFF, 0x3F3F3F}, {0x000001, 0x000003, 0x000001}};
    for (const auto& c : cases) {
        uint8_t buffer[52] = {};
        SetBufferPixel(buffer, 4, 1, 1, c.old);
        BlendBufferPixel(buffer, 4, 1, 1, c.value);
        EXPECT_EQ(c.expected, GetBufferPixel(buffer, 4, 1, 1)) << std::hex << c.old << " <- " << c.value;
        EXPECT_EQ(c.expected, BlendBufferValues(c.old, c.value)) << std::hex << c.old << " <- " << c.value;
    }
}

// The fast and the portable puff against the straightforward one, from one
// seed: same bytes, same generator state. Some squares are made for a
// smaller push than the puff's, so that points leave them.
TEST(PuffBuffer, FastVersionsMatchTheStraightforwardOneOnRandomPuffs) {
    SRand(31337);
    int changed = 0;
    for (int trial = 0; trial < 300; ++trial) {
        const int32_t radius = trial < 2 ? trial : Rand() % 101;
        const double power = trial % 20 == 3 ? -3.0 : trial % 20 == 4 ? kNaN : (Rand() % 201) * 0.01;
        const PuffSettings settings{1 + Rand() % 10, power, uint32_t(Rand() % 2)};
        const PuffSquare square = ComputePuffSquare(trial % 5 == 2 ? 0.0 : power, radius);
        const uint32_t seed = uint32_t(Rand()) << 15 ^ uint32_t(Rand());
        std::vector<uint8_t> start(square.BufferBytes());
        for (uint8_t& byte : start) byte = static_cast<uint8_t>(Rand() >> 3);
        std::vector<uint8_t> reference = start, fast = start, portable = start;
        const PuffPlan plan = MakePuffPlan(settings, radius);
        SRand(seed);
        ReferencePuffBuffer(reference.data(), square, settings, radius);
        const int next = Rand();
        SRand(seed);
        PuffBuffer(fast.data(), square, plan, settings.mixPix != 0);
        ASSERT_EQ(next, Rand()) << "trial " << trial;
        SRand(seed);
        PuffBufferPortable(portable.data(), square, plan, settings.mixPix != 0);
        ASSERT_EQ(next, Rand()) << "trial " << trial;
        ASSERT_TRUE(reference == fast) << "trial " << trial << " radius " << radius << " power " << power;
        ASSERT_TRUE(reference == portable) << "trial " << trial << " radius " << radius << " power " << power;
        changed += reference != start;
        SRand(seed + 1);
    }
    EXPECT_GT(changed, 200);
}

TEST(PuffBufferOnSurface, BufferCentreIsThePixelAboveTheCentre) {
    // Angle draw 0, factor draw 32767, Power 1.0, ring 10: buffer (e+10, e)
    // goes to (e+20, e), on the surface (x+10, y-1) -> (x+20, y-1).
    PixelSurface surface(200, 200, 0x000000);
    surface.Set(110, 99, 0x00C0FF);
    surface.Set(110, 100, 0x0000FF);
    SRand(SeedForDraws(0, kRandMax));
    PuffBufferOnSurface(surface, 100, 100, 10, {1, 1.0, 0});
    EXPECT_EQ(0x00C0FFu, surface.Get(120, 99));
    EXPECT_EQ(0x000000u, surface.Get(120, 100));
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
    // Off the surface the square holds black: a corner puff on white brings some in.
    PixelSurface white(50, 50, 0xFFFFFF);
    SRand(10);
    PuffBufferOnSurface(white, 0, 0, 15, {10, 2.0, 0});
    int black = 0;
    for (int32_t y = 0; y < 50; ++y)
        for (int32_t x = 0; x < 50; ++x) black += white.Get(x, y) == 0;
    EXPECT_GT(black, 0);
}

TEST(PuffOnSurface, HostileSettingsDrawSafelyOrNothingOnBothPaths) {
    const struct {
        int32_t x, y, radius, density;
        double power;
        bool changes;
    } cases[] = {
        {40, 40, 30, 10, kNaN, false},  // every target dropped or off the surface
        {40, 40, 30, 10, 1e30, false},
        {40, 40, 30, 10, -3.0, true},  // targets through the centre, still inside
        {INT32_MAX, INT32_MIN, 30, 10, 2.0, false},
        {INT32_MIN, 0, 30, 10, 2.0, false},
        {40, 40, INT32_MAX, INT32_MAX, 2.0, true},  // capped: ends in well under a second
        {40, 40, 30, -5, 2.0, false},
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
