// The saver's own puffs, FogPuffPixels and FogPuffBuffer through real GDI
// in the saver's floating-point setting, against the puff written plainly
// from its rules: the same pixels and the same random draws. And both
// buffer kernels of the i686 build (x87 and SSE2) against the straightforward
// puff: the saver picks one by what the processor and the system allow, and
// either must draw the same bytes.
#include "fog/fog_engine.h"
#include "tests/native/puff_test_support.h"
#include "tests/win/worker/fog_test_window.h"
#include "win32/processor_features.h"

namespace {

TEST(PuffGdi, BothPathsDrawWhatThePlainRulesDraw) {
    const struct {
        bool buffer;
        int32_t x, y, radius, density;
        double power;
        uint32_t mix;
    } cases[] = {
        // The pixel path's sources stay on the picture here: an unblended
        // failure value is the platform's to paint.
        {false, 80, 60, 25, 10, 1.0, 0}, {false, 80, 60, 40, 7, 2.0, 1},   {false, 3, 2, 30, 10, 1.5, 1},
        {false, 80, 60, 12, 3, 1.16, 1}, {true, 80, 60, 25, 10, 1.0, 0},   {true, 80, 60, 40, 7, 2.0, 1},
        {true, 0, 0, 30, 10, 1.5, 1},    {true, 159, 119, 35, 10, 2.0, 0}, {true, -20, 60, 35, 10, 2.0, 1},
        {true, 80, 60, 99, 10, 2.0, 1},  {true, 80, 60, 12, 3, 1.16, 0},   {true, 80, 60, 0, 10, 2.0, 1},
        {true, 80, 60, 1, 10, 2.0, 0},   {false, 80, 60, 0, 10, 2.0, 1},
    };
    for (uint32_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const auto& c = cases[i];
        const PixelSurface start = Noise(160, 120, i);
        Canvas dib(start);
        theFog.Density = c.density;
        theFog.Power = c.power;
        theFog.MixPix = c.mix;
        SRand(i);
        c.buffer ? theFog.FogPuffBuffer(dib.dc(), c.x, c.y, c.radius)
                 : theFog.FogPuffPixels(dib.dc(), c.x, c.y, c.radius);
        const uint32_t gdiNext = RandState();
        PixelSurface expected = start;
        SRand(i);
        PlainPuff(expected, c.buffer, c.x, c.y, c.radius, {c.density, c.power, c.mix});
        EXPECT_TRUE(expected == dib.Surface()) << "case " << i;
        EXPECT_EQ(RandState(), gdiNext) << "the generator ended elsewhere, case " << i;
    }
}

TEST(PuffKernels, EachKernelThisBuildCanRunGivesTheStraightforwardBytes) {
    EXPECT_EQ("", FirstKernelMismatch(PuffKernel::Portable, 300));
    if (SystemRunsSse2())
        EXPECT_EQ("", FirstKernelMismatch(PuffKernel::Sse2, 300));
    else
        ADD_FAILURE() << "this machine cannot run the SSE2 kernel, so it went untested";
}

}  // namespace
