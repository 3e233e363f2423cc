#include "config_preview.h"

#include "core/settings_values.h"
#include "fog/fog_engine.h"
#include "resources/resource.h"
#include "win32/scoped_handles.h"

namespace {

void CopyScreenCorner(HDC canvas, int width, int height) {
    WindowDC screen(nullptr, WindowDC::WholeWindow);
    BitBlt(canvas, 0, 0, width, height, screen.get(), 0, 0, SRCCOPY);
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

}  // namespace

void DrawPreview(HWND dialog) {
    HWND control = GetDlgItem(dialog, IDC_CONFIG_PREVIEW);
    WindowDC target(control);
    RECT client = {};
    GetClientRect(control, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;

    MemoryCanvas canvas(target.get(), width, height);
    if (!canvas.ready()) return;
    PaintPreviewBackground(control, canvas.dc(), width, height);
    // The radius is Ray itself, not the worker's random radius below it.
    theFog.FogPuffPixels(canvas.dc(), width >> 1, height >> 1, theFog.Ray);
    BitBlt(target.get(), 0, 0, width, height, canvas.dc(), 0, 0, SRCCOPY);
}
