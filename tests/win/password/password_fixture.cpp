#include "password_fixture.h"

#include <cstring>

#include "host/password.h"
#include "test_support.h"

namespace {

std::vector<DWORD> clockReadings;
size_t clockNext = 0;

DWORD WINAPI ScriptedClock() {
    if (clockReadings.empty()) return 0;
    DWORD reading = clockReadings[clockNext < clockReadings.size() ? clockNext : clockReadings.size() - 1];
    ++clockNext;
    return reading;
}

void DeleteRecords() {
    RegDeleteKeyA(HKEY_CURRENT_USER, kProviderRecordKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, kChangeRecordKey);
}

bool IsWindows98Family() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

struct PoseAsWindows98 : ::testing::Environment {
    void SetUp() override { RunWithAppDefaults({kWindows98, kUnmanagedWindows}); }
};
const ::testing::Environment* const windows98 = ::testing::AddGlobalTestEnvironment(new PoseAsWindows98);

}  // namespace

void SetPasswordSwitch(DWORD type, const void* data, DWORD size) {
    WriteBinary(kDesktopKeyPath, kUsePasswordValue, data, size, type);
}

void SetPasswordSwitch(DWORD on) { SetPasswordSwitch(REG_DWORD, &on, sizeof on); }

void RemovePasswordSwitch() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKeyPath, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, kUsePasswordValue);
    RegCloseKey(key);
}

DWORD ProviderRecord(const char* name) { return ReadRecordNumber(kProviderRecordKey, name, 0); }
DWORD ChangeRecord(const char* name) { return ReadRecordNumber(kChangeRecordKey, name, 0); }

std::string ChangeRecordText(const char* name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kChangeRecordKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return "(none)";
    char text[64] = "";
    DWORD size = sizeof text - 1;
    LONG status = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? text : "(none)";
}

void UseClock(std::vector<DWORD> readings) {
    clockReadings = std::move(readings);
    clockNext = 0;
    verifyTickCount = ScriptedClock;
}

void PasswordTest::SetUp() {
    ASSERT_TRUE(IsWindows98Family()) << "the per-program Version=win98 setting did not take";
    DeleteRecords();
    RemovePasswordSwitch();
    SetSaverRunningState(FALSE);
    WriteQuietSettings();
    SetCursorPos(500, 400);
    ResetHostState(1);
    verifyTickCount = GetTickCount;
}

void PasswordTest::TearDown() {
    verifyTickCount = GetTickCount;
    RemovePasswordSwitch();
    DeleteRecords();
    SetSaverRunningState(FALSE);
}

std::string OwnFolder() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string full = path;
    return full.substr(0, full.find_last_of('\\') + 1);
}
