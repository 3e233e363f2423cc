// The fog puff's arithmetic, shared by both drawing paths and both builds:
// the ring schedule, the point draw, the pixel blend and the pixel path
// over any surface that can read and write one colour value.
//
// Every puff draws its random numbers in one fixed order (per point: the
// angle, then the factor) from the calling thread's generator, so a puff
// drawn natively and one drawn through GDI give the same pixels.
//
// Hand-edited settings are kept harmless here rather than trusted:
//  - the radius is capped at kMaxPuffRadius and a puff draws at most
//    kMaxPuffPoints points (fewer per ring when the cap bites), so a puff
//    always ends soon and a close never waits long for it;
//  - Density x radius is multiplied in 64 bits;
//  - every double becomes an integer through SafeTrunc, which sends NaN and
//    out-of-range values to kOffSurface instead of undefined behaviour;
//  - a NaN or negative Power just sends points off the surface or inward.
// Within the dialog's ranges (Density 1..10, Power 0..2, radius <= 100) none
// of this changes a single bit.
#pragma once

#include <cstdint>

#include "random.h"

constexpr double kPuffAngleStep = 0.00019175345033112584;  // 6.283185307 / 32767
constexpr double kPuffFactorStep = 3.051850947599719e-05;  // 1 / 32767
constexpr int32_t kMaxPuffRadius = 1024;
constexpr int64_t kMaxPuffPoints = int64_t{1} << 22;  // 46 x the dialog's largest puff
constexpr int32_t kOffSurface = INT32_MIN;
constexpr uint32_t kPixelReadFailed = 0xFFFFFFFFu;  // a read outside the surface

// Truncation toward zero; NaN and values outside int32 give kOffSurface.
inline int32_t SafeTrunc(double value) {
    return (value > -2147483649.0 && value < 2147483648.0) ? static_cast<int32_t>(value) : kOffSurface;
}

// The three settings a puff reads.
struct PuffSettings {
    int32_t density;
    double power;
    uint32_t mixPix;
};

// What one puff will draw: rings radius..1, each with pointsPerRing points.
struct PuffPlan {
    int32_t radius = 0;
    int64_t pointsPerRing = 0;
    double factorStep = 0.0;  // Power x the factor step
};
PuffPlan MakePuffPlan(const PuffSettings& settings, int32_t radius);

// cos and sin of every angle draw, a * kPuffAngleStep for a = 0..32767,
// through TrigCos/TrigSin so that every build gets the same bits. Filled
// during static initialisation: never on a worker's small stack.
struct alignas(16) PuffAngle {
    double cos;
    double sin;
};
extern PuffAngle puffAngles[kRandMax + 1];

// Draws the points of one ring in drawing order and calls
// visit(angle, f) for each: the angle's cos and sin, and the outward
// factor f. Two numbers a point from the calling thread's generator.
template <class Visit>
inline void DrawPuffRing(const PuffPlan& plan, Visit visit) {
    // Locals, not the plan's fields: a visitor that writes bytes could alias
    // anything held in memory, and locals stay in registers.
    // A plan never has more than kMaxPuffPoints points to a ring: the
    // count fits 32 bits, which the i686 build counts in one register.
    const int32_t points = static_cast<int32_t>(plan.pointsPerRing);
    const double factorStep = plan.factorStep;
    RandSequence draws;
    for (int32_t i = 0; i < points; ++i) {
        // The table is far larger than the first-level cache: ask for the
        // entry of a later point now, so that it is there when needed.
        __builtin_prefetch(&puffAngles[draws.PeekFirstAhead<8>()]);
        const RandPair pair = draws.NextPair();
        visit(puffAngles[pair.first], pair.second * factorStep + 1.0);
    }
}

// Calls visit(dx, dy, f) for every point of the plan in drawing order:
// (dx, dy) the ring point's offset from the centre, f the outward factor.
template <class Visit>
inline void ForEachPuffPoint(const PuffPlan& plan, Visit visit) {
    if (plan.pointsPerRing <= 0) return;
    for (int32_t n = plan.radius; n >= 1; --n) {
        const double ring = n;
        DrawPuffRing(
            plan, [ring, &visit](const PuffAngle& angle, double f) { visit(ring * angle.cos, ring * angle.sin, f); });
    }
}

// Equal parts of the old and the new colour, byte by byte, rounded down;
// bits 24..31 of the result are zero.
inline uint32_t BlendPixelColours(uint32_t old, uint32_t colour) {
    old &= 0xFFFFFFu;
    colour &= 0xFFFFFFu;
    return (old & colour) + (((old ^ colour) & 0xFEFEFEu) >> 1);
}

// Surface: uint32_t Get(int32_t x, int32_t y) gives a colour value or
// kPixelReadFailed outside; void Set(int32_t x, int32_t y, uint32_t colour)
// changes nothing outside.
template <class Surface>
inline void BlendSurfacePixel(Surface& surface, int32_t x, int32_t y, uint32_t colour) {
    const uint32_t old = surface.Get(x, y);
    surface.Set(x, y, BlendPixelColours(old, colour));
}

// The pixel path: every point is read from and written to the surface
// itself, so a point sees what the points before it wrote.
template <class Surface>
inline void PuffPixels(Surface& surface, int32_t x, int32_t y, const PuffPlan& plan, bool mix) {
    const double centreX = x;
    const double centreY = y;
    ForEachPuffPoint(plan, [&](double dx, double dy, double f) {
        const uint32_t colour = surface.Get(SafeTrunc(centreX + dx), SafeTrunc(centreY + dy));
        const int32_t targetX = SafeTrunc(centreX + f * dx);
        const int32_t targetY = SafeTrunc(centreY + f * dy);
        if (mix)
            BlendSurfacePixel(surface, targetX, targetY, colour);
        else
            surface.Set(targetX, targetY, colour);
    });
}
