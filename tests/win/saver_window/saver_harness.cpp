#include "saver_harness.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <utility>

#include "core/settings_values.h"
#include "host/saver_window.h"

namespace {

constexpr UINT kMarker = WM_USER + 0x7A0;   // not recorded: see Settle
constexpr UINT kRunCode = WM_USER + 0x7A1;  // lParam: a std::function to run

std::mutex lock;
std::vector<Msg> records;
volatile LONG markersSeen = 0;
WNDPROC saverProc = nullptr;
SaverRun* current = nullptr;

LRESULT CALLBACK RecorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRunCode) (*reinterpret_cast<const std::function<void()>*>(lParam))();
    if (message == kMarker) InterlockedIncrement(&markersSeen);
    if (message == kRunCode || message == kMarker) return 0;
    size_t index;
    {
        std::lock_guard<std::mutex> hold(lock);
        records.push_back({message, wParam, kAny, lParam});
        index = records.size() - 1;
    }
    LRESULT result = CallWindowProcA(saverProc, window, message, wParam, lParam);
    Msg answered;
    {
        std::lock_guard<std::mutex> hold(lock);
        answered = records[index];
        records[index].result = answered.result = result;
    }
    if (SaverRun::afterEach) SaverRun::afterEach(answered);
    return result;
}

// Subclasses the saver window before it sees its first message.
LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam) {
    char name[64] = "";
    HWND window = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_CREATEWND && !current->window && GetClassNameA(window, name, sizeof name) &&
        std::strcmp(name, kSaverClassName) == 0) {
        SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &current->runningAtCreation, 0);
        saverProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecorderProc)));
        current->window = window;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void SendPair(INPUT first, INPUT second) {
    INPUT inputs[2] = {first, second};
    SendInput(2, inputs, sizeof(INPUT));
}

std::string Describe(const std::vector<Msg>& messages) {
    std::string text;
    char line[80];
    for (const Msg& m : messages) {
        std::snprintf(line, sizeof line, "  0x%04x wParam 0x%lx -> 0x%lx\n", m.message,
                      static_cast<unsigned long>(m.wParam), static_cast<unsigned long>(m.result));
        text += line;
    }
    return text;
}

}  // namespace

std::function<void(const Msg&)> SaverRun::afterEach;

::testing::AssertionResult SameSequence(const std::vector<Msg>& expected, const std::vector<Msg>& received) {
    bool same = expected.size() == received.size();
    for (size_t i = 0; same && i < expected.size(); ++i) {
        const Msg &e = expected[i], &r = received[i];
        same = e.message == r.message && e.wParam == r.wParam && (e.result == kAny || e.result == r.result);
    }
    if (same) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected:\n" << Describe(expected) << "received:\n" << Describe(received);
}

void ResetHost(int isWin9x) {
    HINSTANCE instance = host.instance;
    host = HostState{};
    host.instance = instance;
    host.isWin9x = isWin9x;
    const std::pair<const char*, DWORD> quiet[] = {
        {kDensityValue, 1}, {kPowerValue, 100}, {kMixPixValue, 0}, {kRayValue, 10}, {kBackgroundModeValue, 3},
        {kDelayValue, 100}, {kTimeoutValue, static_cast<DWORD>(kTimeoutNever)}};
    for (const auto& value : quiet) WriteDword(kSettingsKeyPath, value.first, value.second);
    SetCursorPos(kStart.x, kStart.y);
}

SaverRun::SaverRun(HWND parent) : parent_(parent) {
    Forget();
    current = this;
    thread_ = CreateThread(nullptr, 0, ThreadMain, this, 0, &threadId_);
    if (PumpUntil([this] { return window || Ended(); }, 10000) && window) Settle();
}

DWORD WINAPI SaverRun::ThreadMain(LPVOID self) {
    HHOOK hook = SetWindowsHookExA(WH_CBT, CreationHook, nullptr, GetCurrentThreadId());
    static_cast<SaverRun*>(self)->result = RunSaver(static_cast<SaverRun*>(self)->parent_);
    UnhookWindowsHookEx(hook);
    return 0;
}

SaverRun::~SaverRun() {
    // A refusing provider keeps a close from closing: ending the loop
    // takes the window down with its thread.
    if (!Ended()) PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    if (!PumpUntil([this] { return Ended(); }, 10000)) TerminateThread(thread_, 1);
    UnregisterClassA(kSaverClassName, host.instance);
    CloseHandle(thread_);
    afterEach = nullptr;
}

void SaverRun::OnSaverThread(const std::function<void()>& code) {
    SendMessageA(window, kRunCode, 0, reinterpret_cast<LPARAM>(&code));
}

// A marker posted and seen, three times over. A window destroyed
// meanwhile drops the marker; its thread then ends.
void SaverRun::Settle() {
    for (int round = 0; round < 3; ++round) {
        LONG before = markersSeen;
        if (!PostMessageA(window, kMarker, 0, 0)) return;
        PumpUntil([&] { return markersSeen != before || Ended(); }, 10000);
    }
}

std::vector<Msg> SaverRun::Received(std::initializer_list<UINT> numbers) const {
    std::lock_guard<std::mutex> hold(lock);
    std::vector<Msg> chosen;
    for (const Msg& m : records)
        if (std::find(numbers.begin(), numbers.end(), m.message) != numbers.end()) chosen.push_back(m);
    return chosen;
}

std::vector<Msg> SaverRun::Await(std::initializer_list<UINT> numbers, size_t count) {
    PumpUntil([&] {
        std::vector<Msg> got = Received(numbers);
        return got.size() >= count && std::none_of(got.begin(), got.end(), [](const Msg& m) { return m.result == kAny; });
    }, 5000);
    Settle();
    return Received(numbers);
}

void SaverRun::Forget() {
    std::lock_guard<std::mutex> hold(lock);
    records.clear();
}

BOOL SaverRunningState() {
    BOOL running = 2;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    return running;
}

void SetSaverRunningState(BOOL running) {
    BOOL previous;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, running, &previous, 0);
}

void PressKey(WORD virtualKey) {
    INPUT key = {};
    key.type = INPUT_KEYBOARD;
    key.ki.wVk = virtualKey;
    key.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, 0));
    INPUT up = key;
    up.ki.dwFlags = KEYEVENTF_KEYUP;
    SendPair(key, up);
}

void Click(DWORD downFlag) {
    INPUT down = {};
    down.type = INPUT_MOUSE;
    down.mi.dwFlags = downFlag;
    INPUT up = down;
    up.mi.dwFlags = downFlag << 1;
    SendPair(down, up);
}
