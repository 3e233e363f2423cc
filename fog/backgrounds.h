// The saver's background: the screen beneath it, the desktop wallpaper or
// a picture from the image list.
#pragma once

#include <windows.h>

void PaintBackground(HWND saverWindow, HDC surface);
