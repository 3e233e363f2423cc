// The fog puff's core on the in-memory surface with settings no dialog
// gives, under the sanitizers. The pixels and draws of both paths are
// checked against the plain rules in the Windows puff test.
#include <gtest/gtest.h>

#include <limits>

#include "core/fog_puff.h"
#include "core/random.h"
#include "lab/pixel_surface.h"
#include "puff_test_support.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(PuffOnSurface, HostileSettingsDrawSafelyOrNothingOnBothPaths) {
    const struct {
        int32_t x, y, radius, density;
        double power;
        bool changes;
    } cases[] = {
        {40, 40, 30, 10, kNaN, false},      {40, 40, 30, 10, 1e30, false},
        {40, 40, 30, 10, -3.0, true},       {INT32_MAX, INT32_MIN, 30, 10, 2.0, false},
        {INT32_MIN, 0, 30, 10, 2.0, false}, {40, 40, INT32_MAX, INT32_MAX, 2.0, true},
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
