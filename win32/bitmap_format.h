// The header that tells GDI how a program's own pixels are laid out.
#pragma once

#include <windows.h>

// Uncompressed pixels of `bitCount` bits, rows bottom-up for a positive
// height and top-down for a negative one, as GDI reads the sign; no
// colour table.
inline BITMAPINFO BitmapFormat(LONG width, LONG height, WORD bitCount = 32) {
    BITMAPINFO format = {};
    format.bmiHeader = {sizeof format.bmiHeader, width, height, 1, bitCount, BI_RGB, 0, 0, 0, 0, 0};
    return format;
}

// Rows top-down: the first row in memory is the top one, as the program's
// own pixel arrays hold them.
inline BITMAPINFO TopDownBitmapFormat(LONG width, LONG height, WORD bitCount = 32) {
    return BitmapFormat(width, -height, bitCount);
}
