// The buffer path: the square the puff can reach is copied into a memory
// bitmap, read out as 24-bit pixels, fogged in memory and put back, so the
// device is touched a handful of times per puff instead of per point.
#include <windows.h>

#include <cstdlib>

#include "core/fog_buffer.h"
#include "fog_engine.h"
#include "../win32/scoped_handles.h"

namespace {

// The working buffer, freed last: after the memory canvas it outlives.
struct WorkingBuffer {
    uint8_t* bytes;
    explicit WorkingBuffer(size_t size) : bytes(static_cast<uint8_t*>(std::malloc(size))) {}
    ~WorkingBuffer() { std::free(bytes); }
    WorkingBuffer(const WorkingBuffer&) = delete;
    WorkingBuffer& operator=(const WorkingBuffer&) = delete;
};

// The square as a 24-bit bottom-up bitmap: a header and one colour-table
// entry, all zero but for the fields that describe it.
BITMAPINFO DescribeSquare(int side) {
    static_assert(sizeof(BITMAPINFO) == 44, "header and one colour-table entry");
    BITMAPINFO info;
    ZeroMemory(&info, sizeof info);
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = side;
    info.bmiHeader.biHeight = side;  // positive: rows bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

}  // namespace

void FogEngine::FogPuffBuffer(HDC surface, int32_t x, int32_t y, int32_t radius) {
    const PuffSettings settings{Density, Power, MixPix};
    const PuffSquare square = ComputePuffSquare(settings.power, radius);
    int32_t left = 0;
    int32_t top = 0;
    if (!PuffSquareOrigin(square, x, y, left, top)) return;  // too far out for any surface
    const int side = square.side;

    // Whatever cannot be had (a buffer of a hand-edited size, a bitmap)
    // skips the puff; whatever was had is given back.
    WorkingBuffer buffer(square.BufferBytes());
    if (!buffer.bytes) return;
    MemoryCanvas memory(surface, side, side);
    if (!memory.ready()) return;

    BitBlt(memory.dc(), 0, 0, side, side, surface, left, top, SRCCOPY);
    BITMAPINFO info = DescribeSquare(side);
    const int rowsRead = GetDIBits(memory.dc(), memory.bitmap(), 0, side, buffer.bytes, &info, DIB_RGB_COLORS);
    GdiFlush();
    if (rowsRead == 0) return;  // nothing to fog, and no garbage to put back

    PuffBuffer(buffer.bytes, square, MakePuffPlan(settings, radius), settings.mixPix != 0);

    SetDIBits(memory.dc(), memory.bitmap(), 0, side, buffer.bytes, &info, DIB_RGB_COLORS);
    BitBlt(surface, left, top, side, side, memory.dc(), 0, 0, SRCCOPY);
}
