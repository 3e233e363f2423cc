#include "cursor_distance.h"

namespace {

uint32_t UnsignedGap(int32_t a, int32_t b) {
    const uint32_t difference = static_cast<uint32_t>(b) - static_cast<uint32_t>(a);
    // Read as a signed difference; its magnitude, negated modulo 2^32.
    return static_cast<int32_t>(difference) < 0 ? 0u - difference : difference;
}

}  // namespace

uint32_t CursorDistance(CursorPoint from, CursorPoint to) {
    return UnsignedGap(from.x, to.x) + UnsignedGap(from.y, to.y);
}
