// What both kernels of the buffer puff share: moving a pixel within the
// working square, in batches, and whether a ring can leave the square.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "puff_square.h"

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

}  // namespace puff_detail
