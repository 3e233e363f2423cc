// LoadSettings and SaveSettings: the seven settings under HKCU\SOFTWARE\Zorv,
// each a 4-byte REG_DWORD, read and written in a fixed order.
#include "core/settings_values.h"
#include "fog_engine.h"
#include "win32/platform.h"
#include "win32/registry.h"

namespace {

bool ScreenHasNoColourTable() {
    HDC screen = GetWindowDC(nullptr);
    int colours = GetDeviceCaps(screen, NUMCOLORS);
    ReleaseDC(nullptr, screen);
    return colours == -1;
}

bool HoldsValue(HKEY key, const char* name) {
    return RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr) != ERROR_FILE_NOT_FOUND;
}

LONG SetFourBytes(HKEY key, const char* name, uint32_t value) {
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
}

}  // namespace

LONG FogEngine::LoadSettings(HWND refreshWindow, HWND drawWindow) {
    RefreshWindow = refreshWindow;
    DrawWindow = drawWindow;
    IsNT = CurrentPlatformFamily() == PlatformFamily::NT ? 1 : 0;

    Density = LoadDefaults::Density;
    Power = LoadDefaults::Power;
    Ray = LoadDefaults::Ray;
    MixPix = LoadDefaults::MixPix;
    Delay = LoadDefaults::Delay;
    Timeout = LoadDefaults::Timeout;
    BackgroundMode = IsNT ? LoadDefaults::BackgroundModeOnNT : LoadDefaults::BackgroundModeOn9x;

    RECT client = {};
    GetClientRect(drawWindow, &client);
    Width = client.right;
    Height = client.bottom;
    TrueColor = ScreenHasNoColourTable() ? 1 : 0;

    HKEY key = nullptr;
    LONG status = RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ, &key);
    if (status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;  // never saved: defaults
    if (status != ERROR_SUCCESS) return status;

    // "Power" goes through a temporary: it is stored in hundredths.
    uint32_t storedPower = 0;
    const struct {
        const char* name;
        void* place;
    } values[] = {
        {kDensityValue, &Density},
        {kPowerValue, &storedPower},
        {kMixPixValue, &MixPix},
        {kRayValue, &Ray},
        {kBackgroundModeValue, &BackgroundMode},
        {kDelayValue, &Delay},
        {kTimeoutValue, &Timeout},
    };
    for (const auto& value : values) {
        status = QueryFourBytes(key, value.name, value.place);
        if (status != ERROR_SUCCESS) break;  // this value and the later ones keep their defaults
        if (value.place == &storedPower) Power = PowerFromStored(storedPower);
    }
    // The picture list's dialog creates the key for its subkey: a key that
    // holds none of the settings is one whose settings were never saved.
    if (status == ERROR_FILE_NOT_FOUND) {
        bool holdsAny = false;
        for (const auto& value : values) holdsAny = holdsAny || HoldsValue(key, value.name);
        if (!holdsAny) status = ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return status;
}

LONG FogEngine::SaveSettings() {
    HKEY key = nullptr;
    LONG status = RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) return status;

    const struct {
        const char* name;
        uint32_t value;
    } values[] = {
        {kDensityValue, static_cast<uint32_t>(Density)},
        {kPowerValue, PowerToStored(Power)},
        {kMixPixValue, MixPix},
        {kRayValue, static_cast<uint32_t>(Ray)},
        {kBackgroundModeValue, static_cast<uint32_t>(BackgroundMode)},
        {kDelayValue, static_cast<uint32_t>(Delay)},
        {kTimeoutValue, static_cast<uint32_t>(Timeout)},
    };
    for (const auto& value : values) {
        status = SetFourBytes(key, value.name, value.value);
        if (status != ERROR_SUCCESS) break;
    }
    RegCloseKey(key);
    return status;
}
