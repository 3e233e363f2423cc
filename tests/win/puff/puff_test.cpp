// FogPuffPixels and FogPuffBuffer through real GDI under Wine, checked
// against the same arithmetic run on the in-memory surface, and the
// fogpuff.exe tool driven from outside.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "../../native/puff_test_support.h"
#include "bmp_file.h"
#include "fog/fog_engine.h"
#include "fog/puff_pixels.h"
#include "pixel_surface.h"
#include "test_support.h"
#include "trig.h"

namespace {

// A top-down 32-bit DIB section selected into a memory DC.
struct DibSurface {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    uint32_t* pixels = nullptr;  // 0x00RRGGBB
    int32_t width, height;

    DibSurface(int32_t w, int32_t h) : width(w), height(h) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        pixels = static_cast<uint32_t*>(bits);
        previous = SelectObject(dc, bitmap);
    }
    ~DibSurface() {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    void Load(const PixelSurface& image) {
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) pixels[y * width + x] = BufferValueFromColour(image.Get(x, y));
    }
    PixelSurface Read() {
        GdiFlush();
        PixelSurface image(width, height);
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) image.Set(x, y, ColourFromBufferValue(pixels[y * width + x]));
        return image;
    }
};

PixelSurface Noise(int32_t width, int32_t height, uint32_t seed) {
    PixelSurface image(width, height);
    SRand(seed);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) image.Set(x, y, uint32_t(Rand()) << 9 ^ uint32_t(Rand()));
    return image;
}

std::string FirstDifference(const PixelSurface& expected, const PixelSurface& actual) {
    for (int32_t y = 0; y < expected.Height(); ++y)
        for (int32_t x = 0; x < expected.Width(); ++x)
            if (expected.Get(x, y) != actual.Get(x, y)) {
                char text[96];
                snprintf(text, sizeof text, "first difference at (%d,%d): expected %06x, actual %06x", int(x), int(y),
                         unsigned(expected.Get(x, y)), unsigned(actual.Get(x, y)));
                return text;
            }
    return "none";
}

struct PuffCase {
    bool buffer;
    int32_t x, y, radius, density;
    double power;
    uint32_t mix;
};

void SetFog(const PuffCase& c) {
    theFog.Density = c.density;
    theFog.Power = c.power;
    theFog.MixPix = c.mix;
}

// The same puff through GDI and on the in-memory surface, from one seed.
void ExpectGdiMatchesCore(const PuffCase& c, uint32_t seed) {
    const PixelSurface start = Noise(160, 120, seed);
    DibSurface dib(160, 120);
    dib.Load(start);
    SetFog(c);
    SRand(seed);
    if (c.buffer)
        theFog.FogPuffBuffer(dib.dc, c.x, c.y, c.radius);
    else
        theFog.FogPuffPixels(dib.dc, c.x, c.y, c.radius);
    const int gdiNext = Rand();
    PixelSurface expected = start;
    SRand(seed);
    if (c.buffer)
        PuffBufferOnSurface(expected, c.x, c.y, c.radius, {c.density, c.power, c.mix});
    else
        PuffPixelsOnSurface(expected, c.x, c.y, c.radius, {c.density, c.power, c.mix});
    const PixelSurface actual = dib.Read();
    EXPECT_TRUE(expected == actual) << (c.buffer ? "buffer" : "pixels") << " centre " << c.x << "," << c.y << " radius "
                                    << c.radius << " mix " << c.mix << ": " << FirstDifference(expected, actual);
    EXPECT_EQ(Rand(), gdiNext) << "the generator ended elsewhere";
    if (c.radius > 1 && c.power > 0) {
        EXPECT_TRUE(actual != start) << "nothing drawn";
    }
}

TEST(PuffGdi, AngleTableWasFilledAtDoublePrecision) {
    // The table is filled before main() sets the x87 unit to 53 bits; it
    // must hold what TrigCos and TrigSin give at 53 bits, as natively.
    for (int a = 0; a <= kRandMax; ++a) {
        const double theta = a * kPuffAngleStep;
        ASSERT_EQ(TrigCos(theta), puffAngles[a].cos) << "draw " << a;
        ASSERT_EQ(TrigSin(theta), puffAngles[a].sin) << "draw " << a;
    }
}

