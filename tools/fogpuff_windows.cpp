// fogpuff.exe: draws fog puffs on a BMP through the saver's own GDI code.
// The picture goes into a DIB section selected into a memory DC, the
// FogEngine draws on that DC exactly as it draws on a window, and the
// pixels come back out of the DIB section.
#include <windows.h>

#include <cstring>

#include "fog/fog_engine.h"
#include "lab/fogpuff_tool.h"
#include "win32/bitmap_format.h"
#include "win32/processor_features.h"
#include "win32/scoped_handles.h"

namespace {

bool DrawThroughGdi(PixelSurface& image, const FogPuffArgs& args, std::string& error) {
    const int32_t width = image.Width();
    const int32_t height = image.Height();
    DibCanvas picture(nullptr, TopDownBitmapFormat(width, height));
    if (!picture.ready()) {
        error = "cannot make a drawing surface of " + std::to_string(width) + " x " + std::to_string(height);
        return false;
    }
    uint32_t* const pixels = static_cast<uint32_t*>(picture.bits());  // 0x00RRGGBB
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            pixels[size_t(y) * size_t(width) + size_t(x)] = BufferValueFromColour(image.Get(x, y));
    theFog.Density = args.settings.density;
    theFog.Power = args.settings.power;
    theFog.MixPix = args.settings.mixPix;
    for (uint32_t i = 0; i < args.count; ++i) {
        if (args.path == PuffPath::Pixels)
            theFog.FogPuffPixels(picture.dc(), args.x, args.y, args.radius);
        else
            theFog.FogPuffBuffer(picture.dc(), args.x, args.y, args.radius);
    }
    GdiFlush();
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            image.Set(x, y, ColourFromBufferValue(pixels[size_t(y) * size_t(width) + size_t(x)]));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    SetDoublePrecision();
    return RunFogPuffTool(argc, argv, DrawThroughGdi);
}
