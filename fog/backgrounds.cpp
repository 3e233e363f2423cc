// PaintBackground: fills the saver window from the source BackgroundMode
// names, each monitor for itself; what lies outside every monitor is black.
// PaintPreviewBackground: the same sources in the dialog's small preview.
#include "backgrounds.h"

#include "core/settings_values.h"
#include "fog_engine.h"
#include "picture_preparer.h"
#include "random_image.h"
#include "win32/monitors.h"
#include "win32/scoped_handles.h"

namespace {

// Other windows get this long to repaint what the saver covered.
constexpr DWORD kUncoverPauseMs = 2000;

RECT ClientArea(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    return client;
}

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

// What the screen copy takes, in the screen context's coordinates (its
// origin is the primary monitor's top-left): the whole virtual screen for
// the full-screen window, which covers exactly that and so gets it pixel for
// pixel; the desktop window (the primary monitor) for a preview, as always.
RECT ScreenToCopy(HWND window) {
    if (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) return ClientArea(GetDesktopWindow());
    return VirtualScreen();
}

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

    WindowDC screen(nullptr, WindowDC::WholeWindow);
    const RECT client = ClientArea(window), source = ScreenToCopy(window);
    StretchBlt(surface, 0, 0, client.right, client.bottom, screen.get(), source.left, source.top, Width(source),
               Height(source), SRCCOPY);
    BlackenOutside(surface, client, MonitorAreas(window));
}

// The desktop as the system paints it, at the desktop window's size (the
// primary monitor's), stretched to each monitor: that size is all the
// painter is sure to fill (Wine's fills no more), whatever the monitor's.
void PaintDesktopBackground(HWND window, HDC surface) {
    const RECT desktop = ClientArea(GetDesktopWindow());
    MemoryCanvas copy(surface, desktop.right, desktop.bottom);
    if (!copy.ready()) return;
    PaintDesktop(copy.dc());
    const std::vector<RECT> areas = MonitorAreas(window);
    for (const RECT& area : areas)
        StretchBlt(surface, area.left, area.top, Width(area), Height(area), copy.dc(), 0, 0, desktop.right,
                   desktop.bottom, SRCCOPY);
    BlackenOutside(surface, ClientArea(window), areas);
}

// The pictures read on another thread when they are ready (the saver
// procedure has them read), read here and now otherwise. The desktop shows
// in every area that got no picture.
void PaintRandomImages(HWND window, HDC surface) {
    std::vector<AreaPicture> pictures;
    if (!TakePreparedPictures(pictures)) pictures = LoadRandomPictures(PictureAreas(window));
    if (!EveryAreaHasAPicture(pictures)) PaintDesktopBackground(window, surface);
    PaintAreaPictures(surface, pictures);
    BlackenOutside(surface, ClientArea(window), PictureAreas(window));
}

void CopyScreenCorner(HDC canvas, int width, int height) {
    WindowDC screen(nullptr, WindowDC::WholeWindow);
    BitBlt(canvas, 0, 0, width, height, screen.get(), 0, 0, SRCCOPY);
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
        PaintRandomImages(saverWindow, surface);
        break;
    default:
        break;  // no source: the window keeps what it shows
    }
}

void PaintPreviewBackground(HWND control, HDC canvas, int width, int height) {
    // A compatible bitmap starts with undefined content; black is what
    // shows wherever no background is painted.
    PatBlt(canvas, 0, 0, width, height, BLACKNESS);
    switch (theFog.BackgroundMode) {
    case CurrentDesktopImage:
        CopyScreenCorner(canvas, width, height);
        break;
    case DesktopBackground:
        PaintDesktop(canvas);  // unscaled: the wallpaper's top-left corner
        break;
    case RandomImage:
        theFog.PaintRandomImage(control, canvas);  // no picture: black stays
        break;
    default:
        break;
    }
}
