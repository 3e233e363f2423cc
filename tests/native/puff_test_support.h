// Shared by the puff tests: noisy pictures, and the puff written plainly
// from its rules.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "core/fog_buffer.h"
#include "core/random.h"
#include "core/trig.h"
#include "lab/fog_puff_reference.h"
#include "lab/pixel_surface.h"

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

inline uint32_t Mean(uint32_t old, uint32_t value, int oldShare) {  // per byte; shares of 2 or 4
    uint32_t result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t o = old >> shift & 0xFF, v = value >> shift & 0xFF;
        result |= (oldShare == 2 ? (o + v) >> 1 : (3 * o + v) >> 2) << shift;
    }
    return result;
}

// The pixel path straight on the picture; the buffer path on a copy of the
// square around the centre whose rows run bottom-up, pixels off the
// picture entering as black.
inline void PlainPuff(PixelSurface& picture, bool buffer, int32_t x, int32_t y, int32_t radius, const PuffSettings& s) {
    const int32_t reach = static_cast<int32_t>((s.power + 1) * radius), side = 2 * (reach & ~1) + 4, e = side / 2;
    std::vector<uint32_t> square(side * side);
    auto at = [&](int32_t X, int32_t Y, int32_t& px, int32_t& py) { px = x - e + X, py = y - e + side - 1 - Y; };
    int32_t px, py;
    for (int32_t i = 0; buffer && i < side * side; ++i)
        at(i % side, i / side, px, py), square[i] = picture.Contains(px, py) ? picture.Get(px, py) : 0;
    const double bound = double(int64_t{s.density} * radius) - s.density * std::sqrt(double(radius));
    for (int32_t n = radius; n >= 1; --n)
        for (int32_t i = 0; i < bound; ++i) {
            const double theta = Rand() * kPuffAngleStep, dx = n * TrigCos(theta), dy = n * TrigSin(theta);
            const double f = Rand() * (s.power * kPuffFactorStep) + 1;
            if (!buffer) {
                const uint32_t v = picture.Get(int32_t(x + dx), int32_t(y + dy));
                const int32_t tx = int32_t(x + f * dx), ty = int32_t(y + f * dy);
                picture.Set(tx, ty, s.mixPix ? Mean(picture.Get(tx, ty), v, 2) : v);
                continue;
            }
            const uint32_t v = square[(e + int32_t(dy)) * side + e + int32_t(dx)];
            uint32_t& target = square[(e + int32_t(f * dy)) * side + e + int32_t(f * dx)];
            target = s.mixPix ? Mean(target, v, 4) : v;
        }
    for (int32_t i = 0; buffer && i < side * side; ++i) at(i % side, i / side, px, py), picture.Set(px, py, square[i]);
}
