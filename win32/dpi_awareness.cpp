#include "dpi_awareness.h"

#include "library_entry.h"
#include "scoped_handles.h"

namespace {

// DPI_AWARENESS_CONTEXT values, newer than these headers.
const HANDLE kPerMonitorV2Context = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
const HANDLE kPerMonitorContext = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3));
// PROCESS_DPI_AWARENESS.
constexpr int kProcessPerMonitorAware = 2;

HMODULE User32() { return GetModuleHandleA("USER32.DLL"); }

}  // namespace

DpiAwareness RequestDpiAwareness(const DpiAwarenessFunctions& functions) {
    // Systems before the second version reject its context as an invalid
    // parameter but take the first.
    if (functions.setContext) {
        if (functions.setContext(kPerMonitorV2Context)) return DpiAwareness::PerMonitorV2;
        if (functions.setContext(kPerMonitorContext)) return DpiAwareness::PerMonitor;
        // Refused because the manifest has already decided: that stays.
        if (GetLastError() == ERROR_ACCESS_DENIED) return DpiAwareness::Unaware;
    }
    if (functions.setProcess && SUCCEEDED(functions.setProcess(kProcessPerMonitorAware)))
        return DpiAwareness::PerMonitor;
    if (functions.setSystem && functions.setSystem()) return DpiAwareness::System;
    return DpiAwareness::Unaware;
}

DpiAwareness RequestDpiAwareness() {
    DpiAwarenessFunctions functions;
    functions.setContext = LibraryEntry<DpiAwarenessFunctions::ContextProc>(User32(), "SetProcessDpiAwarenessContext");
    functions.setSystem = LibraryEntry<DpiAwarenessFunctions::SystemProc>(User32(), "SetProcessDPIAware");
    // SHCORE exists from Windows 8.1 on, and is only worth loading where
    // the newer request is missing.
    LoadedLibrary shcore(functions.setContext ? nullptr : "SHCORE.DLL");
    if (shcore.get())
        functions.setProcess = LibraryEntry<DpiAwarenessFunctions::ProcessProc>(shcore.get(), "SetProcessDpiAwareness");
    return RequestDpiAwareness(functions);
}