TEST(PuffGdi, BothPathsDrawWhatTheCoreDraws) {
    const PuffCase cases[] = {
        // The pixel path's sources stay on the surface here: an unblended
        // failure value is the platform's to paint.
        {false, 80, 60, 25, 10, 1.0, 0}, {false, 80, 60, 40, 7, 2.0, 1}, {false, 3, 2, 30, 10, 1.5, 1},
        {true, 80, 60, 25, 10, 1.0, 0},  {true, 80, 60, 40, 7, 2.0, 1},  {true, 0, 0, 30, 10, 1.5, 1},
        {true, 159, 119, 35, 10, 2.0, 0}, {true, -20, 60, 35, 10, 2.0, 1}, {true, 80, 60, 99, 10, 2.0, 1},
    };
    uint32_t seed = 11;
    for (const PuffCase& c : cases) ExpectGdiMatchesCore(c, seed++);
}

TEST(PuffGdi, KnownPixelMovesOutwardOnBothPaths) {
    // Angle draw 0 and factor draw 32767 with Power 1.0 on ring 10: the
    // pixel 10 to the right of the centre goes 20 to the right. The buffer
    // path's centre pixel is the one above the centre.
    const uint32_t seed = SeedForDraws(0, kRandMax);
    for (bool buffer : {false, true}) {
        const int32_t row = buffer ? 99 : 100;
        DibSurface dib(200, 200);
        dib.Load(PixelSurface(200, 200, 0x000000));
        SetPixel(dib.dc, 110, row, RGB(255, 192, 0));
        SetFog({buffer, 100, 100, 10, 1, 1.0, 0});
        SRand(seed);
        if (buffer)
            theFog.FogPuffBuffer(dib.dc, 100, 100, 10);
        else
            theFog.FogPuffPixels(dib.dc, 100, 100, 10);
        GdiFlush();
        EXPECT_EQ(RGB(255, 192, 0), GetPixel(dib.dc, 120, row)) << (buffer ? "buffer" : "pixels");
        EXPECT_EQ(RGB(0, 0, 0), GetPixel(dib.dc, 120, buffer ? 100 : 99)) << (buffer ? "buffer" : "pixels");
    }
}

TEST(PuffGdi, BlendPixelTakesTheMeanOfEachByte) {
    DibSurface dib(4, 4);
    SetPixel(dib.dc, 1, 1, RGB(0, 0, 255));
    BlendPixel(dib.dc, 1, 1, RGB(1, 0, 0));
    EXPECT_EQ(RGB(0, 0, 127), GetPixel(dib.dc, 1, 1));
    SetPixel(dib.dc, 2, 2, RGB(16, 32, 48));
    BlendPixel(dib.dc, 2, 2, CLR_INVALID);  // a read off the surface: halfway to white
    EXPECT_EQ(RGB(135, 143, 151), GetPixel(dib.dc, 2, 2));
    BlendPixel(dib.dc, 9, 9, RGB(255, 255, 255));  // off the surface: nothing, no fault
}

TEST(PuffGdi, RadiusZeroOrOneChangesNothingAndDrawsNoNumber) {
    for (int32_t radius : {0, 1, -4}) {
        for (bool buffer : {false, true}) {
            const PixelSurface start = Noise(40, 40, 5);
            DibSurface dib(40, 40);
            dib.Load(start);
            SetFog({buffer, 20, 20, radius, 10, 2.0, 1});
            SRand(5);
            const int first = Rand();
            SRand(5);
            if (buffer)
                theFog.FogPuffBuffer(dib.dc, 20, 20, radius);
            else
                theFog.FogPuffPixels(dib.dc, 20, 20, radius);
            EXPECT_EQ(first, Rand()) << "radius " << radius << (buffer ? " buffer" : " pixels");
            EXPECT_TRUE(start == dib.Read()) << "radius " << radius << (buffer ? " buffer" : " pixels");
        }
    }
}

