#include "images_dialog.h"

// TODO(configuration issue)
INT_PTR CALLBACK ImagesDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
