#include "settings_values.h"

#include <cmath>
#include <cstdint>

namespace {

// Round half away from zero into the 32-bit range, with NaN as 0: a
// hand-edited or corrupt value must not make the conversion undefined.
int64_t RoundClamped(double value, double low, double high) {
    if (std::isnan(value)) return 0;
    if (value <= low) return static_cast<int64_t>(low);
    if (value >= high) return static_cast<int64_t>(high);
    return static_cast<int64_t>(std::llround(value));
}

}  // namespace

double PowerFromStored(uint32_t stored) { return static_cast<double>(stored) * 0.01; }

uint32_t PowerToStored(double power) {
    // Written as a 32-bit integer; a negative power wraps as the platform's
    // signed-to-unsigned store would.
    int64_t rounded = RoundClamped(power * 100.0, -2147483648.0, 4294967295.0);
    return static_cast<uint32_t>(rounded);
}

int32_t BlurPositionFromPower(double power) {
    return static_cast<int32_t>(RoundClamped((power - 1.0) * 100.0, -2147483648.0, 2147483647.0));
}

double PowerFromBlurPosition(int32_t position) { return position * 0.01 + 1.0; }

int32_t SpeedPositionFromDelay(int32_t delay) {
    int64_t position = static_cast<int64_t>(kSpeedRange.high) - delay;
    return position > INT32_MAX ? INT32_MAX : static_cast<int32_t>(position);
}

int32_t DelayFromSpeedPosition(int32_t position) { return kSpeedRange.high - position; }
