// The native build's buffer puff in memory: the optimized kernel beside
// the straightforward version and the floor (see puff_measure.h).
#include <cstdio>

#include "puff_measure.h"

int main() {
    using namespace puff_measure;
    std::printf("%d points per puff, square of %d pixels; best of %d rounds of %d puffs\n",
                kRadius * static_cast<int>(MakePuffPlan({10, 2.0, 1}, kRadius).pointsPerRing),
                ComputePuffSquare(2.0, kRadius).side, kRounds, kPuffsPerRound);
    for (bool mix : {false, true}) {
        const Figures figures = MeasurePuff(mix, kPuffKernelAlwaysThere);
        std::printf(
            "puff r99 d10 p2.0 %s: straightforward %.2f ns/point, optimized %.2f ns/point, floor %.2f ns/point\n",
            mix ? "mix" : "overwrite", figures.straightforward, figures.optimized, figures.floor);
    }
    return 0;
}
