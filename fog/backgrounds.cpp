// PaintBackground: fills the saver window from the source BackgroundMode
// names, always stretched to the window's client size.
#include "backgrounds.h"

#include "../core/settings_values.h"
#include "fog_engine.h"
#include "picture_preparer.h"
#include "random_image.h"
#include "../win32/scoped_handles.h"

namespace {

// Other windows get this long to repaint what the saver covered.
constexpr DWORD kUncoverPauseMs = 2000;

SIZE ClientSize(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    return {client.right, client.bottom};
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
    const SIZE windowSize = ClientSize(window);
    const SIZE desktopSize = ClientSize(desktop);
    StretchBlt(surface, 0, 0, windowSize.cx, windowSize.cy, screen.get(), 0, 0, desktopSize.cx, desktopSize.cy,
               SRCCOPY);
}

void PaintDesktopBackground(HWND window, HDC surface) {
    const SIZE windowSize = ClientSize(window);
    const SIZE desktopSize = ClientSize(GetDesktopWindow());
    MemoryCanvas copy(surface, desktopSize.cx, desktopSize.cy);
    if (!copy.ready()) return;
    PaintDesktop(copy.dc());
    StretchBlt(surface, 0, 0, windowSize.cx, windowSize.cy, copy.dc(), 0, 0, desktopSize.cx, desktopSize.cy, SRCCOPY);
}

// The pictures read on another thread when they are ready (the saver
// procedure has them read), read here and now otherwise. The desktop shows
// in every area that got no picture.
void PaintRandomImages(HWND window, HDC surface) {
    std::vector<AreaPicture> pictures;
    if (!TakePreparedPictures(pictures)) pictures = LoadRandomPictures(PictureAreas(window));
    if (!EveryAreaHasAPicture(pictures)) PaintDesktopBackground(window, surface);
    PaintAreaPictures(surface, pictures);
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
