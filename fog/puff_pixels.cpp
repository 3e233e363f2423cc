#include "fog_engine.h"

// TODO(foundation issue)
void FogEngine::FogPuffPixels(HDC, int32_t, int32_t, int32_t) {}
