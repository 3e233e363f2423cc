// The buffer path: the square the puff can reach is copied into a 24-bit
// DIB section, fogged there in place and copied back, so the device is
// touched twice per puff instead of once or twice per point.
#include <windows.h>

#include "core/fog_buffer.h"
#include "fog_engine.h"
#include "win32/bitmap_format.h"
#include "win32/processor_features.h"
#include "win32/scoped_handles.h"

namespace {

// The square as a 24-bit bottom-up bitmap, with one spare row on top: the
// rows of the square come first in memory, and the spare row holds the
// bytes past the last pixel that a 32-bit read of that pixel touches.
BITMAPINFO DescribeSquare(int side) {
    return BitmapFormat(side, side + 1, 24);  // positive: rows bottom-up
}

const PuffKernel bufferKernel = SystemRunsSse2() ? PuffKernel::Sse2 : PuffKernel::Portable;

}  // namespace

PuffKernel BufferPuffKernel() { return bufferKernel; }

void FogEngine::FogPuffBuffer(HDC surface, int32_t x, int32_t y, int32_t radius) {
    const PuffSettings settings{Density, Power, MixPix};
    const PuffSquare square = ComputePuffSquare(settings.power, radius);
    int32_t left = 0;
    int32_t top = 0;
    if (!PuffSquareOrigin(square, x, y, left, top)) return;  // too far out for any surface
    const int side = square.side;

    // Whatever cannot be had (a bitmap of a hand-edited size) skips the
    // puff; whatever was had is given back.
    DibCanvas canvas(surface, DescribeSquare(side));
    if (!canvas.ready()) return;
    // The square goes below the spare row: bitmap rows 1..side.
    if (!BitBlt(canvas.dc(), 0, 1, side, side, surface, left, top, SRCCOPY)) return;
    GdiFlush();  // the copy must be in the bits before they are read

    PuffBuffer(static_cast<uint8_t*>(canvas.bits()), square, MakePuffPlan(settings, radius), settings.mixPix != 0,
               bufferKernel);

    BitBlt(surface, left, top, side, side, canvas.dc(), 0, 1, SRCCOPY);
}
