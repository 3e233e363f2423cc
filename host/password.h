// Password protection on the 95/98 family: the system's provider in
// PASSWORD.CPL, the saver-running state, and the change entry in MPR.DLL.
#pragma once

#include <windows.h>

// VerifyRequest: VerifyPassword sends it to the saver window, whose default
// procedure asks the password provider.
constexpr UINT VerifyRequest = WM_APP;

void LoadPasswordProvider();
void UnloadPasswordProvider();
void SetSaverRunning(int running);
// Nonzero when the saver may close.
int VerifyPassword(HWND saverWindow);
void ChangePassword(HWND owner);

// The clock of the 200 ms pause after a question; GetTickCount unless a
// test puts its own clock here.
using TickCountSource = DWORD(WINAPI*)();
extern TickCountSource verifyTickCount;
