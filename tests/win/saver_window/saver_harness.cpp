#include "saver_harness.h"

#include <algorithm>
#include <cstring>
#include <sstream>
#include <utility>

#include "core/settings_values.h"
#include "host/saver_window.h"

namespace {

// Neither is recorded: see Settle and RunHere.
constexpr UINT kMarker = WM_USER + 0x7A0;
constexpr UINT kRunHere = WM_USER + 0x7A1;

// The saver's thread records while the test's thread reads.
struct RecordLock {
    CRITICAL_SECTION section;
    RecordLock() { InitializeCriticalSection(&section); }
    void lock() { EnterCriticalSection(&section); }
    void unlock() { LeaveCriticalSection(&section); }
} lock;
struct Hold {
    Hold() { lock.lock(); }
    ~Hold() { lock.unlock(); }
};
std::vector<Msg> records;
volatile LONG markersSeen = 0;
WNDPROC saverProc = nullptr;
HWND* created = nullptr;

LRESULT CALLBACK RecorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kMarker) return InterlockedIncrement(&markersSeen);
    if (message == kRunHere) return (*reinterpret_cast<const std::function<void()>*>(lParam))(), 0;
    lock.lock();
    const size_t index = records.size();
    records.push_back({message, wParam, kAny, SaverRunningState()});
    lock.unlock();
    LRESULT result = CallWindowProcA(saverProc, window, message, wParam, lParam);
    Hold hold;
    records[index].result = result;
    return result;
}

// Subclasses the saver window before it sees its first message.
LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam) {
    char name[64] = "";
    HWND window = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_CREATEWND && !*created && GetClassNameA(window, name, sizeof name) &&
        std::strcmp(name, kSaverClassName) == 0) {
        saverProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecorderProc)));
        *created = window;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

::testing::AssertionResult SameSequence(const std::vector<Msg>& expected, const std::vector<Msg>& received) {
    auto same = [](const Msg& e, const Msg& r) {
        return e.message == r.message && e.wParam == r.wParam && (e.result == kAny || e.result == r.result);
    };
    if (std::equal(expected.begin(), expected.end(), received.begin(), received.end(), same))
        return ::testing::AssertionSuccess();
    std::ostringstream text;
    text << std::hex << "message/wParam->answer; expected:";
    for (const std::vector<Msg>* list : {&expected, &received}) {
        for (const Msg& m : *list) text << " 0x" << m.message << "/0x" << m.wParam << "->0x" << m.result;
        text << (list == &expected ? "\nreceived:" : "");
    }
    return ::testing::AssertionFailure() << text.str();
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
    created = &window;
    thread_ = CreateThread(nullptr, 0, ThreadMain, this, 0, &threadId_);
    if (PumpUntil([this] { return window || Ended(); }, 10000) && window) Settle();
}

DWORD WINAPI SaverRun::ThreadMain(LPVOID self) {
    HHOOK hook = SetWindowsHookExA(WH_CBT, CreationHook, nullptr, GetCurrentThreadId());
    RunSaver(static_cast<SaverRun*>(self)->parent_);
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
    Hold hold;
    std::vector<Msg> chosen;
    for (const Msg& m : records)
        if (std::find(numbers.begin(), numbers.end(), m.message) != numbers.end()) chosen.push_back(m);
    return chosen;
}

std::vector<Msg> SaverRun::Await(std::initializer_list<UINT> numbers, size_t count) {
    PumpUntil([&] {
        std::vector<Msg> got = Received(numbers);
        return got.size() >= count && std::all_of(got.begin(), got.end(), [](Msg m) { return m.result != kAny; });
    }, 5000);
    Settle();
    return Received(numbers);
}

void SaverRun::RunHere(const std::function<void()>& action) {
    SendMessageA(window, kRunHere, 0, reinterpret_cast<LPARAM>(&action));
}

void SaverRun::Forget() {
    Hold hold;
    records.clear();
}

BOOL SaverRunningState() {
    BOOL running = 2;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    return running;
}

void PressKey(WORD virtualKey) {
    keybd_event(static_cast<BYTE>(virtualKey), 0, 0, 0);
    keybd_event(static_cast<BYTE>(virtualKey), 0, KEYEVENTF_KEYUP, 0);
}
