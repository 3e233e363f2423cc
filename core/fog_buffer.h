// The buffer path's working square: a 24-bit bottom-up bitmap of
// PuffSide x PuffSide pixels (blue, green, red), centred on the puff, in
// which the puff runs before the square goes back to the surface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Every x86 build carries the SSE2 kernel: x86-64 always has SSE2, and
// the i686 build runs it only where the processor and the system have it
// (its own code is compiled for the x87 unit, for the 95 family's
// processors).
#if defined(__x86_64__) || defined(__i386__)
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
[[gnu::always_inline]] inline uint32_t FloorMeanOfBytes(uint32_t a, uint32_t b) { return (a & b) + (((a ^ b) & 0xFEFEFEu) >> 1); }
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

namespace puff_detail {

// The pixel moves are always inlined, also into the SSE2 kernel, which
// the i686 build compiles for other instructions than the rest.

// One 32-bit load in place of three byte loads; the buffer's spare bytes
// keep it inside for the last pixel.
[[gnu::always_inline]] inline uint32_t LoadBufferPixel(const uint8_t* pixel) {
    uint32_t word;
    std::memcpy(&word, pixel, sizeof word);
    return word & 0xFFFFFFu;  // the buffer's byte order is little-endian on every target
}

[[gnu::always_inline]] inline void StoreBufferPixel(uint8_t* pixel, uint32_t value) {
    pixel[0] = static_cast<uint8_t>(value);
    pixel[1] = static_cast<uint8_t>(value >> 8);
    pixel[2] = static_cast<uint8_t>(value >> 16);
}

template <bool kMix>
[[gnu::always_inline]] inline void MovePixel(const uint8_t* source, uint8_t* target) {
    const uint32_t value = LoadBufferPixel(source);
    StoreBufferPixel(target, kMix ? BlendBufferValues(LoadBufferPixel(target), value) : value);
}

// The moves of a puff are made in batches: first the byte offsets of a
// batch of points are worked out, then their pixels are moved, in the same
// order. Moves whose addresses are known early run at the speed of memory;
// made one by one behind their arithmetic, a read that may meet the write
// of the point before keeps the processor guessing, and a wrong guess
// costs more than the point.
constexpr int kMoveBatch = 64;

template <bool kMix>
class MoveBatch {
public:
    explicit MoveBatch(uint8_t* centre) : centre_(centre) {}
    ~MoveBatch() { Flush(); }
    MoveBatch(const MoveBatch&) = delete;
    MoveBatch& operator=(const MoveBatch&) = delete;

