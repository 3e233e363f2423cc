// Whether the display is on, as the system tells the windows that ask:
// Windows Vista and later send power-setting notifications when the
// display goes off and on again; earlier systems send nothing, and a
// display is then taken to be on for as long as the program runs.
#pragma once

#include <windows.h>

// Asks for the display's notifications to reach `window` as
// WM_POWERBROADCAST messages; nothing where the system has no such
// notifications. The system answers at once with the present state.
void WatchDisplayPower(HWND window);
// Takes the request back (before the window goes).
void StopWatchingDisplayPower();

// Reads a WM_POWERBROADCAST: true when it is one of the display's
// notifications, with `on` set to whether anybody can see the screen (a
// dimmed display counts as on).
bool ReadDisplayPower(WPARAM event, LPARAM setting, bool& on);
