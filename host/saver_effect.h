// The contract between the screen-saver host and its effect: the only host
// header the effect (fog/, config_ui/) includes, and the only declarations
// of the effect the host sees.
#pragma once

#include <windows.h>

#include <cstdint>

// ---- What the host calls ----

// The effect's saver procedure: every message of the saver window that the
// window does not answer itself. What it does not want it hands down to
// SaverDefaultProc.
LRESULT FogSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The configuration dialog (resource IDD_CONFIG) with its live preview.
INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// ---- What the effect may call back ----

// The end of the chain below the saver procedure: the dismissal rules, the
// password provider's question, then DefWindowProcA.
LRESULT SaverDefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// HostState: the host's process-wide variables, used from the first
// (user-interface) thread only. The effect reads the instance.

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
