#include "saver_harness.h"

#include <cstdio>
#include <cstring>
#include <mutex>

#include "core/settings_values.h"
#include "host/saver_window.h"

namespace {

// Runs a std::function on the saver's thread (lParam points at it).
constexpr UINT kRunCodeMessage = WM_USER + 0x7A1;
// A marker that is waited for but not recorded.
constexpr WPARAM kQuietMarker = 0xFFFFFFFF;

std::mutex recordLock;
std::vector<ReceivedMessage> records;
WNDPROC saverProc = nullptr;
SaverRun* activeRun = nullptr;
HANDLE windowCreated = nullptr;
HANDLE markerSeen = nullptr;
HWND createdWindow = nullptr;
BOOL runningAtCreation = 0xDEADBEEF;
std::function<void(const ReceivedMessage&)> afterMessage;

LRESULT CALLBACK RecorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRunCodeMessage) {
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return 0;
    }
    if (message == kSettledMarker) {
        if (wParam != kQuietMarker) {
            std::lock_guard<std::mutex> hold(recordLock);
            records.push_back({message, wParam, 0, 0});
        }
        SetEvent(markerSeen);
        return 0;
    }
    size_t index;
    {
        std::lock_guard<std::mutex> hold(recordLock);
        records.push_back({message, wParam, lParam, static_cast<LRESULT>(0xDEADBEEF)});
        index = records.size() - 1;
    }
    LRESULT result = CallWindowProcA(saverProc, window, message, wParam, lParam);
    ReceivedMessage answered;
    {
        std::lock_guard<std::mutex> hold(recordLock);
        records[index].result = result;
        answered = records[index];
    }
    if (afterMessage) afterMessage(answered);
    return result;
}

// Subclasses the saver window before it sees its first message.
LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && activeRun && !saverProc) {
        HWND window = reinterpret_cast<HWND>(wParam);
        char className[64] = "";
        GetClassNameA(window, className, sizeof className);
        if (std::strcmp(className, kSaverClassName) == 0) {
            createdWindow = window;
            SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &runningAtCreation, 0);
            saverProc = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecorderProc)));
            SetEvent(windowCreated);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Waits for an object while this thread's windows keep answering (a
// preview's parent lives on the test's thread).
bool WaitPumping(HANDLE object, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) return WaitForSingleObject(object, 0) == WAIT_OBJECT_0;
        DWORD woke = MsgWaitForMultipleObjects(1, &object, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0) return true;
        PumpMessagesFor(0);
    }
}

void SendKeyboard(WORD virtualKey, DWORD flags) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, 0));
    input.ki.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

void SendMouse(DWORD flags) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

std::string Describe(const std::vector<ReceivedMessage>& messages) {
    std::string text;
    char line[120];
    for (const ReceivedMessage& m : messages) {
        std::snprintf(line, sizeof line, "  0x%04x wParam 0x%lx lParam 0x%lx -> 0x%lx\n", m.message,
                      static_cast<unsigned long>(m.wParam), static_cast<unsigned long>(m.lParam),
                      static_cast<unsigned long>(m.result));
        text += line;
    }
    return text.empty() ? "  (none)\n" : text;
}

std::string Describe(const std::vector<Expected>& messages) {
    std::string text;
    char line[120];
    for (const Expected& m : messages) {
        std::snprintf(line, sizeof line, "  0x%04x wParam 0x%lx", m.message, static_cast<unsigned long>(m.wParam));
        text += line;
        if (m.checkLParam) {
            std::snprintf(line, sizeof line, " lParam 0x%lx", static_cast<unsigned long>(m.lParam));
            text += line;
        }
        if (m.checkResult) {
            std::snprintf(line, sizeof line, " -> 0x%lx", static_cast<unsigned long>(m.result));
            text += line;
        }
        text += "\n";
    }
    return text.empty() ? "  (none)\n" : text;
}

bool Matches(const Expected& e, const ReceivedMessage& r) {
    return e.message == r.message && e.wParam == r.wParam && (!e.checkLParam || e.lParam == r.lParam) &&
           (!e.checkResult || e.result == r.result);
}

}  // namespace

