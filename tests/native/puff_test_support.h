// Shared by the puff tests: seeds that make the generator draw chosen
// numbers, and noisy pictures.
#pragma once

#include <cstdint>

#include "pixel_surface.h"
#include "random.h"

// A seed after which Rand() gives `first` and then `second` (0xFFFFFFFF
// when there is none; callers check by drawing).
inline uint32_t SeedForDraws(int first, int second) {
    const uint32_t multiplier = 214013u, increment = 2531011u;
    uint32_t inverse = multiplier;  // Newton's iteration for the inverse mod 2^32
    for (int i = 0; i < 5; ++i) inverse *= 2u - multiplier * inverse;
    for (uint32_t high = 0; high < 2; ++high)
        for (uint32_t low = 0; low < 65536; ++low) {
            const uint32_t state = high << 31 | static_cast<uint32_t>(first) << 16 | low;
            if (static_cast<int>((state * multiplier + increment) >> 16 & 0x7FFF) == second)
                return (state - increment) * inverse;
        }
    return 0xFFFFFFFFu;
}

inline PixelSurface Noise(int32_t width, int32_t height, uint32_t seed) {
    PixelSurface image(width, height);
    SRand(seed);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) image.Set(x, y, uint32_t(Rand()) << 9 ^ uint32_t(Rand()));
    return image;
}
