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

TEST(PuffBuffer, SquareSizeFollowsPowerAndRadius) {
    const struct {
        double power;
        int32_t radius;
        int32_t side, half;
        size_t bytes;
    } cases[] = {
        {1.0, 0, 4, 2, 52},           {2.0, -7, 4, 2, 52},          {1.0, 1, 8, 4, 196},
        {1.5, 2, 12, 6, 436},         {1.0, 50, 204, 102, 124852},  {1.5, 99, 496, 248, 738052},
        {2.0, 99, 596, 298, 1065652}, {1.16, 100, 436, 218, 570292},  // (1.16 + 1) x 100 in doubles: 216
        // Odd settings: the ring itself always fits, the reach is capped.
        {kNaN, 10, 24, 12, 1732},     {-0.5, 10, 24, 12, 1732},     {-3.0, 10, 44, 22, 5812},
        {1e30, 99, 4100, 2050, 50430004}, {2.0, INT32_MAX, 4100, 2050, 50430004},
    };
    for (const auto& c : cases) {
        const PuffSquare square = ComputePuffSquare(c.power, c.radius);
        EXPECT_EQ(c.side, square.side) << "power " << c.power << " radius " << c.radius;
        EXPECT_EQ(c.half, square.half) << "power " << c.power << " radius " << c.radius;
        EXPECT_EQ(c.bytes, square.BufferBytes()) << "power " << c.power << " radius " << c.radius;
    }
}

TEST(PuffBuffer, BlendKeepsThreeQuartersOfTheOldColour) {
    const struct {
        uint32_t old, value, expected;
    } cases[] = {
        {0xFFFFFF, 0x000000, 0xBFBFBF},  // 191
        {0x000000, 0xFFFFFF, 0x3F3F3F},  // 63
        {0x102030, 0x102030, 0x102030},
        {0x000001, 0x000003, 0x000001},  // (3 + 3) >> 2
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> buffer(52, 0);
        SetBufferPixel(buffer.data(), 4, 1, 1, c.old);
        BlendBufferPixel(buffer.data(), 4, 1, 1, c.value);
        EXPECT_EQ(c.expected, GetBufferPixel(buffer.data(), 4, 1, 1)) << std::hex << c.old << " <- " << c.value;
    }
    // The word-wide blend of the fast path agrees with the byte-wise one everywhere.
    for (uint32_t a = 0; a < 256; ++a) {
        for (uint32_t b = 0; b < 256; ++b) {
            const uint32_t old = a | b << 8 | (255 - a) << 16, value = b | (a ^ 0x5A) << 8 | a << 16;
            std::vector<uint8_t> buffer(52, 0);
            SetBufferPixel(buffer.data(), 4, 0, 0, old);
            BlendBufferPixel(buffer.data(), 4, 0, 0, value);
            ASSERT_EQ(GetBufferPixel(buffer.data(), 4, 0, 0), BlendBufferValues(old, value)) << a << "," << b;
        }
    }
}

std::vector<uint8_t> NoisyBuffer(const PuffSquare& square, uint32_t seed) {
    std::vector<uint8_t> buffer(square.BufferBytes());
    SRand(seed);
    for (uint8_t& byte : buffer) byte = static_cast<uint8_t>(Rand() >> 3);
    return buffer;
}

// Runs the three versions from the same seed; all must leave the same
// bytes and the same generator state.
void ExpectAllVersionsAgree(const PuffSquare& square, const PuffSettings& settings, int32_t radius, uint32_t seed,
                            const std::string& label) {
    const std::vector<uint8_t> start = NoisyBuffer(square, seed ^ 0x55);
    std::vector<uint8_t> reference = start, fast = start, portable = start;
    SRand(seed);
    ReferencePuffBuffer(reference.data(), square, settings, radius);
    const int referenceNext = Rand();
    const PuffPlan plan = MakePuffPlan(settings, radius);
    SRand(seed);
    PuffBuffer(fast.data(), square, plan, settings.mixPix != 0);
    const int fastNext = Rand();
    SRand(seed);
    PuffBufferPortable(portable.data(), square, plan, settings.mixPix != 0);
    const int portableNext = Rand();
    ASSERT_TRUE(reference == fast) << label;
    ASSERT_TRUE(reference == portable) << label;
    ASSERT_EQ(referenceNext, fastNext) << label;
    ASSERT_EQ(referenceNext, portableNext) << label;
    // Power 0 puts every pixel back where it was; a NaN one drops them all.
    if (plan.pointsPerRing > 0 && settings.power > 0.0) {
        ASSERT_TRUE(reference != start) << "nothing drawn: " << label;
    }
}

TEST(PuffBuffer, FastVersionsMatchTheStraightforwardOneOnRandomPuffs) {
    SRand(31337);
    for (int trial = 0; trial < 300; ++trial) {
        const int32_t radius = Rand() % 101;
        const PuffSettings settings{1 + Rand() % 10, (Rand() % 201) * 0.01, uint32_t(Rand() % 2)};
        const uint32_t seed = uint32_t(Rand()) << 15 ^ uint32_t(Rand());
        ExpectAllVersionsAgree(ComputePuffSquare(settings.power, radius), settings, radius, seed,
                               "trial " + std::to_string(trial) + " radius " + std::to_string(radius) + " density " +
                                   std::to_string(settings.density) + " power " + std::to_string(settings.power));
        SRand(seed + 1);
    }
}