namespace {

std::string AppDefaultsKey(const std::string& exeName, const char* subkey) {
    std::string key = "Software\\Wine\\AppDefaults\\" + exeName;
    if (*subkey) key += std::string("\\") + subkey;
    return key;
}

std::string OwnExeName() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string full = path;
    return full.substr(full.find_last_of("\\/") + 1);
}

}  // namespace

void WriteAppDefaults(const std::string& exeName, std::initializer_list<AppDefault> settings) {
    for (const AppDefault& s : settings)
        WriteBinary(AppDefaultsKey(exeName, s.subkey).c_str(), s.name, s.value,
                    static_cast<DWORD>(std::strlen(s.value) + 1), REG_SZ);
}

bool AppDefaultsInPlace(const std::string& exeName, std::initializer_list<AppDefault> settings) {
    for (const AppDefault& s : settings) {
        char value[64] = "";
        DWORD size = sizeof value - 1;
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, AppDefaultsKey(exeName, s.subkey).c_str(), 0, KEY_READ, &key) != 0)
            return false;
        LONG status = RegQueryValueExA(key, s.name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
        RegCloseKey(key);
        if (status != ERROR_SUCCESS || std::strcmp(value, s.value) != 0) return false;
    }
    return true;
}

void RunWithAppDefaults(std::initializer_list<AppDefault> settings) {
    const std::string exeName = OwnExeName();
    if (AppDefaultsInPlace(exeName, settings)) return;
    WriteAppDefaults(exeName, settings);
    std::fflush(stdout);
    DWORD code = RunProcess(GetCommandLineA(), 110000);
    ExitProcess(code);
}

void ResetHostState(int isWin9x) {
    HINSTANCE instance = host.instance;
    host = HostState{};
    host.instance = instance;
    host.isWin9x = isWin9x;
}

void WriteQuietSettings() {
    WriteDword(kSettingsKeyPath, kDensityValue, 1);
    WriteDword(kSettingsKeyPath, kPowerValue, 100);
    WriteDword(kSettingsKeyPath, kMixPixValue, 0);
    WriteDword(kSettingsKeyPath, kRayValue, 10);
    WriteDword(kSettingsKeyPath, kBackgroundModeValue, 3);  // paints nothing
    WriteDword(kSettingsKeyPath, kDelayValue, 100);
    WriteDword(kSettingsKeyPath, kTimeoutValue, static_cast<DWORD>(kTimeoutNever));
}

SaverRun::SaverRun(HWND parent) : parent_(parent) {
    {
        std::lock_guard<std::mutex> hold(recordLock);
        records.clear();
    }
    saverProc = nullptr;
    createdWindow = nullptr;
    runningAtCreation = 0xDEADBEEF;
    activeRun = this;
    windowCreated = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    markerSeen = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, ThreadMain, this, CREATE_SUSPENDED, &threadId_);
    creationHook_ = SetWindowsHookExA(WH_CBT, CreationHook, nullptr, threadId_);
    ResumeThread(thread_);
    HANDLE either[2] = {windowCreated, thread_};
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 10000) {
        DWORD woke = MsgWaitForMultipleObjects(2, either, FALSE, 10000, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0 || woke == WAIT_OBJECT_0 + 1) break;
        PumpMessagesFor(0);
    }
    if (WaitForSingleObject(windowCreated, 0) != WAIT_OBJECT_0) return;
    window_ = createdWindow;
    Settle(1);  // the message loop runs
}

DWORD WINAPI SaverRun::ThreadMain(LPVOID self) {
    SaverRun* run = static_cast<SaverRun*>(self);
    run->result_ = RunSaver(run->parent_);
    return 0;
}