    [[gnu::always_inline]] void Add(ptrdiff_t source, ptrdiff_t target) {
        moves_[count_] = {source, target};
        if (++count_ == kMoveBatch) Flush();
    }
    [[gnu::always_inline]] void Flush() {
        for (int i = 0; i < count_; ++i) MovePixel<kMix>(centre_ + moves_[i].source, centre_ + moves_[i].target);
        count_ = 0;
    }

private:
    struct Move {
        ptrdiff_t source;
        ptrdiff_t target;
    };
    uint8_t* centre_;
    int count_ = 0;
    Move moves_[kMoveBatch];
};

// A ring that needs no test runs in the same batches without a MoveBatch:
// its loop works out a batch of points' byte offsets into a local array
// (each point's target, then its source) and hands them here. Everything
// such a loop keeps lives in locals, which no pixel write can touch, so
// nothing goes to memory and back between points.
template <bool kMix>
[[gnu::always_inline]] inline void MoveAtOffsets(uint8_t* centre, const int32_t* offsets, int32_t count) {
    for (int32_t i = 0; i < count; ++i) MovePixel<kMix>(centre + offsets[2 * i + 1], centre + offsets[2 * i]);
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

#if defined(__i386__) && !defined(__SSE2_MATH__)
// The x87 unit converts a double to an integer in the rounding mode of its
// control word, so a plain conversion changes that word twice, which costs
// more than the rest of a point. Rounding to nearest comes for free
// instead: added to 2^52 + 2^51, a value below 2^31 in magnitude leaves
// its rounded value in the low word of the sum, and the sum less the same
// number is that rounded value as a double. Where the rounding went away
// from zero, one step back toward zero gives the truncation. Exact at the
// 53-bit precision the fog runs at (every thread that puffs sets it).
constexpr double kRoundingShift = 6755399441055744.0;

inline int32_t TruncCoordinate(double value) {
    const double shifted = value + kRoundingShift;
    int32_t rounded;
    std::memcpy(&rounded, &shifted, sizeof rounded);
    const double back = shifted - kRoundingShift;
    rounded -= (back > value) & (rounded > 0);
    rounded += (back < value) & (rounded < 0);
    return rounded;
}

// The same for a value of zero or more: one comparison.
inline int32_t TruncMagnitude(double magnitude) {
    const double shifted = magnitude + kRoundingShift;
    int32_t rounded;
    std::memcpy(&rounded, &shifted, sizeof rounded);
    return rounded - (shifted - kRoundingShift > magnitude);
}

// trunc(offset) and trunc(f x offset) for f >= 1, both of the sign of the
// angle's cosine or sine (the ring is positive), which the sign bit of the
// table entry gives without the x87 unit: the truncations run on
// magnitudes, and the sign is put on after.
inline void TruncOffsetAndTarget(double offset, double f, const double& tableEntry, int32_t& source,
                                 int32_t& target) {
    uint32_t high;
    std::memcpy(&high, reinterpret_cast<const char*>(&tableEntry) + 4, sizeof high);
    const int32_t sign = static_cast<int32_t>(high) >> 31;  // 0 or -1
    const double magnitude = __builtin_fabs(offset);
    source = (TruncMagnitude(magnitude) ^ sign) - sign;
    target = (TruncMagnitude(f * magnitude) ^ sign) - sign;
}
#else
inline int32_t TruncCoordinate(double value) { return static_cast<int32_t>(value); }

inline void TruncOffsetAndTarget(double offset, double f, const double&, int32_t& source, int32_t& target) {
    source = static_cast<int32_t>(offset);
    target = static_cast<int32_t>(f * offset);
}
#endif

// Offsets are taken from the buffer's centre pixel (half, half); the
// offset alone is truncated, as the buffer path defines it.

// A ring whose targets may leave the square: each point is tested.
template <bool kMix>
struct OuterRingMover {
    MoveBatch<kMix>* moves;
    ptrdiff_t rowBytes;
    double ring;
    double low;
    double high;

    void operator()(const PuffAngle& angle, double f) const {
        const double dx = ring * angle.cos;
        const double dy = ring * angle.sin;
        const double targetX = f * dx;
        const double targetY = f * dy;
        if (!(targetX > low && targetX < high && targetY > low && targetY < high)) return;
        moves->Add(rowBytes * TruncCoordinate(dy) + 3 * TruncCoordinate(dx),
                   rowBytes * TruncCoordinate(targetY) + 3 * TruncCoordinate(targetX));
    }
};

// A ring that needs no test has f >= 1 (RingStaysInside).
template <bool kMix>
inline void PuffInnerRingPortable(const PuffPlan& plan, uint8_t* centre, int32_t rowBytes, int32_t n) {
    const double ring = n;
    const double factorStep = plan.factorStep;
    alignas(16) int32_t offsets[2 * kMoveBatch];
    RandSequence draws;
    for (int32_t left = static_cast<int32_t>(plan.pointsPerRing); left > 0;) {  // see DrawPuffRing
        const int32_t count = left < kMoveBatch ? left : kMoveBatch;
        left -= count;
        for (int32_t i = 0; i < count; ++i) {
            __builtin_prefetch(&puffAngles[draws.PeekFirstAhead<8>()]);  // see DrawPuffRing
            const RandPair pair = draws.NextPair();
            const PuffAngle& angle = puffAngles[pair.first];
            const double f = pair.second * factorStep + 1.0;
            int32_t sourceX, sourceY, targetX, targetY;
            TruncOffsetAndTarget(ring * angle.cos, f, angle.cos, sourceX, targetX);
            TruncOffsetAndTarget(ring * angle.sin, f, angle.sin, sourceY, targetY);
            offsets[2 * i] = rowBytes * targetY + 3 * targetX;
            offsets[2 * i + 1] = rowBytes * sourceY + 3 * sourceX;
        }
        MoveAtOffsets<kMix>(centre, offsets, count);
    }
}

template <bool kMix>
inline void PuffBufferPortable(uint8_t* buffer, const PuffSquare& square, const PuffPlan& plan) {
    const int32_t half = square.half;
    const int32_t rowBytes = 3 * square.side;
    uint8_t* centre = buffer + rowBytes * half + 3 * half;
    for (int32_t n = plan.radius; n >= 1; --n) {
        if (RingStaysInside(plan, square, n)) {
            PuffInnerRingPortable<kMix>(plan, centre, rowBytes, n);
        } else {
            MoveBatch<kMix> moves(centre);
            DrawPuffRing(plan, OuterRingMover<kMix>{&moves, rowBytes, double(n), -half - 1.0, double(half)});
        }
    }
}

#if defined(ZORV_PUFF_SSE2)
// The SSE2 kernel. On i686 only this part is compiled for SSE2, and only
// code that has asked the system runs it; what it calls of the rest
// (the generator) is inlined into it or stays x87 code.
#pragma GCC push_options
#pragma GCC target("sse2")

// The same arithmetic on (x, y) pairs, the factor included: one multiply
// for both offsets, one for both targets, and the two byte offsets 3 x
// column + row bytes x row from one multiply-add of the four coordinates
// packed as 16-bit numbers (every coordinate is within 4100 of the
// centre, the row size within 12300 bytes).
[[gnu::always_inline]] inline __m128i ByteOffsets(__m128i target, __m128i offset, __m128i byteWeights) {
    const __m128i coordinates = _mm_unpacklo_epi64(target, offset);
    return _mm_madd_epi16(_mm_packs_epi32(coordinates, coordinates), byteWeights);  // target, source
}

// A ring whose targets may leave the square: each point is tested.
template <bool kMix>
inline void PuffOuterRingSse2(const PuffPlan& plan, uint8_t* centre, int32_t n, __m128d low, __m128d high,
                              __m128i byteWeights) {
    const __m128d ring = _mm_set1_pd(n);
    const __m128d factorStep = _mm_set_sd(plan.factorStep);
    const __m128d one = _mm_set_sd(1.0);
    const int32_t points = static_cast<int32_t>(plan.pointsPerRing);  // see DrawPuffRing
    MoveBatch<kMix> moves(centre);
    RandSequence draws;
    for (int32_t i = 0; i < points; ++i) {
        const RandPair pair = draws.NextPair();
        __m128d f = _mm_add_sd(_mm_mul_sd(_mm_cvtsi32_sd(one, pair.second), factorStep), one);
        f = _mm_unpacklo_pd(f, f);
        const __m128d offset = _mm_mul_pd(ring, _mm_load_pd(&puffAngles[pair.first].cos));
        const __m128d target = _mm_mul_pd(f, offset);
        if (_mm_movemask_pd(_mm_and_pd(_mm_cmplt_pd(low, target), _mm_cmplt_pd(target, high))) != 3) continue;
        const __m128i bytes = ByteOffsets(_mm_cvttpd_epi32(target), _mm_cvttpd_epi32(offset), byteWeights);
        moves.Add(_mm_cvtsi128_si32(_mm_srli_si128(bytes, 4)), _mm_cvtsi128_si32(bytes));
    }
}

// What working out a point of a ring needs, in registers.
struct InnerRingSse2 {
    __m128d ring;
    __m128d factorStep;
    __m128d one;
    __m128i byteWeights;
};

// The next two points' byte offsets into `slot`: target, source, target,
// source. Both factors come from one conversion, and all four offsets
// from one multiply-add and one store.
[[gnu::always_inline]] inline void WorkOutTwoPoints(const InnerRingSse2& c, RandSequence& draws, int32_t* slot) {
    const RandPairs pairs = draws.NextTwoPairs();
    const __m128d f = _mm_add_pd(
        _mm_mul_pd(_mm_cvtepi32_pd(_mm_set_epi32(0, 0, pairs.two.second, pairs.one.second)), c.factorStep), c.one);
    const __m128d offsetOne = _mm_mul_pd(c.ring, _mm_load_pd(&puffAngles[pairs.one.first].cos));
    const __m128d offsetTwo = _mm_mul_pd(c.ring, _mm_load_pd(&puffAngles[pairs.two.first].cos));
    const __m128d targetOne = _mm_mul_pd(_mm_unpacklo_pd(f, f), offsetOne);
    const __m128d targetTwo = _mm_mul_pd(_mm_unpackhi_pd(f, f), offsetTwo);
    const __m128i one = _mm_unpacklo_epi64(_mm_cvttpd_epi32(targetOne), _mm_cvttpd_epi32(offsetOne));
    const __m128i two = _mm_unpacklo_epi64(_mm_cvttpd_epi32(targetTwo), _mm_cvttpd_epi32(offsetTwo));
    _mm_store_si128(reinterpret_cast<__m128i*>(slot), _mm_madd_epi16(_mm_packs_epi32(one, two), c.byteWeights));
}

// One point's, for a ring's odd last point: target, source.
[[gnu::always_inline]] inline void WorkOutOnePoint(const InnerRingSse2& c, RandSequence& draws, int32_t* slot) {
    const RandPair pair = draws.NextPair();
    const __m128d f = _mm_add_pd(_mm_mul_pd(_mm_set1_pd(pair.second), c.factorStep), c.one);
    const __m128d offset = _mm_mul_pd(c.ring, _mm_load_pd(&puffAngles[pair.first].cos));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(slot),
                     ByteOffsets(_mm_cvttpd_epi32(_mm_mul_pd(f, offset)), _mm_cvttpd_epi32(offset), c.byteWeights));
}

// A ring that needs no test, two points at a time.
template <bool kMix>
inline void PuffInnerRingSse2(const PuffPlan& plan, uint8_t* centre, int32_t n, __m128i byteWeights) {
    const InnerRingSse2 c = {_mm_set1_pd(n), _mm_set1_pd(plan.factorStep), _mm_set1_pd(1.0), byteWeights};
    alignas(16) int32_t offsets[2 * kMoveBatch];
    RandSequence draws;
    for (int32_t left = static_cast<int32_t>(plan.pointsPerRing); left > 0;) {  // see DrawPuffRing
        const int32_t count = left < kMoveBatch ? left : kMoveBatch;
        left -= count;
        const int32_t paired = count & ~1;
        for (int32_t i = 0; i < paired; i += 2) WorkOutTwoPoints(c, draws, &offsets[2 * i]);
        if (paired < count) WorkOutOnePoint(c, draws, &offsets[2 * paired]);
        MoveAtOffsets<kMix>(centre, offsets, count);
    }
}

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
        if (RingStaysInside(plan, square, n))
            PuffInnerRingSse2<kMix>(plan, centre, n, byteWeights);
        else
            PuffOuterRingSse2<kMix>(plan, centre, n, low, high, byteWeights);
    }
}

