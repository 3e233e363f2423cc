// The largest puff the settings allow (radius 99, Density 10, Power 2.0)
// through the buffer path's core, in nanoseconds per point, beside
//  - straightforward: the same arithmetic with TrigCos/TrigSin and Rand()
//    for every point (ReferencePuffBuffer);
//  - floor: only the buffer reads and writes of that puff (and the blend
//    that makes the written value), at positions worked out beforehand.
// Shared by the native benchmark and the Windows build's, so that each
// build is measured against a floor of its own.
#pragma once

#include <algorithm>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <chrono>
#endif

#include "core/fog_buffer.h"
#include "lab/fog_puff_reference.h"

namespace puff_measure {

constexpr int32_t kRadius = 99;
// Many short rounds, the best one counting: on a busy machine some of them
// still run undisturbed.
constexpr int kRounds = 40;
constexpr int kPuffsPerRound = 3;
constexpr int kDistinctPuffs = 8;  // seeds; the floor's offsets are kept for these

// Nanoseconds from an arbitrary start, at the finest grain the system has.
inline double NowNanoseconds() {
#ifdef _WIN32
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1e9 * double(now.QuadPart) / double(frequency.QuadPart);
#else
    return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now().time_since_epoch()).count();
#endif
}

template <class Puff>
double BestNanosecondsPerPuff(Puff puff) {
    double best = 1e300;
    for (int round = 0; round < kRounds; ++round) {
        const double start = NowNanoseconds();
        for (int i = 0; i < kPuffsPerRound; ++i) puff((round * kPuffsPerRound + i) % kDistinctPuffs);
        best = std::min(best, (NowNanoseconds() - start) / kPuffsPerRound);
    }
    return best;
}

struct Move {
    uint32_t source;
    uint32_t target;
};

// The byte offsets one puff reads and writes, in its order.
inline std::vector<Move> PuffMoves(const PuffSquare& square, const PuffPlan& plan) {
    std::vector<Move> moves;
    const int32_t e = square.half;
    ForEachPuffPoint(plan, [&](double dx, double dy, double f) {
        moves.push_back(
            {static_cast<uint32_t>(BufferPixelOffset(square.side, e + SafeTrunc(dx), e + SafeTrunc(dy))),
             static_cast<uint32_t>(BufferPixelOffset(square.side, e + SafeTrunc(f * dx), e + SafeTrunc(f * dy)))});
    });
    return moves;
}

template <bool kMix>
void FloorPuff(uint8_t* buffer, const std::vector<Move>& moves) {
    for (const Move& move : moves) {
        const uint32_t value = puff_detail::LoadBufferPixel(buffer + move.source);
        uint8_t* target = buffer + move.target;
        puff_detail::StoreBufferPixel(target,
                                      kMix ? BlendBufferValues(puff_detail::LoadBufferPixel(target), value) : value);
    }
}

struct Figures {
    double straightforward;  // nanoseconds per point
    double optimized;
    double floor;
};

// The three figures of one mode, the optimized one through `kernel`.
inline Figures MeasurePuff(bool mix, PuffKernel kernel) {
    const PuffSettings settings{10, 2.0, mix ? 1u : 0u};
    const PuffSquare square = ComputePuffSquare(settings.power, kRadius);
    const PuffPlan plan = MakePuffPlan(settings, kRadius);
    const double points = static_cast<double>(plan.radius) * static_cast<double>(plan.pointsPerRing);
    std::vector<uint8_t> buffer(square.BufferBytes());
    SRand(7);
    for (uint8_t& byte : buffer) byte = static_cast<uint8_t>(Rand());

    Figures figures;
    figures.straightforward = BestNanosecondsPerPuff([&](int puff) {
                                  SRand(1000 + puff);
                                  ReferencePuffBuffer(buffer.data(), square, settings, kRadius);
                              }) /
                              points;
    figures.optimized = BestNanosecondsPerPuff([&](int puff) {
                            SRand(1000 + puff);
                            PuffBuffer(buffer.data(), square, plan, mix, kernel);
                        }) /
                        points;
    std::vector<std::vector<Move>> moves;
    for (int puff = 0; puff < kDistinctPuffs; ++puff) {
        SRand(1000 + puff);
        moves.push_back(PuffMoves(square, plan));
    }
    figures.floor = BestNanosecondsPerPuff([&](int puff) {
                        if (mix)
                            FloorPuff<true>(buffer.data(), moves[puff]);
                        else
                            FloorPuff<false>(buffer.data(), moves[puff]);
                    }) /
                    points;
    return figures;
}

}  // namespace puff_measure
