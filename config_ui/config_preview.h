// The configuration dialog's preview: one fog puff with the settings on
// screen, on a freshly painted background.
#pragma once

#include <windows.h>

// Draws the preview into control IDC_CONFIG_PREVIEW of the dialog.
void DrawPreview(HWND dialog);
