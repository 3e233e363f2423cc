// The settings as stored and as shown: registry names, load defaults, the
// dialog's ranges and the conversions between a setting and its stored
// number or control position. Every place that checks a value uses these.
#pragma once

#include <cstdint>

constexpr const char kSettingsKeyPath[] = "SOFTWARE\\Zorv";
constexpr const char kImagesKeyPath[] = "SOFTWARE\\Zorv\\Images";

// Value names, in the order in which they are read and written.
constexpr const char kDensityValue[] = "Density";
constexpr const char kPowerValue[] = "Power";
constexpr const char kMixPixValue[] = "MixPix";
constexpr const char kRayValue[] = "Ray";
constexpr const char kBackgroundModeValue[] = "BackgroundMode";
constexpr const char kDelayValue[] = "Delay";
constexpr const char kTimeoutValue[] = "Timeout";

enum BackgroundModeValue : int32_t {
    CurrentDesktopImage = 0,
    DesktopBackground = 1,
    RandomImage = 2,
};

// What LoadSettings puts in place before it reads anything.
struct LoadDefaults {
    static constexpr int32_t Density = 10;
    static constexpr double Power = 1.0;
    static constexpr int32_t Ray = 50;
    static constexpr uint32_t MixPix = 1;
    static constexpr int32_t Delay = 0;
    static constexpr int32_t Timeout = -1;
    static constexpr int32_t BackgroundModeOnNT = DesktopBackground;
    static constexpr int32_t BackgroundModeOn9x = CurrentDesktopImage;
};

constexpr int32_t kTimeoutNever = -1;
constexpr int32_t kTimeoutWhenTicked = 60;

struct SettingRange {
    int32_t low;
    int32_t high;
};
constexpr SettingRange kDensityRange{1, 10};
constexpr SettingRange kBlurRange{0, 100};
constexpr SettingRange kStrengthRange{10, 100};
constexpr SettingRange kSpeedRange{0, 2000};
constexpr SettingRange kRefreshSecondsRange{30, 3600};

// Stored "Power" is hundredths, read as an unsigned number.
double PowerFromStored(uint32_t stored);
// Power x 100, rounded to the nearest integer (not truncated).
uint32_t PowerToStored(double power);

// The Blur slider shows (Power - 1) x 100 rounded; it sets Power = p x 0.01 + 1.
int32_t BlurPositionFromPower(double power);
double PowerFromBlurPosition(int32_t position);

// The Speed slider runs from slow (0 = 2000 ms) to fast (2000 = 0 ms).
int32_t SpeedPositionFromDelay(int32_t delay);
int32_t DelayFromSpeedPosition(int32_t position);
