#include "config_preview.h"

#include "fog/backgrounds.h"
#include "fog/fog_engine.h"
#include "resources/resource.h"
#include "win32/scoped_handles.h"

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
