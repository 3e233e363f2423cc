// Shared by the puff tests: seeds that make the generator draw chosen
// numbers, and noisy pictures.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "fog_buffer.h"
#include "fog_puff_reference.h"
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

// Random puffs through one buffer kernel and through the straightforward
// version, each pair from one seed: radii 0..100, the dialog's Power and
// hostile ones (negative, NaN), and some squares made for a smaller push
// than the puff's, so that points leave them. Empty when every puff gave
// the same bytes and left the generator in the same state; otherwise what
// differed first.
inline std::string FirstKernelMismatch(PuffKernel kernel, int trials) {
    SRand(31337);
    int changed = 0;
    for (int trial = 0; trial < trials; ++trial) {
        const int32_t radius = trial < 2 ? trial : Rand() % 101;
        const double power = trial % 20 == 3   ? -3.0
                             : trial % 20 == 4 ? std::numeric_limits<double>::quiet_NaN()
                                               : (Rand() % 201) * 0.01;
        const PuffSettings settings{1 + Rand() % 10, power, uint32_t(Rand() % 2)};
        const PuffSquare square = ComputePuffSquare(trial % 5 == 2 ? 0.0 : power, radius);
        const uint32_t seed = uint32_t(Rand()) << 15 ^ uint32_t(Rand());
        std::vector<uint8_t> start(square.BufferBytes());
        for (uint8_t& byte : start) byte = static_cast<uint8_t>(Rand() >> 3);
        std::vector<uint8_t> reference = start, tried = start;
        const uint32_t afterTrials = RandState();
        SRand(seed);
        ReferencePuffBuffer(reference.data(), square, settings, radius);
        const uint32_t referenceNext = RandState();
        SRand(seed);
        PuffBuffer(tried.data(), square, MakePuffPlan(settings, radius), settings.mixPix != 0, kernel);
        if (reference != tried || RandState() != referenceNext)
            return "trial " + std::to_string(trial) + ": radius " + std::to_string(radius) + " density " +
                   std::to_string(settings.density) + " power " + std::to_string(power) + " mix " +
                   std::to_string(settings.mixPix);
        changed += reference != start;
        SRand(afterTrials);
    }
    return changed > trials * 2 / 3 ? "" : "too few puffs changed anything: " + std::to_string(changed);
}
