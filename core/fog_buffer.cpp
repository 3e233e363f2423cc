#include "fog_buffer.h"

#include <algorithm>
#include <cmath>

PuffSquare ComputePuffSquare(double power, int32_t radius) {
    const int32_t r = std::clamp(radius, 0, kMaxPuffRadius);
    double reach = (power + 1.0) * r;
    // A negative Power can push points inward or through the centre; a NaN
    // one sends them off the square, where they are dropped.
    if (std::isnan(reach)) reach = r;
    reach = std::fabs(reach);
    const int32_t t = reach >= kMaxPuffReach ? kMaxPuffReach : std::max(static_cast<int32_t>(reach), r);
    const int32_t side = 2 * (t & ~1) + 4;
    return {side, side / 2};
}

bool PuffSquareOrigin(const PuffSquare& square, int32_t x, int32_t y, int32_t& left, int32_t& top) {
    // Surfaces are far smaller than 2^30 pixels; beyond that the square
    // cannot show anything and its far edge might not fit an int.
    const int64_t limit = int64_t{1} << 30;
    const int64_t l = int64_t{x} - square.half;
    const int64_t t = int64_t{y} - square.half;
    if (l < -limit || l > limit || t < -limit || t > limit) return false;
    left = static_cast<int32_t>(l);
    top = static_cast<int32_t>(t);
    return true;
}
