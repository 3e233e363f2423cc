// fogpuff.exe: draws fog puffs on a BMP through the saver's own GDI code.
// The picture goes into a DIB section selected into a memory DC, the
// FogEngine draws on that DC exactly as it draws on a window, and the
// pixels come back out of the DIB section.
#include <windows.h>

#include <cstring>

#include "lab/fogpuff_tool.h"
#include "fog/fog_engine.h"
#include "win32/processor_features.h"

namespace {

// A top-down 32-bit DIB section of the picture's size, selected into a
// memory DC; released in reverse order.
struct PictureDc {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    uint32_t* pixels = nullptr;  // 0x00RRGGBB

    PictureDc(int32_t width, int32_t height) {
        BITMAPINFO info;
        ZeroMemory(&info, sizeof info);
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc = CreateCompatibleDC(nullptr);
        if (!dc) return;
        void* bits = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!bitmap) return;
        pixels = static_cast<uint32_t*>(bits);
        previous = SelectObject(dc, bitmap);
    }
    ~PictureDc() {
        if (previous) SelectObject(dc, previous);
        if (bitmap) DeleteObject(bitmap);
        if (dc) DeleteDC(dc);
    }
    bool Ready() const { return pixels && previous; }
    PictureDc(const PictureDc&) = delete;
    PictureDc& operator=(const PictureDc&) = delete;
};

bool DrawThroughGdi(PixelSurface& image, const FogPuffArgs& args, std::string& error) {
    const int32_t width = image.Width();
    const int32_t height = image.Height();
    PictureDc picture(width, height);
    if (!picture.Ready()) {
        error = "cannot make a drawing surface of " + std::to_string(width) + " x " + std::to_string(height);
        return false;
    }
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            picture.pixels[size_t(y) * size_t(width) + size_t(x)] = BufferValueFromColour(image.Get(x, y));
    theFog.Density = args.settings.density;
    theFog.Power = args.settings.power;
    theFog.MixPix = args.settings.mixPix;
    for (uint32_t i = 0; i < args.count; ++i) {
        if (args.path == PuffPath::Pixels)
            theFog.FogPuffPixels(picture.dc, args.x, args.y, args.radius);
        else
            theFog.FogPuffBuffer(picture.dc, args.x, args.y, args.radius);
    }
    GdiFlush();
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            image.Set(x, y, ColourFromBufferValue(picture.pixels[size_t(y) * size_t(width) + size_t(x)]));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    SetDoublePrecision();
    return RunFogPuffTool(argc, argv, DrawThroughGdi);
}
