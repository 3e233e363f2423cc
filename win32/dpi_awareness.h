// On a scaled display the saver draws every physical pixel itself: without
// a declared awareness the system would draw it at 96 dpi and enlarge the
// window, blurring the fog and the pictures.
#pragma once

#include <windows.h>

enum class DpiAwareness { Unaware, System, PerMonitor, PerMonitorV2 };

// The awareness requests this system knows; null where it has none.
struct DpiAwarenessFunctions {
    using ContextProc = BOOL(WINAPI*)(HANDLE context);  // SetProcessDpiAwarenessContext, Windows 10 1703
    using ProcessProc = HRESULT(WINAPI*)(int value);    // SetProcessDpiAwareness (SHCORE), Windows 8.1
    using SystemProc = BOOL(WINAPI*)();                 // SetProcessDPIAware, Vista
    ContextProc setContext = nullptr;
    ProcessProc setProcess = nullptr;
    SystemProc setSystem = nullptr;
};

// Asks for the finest awareness the system grants, per monitor (second
// version) first; what this request obtained. Unaware when the system knows
// none of the requests or the process already has an awareness (from its
// manifest), which then stays.
DpiAwareness RequestDpiAwareness();
DpiAwareness RequestDpiAwareness(const DpiAwarenessFunctions& functions);
