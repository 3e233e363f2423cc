#include "test_support.h"

#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "core/settings_values.h"

namespace {

const char* const kSettingNames[] = {kDensityValue,        kPowerValue, kMixPixValue, kRayValue,
                                     kBackgroundModeValue, kDelayValue, kTimeoutValue};

}  // namespace

std::string SaverPath() {
    std::string path = std::string("Z:") + std::getenv("ZORV_DIST") + "/zorv.scr";
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string ScratchFolder() {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    char folder[MAX_PATH];
    std::snprintf(folder, sizeof folder, "%szorv-test-%lu-%lu", temp, GetCurrentProcessId(), GetTickCount());
    CreateDirectoryA(folder, nullptr);
    return folder;
}

RunningProcess::RunningProcess(const std::string& commandLine) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string line = commandLine;
    started = CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info) != 0;
}

RunningProcess::~RunningProcess() {
    if (!started) return;
    TerminateProcess(info.hProcess, kProcessTimedOut);  // fails harmlessly once it has ended
    WaitForSingleObject(info.hProcess, 5000);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

// Keeps this thread's windows answering while the child runs: the child
// may send messages to a window of ours (a dialog's owner).
DWORD RunningProcess::WaitForExit(DWORD timeoutMs) {
    DWORD code = kProcessTimedOut;
    if (started && PumpUntil([this] { return WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0; }, timeoutMs))
        GetExitCodeProcess(info.hProcess, &code);
    return code;
}

DWORD RunProcess(const std::string& commandLine, DWORD timeoutMs) {
    RunningProcess process(commandLine);
    return process.WaitForExit(timeoutMs);
}

void PumpMessagesFor(DWORD milliseconds) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= milliseconds) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
    }
}

void DeleteSettingsKey() { SHDeleteKeyA(HKEY_CURRENT_USER, kSettingsKeyPath); }

CleanSettingsKey::CleanSettingsKey() { DeleteSettingsKey(); }
CleanSettingsKey::~CleanSettingsKey() { DeleteSettingsKey(); }

bool WriteBinary(const char* keyPath, const char* name, const void* data, DWORD size, DWORD type) {
    return SHSetValueA(HKEY_CURRENT_USER, keyPath, name, type, data, size) == ERROR_SUCCESS;
}

bool WriteDword(const char* keyPath, const char* name, DWORD value) {
    return WriteBinary(keyPath, name, &value, sizeof value, REG_DWORD);
}

bool ReadDword(const char* keyPath, const char* name, DWORD& value) {
    DWORD size = sizeof value;
    const LONG status = SHGetValueA(HKEY_CURRENT_USER, keyPath, name, nullptr, &value, &size);
    return status == ERROR_SUCCESS && size == sizeof value;
}

void WriteSettings(const std::vector<DWORD>& values) {
    for (size_t i = 0; i < values.size(); ++i) WriteDword(kSettingsKeyPath, kSettingNames[i], values[i]);
}

std::string StoredSettings() {
    std::string text;
    for (const char* name : kSettingNames) {
        DWORD value = 0;
        text += (ReadDword(kSettingsKeyPath, name, value) ? std::to_string(static_cast<int>(value)) : "-") + " ";
    }
    return text;
}

void PressKey(WORD virtualKey, bool down) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof input);
    Sleep(15);
}

void TapKey(WORD virtualKey) { PressKey(virtualKey, true), PressKey(virtualKey, false); }

HANDLE DuplicateOf(HANDLE handle) {
    HANDLE copy = nullptr;
    DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
    return copy;
}

std::string WindowText(HWND window) {
    char text[2000] = {};
    SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

HWND CreateSolidWindow(int x, int y, int width, int height, COLORREF colour) {
    const std::string name = "ZorvSolid" + std::to_string(colour);
    WNDCLASSA solid = {};
    solid.lpfnWndProc = DefWindowProcA;
    solid.hbrBackground = CreateSolidBrush(colour);  // the class keeps it for the process
    solid.lpszClassName = name.c_str();
    if (!RegisterClassA(&solid)) DeleteObject(solid.hbrBackground);
    return CreateWindowExA(WS_EX_TOPMOST | WS_EX_NOACTIVATE, name.c_str(), "", WS_POPUP | WS_VISIBLE, x, y, width,
                           height, nullptr, nullptr, nullptr, nullptr);
}

std::string DescribeMessages(const std::vector<MessageRecord>& messages) {
    std::string text;
    char line[80];
    for (const MessageRecord& record : messages) {
        std::snprintf(line, sizeof line, "  0x%04x wParam 0x%lx lParam 0x%lx\n", record.message,
                      static_cast<unsigned long>(record.wParam), static_cast<unsigned long>(record.lParam));
        text += line;
    }
    return text.empty() ? "  (none)\n" : text;
}

LRESULT SendDisplayState(HWND window, DWORD state) {
    struct {
        GUID setting;  // GUID_CONSOLE_DISPLAY_STATE
        DWORD length;
        DWORD state;
    } notification = {{0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}}, 4, state};
    return SendMessageA(window, WM_POWERBROADCAST, 0x8013, reinterpret_cast<LPARAM>(&notification));
}
