#include "fog_puff.h"

#include <algorithm>
#include <cmath>

#include "trig.h"

namespace {

// Static initialisers may run before the program has set the x87 unit to
// 53-bit precision (the mingw runtime resets it to 64 bits), and TrigCos
// gives other bits at 64. The table is therefore filled at 53 bits here,
// whatever the unit was set to, and the setting restored afterwards.
#if defined(__i386__) && !defined(__SSE2_MATH__)
class DoublePrecisionScope {
public:
    DoublePrecisionScope() {
        __asm__ volatile("fnstcw %0" : "=m"(saved_));
        unsigned short wanted = static_cast<unsigned short>((saved_ & ~0x0300u) | 0x0200u);
        __asm__ volatile("fldcw %0" : : "m"(wanted));
    }
    ~DoublePrecisionScope() { __asm__ volatile("fldcw %0" : : "m"(saved_)); }

private:
    unsigned short saved_ = 0;
};
#else
struct DoublePrecisionScope {
    DoublePrecisionScope() {}  // SSE2 doubles round to 53 bits already
};
#endif

struct AngleTableFiller {
    AngleTableFiller() {
        const DoublePrecisionScope precision;
        for (int a = 0; a <= kRandMax; ++a) {
            const double theta = a * kPuffAngleStep;
            puffAngles[a] = {TrigCos(theta), TrigSin(theta)};
        }
    }
};

}  // namespace

PuffAngle puffAngles[kRandMax + 1];
static AngleTableFiller angleTableFiller;

PuffPlan MakePuffPlan(const PuffSettings& settings, int32_t radius) {
    PuffPlan plan;
    if (radius <= 0) return plan;
    const int32_t r = std::min(radius, kMaxPuffRadius);
    // Every ring gets the points i = 0, 1, ... while i < bound: ceil(bound)
    // of them. The bound uses the puff's radius, not the ring's.
    const double bound =
        static_cast<double>(int64_t{settings.density} * r) - settings.density * std::sqrt(static_cast<double>(r));
    if (!(bound > 0.0)) return plan;
    plan.radius = r;
    plan.pointsPerRing = std::min(static_cast<int64_t>(std::ceil(bound)), kMaxPuffPoints / r);
    plan.factorStep = settings.power * kPuffFactorStep;
    return plan;
}
