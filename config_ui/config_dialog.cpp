#include "config_dialog.h"

// TODO(configuration issue)
INT_PTR CALLBACK ConfigDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
