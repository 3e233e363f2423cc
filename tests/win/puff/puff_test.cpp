// The saver's own puffs, FogPuffPixels and FogPuffBuffer through real GDI
// in the saver's floating-point setting, against the puff written plainly
// from its rules: the same pixels and the same random draws.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "../../native/puff_test_support.h"
#include "fog/fog_engine.h"
#include "test_support.h"
#include "trig.h"

namespace {

uint32_t Mean(uint32_t old, uint32_t value, int oldShare) {  // per byte; shares of 2 or 4
    uint32_t result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t o = old >> shift & 0xFF, v = value >> shift & 0xFF;
        result |= (oldShare == 2 ? (o + v) >> 1 : (3 * o + v) >> 2) << shift;
    }
    return result;
}

// The pixel path straight on the picture; the buffer path on a copy of the
// square around the centre whose rows run bottom-up, pixels off the
// picture entering as black.
void PlainPuff(PixelSurface& picture, bool buffer, int32_t x, int32_t y, int32_t radius, const PuffSettings& s) {
    const int32_t reach = static_cast<int32_t>((s.power + 1) * radius), side = 2 * (reach & ~1) + 4, e = side / 2;
    std::vector<uint32_t> square(side * side);
    auto at = [&](int32_t X, int32_t Y, int32_t& px, int32_t& py) { px = x - e + X, py = y - e + side - 1 - Y; };
    int32_t px, py;
    for (int32_t i = 0; buffer && i < side * side; ++i)
        at(i % side, i / side, px, py), square[i] = picture.Contains(px, py) ? picture.Get(px, py) : 0;
    const double bound = double(int64_t{s.density} * radius) - s.density * std::sqrt(double(radius));
    for (int32_t n = radius; n >= 1; --n)
        for (int32_t i = 0; i < bound; ++i) {
            const double theta = Rand() * kPuffAngleStep, dx = n * TrigCos(theta), dy = n * TrigSin(theta);
            const double f = Rand() * (s.power * kPuffFactorStep) + 1;
            if (!buffer) {
                const uint32_t v = picture.Get(int32_t(x + dx), int32_t(y + dy));
                const int32_t tx = int32_t(x + f * dx), ty = int32_t(y + f * dy);
                picture.Set(tx, ty, s.mixPix ? Mean(picture.Get(tx, ty), v, 2) : v);
                continue;
            }
            const uint32_t v = square[(e + int32_t(dy)) * side + e + int32_t(dx)];
            uint32_t& target = square[(e + int32_t(f * dy)) * side + e + int32_t(f * dx)];
            target = s.mixPix ? Mean(target, v, 4) : v;
        }
    for (int32_t i = 0; buffer && i < side * side; ++i) at(i % side, i / side, px, py), picture.Set(px, py, square[i]);
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

TEST(PuffGdi, BothPathsDrawWhatThePlainRulesDraw) {
    const struct {
        bool buffer;
        int32_t x, y, radius, density;
        double power;
        uint32_t mix;
    } cases[] = {
        // The pixel path's sources stay on the picture here: an unblended
        // failure value is the platform's to paint.
        {false, 80, 60, 25, 10, 1.0, 0}, {false, 80, 60, 40, 7, 2.0, 1}, {false, 3, 2, 30, 10, 1.5, 1},
        {false, 80, 60, 12, 3, 1.16, 1}, {true, 80, 60, 25, 10, 1.0, 0}, {true, 80, 60, 40, 7, 2.0, 1},
        {true, 0, 0, 30, 10, 1.5, 1},    {true, 159, 119, 35, 10, 2.0, 0}, {true, -20, 60, 35, 10, 2.0, 1},
        {true, 80, 60, 99, 10, 2.0, 1},  {true, 80, 60, 12, 3, 1.16, 0},
        {true, 80, 60, 0, 10, 2.0, 1},   {true, 80, 60, 1, 10, 2.0, 0}, {false, 80, 60, 0, 10, 2.0, 1},
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
        const uint32_t gdiNext = RandState();
        PixelSurface expected = start;
        SRand(i);
        PlainPuff(expected, c.buffer, c.x, c.y, c.radius, {c.density, c.power, c.mix});
        EXPECT_TRUE(expected == dib.Read()) << "case " << i;
        EXPECT_EQ(RandState(), gdiNext) << "the generator ended elsewhere, case " << i;
        EXPECT_TRUE(c.radius > 1 || start == dib.Read()) << "case " << i;
    }
}

}  // namespace
