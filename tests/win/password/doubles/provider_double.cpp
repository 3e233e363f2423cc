// Stands in for the system's PASSWORD.CPL. Built twice: with the
// verification entry, and without it (exporting a near-miss name only).
#include <windows.h>

#include "double_record.h"

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    NoteAttachOrDetach(kProviderRecordKey, reason, reserved);
    return TRUE;
}

#ifdef WITH_VERIFY_ENTRY
namespace {

// A real provider shows a dialog, whose modal loop dispatches the saver's
// messages and shows the cursor.
void AskTheWayADialogWould(DWORD pumpMs) {
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    DWORD start = GetTickCount();
    while (GetTickCount() - start < pumpMs) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

}  // namespace

extern "C" BOOL WINAPI VerifyScreenSavePwd(HWND owner) {
    CountUp(kProviderRecordKey, kCallsValue);
    WriteRecordNumber(kProviderRecordKey, kOwnerValue, static_cast<DWORD>(reinterpret_cast<UINT_PTR>(owner)));
    BOOL running = 0xDEADBEEF;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    WriteRecordNumber(kProviderRecordKey, kRunningWhenAskedValue, static_cast<DWORD>(running));
    AskTheWayADialogWould(ReadRecordNumber(kProviderRecordKey, kPumpMsValue));
    return static_cast<BOOL>(ReadRecordNumber(kProviderRecordKey, kAnswerValue));
}
#else
extern "C" BOOL WINAPI VerifyScreenSavePassword(HWND) {
    CountUp(kProviderRecordKey, kCallsValue);
    return TRUE;
}
#endif
