#include "fog_test_window.h"

#include <algorithm>

#include "fog/fog_engine.h"
#include "host/saver_effect.h"
#include "lab/bmp_file.h"
#include "win32/bitmap_format.h"

namespace {

FogWindowLog* log = nullptr;  // of the window made last

LRESULT CALLBACK FogTestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const bool erase = message == WM_ERASEBKGND, close = message == WM_CLOSE;
    if (!(erase || close)) return FogSaverProc(window, message, wParam, lParam);
    if (close && log->beforeClose) log->beforeClose();
    const bool paint = erase && !theFog.BackgroundPainted;
    if (paint) {
        log->paintStarts.push_back(GetTickCount());
        if (log->paintStarts.size() > 1) Sleep(log->refreshPaintMs);
    }
    if (erase) {
        log->erasesDuringClose += log->inClose;
        log->deepestErase = std::max(log->deepestErase, ++log->eraseDepth);
    }
    log->inClose |= close;
    LRESULT result = FogSaverProc(window, message, wParam, lParam);
    if (paint) log->paintEnds.push_back(GetTickCount());
    if (erase) --log->eraseDepth;
    log->inClose &= !close;
    return result;
}

}  // namespace

HWND CreateFogWindow(FogWindowLog& windowLog, int width, int height, bool visible) {
    log = &windowLog;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = FogTestWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = "ZorvFogTestWindow";
    RegisterClassA(&windowClass);  // fails harmlessly when already registered
    host.isPreview = 1;            // no dismissal rules for the stand-in
    theFog.BackgroundPainted = 0;
    return CreateWindowExA(WS_EX_TOPMOST, windowClass.lpszClassName, "Fog test", WS_POPUP | (visible ? WS_VISIBLE : 0),
                           0, 0, width, height, nullptr, nullptr, windowClass.hInstance, nullptr);
}

void StoreSettings(DWORD mode, DWORD delay, DWORD timeout, DWORD ray, DWORD power) {
    WriteSettings({10, power, 1, ray, mode, delay, timeout});
}

bool StoreImage(const std::string& path) {
    return WriteBinary(kImagesKeyPath, "0", path.c_str(), path.size() + 1, REG_SZ);
}

bool WriteBmp(const std::string& path, COLORREF topLeft, COLORREF topRight, COLORREF bottomLeft, COLORREF bottomRight) {
    PixelSurface picture(2, 2);
    const COLORREF colours[4] = {topLeft, topRight, bottomLeft, bottomRight};
    for (int i = 0; i < 4; ++i) picture.Set(i % 2, i / 2, colours[i]);
    std::string error;
    return WriteBmpFile(path, picture, error);
}

bool ThreadIsHeld(HANDLE thread) {
    const DWORD previous = SuspendThread(thread);
    ResumeThread(thread);
    return previous != 0 && previous != static_cast<DWORD>(-1);
}

PixelSurface WindowSurface(HWND window, int width, int height) {
    Canvas copy(width, height);
    WindowDC dc(window);
    BitBlt(copy.dc(), 0, 0, width, height, dc.get(), 0, 0, SRCCOPY);
    return copy.Surface();
}

void ExpectQuadrants(const PixelSurface& seen, int tolerance) {
    const int right = seen.Width() - 1, bottom = seen.Height() - 1, nearX = right / 2 - 10, nearY = bottom / 2 - 5;
    const COLORREF colours[] = {kRed, kGreen, kBlue, kWhite};
    for (int q = 0; q < 4; ++q) {  // each quadrant's outer corner, and a point near the centre
        for (const POINT probe :
             {POINT{q % 2 * right, q / 2 * bottom}, POINT{nearX + q % 2 * 20, nearY + q / 2 * 10}}) {
            const uint32_t colour = seen.Get(probe.x, probe.y);
            for (int shift : {0, 8, 16})
                EXPECT_NEAR(colours[q] >> shift & 0xFF, colour >> shift & 0xFF, tolerance)
                    << probe.x << "," << probe.y << ": " << std::hex << colour;
        }
    }
}

Canvas::Canvas(int width, int height, COLORREF colour)
    : width_(width), height_(height), dib_(nullptr, TopDownBitmapFormat(width, height)) {
    Fill(colour);
}

Canvas::Canvas(const PixelSurface& picture) : Canvas(picture.Width(), picture.Height()) {
    GdiFlush();  // the fill first
    for (int i = 0; i < width_ * height_; ++i) bits()[i] = BufferValueFromColour(picture.Get(i % width_, i / width_));
}

void Canvas::Fill(COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    RECT all = {0, 0, width_, height_};
    FillRect(dc(), &all, brush);
    DeleteObject(brush);
}

PixelSurface Canvas::Surface() const {
    GdiFlush();
    PixelSurface surface(width_, height_);
    for (int i = 0; i < width_ * height_; ++i) surface.Set(i % width_, i / width_, ColourFromBufferValue(bits()[i]));
    return surface;
}

int Canvas::Count(COLORREF colour) const {
    GdiFlush();
    return static_cast<int>(std::count_if(bits(), bits() + width_ * height_,
                                          [&](uint32_t pixel) { return ColourFromBufferValue(pixel) == colour; }));
}
