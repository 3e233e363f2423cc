// PaintBackground: fills the saver window from the source BackgroundMode
// names, always stretched to the window's client size.
#include "backgrounds.h"

#include "../core/settings_values.h"
#include "fog_engine.h"

namespace {

// Other windows get this long to repaint what the saver covered.
constexpr DWORD kUncoverPauseMs = 2000;

SIZE ClientSize(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    return {client.right, client.bottom};
}

struct ScreenContext {
    HDC dc = GetWindowDC(nullptr);
    ~ScreenContext() {
        if (dc) ReleaseDC(nullptr, dc);
    }
};

struct MemoryContext {
    HDC dc;
    explicit MemoryContext(HDC compatibleWith) : dc(CreateCompatibleDC(compatibleWith)) {}
    ~MemoryContext() {
        if (dc) DeleteDC(dc);
    }
};

// A bitmap selected into a memory context for its lifetime; the bitmap it
// replaced goes back before the new one is deleted.
struct SelectedBitmap {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ replaced = nullptr;
    SelectedBitmap(HDC into, HBITMAP made) : dc(into), bitmap(made) {
        if (bitmap) replaced = SelectObject(dc, bitmap);
    }
    ~SelectedBitmap() {
        if (replaced) SelectObject(dc, replaced);
        if (bitmap) DeleteObject(bitmap);
    }
};

void PaintCurrentDesktopImage(HWND window, HDC surface) {
    // Step aside without a repaint of our own, so that what lies beneath
    // shows again on the screen.
    SendMessageA(window, WM_SETREDRAW, FALSE, 0);
    ShowWindow(window, SW_HIDE);
    HWND desktop = GetDesktopWindow();
    InvalidateRect(desktop, nullptr, TRUE);
    UpdateWindow(desktop);
    GdiFlush();
    Sleep(kUncoverPauseMs);
    ShowWindow(window, SW_SHOW);
    SendMessageA(window, WM_SETREDRAW, TRUE, 0);

    ScreenContext screen;
    const SIZE windowSize = ClientSize(window);
    const SIZE desktopSize = ClientSize(desktop);
    StretchBlt(surface, 0, 0, windowSize.cx, windowSize.cy, screen.dc, 0, 0, desktopSize.cx, desktopSize.cy,
               SRCCOPY);
}

void PaintDesktopBackground(HWND window, HDC surface) {
    MemoryContext copy(surface);
    const SIZE windowSize = ClientSize(window);
    const SIZE desktopSize = ClientSize(GetDesktopWindow());
    SelectedBitmap bitmap(copy.dc, CreateCompatibleBitmap(surface, desktopSize.cx, desktopSize.cy));
    PaintDesktop(copy.dc);
    StretchBlt(surface, 0, 0, windowSize.cx, windowSize.cy, copy.dc, 0, 0, desktopSize.cx, desktopSize.cy, SRCCOPY);
}

}  // namespace

void PaintBackground(HWND saverWindow, HDC surface) {
    switch (theFog.BackgroundMode) {
    case CurrentDesktopImage:
        PaintCurrentDesktopImage(saverWindow, surface);
        break;
    case DesktopBackground:
        PaintDesktopBackground(saverWindow, surface);
        break;
    case RandomImage:
        if (!theFog.PaintRandomImage(saverWindow, surface)) PaintDesktopBackground(saverWindow, surface);
        break;
    default:
        break;  // no source: the window keeps what it shows
    }
}
