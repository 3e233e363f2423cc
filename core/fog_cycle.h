// The animation worker's two decisions in each cycle: whether the
// background is due for a refresh, and where the next puff goes.
#pragma once

#include <cstdint>

constexpr uint32_t kTicksPerSecond = 1000;

// True when more whole seconds than `timeout` have passed from `last` to
// `now` (tick counts in milliseconds). The difference is taken unsigned, so
// a tick counter that wrapped in between still gives the true time; the
// timeout is compared unsigned too, so -1 and every other negative value
// lie beyond any elapsed time and never refresh.
bool BackgroundRefreshDue(uint32_t now, uint32_t last, int32_t timeout);
// Milliseconds from `now` until BackgroundRefreshDue first holds (0 when it
// does already); UINT32_MAX when it never will.
uint32_t MsUntilRefreshDue(uint32_t now, uint32_t last, int32_t timeout);

struct PuffPlace {
    int32_t x;
    int32_t y;
    int32_t radius;
};

// Draws the puff's radius (below `ray`), then y (below `height`), then x
// (below `width`) from the calling thread's generator. When any of the
// three is 0 there is nothing to pick from: no number is drawn and the
// result is false. Negative bounds keep the remainder's sign rule (the
// result lies in 0..|bound| - 1).
bool PickPuffPlace(int32_t ray, int32_t width, int32_t height, PuffPlace& place);
