// The configuration dialog (resource IDD_CONFIG) with its live preview.
#pragma once

#include <windows.h>

// RefreshPreview: the dialog sends or posts it to itself to redraw the preview.
constexpr UINT RefreshPreview = WM_APP;

INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
