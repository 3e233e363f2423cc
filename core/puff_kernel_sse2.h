// The buffer puff's SSE2 kernel. Every x86 build carries it: x86-64 always
// has SSE2, and the i686 build runs it only where the processor and the
// system have it (its own code is compiled for the x87 unit, for the 95
// family's processors).
#pragma once

#if defined(__x86_64__) || defined(__i386__)
#define ZORV_PUFF_SSE2 1
#include <emmintrin.h>

#include "puff_moves.h"

namespace puff_detail {

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

}  // namespace puff_detail
#endif
