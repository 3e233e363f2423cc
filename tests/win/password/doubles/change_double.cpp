// Stands in for the system's MPR.DLL password-change entry. Built twice:
// with "PwdChangePasswordA", and without it (a near-miss name only).
#include <windows.h>

#include <cstring>

#include "double_record.h"

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    NoteAttachOrDetach(kChangeRecordKey, reason, reserved);
    return TRUE;
}

#ifdef WITH_CHANGE_ENTRY
extern "C" DWORD WINAPI PwdChangePasswordA(LPCSTR provider, HWND owner, DWORD reserved1, DWORD reserved2) {
    CountUp(kChangeRecordKey, kCallsValue);
    if (provider)
        WriteRecordValue(kChangeRecordKey, kProviderNameValue, REG_SZ, provider,
                         static_cast<DWORD>(std::strlen(provider) + 1));
    WriteRecordNumber(kChangeRecordKey, kOwnerValue, static_cast<DWORD>(reinterpret_cast<UINT_PTR>(owner)));
    WriteRecordNumber(kChangeRecordKey, kReserved1Value, reserved1);
    WriteRecordNumber(kChangeRecordKey, kReserved2Value, reserved2);
    return 0xDEADBEEF;  // the saver ignores the result
}
#else
extern "C" DWORD WINAPI PwdChangePassword(LPCSTR, HWND, DWORD, DWORD) {
    CountUp(kChangeRecordKey, kCallsValue);
    return 0;
}
#endif
