// The saver shows no cursor (the class has none, so nothing brings it back
// until the window is gone).
#pragma once

#include <windows.h>

inline void HideCursor() { SetCursor(nullptr); }
