#include "dialog_bitmaps.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "pictures/picture_scaler.h"
#include "win32/bitmap_format.h"
#include "win32/scoped_handles.h"

namespace {

// A picture control keeps the bitmap it was created with in its user data
// while it shows a fitted one: every fitting starts again from that one.
HBITMAP OriginalBitmap(HWND control) { return reinterpret_cast<HBITMAP>(GetWindowLongPtrA(control, GWLP_USERDATA)); }

void KeepOriginalBitmap(HWND control, HBITMAP bitmap) {
    SetWindowLongPtrA(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(bitmap));
}

bool IsPictureControl(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    const char* base = name;  // a versioned class name ends in its plain one
    for (const char* c = name; *c; ++c)
        if (*c == '!') base = c + 1;
    const char kStatic[] = "static";
    for (size_t i = 0; i < sizeof kStatic; ++i)
        if ((base[i] | 0x20) != (kStatic[i] | 0x20)) return false;  // the zero bytes as well
    return (GetWindowLongA(window, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP;
}

void FlipRows(std::vector<uint32_t>& pixels, uint32_t width, uint32_t height) {
    for (uint32_t top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(pixels.begin() + size_t{top} * width, pixels.begin() + size_t{top + 1} * width,
                         pixels.begin() + size_t{bottom} * width);
}

HBITMAP FittedCopy(HBITMAP original, const BITMAP& shape, int width, int height) {
    if (width <= 0 || height <= 0) return nullptr;
    const uint32_t sourceWidth = shape.bmWidth, sourceHeight = shape.bmHeight;
    WindowDC screen(nullptr);
    if (!screen.get()) return nullptr;
    std::vector<uint32_t> pixels(size_t{sourceWidth} * sourceHeight);
    // 32 bits a pixel, rows bottom-up: the form every system's GDI reads and
    // writes. The top byte stays zero, so no system takes the copy for a
    // picture with transparency.
    BITMAPINFO format = BitmapFormat(shape.bmWidth, shape.bmHeight);
    if (GetDIBits(screen.get(), original, 0, sourceHeight, pixels.data(), &format, DIB_RGB_COLORS) != shape.bmHeight)
        return nullptr;
    FlipRows(pixels, sourceWidth, sourceHeight);
    std::vector<uint32_t> fitted = ScalePicture(pixels, sourceWidth, sourceHeight, width, height);
    if (fitted.empty()) return nullptr;
    FlipRows(fitted, width, height);
    BITMAPINFO targetFormat = BitmapFormat(width, height);
    void* bits = nullptr;
    HBITMAP copy = CreateDIBSection(screen.get(), &targetFormat, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (copy && bits) std::memcpy(bits, fitted.data(), fitted.size() * sizeof fitted[0]);
    GdiFlush();
    return copy;
}

// The bitmap's own proportions, as large as the frame holds them; its own
// size where that is within a pixel of it, as the rounding of dialog units
// leaves it at the scale the bitmap was drawn for.
SIZE FittedSize(const BITMAP& shape, int frameWidth, int frameHeight) {
    SIZE size = {frameWidth, MulDiv(frameWidth, shape.bmHeight, shape.bmWidth)};
    if (size.cy > frameHeight) size = {MulDiv(frameHeight, shape.bmWidth, shape.bmHeight), frameHeight};
    if (std::abs(size.cx - shape.bmWidth) <= 1 && std::abs(size.cy - shape.bmHeight) <= 1)
        size = {shape.bmWidth, shape.bmHeight};
    return size;
}

void FitPicture(HWND control) {
    HBITMAP shown = reinterpret_cast<HBITMAP>(SendMessageA(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
    HBITMAP original = OriginalBitmap(control);
    if (!original) original = shown;
    BITMAP shape = {};
    RECT frame = {};
    if (!original || !GetObjectA(original, sizeof shape, &shape) || shape.bmWidth <= 0 || shape.bmHeight <= 0 ||
        !GetWindowRect(control, &frame))
        return;
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&frame), 2);
    const int frameWidth = frame.right - frame.left, frameHeight = frame.bottom - frame.top;
    const SIZE size = FittedSize(shape, frameWidth, frameHeight);
    // Where the control took the bitmap's size (systems that scale no
    // dialog) or the frame holds it as it is, the bitmap stays.
    const bool asDrawn = size.cx == shape.bmWidth && size.cy == shape.bmHeight;
    HBITMAP wanted = asDrawn ? original : FittedCopy(original, shape, size.cx, size.cy);
    if (!wanted) return;
    if (size.cx != frameWidth || size.cy != frameHeight)
        SetWindowPos(control, nullptr, frame.left + (frameWidth - size.cx) / 2, frame.top + (frameHeight - size.cy) / 2,
                     size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    if (wanted == shown) return;
    KeepOriginalBitmap(control, original);
    HBITMAP previous =
        reinterpret_cast<HBITMAP>(SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(wanted)));
    if (previous && previous != original) DeleteObject(previous);
}

void ReleasePicture(HWND control) {
    HBITMAP original = OriginalBitmap(control);
    if (!original) return;
    KeepOriginalBitmap(control, nullptr);
    HBITMAP previous = reinterpret_cast<HBITMAP>(
        SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(original)));
    if (previous && previous != original) DeleteObject(previous);
}

void ForEachPictureControl(HWND dialog, void (*action)(HWND control)) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsPictureControl(child)) action(child);
}

}  // namespace

void FitDialogBitmaps(HWND dialog) { ForEachPictureControl(dialog, FitPicture); }

void ReleaseDialogBitmaps(HWND dialog) { ForEachPictureControl(dialog, ReleasePicture); }