SaverRun::~SaverRun() {
    if (!Ended()) {
        // A refusing provider could keep a close from closing; ending the
        // loop takes the window down with its thread.
        PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        if (!WaitPumping(thread_, 10000)) TerminateThread(thread_, 1);
    }
    // A window that another thread destroyed (a preview's parent) or that
    // went with its thread may have outlived RunSaver's own attempt.
    UnregisterClassA(kSaverClassName, host.instance);
    if (creationHook_) UnhookWindowsHookEx(creationHook_);
    CloseHandle(thread_);
    CloseHandle(markerSeen);
    CloseHandle(windowCreated);
    activeRun = nullptr;
    afterMessage = nullptr;
}

LRESULT SaverRun::Send(UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessageA(window_, message, wParam, lParam);
}

void SaverRun::Post(UINT message, WPARAM wParam, LPARAM lParam) { PostMessageA(window_, message, wParam, lParam); }

void SaverRun::OnSaverThread(const std::function<void()>& code) {
    SendMessageA(window_, kRunCodeMessage, 0, reinterpret_cast<LPARAM>(&code));
}

void SaverRun::Settle(int rounds) {
    for (int round = 0; round < rounds; ++round) {
        if (!IsWindow(window_) || !PostMessageA(window_, kSettledMarker, kQuietMarker, 0)) return;
        if (!WaitForMarker()) return;
    }
}

void SaverRun::Mark(WPARAM step) {
    if (IsWindow(window_) && PostMessageA(window_, kSettledMarker, step, 0)) WaitForMarker();
}

void SaverRun::AfterEachMessage(std::function<void(const ReceivedMessage&)> check) { afterMessage = std::move(check); }

bool SaverRun::WaitForMessage(UINT message, DWORD timeoutMs) {
    return PumpUntil([this, message] { return !Received({message}).empty(); }, timeoutMs);
}

// A window destroyed meanwhile drops the marker; the run then ends.
bool SaverRun::WaitForMarker() {
    HANDLE either[2] = {markerSeen, thread_};
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 10000) {
        DWORD woke = MsgWaitForMultipleObjects(2, either, FALSE, 10000, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0) return true;
        if (woke == WAIT_OBJECT_0 + 1) return false;
        PumpMessagesFor(0);
    }
    return false;
}

bool SaverRun::WaitForEnd(DWORD timeoutMs) { return WaitPumping(thread_, timeoutMs); }

BOOL SaverRun::RunningStateAtCreation() const { return runningAtCreation; }

bool SaverRun::Ended() const { return WaitForSingleObject(thread_, 0) == WAIT_OBJECT_0; }

std::vector<ReceivedMessage> SaverRun::Received(std::initializer_list<UINT> numbers) const {
    std::lock_guard<std::mutex> hold(recordLock);
    std::vector<ReceivedMessage> chosen;
    for (const ReceivedMessage& m : records) {
        bool wanted = numbers.size() == 0;
        for (UINT n : numbers) wanted = wanted || n == m.message;
        if (wanted) chosen.push_back(m);
    }
    return chosen;
}

void SaverRun::ForgetReceived() {
    std::lock_guard<std::mutex> hold(recordLock);
    records.clear();
}

Expected Msg(UINT message, WPARAM wParam) { return Expected{message, wParam}; }

Expected MsgAnswered(UINT message, WPARAM wParam, LRESULT result) {
    Expected e{message, wParam};
    e.checkResult = true;
    e.result = result;
    return e;
}

std::string CompareSequence(const std::vector<Expected>& expected, const std::vector<ReceivedMessage>& received) {
    bool same = expected.size() == received.size();
    for (size_t i = 0; same && i < expected.size(); ++i) same = Matches(expected[i], received[i]);
    if (same) return "";
    return "expected messages:\n" + Describe(expected) + "received messages:\n" + Describe(received);
}

BOOL SaverRunningState() {
    BOOL running = 0xDEADBEEF;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    return running;
}

void SetSaverRunningState(BOOL running) {
    BOOL previous;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, running, &previous, 0);
}

void PressKey(WORD virtualKey) {
    SendKeyboard(virtualKey, 0);
    SendKeyboard(virtualKey, KEYEVENTF_KEYUP);
}

void ClickButton(DWORD downFlag, DWORD upFlag) {
    SendMouse(downFlag);
    SendMouse(upFlag);
}
