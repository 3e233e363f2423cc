// The buffer path's working square: a 24-bit bottom-up bitmap of
// PuffSide x PuffSide pixels (blue, green, red), centred on the puff, in
// which the puff runs before the square goes back to the surface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fog_puff.h"

// Far beyond the dialog's largest square (596 pixels); keeps the buffer
// near 50 MB at worst, whatever Power and the radius say.
constexpr int32_t kMaxPuffReach = 2048;

// The square is side pixels on each edge and the puff's
// centre sits at (half, half) of the buffer, which is surface pixel
// (x, y - 1).
struct PuffSquare {
    int32_t side;
    int32_t half;
    // 3 bytes a pixel, plus 4 spare bytes at the end so that any pixel can
    // be read as one 32-bit word.
    size_t BufferBytes() const { return 3 * static_cast<size_t>(side) * static_cast<size_t>(side) + 4; }
};

// T = trunc((Power + 1) x R); side = 2 x (T with its low bit cleared) + 4.
// A radius of 0 or less gives the 4 x 4 square. The reach is never less
// than the radius (the ring points themselves must lie inside) and never
// more than kMaxPuffReach; a point put beyond the square is dropped.
PuffSquare ComputePuffSquare(double power, int32_t radius);

// Top-left surface pixel of the square; false when it lies so far out
// that no surface can meet it (its coordinates would not fit an int).
bool PuffSquareOrigin(const PuffSquare& square, int32_t x, int32_t y, int32_t& left, int32_t& top);

inline size_t BufferPixelOffset(int32_t side, int32_t X, int32_t Y) {
    return 3 * (static_cast<size_t>(side) * static_cast<size_t>(Y) + static_cast<size_t>(X));
}

// The pixel's 3 bytes as blue | green << 8 | red << 16.
inline uint32_t GetBufferPixel(const uint8_t* buffer, int32_t side, int32_t X, int32_t Y) {
    const uint8_t* pixel = buffer + BufferPixelOffset(side, X, Y);
    return pixel[0] | static_cast<uint32_t>(pixel[1]) << 8 | static_cast<uint32_t>(pixel[2]) << 16;
}

inline void SetBufferPixel(uint8_t* buffer, int32_t side, int32_t X, int32_t Y, uint32_t value) {
    uint8_t* pixel = buffer + BufferPixelOffset(side, X, Y);
    pixel[0] = static_cast<uint8_t>(value);
    pixel[1] = static_cast<uint8_t>(value >> 8);
    pixel[2] = static_cast<uint8_t>(value >> 16);
}

// Three parts of the old colour to one of the new, byte by byte, rounded
// down: (3a + b) >> 2 is the rounded-down mean of a and the rounded-down
// mean of a and b, and a rounded-down mean of bytes takes four word
// operations.
[[gnu::always_inline]] inline uint32_t FloorMeanOfBytes(uint32_t a, uint32_t b) {
    return (a & b) + (((a ^ b) & 0xFEFEFEu) >> 1);
}
[[gnu::always_inline]] inline uint32_t BlendBufferValues(uint32_t old, uint32_t value) {
    old &= 0xFFFFFFu;
    return FloorMeanOfBytes(old, FloorMeanOfBytes(old, value & 0xFFFFFFu));
}

// The same blend one byte at a time, as the values are defined.
inline void BlendBufferPixel(uint8_t* buffer, int32_t side, int32_t X, int32_t Y, uint32_t value) {
    const uint32_t old = GetBufferPixel(buffer, side, X, Y);
    uint32_t result = 0;
    for (int shift = 0; shift < 24; shift += 8)
        result |= ((3 * (old >> shift & 0xFFu) + (value >> shift & 0xFFu)) >> 2) << shift;
    SetBufferPixel(buffer, side, X, Y, result);
}
