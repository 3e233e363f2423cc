#include "display_power.h"

#include <cstring>

#include "library_entry.h"

namespace {

// Newer than these headers: the notification's event, its setting
// record, and the two settings that tell the display's state.
constexpr WPARAM kPowerSettingChange = 0x8013;  // PBT_POWERSETTINGCHANGE
struct PowerSetting {                           // POWERBROADCAST_SETTING
    GUID setting;
    DWORD dataLength;
    BYTE data[1];
};
// The console's display, Windows 8 and later: 0 off, 1 on, 2 dimmed.
constexpr GUID kConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
// The monitors, Vista and 7 (later systems still send it): 0 off, 1 on.
constexpr GUID kMonitorPowerOn = {0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};

using RegisterProc = HANDLE(WINAPI*)(HANDLE recipient, const GUID* setting, DWORD flags);
using UnregisterProc = BOOL(WINAPI*)(HANDLE registration);

HANDLE registrations[2] = {};

HMODULE User32() { return GetModuleHandleA("USER32.DLL"); }

}  // namespace

void WatchDisplayPower(HWND window) {
    StopWatchingDisplayPower();
    const auto registerFor = LibraryEntry<RegisterProc>(User32(), "RegisterPowerSettingNotification");
    if (!registerFor) return;  // before Vista: no notifications, the display counts as on
    // Windows 8 and later tell the console display's state, dimmed
    // included; Vista and 7 know only the monitors' power. Later systems
    // send both, which always agree on off and on.
    registrations[0] = registerFor(window, &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
    registrations[1] = registerFor(window, &kMonitorPowerOn, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void StopWatchingDisplayPower() {
    const auto unregister = LibraryEntry<UnregisterProc>(User32(), "UnregisterPowerSettingNotification");
    for (HANDLE& registration : registrations) {
        if (registration && unregister) unregister(registration);
        registration = nullptr;
    }
}

bool ReadDisplayPower(WPARAM event, LPARAM setting, bool& on) {
    if (event != kPowerSettingChange || !setting) return false;
    const auto* record = reinterpret_cast<const PowerSetting*>(setting);
    const bool display =
        IsEqualGUID(record->setting, kConsoleDisplayState) || IsEqualGUID(record->setting, kMonitorPowerOn);
    if (!display || record->dataLength < sizeof(DWORD)) return false;
    DWORD state;
    std::memcpy(&state, record->data, sizeof state);
    on = state != 0;
    return true;
}
