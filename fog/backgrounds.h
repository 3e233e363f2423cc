// The saver's background: the screen beneath it, the desktop wallpaper or
// a picture from the image list; in the saver window and in the dialog's
// preview.
#pragma once

#include <windows.h>

void PaintBackground(HWND saverWindow, HDC surface);

// The same source for the configuration dialog's preview control, on a
// canvas of the control's size: only the top-left corner of the screen or
// the wallpaper, unscaled, on black.
void PaintPreviewBackground(HWND control, HDC canvas, int width, int height);
