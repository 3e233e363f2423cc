#include "fog_engine.h"

// TODO(foundation issue)
void FogEngine::FogPuffBuffer(HDC, int32_t, int32_t, int32_t) {}
