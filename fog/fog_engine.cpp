#include "fog_engine.h"

FogEngine theFog;

FogEngine::~FogEngine() {}
