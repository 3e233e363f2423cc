#include "random.h"

namespace {
thread_local uint32_t generatorState = 1;
}

void SRand(uint32_t seed) { generatorState = seed; }

int Rand() {
    generatorState = generatorState * 214013u + 2531011u;
    return static_cast<int>((generatorState >> 16) & 0x7FFFu);
}

uint32_t RandState() { return generatorState; }
