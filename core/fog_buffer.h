// The buffer path's working square: a 24-bit bottom-up bitmap of
// PuffSide x PuffSide pixels (blue, green, red), centred on the puff, in
// which the puff runs before the square goes back to the surface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// x86-64 always has SSE2; the i686 build (x87) takes the portable path.
#if defined(__SSE2__) && defined(__x86_64__)
#define ZORV_PUFF_SSE2 1
#include <emmintrin.h>
#endif

#include "fog_puff.h"

// Far beyond the dialog's largest square (596 pixels); keeps the buffer
// near 50 MB at worst, whatever Power and the radius say.
constexpr int32_t kMaxPuffReach = 2048;

// PuffSide and e: the square is side pixels on each edge and the puff's
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
inline uint32_t FloorMeanOfBytes(uint32_t a, uint32_t b) { return (a & b) + (((a ^ b) & 0xFEFEFEu) >> 1); }
inline uint32_t BlendBufferValues(uint32_t old, uint32_t value) {
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

namespace puff_detail {

// One 32-bit load in place of three byte loads; the buffer's spare bytes
// keep it inside for the last pixel.
inline uint32_t LoadBufferPixel(const uint8_t* pixel) {
    uint32_t word;
    std::memcpy(&word, pixel, sizeof word);
    return word & 0xFFFFFFu;  // the buffer's byte order is little-endian on every target
}

inline void StoreBufferPixel(uint8_t* pixel, uint32_t value) {
    pixel[0] = static_cast<uint8_t>(value);
    pixel[1] = static_cast<uint8_t>(value >> 8);
    pixel[2] = static_cast<uint8_t>(value >> 16);
}

template <bool kMix>
inline void MovePixel(const uint8_t* source, uint8_t* target) {
    const uint32_t value = LoadBufferPixel(source);
    StoreBufferPixel(target, kMix ? BlendBufferValues(LoadBufferPixel(target), value) : value);
}

// A target offset t lands on buffer column half + trunc(t), inside the
// square only for -half - 1 < t < half; a point whose target lies outside
// is dropped. A ring whose farthest possible target, (largest f) x (ring
// + 1), stays inside needs no test at all, and that is every ring of a
// puff within the dialog's ranges. Ring points themselves always lie
// inside: the square reaches at least one pixel beyond the radius.
inline bool RingStaysInside(const PuffPlan& plan, const PuffSquare& square, int32_t ring) {
    const double largestFactor = kRandMax * plan.factorStep + 1.0;
    return plan.factorStep >= 0.0 && largestFactor * (ring + 1.0) < square.half;
}

// Offsets are taken from the buffer's centre pixel (half, half); the
// offset alone is truncated, as the buffer path defines it.
template <bool kMix, bool kTestTarget>
struct PortableMover {
    uint8_t* centre;
    ptrdiff_t rowBytes;
    double ring;
    double low;
    double high;

    void operator()(const PuffAngle& angle, double f) const {
        const double dx = ring * angle.cos;
        const double dy = ring * angle.sin;
        const double targetX = f * dx;
        const double targetY = f * dy;
        if (kTestTarget && !(targetX > low && targetX < high && targetY > low && targetY < high)) return;
        MovePixel<kMix>(centre + rowBytes * static_cast<int32_t>(dy) + 3 * static_cast<int32_t>(dx),
                        centre + rowBytes * static_cast<int32_t>(targetY) + 3 * static_cast<int32_t>(targetX));
    }
};

#if defined(ZORV_PUFF_SSE2)
// The same arithmetic on (x, y) pairs: one multiply for both offsets, one
// for both targets, and the two byte offsets 3 x column + row bytes x row
// from one multiply-add of the four coordinates packed as 16-bit numbers
// (every coordinate is within 4100 of the centre, the row size within
// 12300 bytes).
template <bool kMix, bool kTestTarget>
struct Sse2Mover {
    uint8_t* centre;
    __m128d ring;
    __m128d low;
    __m128d high;
    __m128i byteWeights;

    void operator()(const PuffAngle& angle, double f) const {
        const __m128d offset = _mm_mul_pd(ring, _mm_load_pd(&angle.cos));
        const __m128d target = _mm_mul_pd(_mm_set1_pd(f), offset);
        if (kTestTarget && _mm_movemask_pd(_mm_and_pd(_mm_cmplt_pd(low, target), _mm_cmplt_pd(target, high))) != 3)
            return;
        const __m128i coordinates = _mm_unpacklo_epi64(_mm_cvttpd_epi32(target), _mm_cvttpd_epi32(offset));
        const int64_t bytes = _mm_cvtsi128_si64(_mm_madd_epi16(_mm_packs_epi32(coordinates, coordinates), byteWeights));
        MovePixel<kMix>(centre + (bytes >> 32), centre + static_cast<int32_t>(bytes));
    }
};
#endif

template <bool kMix>
inline void PuffBufferPortable(uint8_t* buffer, const PuffSquare& square, const PuffPlan& plan) {
    const int32_t half = square.half;
    const ptrdiff_t rowBytes = 3 * static_cast<ptrdiff_t>(square.side);
    uint8_t* centre = buffer + rowBytes * half + 3 * half;
    for (int32_t n = plan.radius; n >= 1; --n) {
        if (RingStaysInside(plan, square, n))
            DrawPuffRing(plan, PortableMover<kMix, false>{centre, rowBytes, double(n), -half - 1.0, double(half)});
        else
            DrawPuffRing(plan, PortableMover<kMix, true>{centre, rowBytes, double(n), -half - 1.0, double(half)});
    }
}

#if defined(ZORV_PUFF_SSE2)
template <bool kMix>
inline void PuffBufferSse2(uint8_t* buffer, const PuffSquare& square, const PuffPlan& plan) {
    const int32_t half = square.half;
    const ptrdiff_t rowBytes = 3 * static_cast<ptrdiff_t>(square.side);
    uint8_t* centre = buffer + rowBytes * half + 3 * half;
    const __m128d low = _mm_set1_pd(-half - 1.0);
    const __m128d high = _mm_set1_pd(half);
    const short rowWeight = static_cast<short>(rowBytes);
    const __m128i byteWeights = _mm_setr_epi16(3, rowWeight, 3, rowWeight, 3, rowWeight, 3, rowWeight);
    for (int32_t n = plan.radius; n >= 1; --n) {
        const __m128d ring = _mm_set1_pd(n);
        if (RingStaysInside(plan, square, n))
            DrawPuffRing(plan, Sse2Mover<kMix, false>{centre, ring, low, high, byteWeights});
        else
            DrawPuffRing(plan, Sse2Mover<kMix, true>{centre, ring, low, high, byteWeights});
    }
}
#endif

}  // namespace puff_detail

// Runs one puff on a working buffer of square.BufferBytes() bytes: for each
// point, the pixel at centre + trunc(offset) goes to centre + trunc(f x
// offset), blended 3:1 into what lies there when mix is set. A plan whose
// radius does not fit the square (never made by ComputePuffSquare for the
// same radius) draws nothing.
inline void PuffBuffer(uint8_t* buffer, const PuffSquare& square, const PuffPlan& plan, bool mix) {
    if (plan.pointsPerRing <= 0 || plan.radius >= square.half || square.side > 2 * (kMaxPuffReach + 2)) return;
#if defined(ZORV_PUFF_SSE2)
    if (mix)
        puff_detail::PuffBufferSse2<true>(buffer, square, plan);
    else
        puff_detail::PuffBufferSse2<false>(buffer, square, plan);
#else
    if (mix)
        puff_detail::PuffBufferPortable<true>(buffer, square, plan);
    else
        puff_detail::PuffBufferPortable<false>(buffer, square, plan);
#endif
}

// The same without the SSE2 arithmetic, as the i686 build runs it; the
// native tests check that both give the same bytes.
inline void PuffBufferPortable(uint8_t* buffer, const PuffSquare& square, const PuffPlan& plan, bool mix) {
    if (plan.pointsPerRing <= 0 || plan.radius >= square.half || square.side > 2 * (kMaxPuffReach + 2)) return;
    if (mix)
        puff_detail::PuffBufferPortable<true>(buffer, square, plan);
    else
        puff_detail::PuffBufferPortable<false>(buffer, square, plan);
}
