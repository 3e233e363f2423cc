// The measure of the saver's mouse-move rule: how far the cursor stands
// from a reference position, horizontally plus vertically.
#pragma once

#include <cstdint>

struct CursorPoint {
    int32_t x;
    int32_t y;
};

// |to.x - from.x| + |to.y - from.y| in unsigned 32-bit arithmetic, so that
// positions far apart on a large virtual screen wrap instead of
// overflowing a signed number.
uint32_t CursorDistance(CursorPoint from, CursorPoint to);

// Whether the cursor has moved far enough to end the saver.
inline bool MovedBeyond(CursorPoint from, CursorPoint to, uint32_t threshold) {
    return CursorDistance(from, to) > threshold;
}
