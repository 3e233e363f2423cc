// Shared by the puff tests: noisy pictures, and the puff written plainly
// from its rules.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "pixel_surface.h"
#include "random.h"
#include "trig.h"

inline PixelSurface Noise(int32_t width, int32_t height, uint32_t seed) {
    PixelSurface image(width, height);
    SRand(seed);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) image.Set(x, y, uint32_t(Rand()) << 9 ^ uint32_t(Rand()));
    return image;
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
