// What the stand-ins for the system's password libraries share with the
// tests: where they note how they were loaded and called, and where they
// read how to answer. Everything lives under HKCU.
#pragma once

#include <windows.h>

constexpr char kProviderRecordKey[] = "Software\\ZorvTest\\PasswordProvider";
constexpr char kChangeRecordKey[] = "Software\\ZorvTest\\ChangeEntry";

// Counters and notes written by the doubles.
constexpr char kLoadsValue[] = "Loads";  // DLL_PROCESS_ATTACH
constexpr char kFreesValue[] = "Frees";  // DLL_PROCESS_DETACH through FreeLibrary (not at process end)
constexpr char kCallsValue[] = "Calls";
constexpr char kOwnerValue[] = "Owner";
constexpr char kRunningWhenAskedValue[] = "RunningWhenAsked";  // SPI_GETSCREENSAVERRUNNING during the call
constexpr char kProviderNameValue[] = "Provider";            // REG_SZ, the change entry's first argument
constexpr char kReserved1Value[] = "Reserved1";
constexpr char kReserved2Value[] = "Reserved2";

// Set by the tests.
constexpr char kAnswerValue[] = "Answer";  // what VerifyScreenSavePwd returns (0 when absent)
constexpr char kPumpMsValue[] = "PumpMs";  // how long the provider dispatches messages before it answers

inline DWORD ReadRecordNumber(const char* keyPath, const char* name, DWORD fallback = 0) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return fallback;
    DWORD value = fallback;
    DWORD size = sizeof value;
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
        value = fallback;
    RegCloseKey(key);
    return value;
}

inline void WriteRecordValue(const char* keyPath, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

inline void WriteRecordNumber(const char* keyPath, const char* name, DWORD value) {
    WriteRecordValue(keyPath, name, REG_DWORD, &value, sizeof value);
}

inline void CountUp(const char* keyPath, const char* name) {
    WriteRecordNumber(keyPath, name, ReadRecordNumber(keyPath, name) + 1);
}

// DLL_PROCESS_DETACH with no reserved pointer means FreeLibrary, not the
// end of the process.
inline void NoteAttachOrDetach(const char* keyPath, DWORD reason, void* reserved) {
    if (reason == DLL_PROCESS_ATTACH) CountUp(keyPath, kLoadsValue);
    if (reason == DLL_PROCESS_DETACH && !reserved) CountUp(keyPath, kFreesValue);
}
