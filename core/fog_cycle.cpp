#include "fog_cycle.h"

#include "random.h"

bool BackgroundRefreshDue(uint32_t now, uint32_t last, int32_t timeout) {
    if (timeout == -1) return false;
    uint32_t elapsedSeconds = (now - last) / kTicksPerSecond;
    return elapsedSeconds > static_cast<uint32_t>(timeout);
}

bool PickPuffPlace(int32_t ray, int32_t width, int32_t height, PuffPlace& place) {
    if (ray == 0 || width == 0 || height == 0) return false;
    // Rand() is never negative, so no remainder here can overflow.
    place.radius = Rand() % ray;
    place.y = Rand() % height;
    place.x = Rand() % width;
    return true;
}
