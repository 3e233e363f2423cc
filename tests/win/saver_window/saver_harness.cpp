#include "saver_harness.h"

#include <algorithm>
#include <cstring>

#include "core/settings_values.h"
#include "host/saver_window.h"

namespace {

// Neither is recorded: see Settle and RunHere.
constexpr UINT kMarker = WM_USER + 0x7A0;
constexpr UINT kRunHere = WM_USER + 0x7A1;

// The saver's thread records while the test's thread reads.
CRITICAL_SECTION recordLock;
[[maybe_unused]] const bool recordLockReady = (InitializeCriticalSection(&recordLock), true);
struct Hold {
    Hold() { EnterCriticalSection(&recordLock); }
    ~Hold() { LeaveCriticalSection(&recordLock); }
};
std::vector<Msg> records;
volatile LONG markersSeen = 0;
WNDPROC saverProc = nullptr;
HWND* created = nullptr;

LRESULT CALLBACK RecorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kMarker) return InterlockedIncrement(&markersSeen);
    if (message == kRunHere) return (*reinterpret_cast<const std::function<void()>*>(lParam))(), 0;
    EnterCriticalSection(&recordLock);
    const size_t index = records.size();
    records.push_back({message, wParam, kAny, SaverRunningState()});
    LeaveCriticalSection(&recordLock);
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

// A mismatch prints both sequences, the answers as lParam; kAny where not compared.
::testing::AssertionResult SameSequence(const std::vector<Msg>& expected, const std::vector<Msg>& received) {
    std::vector<MessageRecord> wanted, got;
    for (size_t i = 0; i < received.size(); ++i) {
        const bool compared = i >= expected.size() || expected[i].result != kAny;
        got.push_back({received[i].message, received[i].wParam, compared ? received[i].result : kAny});
    }
    for (const Msg& m : expected) wanted.push_back({m.message, m.wParam, m.result});
    const std::string want = DescribeMessages(wanted), have = DescribeMessages(got);
    if (want == have) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected:\n" << want << "received:\n" << have;
}

void ResetHost(int isWin9x) {
    host = HostState{};
    host.instance = GetModuleHandleA(nullptr);
    host.isWin9x = isWin9x;
    WriteSettings({1, 100, 0, 10, 3, 100, static_cast<DWORD>(kTimeoutNever)});
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
    PumpUntil(
        [&] {
            std::vector<Msg> got = Received(numbers);
            return got.size() >= count && std::all_of(got.begin(), got.end(), [](Msg m) { return m.result != kAny; });
        },
        5000);
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
