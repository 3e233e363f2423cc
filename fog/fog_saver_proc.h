// The fog's own saver procedure and its animation worker.
#pragma once

#include <windows.h>

LRESULT FogSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
DWORD WINAPI FogWorker(LPVOID unused);
