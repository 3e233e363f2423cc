// The pixel path's single-pixel blend on a drawing surface.
#pragma once

#include <windows.h>

#include <cstdint>

// Blends a colour into one pixel of the surface, each byte the rounded-down
// mean of the old and the new; a pixel off the surface stays unchanged.
void BlendPixel(HDC surface, int32_t x, int32_t y, COLORREF colour);
