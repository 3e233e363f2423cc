// The buffer path's puff written the plain way, step by step as its
// arithmetic is defined: Rand() twice a point, TrigCos and TrigSin for
// every point, the bound compared as a double, the pixel functions for
// every access. The fast PuffBuffer must give the same bytes; the tests
// check that and the benchmark measures against it.
//
// Meant for the settings the dialog can give; like PuffBuffer it drops a
// point that would leave the square, so odd settings stay memory-safe.
#pragma once

#include <cmath>
#include <cstdint>

#include "core/fog_buffer.h"
#include "core/random.h"
#include "core/trig.h"

inline void ReferencePuffBuffer(uint8_t* buffer, const PuffSquare& square, const PuffSettings& settings,
                                int32_t radius) {
    if (radius <= 0) return;
    const double s = std::sqrt(static_cast<double>(radius));
    const double bound = static_cast<double>(int64_t{settings.density} * radius) - settings.density * s;
    const int32_t side = square.side;
    const int32_t e = square.half;
    for (int32_t n = radius; n >= 1; --n) {
        for (int32_t i = 0; i < bound; ++i) {
            const double theta = Rand() * kPuffAngleStep;
            const double dx = n * TrigCos(theta);
            const double dy = n * TrigSin(theta);
            const double f = Rand() * (settings.power * kPuffFactorStep) + 1;
            const int32_t X = e + SafeTrunc(dx);
            const int32_t Y = e + SafeTrunc(dy);
            const int64_t targetX = int64_t{e} + SafeTrunc(f * dx);
            const int64_t targetY = int64_t{e} + SafeTrunc(f * dy);
            if (X < 0 || Y < 0 || X >= side || Y >= side || targetX < 0 || targetY < 0 || targetX >= side ||
                targetY >= side)
                continue;
            const uint32_t value = GetBufferPixel(buffer, side, X, Y);
            if (settings.mixPix)
                BlendBufferPixel(buffer, side, static_cast<int32_t>(targetX), static_cast<int32_t>(targetY), value);
            else
                SetBufferPixel(buffer, side, static_cast<int32_t>(targetX), static_cast<int32_t>(targetY), value);
        }
    }
}
