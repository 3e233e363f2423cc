// The buffer puff's portable kernel, which the i686 build runs on the x87
// unit: what every processor runs.
#pragma once

#include <cstdint>

#include "puff_moves.h"

namespace puff_detail {

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
inline void TruncOffsetAndTarget(double offset, double f, const double& tableEntry, int32_t& source, int32_t& target) {
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

}  // namespace puff_detail
