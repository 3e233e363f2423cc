#include "platform.h"

#include <windows.h>

PlatformFamily CurrentPlatformFamily() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;  // 148
    if (!GetVersionExA(&version)) return PlatformFamily::Other;
    switch (version.dwPlatformId) {
    case VER_PLATFORM_WIN32_WINDOWS:
        return PlatformFamily::Windows9x;
    case VER_PLATFORM_WIN32_NT:
        return PlatformFamily::NT;
    default:
        return PlatformFamily::Other;
    }
}
