// The Background Images dialog (resource IDD_IMAGES): the picture list.
#pragma once

#include <windows.h>
#include <commdlg.h>

INT_PTR CALLBACK ImagesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The file-open dialog that Add shows. A test puts a double here: no
// system's own dialog hands back a path beyond its limit on demand.
using OpenFileDialogProc = BOOL(WINAPI*)(OPENFILENAMEA*);
extern OpenFileDialogProc imagesOpenFileDialog;
