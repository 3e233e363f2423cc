// The pictures of a dialog at the dialog's own scale. On a scaled display
// the system enlarges a dialog's font, frame and controls, but a picture
// control shows its bitmap pixel for pixel: small in a large frame, or
// stretched coarsely where the control keeps its size.
#pragma once

#include <windows.h>

// Gives every picture control of the dialog (a static control showing a
// bitmap) a bitmap of exactly its own size, made from the one it was
// created with: that one itself where the sizes agree, a smooth reduction
// or enlargement otherwise. Called again after a change of scale.
void FitDialogBitmaps(HWND dialog);

// Gives each picture control the bitmap it was created with back and frees
// the fitted ones; for the dialog's end.
void ReleaseDialogBitmaps(HWND dialog);
