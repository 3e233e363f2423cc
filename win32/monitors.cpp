#include "monitors.h"

#include "library_entry.h"

namespace {

MonitorFunctions& ActiveFunctions() {
    static MonitorFunctions functions = SystemMonitorFunctions();
    return functions;
}

struct Enumeration {
    MonitorFunctions::InfoProc info;
    POINT clientOrigin;  // in screen coordinates
    RECT client;
    std::vector<RECT> areas;
};

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    auto& enumeration = *reinterpret_cast<Enumeration*>(data);
    MONITORINFO facts = {};
    facts.cbSize = sizeof facts;
    if (!enumeration.info(monitor, &facts)) return TRUE;
    RECT area = facts.rcMonitor;
    OffsetRect(&area, -enumeration.clientOrigin.x, -enumeration.clientOrigin.y);
    RECT covered;
    if (IntersectRect(&covered, &area, &enumeration.client)) enumeration.areas.push_back(covered);
    return TRUE;
}

}  // namespace

MonitorFunctions SystemMonitorFunctions() {
    HMODULE user = GetModuleHandleA("USER32.DLL");
    MonitorFunctions functions;
    functions.enumerate = LibraryEntry<MonitorFunctions::EnumerateProc>(user, "EnumDisplayMonitors");
    functions.info = LibraryEntry<MonitorFunctions::InfoProc>(user, "GetMonitorInfoA");
    if (!functions.enumerate || !functions.info) return {};
    return functions;
}

void UseMonitorFunctions(const MonitorFunctions& functions) { ActiveFunctions() = functions; }

std::vector<RECT> MonitorAreas(HWND window) {
    Enumeration enumeration = {ActiveFunctions().info, {0, 0}, {}, {}};
    GetClientRect(window, &enumeration.client);
    const bool child = (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) != 0;
    if (!child && enumeration.info) {
        ClientToScreen(window, &enumeration.clientOrigin);
        ActiveFunctions().enumerate(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&enumeration));
    }
    if (enumeration.areas.empty()) enumeration.areas.push_back(enumeration.client);
    return enumeration.areas;
}

RECT VirtualScreen() {
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    RECT screen = {0, 0, 0, 0};
    if (width && height) {
        const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
        SetRect(&screen, left, top, left + width, top + height);
        return screen;
    }
    // 95 and NT 4.0 report no virtual screen; the screen's device context
    // still knows how large the display is.
    if (HDC whole = GetDC(nullptr)) {
        GetClipBox(whole, &screen);
        ReleaseDC(nullptr, whole);
    }
    return screen;
}

void BlackenOutside(HDC surface, const RECT& client, const std::vector<RECT>& areas) {
    HRGN outside = CreateRectRgnIndirect(&client);
    if (!outside) return;
    for (const RECT& area : areas) {
        HRGN monitor = CreateRectRgnIndirect(&area);
        if (!monitor) continue;
        CombineRgn(outside, outside, monitor, RGN_DIFF);
        DeleteObject(monitor);
    }
    FillRgn(surface, outside, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    DeleteObject(outside);
}
