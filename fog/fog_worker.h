// The animation worker, what the saver procedure tells it, and what it
// tells those who measure it.
#pragma once

#include <windows.h>

#include <cstdint>

// The animation thread: the saver procedure creates it suspended at the
// window's creation and lets it run at the first erase request.
DWORD WINAPI FogWorker(LPVOID unused);

// The tick count taken when the saver window was created. The generator
// state is per thread, so the worker seeds its own from this value when it
// starts; seeding the creating thread alone would leave the worker's
// sequence the same in every run.
void SetFogWorkerSeed(uint32_t tick);

// Whether anybody can see the window: while the display is off the worker
// draws nothing and waits for it to come back. On until told otherwise;
// the saver procedure tells it before the worker exists.
void SetDisplayOn(bool on);

// Puffs drawn since the process started (the figures and the tests count
// the pace by it).
uint32_t PuffsDrawn();
