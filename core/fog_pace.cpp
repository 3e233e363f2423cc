#include "fog_pace.h"

#include <algorithm>

#include "fog_puff.h"

namespace {

constexpr uint64_t kOnePuff = 1000000000;  // credit is counted in billionths of a puff

// Billionths of a puff earned per millisecond: K puffs a second a million
// pixels is K x area billionths a millisecond. No window is larger than
// 2^32 pixels; the cap only keeps the products in 64 bits.
uint64_t CreditPerMs(uint64_t area) {
    return kPuffsPerSecondPerMegapixel * std::min<uint64_t>(area, uint64_t{1} << 32);
}

}  // namespace

uint64_t PaceArea(int32_t width, int32_t height, int32_t ray) {
    const uint64_t area = width > 0 && height > 0 ? uint64_t(width) * uint64_t(height) : 0;
    // Puffs never grow beyond kMaxPuffRadius, whatever a hand-edited Ray says.
    const uint64_t side = kPaceFloorRays * uint64_t(std::clamp(ray, 0, kMaxPuffRadius));
    return area == 0 ? 0 : std::max(area, side * side);
}

void FogPace::Advance(uint32_t now, uint64_t area) {
    const uint32_t elapsed = now - last_;  // unsigned: the tick counter may wrap
    last_ = now;
    const uint64_t perMs = CreditPerMs(area);
    if (perMs == 0) return;
    // However long the worker was held up, no more than the catch-up span's
    // puffs come due together (and one more, so that a slow pace keeps the
    // part of a puff that a late wake-up earned). Time beyond what could
    // reach that is not even multiplied, so the product stays in 64 bits.
    const uint64_t most = perMs * kLongestCatchUpMs + kOnePuff;
    const uint64_t counted = std::min<uint64_t>(elapsed, most / perMs + 1);
    credit_ = std::min(credit_ + perMs * counted, most);
}

uint32_t FogPace::TakeDue(int32_t delay) {
    const uint64_t most = delay == 0 ? UINT32_MAX : 1;
    const uint32_t due = static_cast<uint32_t>(std::min<uint64_t>(credit_ / kOnePuff, most));
    credit_ -= due * kOnePuff;
    return due;
}

uint32_t FogPace::MsUntilNextPuff(uint64_t area) const {
    const uint64_t perMs = CreditPerMs(area);
    if (perMs == 0) return kLongestPaceWaitMs;
    if (credit_ >= kOnePuff) return kShortestPaceWaitMs;
    const uint64_t ms = (kOnePuff - credit_ + perMs - 1) / perMs;
    return static_cast<uint32_t>(std::clamp<uint64_t>(ms, kShortestPaceWaitMs, kLongestPaceWaitMs));
}

uint32_t FogPace::NextWaitMs(int32_t delay, uint64_t area) const {
    return std::max(static_cast<uint32_t>(delay), MsUntilNextPuff(area));
}

void FogPace::Restart(uint32_t now) {
    last_ = now;
    credit_ = 0;
}
