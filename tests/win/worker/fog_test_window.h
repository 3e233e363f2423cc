// A stand-in for the saver window, whose procedure counts the erase
// requests and hands every message to FogSaverProc as the saver's own
// procedure does; and the settings and picture helpers of the fog tests.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/settings_values.h"
#include "lab/pixel_surface.h"
#include "tests/win/support/test_support.h"
#include "win32/scoped_handles.h"

struct FogWindowLog {
    int erasesDuringClose = 0;
    int eraseDepth = 0, deepestErase = 0;  // erase requests one inside another
    bool inClose = false;
    std::function<void()> beforeClose;  // runs before FogSaverProc sees the close
    DWORD refreshPaintMs = 0;           // how long a paint after the first takes
    std::vector<DWORD> paintStarts, paintEnds;
};

// A popup for another run of the fog in this process: the paint flag is
// cleared first, as in a fresh process. The class brush is white, so that
// an erase that went on to DefWindowProcA would show.
HWND CreateFogWindow(FogWindowLog& log, int width, int height, bool visible);

constexpr DWORD kNever = 0xFFFFFFFF;  // Timeout -1
// The seven settings under HKCU\SOFTWARE\Zorv (Density 10, MixPix 1).
void StoreSettings(DWORD mode, DWORD delay, DWORD timeout, DWORD ray = 50, DWORD power = 100);
bool StoreImage(const std::string& path);  // the image list of one
// A 2 x 2 picture, one colour in each quadrant.
bool WriteBmp(const std::string& path, COLORREF topLeft, COLORREF topRight, COLORREF bottomLeft, COLORREF bottomRight);
// Whether the thread was created suspended and never resumed.
bool ThreadIsHeld(HANDLE thread);
// The window's pixels, as the worker sees them.
PixelSurface WindowSurface(HWND window, int width, int height);
// A picture of WriteBmp's red, green, blue and white quadrants, stretched
// upright over the whole size (distorted, never cropped or letter-boxed).
void ExpectQuadrants(const PixelSurface& seen, int tolerance);

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kMagenta = RGB(255, 0, 255);

// A 32-bit top-down off-screen picture with its own device context.
class Canvas {
public:
    Canvas(int width, int height, COLORREF colour = kMagenta);
    explicit Canvas(const PixelSurface& picture);
    HDC dc() const { return dib_.dc(); }
    void Fill(COLORREF colour);
    PixelSurface Surface() const;
    COLORREF Pixel(int x, int y) const {
        GdiFlush();
        return ColourFromBufferValue(bits()[y * width_ + x]);
    }
    int Count(COLORREF colour) const;

private:
    uint32_t* bits() const { return static_cast<uint32_t*>(dib_.bits()); }  // 0x00RRGGBB
    int width_, height_;
    DibCanvas dib_;
};
