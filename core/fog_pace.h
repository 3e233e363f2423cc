// How fast the fog may gather: a ceiling on puffs per second that grows
// with the window's area, so that a haze takes minutes to gather on any
// screen and in any preview, however fast the processor.
//
// Every blended point loses a little brightness (the mean of two bytes is
// rounded down), so a picture fogged long enough goes dark. Drawn flat out
// on a processor of today, the default puffs halve a screen's brightness
// within half a minute. At the default settings 23,000 to 28,000 puffs a
// megapixel halve a photograph's brightness on screens from 400x300 to
// 3840x2160 (bench/fog_pace_bench), so 55 puffs a second a megapixel give
// a half-life of seven to eight and a half minutes (9.4 in a preview): a
// haze that gathers while one watches, which a refresh period of a few
// minutes renews, at under a tenth of a core on a 1920x1080 screen.
#pragma once

#include <cstdint>

constexpr uint32_t kPuffsPerSecondPerMegapixel = 55;

// In a window only a few puffs wide (a display-settings preview) much of
// each puff lands outside, and the same puffs a megapixel would take
// nearly twice as long to show there; such a window is paced as a square this
// many of the largest radii wide (150 pixels at the default Ray of 50),
// which keeps a preview's half-life within a third of a screen's.
constexpr int32_t kPaceFloorRays = 3;

// The area, in pixels, that sets the pace of a window of this size whose
// puffs have radii below `ray`.
uint64_t PaceArea(int32_t width, int32_t height, int32_t ray);

// The worker wakes at most every this many milliseconds, about twice the
// NT family's timer tick: puffs due in between are drawn together, so a
// fast pace needs no busy loop nor a finer timer, and wake-ups, which cost
// more than a puff, stay few. A Delay below it waits this long.
constexpr uint32_t kShortestPaceWaitMs = 30;
// After the worker was held up (a slow refresh, the display off), at most
// this much time is made up at once; the rest is forgotten.
constexpr uint32_t kLongestCatchUpMs = 100;
// The longest wait: a window too small for a puff a second (or with no
// area at all) still has its refresh test run every second.
constexpr uint32_t kLongestPaceWaitMs = 1000;

// Times in milliseconds of a 32-bit tick counter, wrap-safe; the area in
// pixels is passed with every call, as the window's size may change.
class FogPace {
public:
    explicit FogPace(uint32_t now) : last_(now) {}

    // Lets the time up to `now` count towards the next puffs.
    void Advance(uint32_t now, uint64_t area);
    // Takes the puffs to draw now: every one due at Delay 0, at most one
    // with a Delay (the wait before each puff).
    uint32_t TakeDue(int32_t delay);
    // How long to wait before the next puff is due, from
    // kShortestPaceWaitMs to kLongestPaceWaitMs.
    uint32_t MsUntilNextPuff(uint64_t area) const;
    // The worker's next wait: the pace's, or Delay where that is longer. A
    // negative Delay is a wait of 2^32 + Delay milliseconds (-1: INFINITE).
    uint32_t NextWaitMs(int32_t delay, uint64_t area) const;
    // Forgets the time up to `now` and any puffs still due.
    void Restart(uint32_t now);

private:
    uint32_t last_;
    uint64_t credit_ = 0;  // in billionths of a puff
};
