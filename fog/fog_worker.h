// What the saver procedure tells the animation worker before it starts.
#pragma once

#include <cstdint>

// The tick count taken when the saver window was created. The generator
// state is per thread, so the worker seeds its own from this value when it
// starts; seeding the creating thread alone would leave the worker's
// sequence the same in every run.
void SetFogWorkerSeed(uint32_t tick);
