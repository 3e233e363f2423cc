// Helpers shared by the tests that run under Wine.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The finished saver, as a Windows path (dist/zorv.scr of this checkout).
std::string SaverPath();
// A Windows path of a fresh folder for this test's files.
std::string ScratchFolder();

// Starts a program and waits for it to end; the exit code, or
// kProcessTimedOut (after killing it) when it did not end in time.
constexpr DWORD kProcessTimedOut = 0xDEADBEEF;
DWORD RunProcess(const std::string& commandLine, DWORD timeoutMs = 30000);

// A started program that the test talks to while it runs.
struct RunningProcess {
    PROCESS_INFORMATION info = {};
    bool started = false;
    explicit RunningProcess(const std::string& commandLine);
    ~RunningProcess();  // kills it if it is still running
    // The exit code, or kProcessTimedOut when it did not end in time.
    DWORD WaitForExit(DWORD timeoutMs);
    RunningProcess(const RunningProcess&) = delete;
    RunningProcess& operator=(const RunningProcess&) = delete;
};

// Dispatches this thread's messages for the given time, waking for each
// one as it arrives (the way Wine's own tests let X settle).
void PumpMessagesFor(DWORD milliseconds);
// Pumps until the condition holds or the time is up; whether it held.
template <class Condition>
bool PumpUntil(Condition condition, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start >= timeoutMs) return false;
        PumpMessagesFor(10);
    }
    return true;
}

// Deletes HKCU\SOFTWARE\Zorv (with its Images subkey) when made and again
// when it goes, so that every test starts from no settings and leaves none.
struct CleanSettingsKey {
    CleanSettingsKey();
    ~CleanSettingsKey();
};
void DeleteSettingsKey();

// Registry shorthands for HKCU; false on failure.
bool WriteDword(const char* keyPath, const char* name, DWORD value);
bool WriteBinary(const char* keyPath, const char* name, const void* data, DWORD size, DWORD type);
bool ReadDword(const char* keyPath, const char* name, DWORD& value);
// The seven settings under HKCU\SOFTWARE\Zorv in storage order (Density,
// Power, MixPix, Ray, BackgroundMode, Delay, Timeout): the first
// values.size() written; all seven read as signed numbers, "-" for a missing one.
void WriteSettings(const std::vector<DWORD>& values);
std::string StoredSettings();

// Real input through the system's input queue, one event at a time: events
// too close together may reach the window as one.
void PressKey(WORD virtualKey, bool down);
void TapKey(WORD virtualKey);
// A handle of this process's own to the same object.
HANDLE DuplicateOf(HANDLE handle);
// A window's text, of other processes' windows too.
std::string WindowText(HWND window);
// Sends the power-setting notification of the console display's state (0
// off, 1 on, 2 dimmed), as Windows 8 and later send it to the windows that
// asked; the answer.
LRESULT SendDisplayState(HWND window, DWORD state);
// A visible topmost popup of one colour that takes no activation.
HWND CreateSolidWindow(int x, int y, int width, int height, COLORREF colour);

// A record of messages, compared with an expected sequence the way Wine's
// conformance tests do; a mismatch prints both sequences.
struct MessageRecord {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::string DescribeMessages(const std::vector<MessageRecord>& messages);
