// Stands in for the system's PASSWORD.CPL (PROVIDER defined) or MPR.DLL:
// notes under HKCU\Software\ZorvTest how it is loaded and called, and
// answers as the test wrote there. ENTRY names its export: the real name,
// or a near miss for a library without the entry.
#include <windows.h>
#include <shlwapi.h>

#include <cstring>

#ifdef PROVIDER
#define KIND "Provider"
#else
#define KIND "Change"
#endif

static const char kKey[] = "Software\\ZorvTest";

static DWORD Read(const char* name) {
    DWORD value = 0, size = sizeof value;
    SHGetValueA(HKEY_CURRENT_USER, kKey, name, nullptr, &value, &size);
    return value;
}

static void Note(const char* name, DWORD n) { SHSetValueA(HKEY_CURRENT_USER, kKey, name, REG_DWORD, &n, sizeof n); }

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) Note(KIND "Loads", Read(KIND "Loads") + 1);
    // No reserved pointer: FreeLibrary, not the end of the process.
    if (reason == DLL_PROCESS_DETACH && !reserved) Note(KIND "Frees", Read(KIND "Frees") + 1);
    return TRUE;
}

#ifdef PROVIDER
// A real provider shows a dialog, whose modal loop shows the cursor and
// dispatches the saver's messages: for "AskMs", with a key and another
// close that arrive meanwhile.
extern "C" __declspec(dllexport) BOOL WINAPI ENTRY(HWND owner) {
    BOOL running = 2;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    Note("ProviderRunningWhenAsked", running);
    Note("ProviderOwner", static_cast<DWORD>(reinterpret_cast<UINT_PTR>(owner)));
    Note("ProviderCalls", Read("ProviderCalls") + 1);
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    if (Read("AskMs")) {
        PostMessageA(owner, WM_KEYDOWN, 'A', 0);
        PostMessageA(owner, WM_CLOSE, 0, 0);
    }
    for (DWORD start = GetTickCount(); GetTickCount() - start < Read("AskMs"); Sleep(10)) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
    return Read("Answer");
}
#else
extern "C" __declspec(dllexport) DWORD WINAPI ENTRY(LPCSTR provider, HWND owner, DWORD reserved1, DWORD reserved2) {
    Note("ChangeProviderIsScrsave", provider && std::strcmp(provider, "SCRSAVE") == 0);
    Note("ChangeReserved", reserved1 | reserved2);
    Note("ChangeOwner", static_cast<DWORD>(reinterpret_cast<UINT_PTR>(owner)));
    Note("ChangeCalls", Read("ChangeCalls") + 1);
    return 0xDEADBEEF;  // the saver ignores the result
}
#endif