TEST(PuffGdi, HostileSettingsEndSoonAndStayOnTheSurface) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        int32_t x, y, radius, density;
        double power;
        bool changes;
    } cases[] = {
        {40, 40, 30, 10, nan, false},       {40, 40, 30, 10, 1e30, false},  {40, 40, 30, 10, -3.0, true},
        {INT32_MIN, INT32_MAX, 30, 10, 2.0, false}, {40, 40, INT32_MAX, INT32_MAX, 2.0, true},
    };
    for (const auto& c : cases) {
        const PixelSurface start = Noise(80, 80, 9);
        DibSurface dib(80, 80);
        dib.Load(start);
        SetFog({true, c.x, c.y, c.radius, c.density, c.power, 1});
        SRand(1);
        const DWORD begin = GetTickCount();
        theFog.FogPuffBuffer(dib.dc, c.x, c.y, c.radius);
        EXPECT_LT(GetTickCount() - begin, 20000u) << "power " << c.power;
        EXPECT_EQ(c.changes, start != dib.Read()) << "power " << c.power << " centre " << c.x;
    }
}

TEST(PuffGdi, BufferPathWorksOnAWindow) {
    HWND window = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 200, 150, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(nullptr, window);
    PumpMessagesFor(200);
    HDC dc = GetDC(window);
    const PixelSurface start = Noise(200, 150, 21);
    DibSurface dib(200, 150);
    dib.Load(start);
    BitBlt(dc, 0, 0, 200, 150, dib.dc, 0, 0, SRCCOPY);
    SetFog({true, 100, 75, 40, 10, 2.0, 1});
    SRand(21);
    theFog.FogPuffBuffer(dc, 100, 75, 40);
    BitBlt(dib.dc, 0, 0, 200, 150, dc, 0, 0, SRCCOPY);
    ReleaseDC(window, dc);
    DestroyWindow(window);
    PixelSurface expected = start;
    SRand(21);
    PuffBufferOnSurface(expected, 100, 75, 40, {10, 2.0, 1});
    const PixelSurface actual = dib.Read();
    EXPECT_TRUE(expected == actual) << FirstDifference(expected, actual);
}

// --- fogpuff.exe from outside ---

std::string ToolPath() { return "\"" + DistPath("fogpuff.exe") + "\""; }

TEST(PuffTool, DrawsLikeTheEngineAndRefusesBadInput) {
    const std::string folder = ScratchFolder();
    const std::string in = folder + "\\in.bmp", out = folder + "\\out.bmp", junk = folder + "\\junk.bmp";
    std::string error;
    const PixelSurface start = Noise(90, 70, 33);
    ASSERT_TRUE(WriteBmpFile(in, start, error)) << error;
    FILE* file = fopen(junk.c_str(), "wb");
    ASSERT_NE(nullptr, file);
    fputs("BMnot a picture", file);
    fclose(file);
    const std::string options = " --path buffer --x 45 --y 35 --radius 30 --density 10 --power 2 --mix 1 --seed 8 --count 2";

    EXPECT_EQ(0u, RunProcess(ToolPath() + " \"" + in + "\" \"" + out + "\"" + options));
    PixelSurface drawn;
    ASSERT_TRUE(ReadBmpFile(out, drawn, error)) << error;
    DibSurface dib(90, 70);
    dib.Load(start);
    SetFog({true, 45, 35, 30, 10, 2.0, 1});
    SRand(8);
    theFog.FogPuffBuffer(dib.dc, 45, 35, 30);
    theFog.FogPuffBuffer(dib.dc, 45, 35, 30);
    const PixelSurface expected = dib.Read();
    EXPECT_TRUE(expected == drawn) << FirstDifference(expected, drawn);

    EXPECT_EQ(1u, RunProcess(ToolPath() + " \"" + junk + "\" \"" + out + "\"" + options));
    EXPECT_EQ(1u, RunProcess(ToolPath() + " \"" + folder + "\\missing.bmp\" \"" + out + "\"" + options));
    EXPECT_EQ(2u, RunProcess(ToolPath() + " \"" + in + "\" \"" + out + "\" --path sideways"));
    EXPECT_EQ(2u, RunProcess(ToolPath()));
    DeleteFileA(in.c_str());
    DeleteFileA(out.c_str());
    DeleteFileA(junk.c_str());
    RemoveDirectoryA(folder.c_str());
}

}  // namespace