#pragma GCC pop_options
#endif

}  // namespace puff_detail

// Which code runs the buffer puff: the portable kernel (x87 arithmetic on
// i686) or the SSE2 kernel. Both give the same bytes.
enum class PuffKernel { Portable, Sse2 };

// The kernel a build can always run: SSE2 on x86-64, portable elsewhere.
// An i686 program asks the system before it chooses SSE2.
#if defined(__x86_64__)
constexpr PuffKernel kPuffKernelAlwaysThere = PuffKernel::Sse2;
#else
constexpr PuffKernel kPuffKernelAlwaysThere = PuffKernel::Portable;
#endif

// Runs one puff on a working buffer of square.BufferBytes() bytes: for each
// point, the pixel at centre + trunc(offset) goes to centre + trunc(f x
// offset), blended 3:1 into what lies there when mix is set. A plan whose
// radius does not fit the square (never made by ComputePuffSquare for the
// same radius) draws nothing.
inline void PuffBuffer(uint8_t* buffer, const PuffSquare& square, const PuffPlan& plan, bool mix,
                       PuffKernel kernel = kPuffKernelAlwaysThere) {
    if (plan.pointsPerRing <= 0 || plan.radius >= square.half || square.side > 2 * (kMaxPuffReach + 2)) return;
#if defined(ZORV_PUFF_SSE2)
    if (kernel == PuffKernel::Sse2) {
        if (mix)
            puff_detail::PuffBufferSse2<true>(buffer, square, plan);
        else
            puff_detail::PuffBufferSse2<false>(buffer, square, plan);
        return;
    }
#endif
    if (mix)
        puff_detail::PuffBufferPortable<true>(buffer, square, plan);
    else
        puff_detail::PuffBufferPortable<false>(buffer, square, plan);
}
