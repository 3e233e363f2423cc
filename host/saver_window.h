// The saver window: full screen or as a preview inside a parent, its
// message loop and the rules that end a full-screen run.
#pragma once

#include <windows.h>

constexpr char kSaverClassName[] = "WindowsScreenSaverClass";
constexpr char kFullScreenTitle[] = "Screen Saver";
constexpr char kPreviewTitle[] = "Preview";
// RunSaver's result when the class or the window cannot be made.
constexpr int kSaverWindowFailed = -1;

// Runs the saver until its window is destroyed; no parent means full screen.
int RunSaver(HWND parent);

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
