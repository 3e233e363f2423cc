// The buffer path's puff: one puff on a working square (puff_square.h),
// by the kernel the processor and the system allow.
#pragma once

#include <cstdint>

#include "puff_kernel_portable.h"
#include "puff_kernel_sse2.h"
#include "puff_square.h"

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
