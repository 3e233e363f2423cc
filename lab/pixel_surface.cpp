#include "pixel_surface.h"

#include <memory>
#include <new>

#include "core/fog_buffer.h"

PixelSurface::PixelSurface(int32_t width, int32_t height, uint32_t fill) {
    if (width <= 0 || height <= 0) return;
    width_ = width;
    height_ = height;
    pixels_.assign(static_cast<size_t>(width) * static_cast<size_t>(height), fill & 0xFFFFFFu);
}

void PuffPixelsOnSurface(PixelSurface& surface, int32_t x, int32_t y, int32_t radius, const PuffSettings& settings) {
    PuffPixels(surface, x, y, MakePuffPlan(settings, radius), settings.mixPix != 0);
}

namespace {

// Buffer row Y shows surface row top + side - 1 - Y: the rows are bottom-up.
template <class Transfer>
void ForEachSquarePixelOnSurface(const PixelSurface& surface, const PuffSquare& square, int32_t left, int32_t top,
                                 Transfer transfer) {
    for (int32_t Y = 0; Y < square.side; ++Y) {
        const int64_t surfaceY = int64_t{top} + square.side - 1 - Y;
        for (int32_t X = 0; X < square.side; ++X) {
            const int64_t surfaceX = int64_t{left} + X;
            if (surface.Contains(surfaceX, surfaceY))
                transfer(static_cast<int32_t>(surfaceX), static_cast<int32_t>(surfaceY), X, Y);
        }
    }
}

}  // namespace

void PuffBufferOnSurface(PixelSurface& surface, int32_t x, int32_t y, int32_t radius, const PuffSettings& settings) {
    const PuffSquare square = ComputePuffSquare(settings.power, radius);
    int32_t left = 0;
    int32_t top = 0;
    if (!PuffSquareOrigin(square, x, y, left, top)) return;
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[square.BufferBytes()]());
    if (!buffer) return;
    uint8_t* pixels = buffer.get();
    ForEachSquarePixelOnSurface(surface, square, left, top, [&](int32_t sx, int32_t sy, int32_t X, int32_t Y) {
        SetBufferPixel(pixels, square.side, X, Y, BufferValueFromColour(surface.Get(sx, sy)));
    });
    PuffBuffer(pixels, square, MakePuffPlan(settings, radius), settings.mixPix != 0);
    ForEachSquarePixelOnSurface(surface, square, left, top, [&](int32_t sx, int32_t sy, int32_t X, int32_t Y) {
        surface.Set(sx, sy, ColourFromBufferValue(GetBufferPixel(pixels, square.side, X, Y)));
    });
}
