#include "fog_cycle.h"

#include "random.h"

bool BackgroundRefreshDue(uint32_t now, uint32_t last, int32_t timeout) {
    if (timeout == -1) return false;
    uint32_t elapsedSeconds = (now - last) / kTicksPerSecond;
    return elapsedSeconds > static_cast<uint32_t>(timeout);
}

uint32_t MsUntilRefreshDue(uint32_t now, uint32_t last, int32_t timeout) {
    if (timeout == -1) return UINT32_MAX;
    // Due once timeout + 1 whole seconds have passed; a negative timeout
    // compares as a number beyond any tick count.
    const uint64_t dueAfter = (uint64_t{static_cast<uint32_t>(timeout)} + 1) * kTicksPerSecond;
    const uint32_t elapsed = now - last;
    if (dueAfter > UINT32_MAX) return UINT32_MAX;
    return elapsed >= dueAfter ? 0 : static_cast<uint32_t>(dueAfter - elapsed);
}

bool PickPuffPlace(int32_t ray, int32_t width, int32_t height, PuffPlace& place) {
    if (ray == 0 || width == 0 || height == 0) return false;
    // Rand() is never negative, so no remainder here can overflow.
    place.radius = Rand() % ray;
    place.y = Rand() % height;
    place.x = Rand() % width;
    return true;
}
