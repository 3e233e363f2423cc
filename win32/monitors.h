// The monitors a window spans, for painting each one for itself.
#pragma once

#include <windows.h>

#include <vector>

// The rectangles of the monitors that the window covers, in the window's
// client coordinates, in the system's enumeration order; the whole client
// area as one rectangle where the system knows no monitors or for a child
// (preview) window. Each is the part of its monitor inside the client area,
// so a window on one monitor always gets its client area.
std::vector<RECT> MonitorAreas(HWND window);

// Paints black whatever of the client area lies outside every area: the
// dead corners of a virtual screen whose monitors differ in size.
void BlackenOutside(HDC surface, const RECT& client, const std::vector<RECT>& areas);

// What this system offers to tell its monitors apart: both entries null on
// Windows 95 and NT 4.0, which know one screen only.
struct MonitorFunctions {
    using EnumerateProc = BOOL(WINAPI*)(HDC, LPCRECT, MONITORENUMPROC, LPARAM);
    using InfoProc = BOOL(WINAPI*)(HMONITOR, LPMONITORINFO);
    EnumerateProc enumerate = nullptr;  // EnumDisplayMonitors
    InfoProc info = nullptr;            // GetMonitorInfoA
};
MonitorFunctions SystemMonitorFunctions();

// The functions MonitorAreas asks from now on; tests pass empty ones to run
// the saver as a single-screen system would.
void UseMonitorFunctions(const MonitorFunctions& functions);

// The virtual screen in screen coordinates: every monitor's union, or the
// screen device context's clip box where the system has no virtual-screen
// metrics.
RECT VirtualScreen();
