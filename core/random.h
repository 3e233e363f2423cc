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
