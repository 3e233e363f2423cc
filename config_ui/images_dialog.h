// The Background Images dialog (resource IDD_IMAGES): the picture list.
#pragma once

#include <windows.h>

INT_PTR CALLBACK ImagesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
