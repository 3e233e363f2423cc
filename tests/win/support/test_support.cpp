#include "test_support.h"

#include <cstdio>
#include <cstdlib>

#include "resources/resource.h"

namespace {

std::string UnixToWindowsPath(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return "Z:" + path;
}

}  // namespace

std::string DistPath(const char* fileName) {
    const char* dist = std::getenv("ZORV_DIST");
    std::string folder = dist ? UnixToWindowsPath(dist) : std::string(".");
    return folder + "\\" + fileName;
}

std::string SaverPath() { return DistPath("zorv.scr"); }

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
    if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info.hProcess, kProcessTimedOut);
        WaitForSingleObject(info.hProcess, 5000);
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

DWORD RunningProcess::WaitForExit(DWORD timeoutMs) {
    if (!started) return kProcessTimedOut;
    DWORD start = GetTickCount();
    // Keep this thread's windows answering while the child runs: the child
    // may send messages to a window of ours (a preview's parent).
    while (MsgWaitForMultipleObjects(1, &info.hProcess, FALSE, 50, QS_ALLINPUT) != WAIT_OBJECT_0) {
        PumpMessagesFor(0);
        if (GetTickCount() - start >= timeoutMs) {
            TerminateProcess(info.hProcess, kProcessTimedOut);
            WaitForSingleObject(info.hProcess, 5000);
            return kProcessTimedOut;
        }
    }
    DWORD code = kProcessTimedOut;
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

void DeleteSettingsKey() {
    RegDeleteKeyA(HKEY_CURRENT_USER, "SOFTWARE\\Zorv\\Images");
    RegDeleteKeyA(HKEY_CURRENT_USER, "SOFTWARE\\Zorv");
}

CleanSettingsKey::CleanSettingsKey() { DeleteSettingsKey(); }
CleanSettingsKey::~CleanSettingsKey() { DeleteSettingsKey(); }

bool WriteBinary(const char* keyPath, const char* name, const void* data, DWORD size, DWORD type) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != 0)
        return false;
    LONG status = RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool WriteDword(const char* keyPath, const char* name, DWORD value) {
    return WriteBinary(keyPath, name, &value, sizeof value, REG_DWORD);
}

bool ReadDword(const char* keyPath, const char* name, DWORD& value) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != 0) return false;
    DWORD size = sizeof value;
    LONG status = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && size == sizeof value;
}

bool ValueExists(const char* keyPath, const char* name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != 0) return false;
    LONG status = RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
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
