// FogPuffPixels and FogPuffBuffer through real GDI under Wine, checked
// against the same arithmetic run on the in-memory surface.
#include <gtest/gtest.h>

#include <limits>

#include "../../native/puff_test_support.h"
#include "fog/fog_engine.h"
#include "pixel_surface.h"
#include "test_support.h"
#include "trig.h"

namespace {

TEST(PuffGdi, AngleTableWasFilledAtDoublePrecision) {
    // The table is filled before main() sets the x87 unit to 53 bits; it
    // must hold what TrigCos and TrigSin give at 53 bits, as natively.
    for (int a = 0; a <= kRandMax; ++a) {
        ASSERT_EQ(TrigCos(a * kPuffAngleStep), puffAngles[a].cos) << "draw " << a;
        ASSERT_EQ(TrigSin(a * kPuffAngleStep), puffAngles[a].sin) << "draw " << a;
    }
}

// A picture in a top-down 32-bit DIB section selected into a memory DC.
struct DibSurface {
    const int32_t width, height;
    HDC dc = CreateCompatibleDC(nullptr);
    uint32_t* pixels = nullptr;  // 0x00RRGGBB
    BITMAPINFO info{{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&pixels), nullptr, 0);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    explicit DibSurface(const PixelSurface& image) : width(image.Width()), height(image.Height()) {
        for (int32_t i = 0; i < width * height; ++i) pixels[i] = BufferValueFromColour(image.Get(i % width, i / width));
    }
    ~DibSurface() {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    PixelSurface Read() {
        GdiFlush();
        PixelSurface image(width, height);
        for (int32_t i = 0; i < width * height; ++i) image.Set(i % width, i / width, ColourFromBufferValue(pixels[i]));
        return image;
    }
};

TEST(PuffGdi, BothPathsDrawWhatTheCoreDrawsAndRadiusZeroNothing) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        bool buffer;
        int32_t x, y, radius, density;
        double power;
        uint32_t mix;
    } cases[] = {
        // The pixel path's sources stay on the surface here: an unblended
        // failure value is the platform's to paint.
        {false, 80, 60, 25, 10, 1.0, 0}, {false, 80, 60, 40, 7, 2.0, 1}, {false, 3, 2, 30, 10, 1.5, 1},
        {true, 80, 60, 25, 10, 1.0, 0},  {true, 80, 60, 40, 7, 2.0, 1},  {true, 0, 0, 30, 10, 1.5, 1},
        {true, 159, 119, 35, 10, 2.0, 0}, {true, -20, 60, 35, 10, 2.0, 1}, {true, 80, 60, 99, 10, 2.0, 1},
        // Radius 0 or 1: nothing changes, no number is drawn.
        {true, 80, 60, 0, 10, 2.0, 1}, {true, 80, 60, 1, 10, 2.0, 0}, {false, 80, 60, 0, 10, 2.0, 1},
        // Hostile settings.
        {true, 80, 60, 30, 10, nan, 1}, {true, 80, 60, 30, 10, 1e30, 1}, {true, 80, 60, 30, 10, -3.0, 1},
        {true, INT32_MIN, INT32_MAX, 30, 10, 2.0, 1}, {true, 80, 60, INT32_MAX, INT32_MAX, 2.0, 1},
    };
    for (uint32_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const auto& c = cases[i];
        const PixelSurface start = Noise(160, 120, i);
        DibSurface dib(start);
        theFog.Density = c.density;
        theFog.Power = c.power;
        theFog.MixPix = c.mix;
        SRand(i);
        c.buffer ? theFog.FogPuffBuffer(dib.dc, c.x, c.y, c.radius) : theFog.FogPuffPixels(dib.dc, c.x, c.y, c.radius);
        const int gdiNext = Rand();
        PixelSurface expected = start;
        SRand(i);
        (c.buffer ? PuffBufferOnSurface : PuffPixelsOnSurface)(expected, c.x, c.y, c.radius, {c.density, c.power, c.mix});
        EXPECT_TRUE(expected == dib.Read()) << "case " << i;
        EXPECT_EQ(Rand(), gdiNext) << "the generator ended elsewhere, case " << i;
        SRand(i);
        EXPECT_TRUE(c.radius > 1 || (start == dib.Read() && Rand() == gdiNext)) << "radius " << c.radius << ", case " << i;
    }
}

}  // namespace
