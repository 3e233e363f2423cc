// HostState: the host's process-wide variables, used from the first
// (user-interface) thread only.
#pragma once

#include <windows.h>

#include <cstdint>

using ImmAssociateContextProc = HANDLE(WINAPI*)(HWND, HANDLE);
using VerifyScreenSavePwdProc = BOOL(WINAPI*)(HWND);

struct HostState {
    // Start-up and modes
    HINSTANCE instance = nullptr;
    int isWin9x = 0;

    // Saver window and dismissal
    HWND saverWindow = nullptr;
    int isPreview = 0;
    int closeGranted = 0;
    int inVerify = 0;
    UINT autoPlayMessage = 0;
    HMODULE immLibrary = nullptr;
    ImmAssociateContextProc immAssociateEntry = nullptr;
    HANDLE savedInputContext = nullptr;
    POINT lastCursorPos = {0, 0};
    uint32_t mouseMoveThreshold = 4;

    // Password provider
    HMODULE passwordLibrary = nullptr;
    VerifyScreenSavePwdProc verifyEntry = nullptr;
    uint32_t lastVerifyTick = 0xFFFFFFFFu;  // never asked
};

extern HostState host;