TEST(PuffBuffer, PointsLeavingTheSquareAreDroppedAlike) {
    // A square made for a smaller push than the puff's: the outer targets
    // fall outside and every version must drop the same points.
    for (uint32_t mix : {0u, 1u}) {
        for (double power : {2.0, 1.0, 0.5}) {
            const PuffSettings settings{10, power, mix};
            ExpectAllVersionsAgree(ComputePuffSquare(0.0, 40), settings, 40, 99 + mix, "power " + std::to_string(power));
        }
        ExpectAllVersionsAgree(ComputePuffSquare(-3.0, 30), {8, -3.0, mix}, 30, 5, "power -3");
        ExpectAllVersionsAgree(ComputePuffSquare(kNaN, 30), {8, kNaN, mix}, 30, 5, "power NaN");
    }
}

TEST(PuffBuffer, RadiusZeroOrOneLeavesTheBufferAndGeneratorAlone) {
    for (int32_t radius : {-3, 0, 1}) {
        const PuffSquare square = ComputePuffSquare(1.0, radius);
        std::vector<uint8_t> buffer = NoisyBuffer(square, 8);
        const std::vector<uint8_t> before = buffer;
        SRand(8);
        const int first = Rand();
        SRand(8);
        PuffBuffer(buffer.data(), square, MakePuffPlan({10, 1.0, 1}, radius), true);
        EXPECT_EQ(first, Rand()) << "radius " << radius;
        EXPECT_TRUE(before == buffer) << "radius " << radius;
    }
}

// --- the buffer path on a surface ---

PixelSurface NoisySurface(int32_t width, int32_t height, uint32_t seed) {
    PixelSurface surface(width, height);
    SRand(seed);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) surface.Set(x, y, uint32_t(Rand()) << 9 ^ uint32_t(Rand()));
    return surface;
}

TEST(PuffBufferOnSurface, BufferCentreShowsThePixelAboveTheCentre) {
    // Angle draw 0, factor draw 32767, Power 1.0, ring 10: buffer (e+10, e)
    // goes to (e+20, e), which on the surface is (x+10, y-1) -> (x+20, y-1).
    const uint32_t seed = SeedForDraws(0, kRandMax);
    PixelSurface surface(200, 200, 0x000000);
    surface.Set(110, 99, 0x00C0FF);
    surface.Set(110, 100, 0x0000FF);
    SRand(seed);
    PuffBufferOnSurface(surface, 100, 100, 10, {1, 1.0, 0});
    EXPECT_EQ(0x00C0FFu, surface.Get(120, 99));
    EXPECT_EQ(0x000000u, surface.Get(120, 100));
}

// Whether anything outside the given rectangle differs.
bool ChangedOutside(const PixelSurface& a, const PixelSurface& b, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    for (int32_t y = 0; y < a.Height(); ++y)
        for (int32_t x = 0; x < a.Width(); ++x)
            if ((x < left || x >= right || y < top || y >= bottom) && a.Get(x, y) != b.Get(x, y)) return true;
    return false;
}

TEST(PuffBufferOnSurface, ChangesOnlyTheSquareAndItsPartOnTheSurface) {
    const struct {
        int32_t x, y, radius;
    } cases[] = {{60, 50, 20}, {0, 0, 20}, {119, 99, 25}, {-30, 50, 20}, {60, 50, 0}};
    for (const auto& c : cases) {
        for (uint32_t mix : {0u, 1u}) {
            const PuffSettings settings{10, 1.0, mix};
            const PuffSquare square = ComputePuffSquare(settings.power, c.radius);
            PixelSurface surface = NoisySurface(120, 100, 12);
            const PixelSurface before = surface;
            SRand(3);
            PuffBufferOnSurface(surface, c.x, c.y, c.radius, settings);
            EXPECT_FALSE(ChangedOutside(before, surface, c.x - square.half, c.y - square.half, c.x + square.half,
                                        c.y + square.half))
                << "centre " << c.x << "," << c.y;
            const bool onSurface = c.x + square.half > 0 && c.y + square.half > 0 && c.radius > 1;
            EXPECT_EQ(onSurface, surface != before) << "centre " << c.x << "," << c.y << " radius " << c.radius;
        }
    }
}

TEST(PuffBufferOnSurface, OffSurfacePixelsEnterAsBlack) {
    // A white surface and a puff at its corner: the blacks that appear can
    // only come from the part of the square off the surface.
    PixelSurface surface(50, 50, 0xFFFFFF);
    SRand(10);
    PuffBufferOnSurface(surface, 0, 0, 15, {10, 2.0, 0});
    int black = 0;
    for (int32_t y = 0; y < 50; ++y)
        for (int32_t x = 0; x < 50; ++x) {
            ASSERT_TRUE(surface.Get(x, y) == 0 || surface.Get(x, y) == 0xFFFFFF);
            black += surface.Get(x, y) == 0;
        }
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
    };
    for (const auto& c : cases) {
        for (uint32_t mix : {0u, 1u}) {
            for (auto puff : {PuffPixelsOnSurface, PuffBufferOnSurface}) {
                PixelSurface surface = NoisySurface(80, 80, 3);
                const PixelSurface before = surface;
                SRand(77);
                puff(surface, c.x, c.y, c.radius, {c.density, c.power, mix});
                EXPECT_EQ(c.changes, surface != before)
                    << "power " << c.power << " centre " << c.x << " mix " << mix << (puff == PuffPixelsOnSurface ? " pixels" : " buffer");
            }
        }
    }
}

}  // namespace
