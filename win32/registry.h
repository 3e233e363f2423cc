// Registry reads that every part of the saver does alike.
#pragma once

#include <windows.h>

// Reads one value of at most 4 bytes without asking its type. The place
// changes only on success (a failed read may leave part of a too-long value
// in the buffer); a shorter value fills the low bytes and zeroes the rest.
LONG QueryFourBytes(HKEY key, const char* name, void* place);
