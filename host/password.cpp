// The system's password services on the 95/98 family: the verification
// entry that must agree before a full-screen saver closes, the system's
// saver-running state while a password guards the desktop, and the change
// entry for the password-change mode.
#include "password.h"

#include <cstdint>

#include "hidden_cursor.h"
#include "saver_effect.h"
#include "win32/library_entry.h"
#include "win32/registry.h"
#include "win32/scoped_handles.h"

TickCountSource verifyTickCount = GetTickCount;

namespace {

constexpr char kDesktopKey[] = "Control Panel\\Desktop";
constexpr char kUsePasswordValue[] = "ScreenSaveUsePassword";
constexpr char kProviderLibrary[] = "PASSWORD.CPL";
constexpr char kVerifyExport[] = "VerifyScreenSavePwd";
constexpr char kChangeLibrary[] = "MPR.DLL";
constexpr char kChangeExport[] = "PwdChangePasswordA";
constexpr char kSaverProviderName[] = "SCRSAVE";
constexpr uint32_t kNeverAsked = 0xFFFFFFFFu;
// A provider that refuses is not asked again this soon: the input that
// follows its dialog would otherwise bring it straight back.
constexpr uint32_t kQuestionPauseMs = 200;

using PwdChangePasswordProc = DWORD(WINAPI*)(LPCSTR provider, HWND owner, DWORD reserved1, DWORD reserved2);

// A value of more than 4 bytes does not fit and counts as off; fewer bytes
// fill the low bytes of a zeroed number.
bool PasswordSwitchOn(HKEY desktop) {
    uint32_t value = 0;
    return QueryFourBytes(desktop, kUsePasswordValue, &value) == ERROR_SUCCESS && value != 0;
}

void LoadVerifyEntry() {
    host.passwordLibrary = LoadLibraryA(kProviderLibrary);
    if (!host.passwordLibrary) return;
    host.verifyEntry = LibraryEntry<VerifyScreenSavePwdProc>(host.passwordLibrary, kVerifyExport);
    if (host.verifyEntry)
        SetSaverRunning(1);
    else
        UnloadPasswordProvider();
}

bool AskedTooRecently(uint32_t now) {
    return host.lastVerifyTick != kNeverAsked && now - host.lastVerifyTick < kQuestionPauseMs;
}

// A timer message already queued would reach the fog while the provider's
// dialog is up; each call drops at most one.
void DropPendingTimers(HWND window) {
    MSG dropped;
    PeekMessageA(&dropped, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    PeekMessageA(&dropped, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
}

}  // namespace

void SetSaverRunning(int running) {
    if (!host.isWin9x) return;
    uint32_t previous = 0;
    SystemParametersInfoA(SPI_SCREENSAVERRUNNING, static_cast<UINT>(running), &previous, 0);
}

void LoadPasswordProvider() {
    if (!host.isWin9x) return;
    if (host.passwordLibrary) UnloadPasswordProvider();
    RegistryKey desktop;
    if (RegOpenKeyA(HKEY_CURRENT_USER, kDesktopKey, desktop.place()) != ERROR_SUCCESS) return;
    if (PasswordSwitchOn(desktop.get())) LoadVerifyEntry();
}

// The saver-running state is set exactly while a verification entry is
// loaded: a saver without a password never touches it.
void UnloadPasswordProvider() {
    if (!host.isWin9x || !host.passwordLibrary) return;
    FreeLibrary(host.passwordLibrary);
    host.passwordLibrary = nullptr;
    if (!host.verifyEntry) return;
    host.verifyEntry = nullptr;
    SetSaverRunning(0);
}

int VerifyPassword(HWND saverWindow) {
    if (host.inVerify || host.closeGranted) return 0;
    if (!host.verifyEntry) {
        host.closeGranted = 1;
        return 1;
    }
    if (AskedTooRecently(verifyTickCount())) return host.closeGranted;

    // The provider runs inside this call and may dispatch our messages;
    // inVerify keeps them from asking again or closing meanwhile.
    host.inVerify = 1;
    DropPendingTimers(saverWindow);
    host.closeGranted = static_cast<int>(SendMessageA(saverWindow, VerifyRequest, 0, 0));
    host.inVerify = 0;
    if (!host.closeGranted) HideCursor();     // the provider's dialog showed it
    host.lastVerifyTick = verifyTickCount();  // the pause counts from the question's end
    return host.closeGranted;
}

void ChangePassword(HWND owner) {
    HMODULE library = LoadLibraryA(kChangeLibrary);
    if (!library) return;
    auto change = LibraryEntry<PwdChangePasswordProc>(library, kChangeExport);
    if (change) change(kSaverProviderName, owner, 0, 0);
    FreeLibrary(library);
}
