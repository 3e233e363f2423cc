// The fog's pseudo-random numbers: the Windows C runtime's generator
// (state = state * 214013 + 2531011, value = (state >> 16) & 0x7FFF),
// with one state per thread, starting from seed 1. Native and Windows
// builds draw the same numbers for the same seed.
#pragma once

#include <cstdint>

constexpr int kRandMax = 0x7FFF;

// Sets the calling thread's generator state.
void SRand(uint32_t seed);

// The calling thread's next value, 0..kRandMax inclusive.
int Rand();

// The calling thread's generator state, as SRand() would set it.
uint32_t RandState();

// For hot loops: draws from a local copy of the calling thread's state and
// hands it back when it goes out of scope. The values are exactly those
// that Rand() would have given, in the same order; taking them two at a
// time lets the second not wait for the first.
struct RandPair {
    int first;
    int second;
};
class RandSequence {
public:
    RandSequence() : state_(RandState()) {}
    ~RandSequence() { SRand(state_); }
    RandSequence(const RandSequence&) = delete;
    RandSequence& operator=(const RandSequence&) = delete;

    // Always inlined: the SSE2 kernel of the i686 build (compiled for
    // other instructions than the rest) could not call it cheaply.
    [[gnu::always_inline]] RandPair NextPair() {
        const uint32_t first = state_ * kMultiplier + kIncrement;
        state_ = state_ * kMultiplierTwice + kIncrementTwice;
        return {static_cast<int>((first >> 16) & 0x7FFFu), static_cast<int>((state_ >> 16) & 0x7FFFu)};
    }

    // The first value of the pair that NextPair() will give kPairs calls
    // after the next one, without drawing anything: lets a loop fetch what
    // that value selects ahead of time.
    template <int kPairs>
    [[gnu::always_inline]] int PeekFirstAhead() const {
        constexpr Jump jump = JumpOf(2 * kPairs + 1);
        return static_cast<int>(((state_ * jump.multiplier + jump.increment) >> 16) & 0x7FFFu);
    }

private:
    struct Jump {
        uint32_t multiplier;
        uint32_t increment;
    };
    // The state after `steps` draws is state * multiplier + increment.
    static constexpr Jump JumpOf(int steps) {
        Jump jump{1u, 0u};
        for (int i = 0; i < steps; ++i) jump = {jump.multiplier * kMultiplier, jump.increment * kMultiplier + kIncrement};
        return jump;
    }
    static constexpr uint32_t kMultiplier = 214013u;
    static constexpr uint32_t kIncrement = 2531011u;
    static constexpr uint32_t kMultiplierTwice = kMultiplier * kMultiplier;
    static constexpr uint32_t kIncrementTwice = kIncrement * kMultiplier + kIncrement;
    uint32_t state_;
};
