// The largest puff the settings allow (radius 99, Density 10, Power 2.0)
// through the buffer path's core, in nanoseconds per point, beside
//  - straightforward: the same arithmetic with TrigCos/TrigSin and Rand()
//    for every point (ReferencePuffBuffer);
//  - floor: only the buffer reads and writes of that puff (and the blend
//    that makes the written value), at positions worked out beforehand.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "fog_buffer.h"
#include "fog_puff_reference.h"

namespace {

constexpr int32_t kRadius = 99;
constexpr int kRounds = 7;
constexpr int kPuffsPerRound = 8;

struct Move {
    uint32_t source;
    uint32_t target;
};

template <class Puff>
double BestNanosecondsPerPuff(Puff puff) {
    double best = 1e300;
    for (int round = 0; round < kRounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kPuffsPerRound; ++i) puff(round * kPuffsPerRound + i);
        const std::chrono::duration<double, std::nano> elapsed = std::chrono::steady_clock::now() - start;
        best = std::min(best, elapsed.count() / kPuffsPerRound);
    }
    return best;
}

std::vector<uint8_t> NoisyBuffer(const PuffSquare& square) {
    std::vector<uint8_t> buffer(square.BufferBytes());
    SRand(7);
    for (uint8_t& byte : buffer) byte = static_cast<uint8_t>(Rand());
    return buffer;
}

// The byte offsets one puff reads and writes, in its order.
std::vector<Move> PuffMoves(const PuffSquare& square, const PuffPlan& plan) {
    std::vector<Move> moves;
    const int32_t e = square.half;
    ForEachPuffPoint(plan, [&](double dx, double dy, double f) {
        moves.push_back({static_cast<uint32_t>(BufferPixelOffset(square.side, e + SafeTrunc(dx), e + SafeTrunc(dy))),
                         static_cast<uint32_t>(BufferPixelOffset(square.side, e + SafeTrunc(f * dx), e + SafeTrunc(f * dy)))});
    });
    return moves;
}

template <bool kMix>
void FloorPuff(uint8_t* buffer, const std::vector<Move>& moves) {
    for (const Move& move : moves) {
        const uint32_t value = puff_detail::LoadBufferPixel(buffer + move.source);
        uint8_t* target = buffer + move.target;
        puff_detail::StoreBufferPixel(target, kMix ? BlendBufferValues(puff_detail::LoadBufferPixel(target), value) : value);
    }
}

void MeasureAndPrint(bool mix) {
    const PuffSettings settings{10, 2.0, mix ? 1u : 0u};
    const PuffSquare square = ComputePuffSquare(settings.power, kRadius);
    const PuffPlan plan = MakePuffPlan(settings, kRadius);
    const double points = static_cast<double>(plan.radius) * static_cast<double>(plan.pointsPerRing);
    std::vector<uint8_t> buffer = NoisyBuffer(square);

    const double straightforward = BestNanosecondsPerPuff([&](int puff) {
        SRand(1000 + puff);
        ReferencePuffBuffer(buffer.data(), square, settings, kRadius);
    });
    const double optimized = BestNanosecondsPerPuff([&](int puff) {
        SRand(1000 + puff);
        PuffBuffer(buffer.data(), square, plan, mix);
    });
    std::vector<std::vector<Move>> moves;
    for (int puff = 0; puff < kRounds * kPuffsPerRound; ++puff) {
        SRand(1000 + puff);
        moves.push_back(PuffMoves(square, plan));
    }
    const double floor = BestNanosecondsPerPuff([&](int puff) {
        if (mix)
            FloorPuff<true>(buffer.data(), moves[puff]);
        else
            FloorPuff<false>(buffer.data(), moves[puff]);
    });
    std::printf("puff r99 d10 p2.0 %s: straightforward %.2f ns/point, optimized %.2f ns/point, floor %.2f ns/point\n",
                mix ? "mix" : "overwrite", straightforward / points, optimized / points, floor / points);
}

}  // namespace

int main() {
    std::printf("%d points per puff, square of %d pixels; best of %d rounds of %d puffs\n",
                kRadius * static_cast<int>(MakePuffPlan({10, 2.0, 1}, kRadius).pointsPerRing),
                ComputePuffSquare(2.0, kRadius).side, kRounds, kPuffsPerRound);
    MeasureAndPrint(false);
    MeasureAndPrint(true);
    return 0;
}
