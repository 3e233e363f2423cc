#include "fog_saver_proc.h"

#include "../host/saver_window.h"

// TODO(running saver issue)
LRESULT FogSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return SaverDefaultProc(window, message, wParam, lParam);
}

DWORD WINAPI FogWorker(LPVOID) { return 0; }
