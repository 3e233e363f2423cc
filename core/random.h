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

// The state after `steps` draws is state * multiplier + increment.
struct RandJump {
    uint32_t multiplier;
    uint32_t increment;
};
constexpr RandJump RandJumpOf(int steps) {
    RandJump jump{1u, 0u};
    for (int i = 0; i < steps; ++i) jump = {jump.multiplier * 214013u, jump.increment * 214013u + 2531011u};
    return jump;
}

struct RandPair {
    int first;
    int second;
};
struct RandPairs {
    RandPair one;
    RandPair two;
};

// For hot loops: draws from a local copy of the calling thread's state and
// hands it back when it goes out of scope. The values are exactly those
// that Rand() would have given, in the same order; each value of a call
// comes straight from the state before the call, so that none waits for
// another. Always inlined, the destructor too: the SSE2 kernel of the i686
// build (compiled for other instructions than the rest) could not call
// them cheaply, and inlined, the state never leaves a register in a loop.
class RandSequence {
public:
    [[gnu::always_inline]] RandSequence() : state_(RandState()) {}
    [[gnu::always_inline]] ~RandSequence() { SRand(state_); }
    RandSequence(const RandSequence&) = delete;
    RandSequence& operator=(const RandSequence&) = delete;

    [[gnu::always_inline]] RandPair NextPair() {
        const int first = After<1>();
        const int second = After<2>();
        state_ = Advance<2>();
        return {first, second};
    }

    [[gnu::always_inline]] RandPairs NextTwoPairs() {
        const RandPairs pairs = {{After<1>(), After<2>()}, {After<3>(), After<4>()}};
        state_ = Advance<4>();
        return pairs;
    }

    // The first value of the pair that NextPair() will give kPairs calls
    // after the next one, without drawing anything: lets a loop fetch what
    // that value selects ahead of time.
    template <int kPairs>
    [[gnu::always_inline]] int PeekFirstAhead() const {
        return After<2 * kPairs + 1>();
    }

private:
    template <int kSteps>
    [[gnu::always_inline]] uint32_t Advance() const {
        constexpr RandJump jump = RandJumpOf(kSteps);
        return state_ * jump.multiplier + jump.increment;
    }
    // The value the kSteps-th draw from here gives.
    template <int kSteps>
    [[gnu::always_inline]] int After() const {
        return static_cast<int>((Advance<kSteps>() >> 16) & 0x7FFFu);
    }
    uint32_t state_;
};
