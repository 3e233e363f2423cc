// Helpers of the puff tests: seeds that make the generator draw chosen
// numbers, and a surface that records what a puff does to it.
#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "fog_puff.h"
#include "random.h"

// A seed after which Rand() gives `first` and then `second`. Most pairs
// have a few such seeds; the callers check by drawing.
inline uint32_t SeedForDraws(int first, int second) {
    const uint32_t multiplier = 214013u, increment = 2531011u;
    uint32_t inverse = multiplier;  // Newton's iteration for the inverse mod 2^32
    for (int i = 0; i < 5; ++i) inverse *= 2u - multiplier * inverse;
    for (uint32_t high = 0; high < 2; ++high) {
        for (uint32_t low = 0; low < 65536; ++low) {
            const uint32_t state = high << 31 | static_cast<uint32_t>(first) << 16 | low;
            const uint32_t next = state * multiplier + increment;
            if (static_cast<int>((next >> 16) & 0x7FFF) == second) return (state - increment) * inverse;
        }
    }
    return 0xFFFFFFFFu;
}

// Every pixel access of a puff, in order.
struct PixelCall {
    char what;  // 'G' get, 'S' set
    int32_t x;
    int32_t y;
    uint32_t colour;
    bool operator==(const PixelCall& other) const {
        return what == other.what && x == other.x && y == other.y && colour == other.colour;
    }
};

inline std::string Describe(const std::vector<PixelCall>& calls) {
    std::ostringstream text;
    for (const PixelCall& call : calls) {
        text << call.what << "(" << call.x << "," << call.y;
        if (call.what == 'S') text << ",0x" << std::hex << call.colour << std::dec;
        text << ") ";
    }
    return text.str();
}

// A surface that answers every read with one colour (or the failure value
// off a width x height area) and records the first `limit` accesses.
struct RecordingSurface {
    int32_t width;
    int32_t height;
    uint32_t colour;
    size_t limit;
    std::vector<PixelCall> calls;
    uint32_t Get(int32_t x, int32_t y) {
        const uint32_t value = (x >= 0 && y >= 0 && x < width && y < height) ? colour : kPixelReadFailed;
        if (calls.size() < limit) calls.push_back({'G', x, y, 0});
        return value;
    }
    void Set(int32_t x, int32_t y, uint32_t value) {
        if (calls.size() < limit) calls.push_back({'S', x, y, value});
    }
};
