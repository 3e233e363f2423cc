#include "backgrounds.h"

#include "fog_engine.h"

// TODO(running saver issue)
void PaintBackground(HWND, HDC) {}
bool FogEngine::PaintRandomImage(HWND, HDC) { return false; }
