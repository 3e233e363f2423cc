// What the configuration dialog's picture controls show, against the
// bitmaps they are made from.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "win32/bitmap_format.h"

struct ShownPicture {
    SIZE drawn;    // the resource bitmap
    SIZE image;    // the bitmap the control shows
    SIZE control;  // the control's client area
    size_t drawnColours, imageColours;
};

inline size_t Colours(HBITMAP bitmap, SIZE size) {
    std::vector<DWORD> pixels(size.cx * size.cy);
    BITMAPINFO format = BitmapFormat(size.cx, size.cy);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, size.cy, pixels.data(), &format, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    for (DWORD& pixel : pixels) pixel &= 0xFFFFFF;
    std::sort(pixels.begin(), pixels.end());
    return std::unique(pixels.begin(), pixels.end()) - pixels.begin();
}

inline SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP shape = {};
    GetObjectA(bitmap, sizeof shape, &shape);
    return {shape.bmWidth, shape.bmHeight};
}

// The two picture controls in template order: the first cause's, the second's.
inline std::vector<ShownPicture> ShownPictures(HWND dialog) {
    std::vector<ShownPicture> pictures;
    const int drawn[] = {IDB_CONFIG_CAUSE1, IDB_CONFIG_CAUSE2};
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP || pictures.size() == 2) continue;
        HBITMAP original =
            static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(drawn[pictures.size()]),
                                            IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        HBITMAP image = reinterpret_cast<HBITMAP>(SendMessageA(child, STM_GETIMAGE, IMAGE_BITMAP, 0));
        RECT client = {};
        GetClientRect(child, &client);
        ShownPicture picture = {BitmapSize(original), BitmapSize(image), {client.right, client.bottom}, 0, 0};
        picture.drawnColours = Colours(original, picture.drawn);
        picture.imageColours = Colours(image, picture.image);
        DeleteObject(original);
        pictures.push_back(picture);
    }
    return pictures;
}

inline std::string Describe(const ShownPicture& p) {
    auto size = [](SIZE s) { return std::to_string(s.cx) + "x" + std::to_string(s.cy); };
    return "drawn " + size(p.drawn) + " (" + std::to_string(p.drawnColours) + " colours), shown " + size(p.image) +
           " (" + std::to_string(p.imageColours) + " colours) in a control of " + size(p.control);
}

// The picture fills its control, in the drawing's proportions (to a pixel).
inline bool FillsItsControl(const ShownPicture& p) {
    const long acrossAtDrawnHeight = MulDiv(p.image.cy, p.drawn.cx, p.drawn.cy);
    return p.image.cx == p.control.cx && p.image.cy == p.control.cy && std::abs(acrossAtDrawnHeight - p.image.cx) <= 1;
}
