// The fault guard with real processor faults, in this process: what the
// platform's UnhandledExceptionFilter answers decides whether the guard's
// handler runs (clearing the saver-running state and ending the mode with
// kFaultExitCode), the fault is retried, or it goes on to outer handlers.
//
// What Wine 8 does: UnhandledExceptionFilter first calls a filter
// installed with SetUnhandledExceptionFilter and returns its answer unless
// that is EXCEPTION_CONTINUE_SEARCH. Otherwise it starts the debugger named
// under AeDebug ("winedbg --auto"; the crash dialog being off does not
// change that, nor does SEM_NOGPFAULTERRORBOX), which attaches; being
// debugged, the filter answers EXCEPTION_CONTINUE_SEARCH, and the debugger
// ends the process when no handler takes the fault. Only when no debugger
// can be started does it answer EXCEPTION_EXECUTE_HANDLER by itself. The
// tests here decide through a filter of their own; the last one shows the
// platform's own course in a child process.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "host/fault_guard.h"
#include "host/host_state.h"
#include "test_support.h"

namespace {

BOOL RunningState() {
    BOOL running = 0xDEADBEEF;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    return running;
}

void SetRunningState(BOOL running) {
    BOOL previous;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, running, &previous, 0);
}

EXCEPTION_REGISTRATION_RECORD* ChainHead() {
    EXCEPTION_REGISTRATION_RECORD* head;
    __asm__ __volatile__("movl %%fs:0, %0" : "=r"(head));
    return head;
}

void WriteThroughNull() {
    volatile int* nowhere = nullptr;
    *nowhere = 1;
}

// What a filter installed with SetUnhandledExceptionFilter saw, and how it
// answers, call by call.
struct FilterScript {
    std::vector<LONG> answers;
    int calls = 0;
    DWORD code = 0;
    ULONG_PTR accessKind = 0xDEADBEEF;
    ULONG_PTR address = 0xDEADBEEF;
    void* protectedPage = nullptr;
};
FilterScript script;

LONG WINAPI ScriptedFilter(EXCEPTION_POINTERS* fault) {
    const EXCEPTION_RECORD* record = fault->ExceptionRecord;
    script.code = record->ExceptionCode;
    if (record->NumberParameters >= 2) {
        script.accessKind = record->ExceptionInformation[0];
        script.address = record->ExceptionInformation[1];
    }
    LONG answer = script.answers.at(script.calls++);
    if (answer == EXCEPTION_CONTINUE_EXECUTION && script.protectedPage) {
        DWORD old;
        VirtualProtect(script.protectedPage, 4096, PAGE_READWRITE, &old);
    }
    return answer;
}

struct FaultGuardTest : ::testing::Test {
    LPTOP_LEVEL_EXCEPTION_FILTER previousFilter = nullptr;
    void SetUp() override {
        script = FilterScript{};
        host.isWin9x = 1;  // the saver-running state is only touched on the 95/98 family
        SetRunningState(TRUE);
        ASSERT_EQ(TRUE, RunningState());
    }
    void TearDown() override {
        SetUnhandledExceptionFilter(previousFilter);
        SetRunningState(FALSE);
    }
    void InstallFilter(std::vector<LONG> answers) {
        script.answers = std::move(answers);
        previousFilter = SetUnhandledExceptionFilter(ScriptedFilter);
    }
};

TEST_F(FaultGuardTest, WithoutAFaultTheModesResultComesBackAndNothingIsCleared) {
    EXCEPTION_REGISTRATION_RECORD* before = ChainHead();
    EXPECT_EQ(7, RunInFaultGuard([] { return 7; }));
    EXPECT_EQ(before, ChainHead());
    EXPECT_EQ(TRUE, RunningState());
}

TEST_F(FaultGuardTest, ANullWriteEndsTheModeWhenTheFilterSaysTheHandlerRuns) {
    InstallFilter({EXCEPTION_EXECUTE_HANDLER});
    EXCEPTION_REGISTRATION_RECORD* before = ChainHead();
    bool wentOn = false;
    int result = RunInFaultGuard([&] {
        WriteThroughNull();
        wentOn = true;
        return 7;
    });
    EXPECT_EQ(kFaultExitCode, result);
    EXPECT_FALSE(wentOn);
    EXPECT_EQ(FALSE, RunningState());
    EXPECT_EQ(before, ChainHead());  // the guard's record and those above it are gone

    EXPECT_EQ(1, script.calls);
    EXPECT_EQ(static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION), script.code);
    EXPECT_EQ(1u, script.accessKind);  // a write
    EXPECT_EQ(0u, script.address);
}

TEST_F(FaultGuardTest, OnTheNTFamilyTheHandlerLeavesTheSaverRunningStateAlone) {
    host.isWin9x = 0;
    InstallFilter({EXCEPTION_EXECUTE_HANDLER});
    EXPECT_EQ(kFaultExitCode, RunInFaultGuard([] {
                  WriteThroughNull();
                  return 7;
              }));
    EXPECT_EQ(TRUE, RunningState());
}

TEST_F(FaultGuardTest, AContinueExecutionAnswerRetriesTheFaultingWrite) {
    auto* page = static_cast<volatile int*>(VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READONLY));
    ASSERT_TRUE(page);
    script.protectedPage = const_cast<int*>(page);
    InstallFilter({EXCEPTION_CONTINUE_EXECUTION});
    EXPECT_EQ(5, RunInFaultGuard([page] {
                  *page = 42;  // faults once; the filter makes the page writable
                  return 5;
              }));
    EXPECT_EQ(42, *page);
    EXPECT_EQ(1, script.calls);
    EXPECT_EQ(TRUE, RunningState());
    VirtualFree(const_cast<int*>(page), 0, MEM_RELEASE);
}

LRESULT CALLBACK FaultingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP + 1) WriteThroughNull();
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(FaultGuardTest, AFaultInAWindowProcedureIsCaughtThroughTheMessageDispatch) {
    InstallFilter({EXCEPTION_EXECUTE_HANDLER, EXCEPTION_EXECUTE_HANDLER});
    WNDCLASSA faultingClass = {};
    faultingClass.lpfnWndProc = FaultingProc;
    faultingClass.hInstance = host.instance;
    faultingClass.lpszClassName = "ZorvFaultingWindow";
    ASSERT_TRUE(RegisterClassA(&faultingClass));
    HWND window = CreateWindowA("ZorvFaultingWindow", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, host.instance, nullptr);
    ASSERT_TRUE(window);
    EXCEPTION_REGISTRATION_RECORD* before = ChainHead();

    // Once sent, once posted and dispatched by a message loop, as the
    // saver's own loop would.
    EXPECT_EQ(kFaultExitCode, RunInFaultGuard([window] { return static_cast<int>(SendMessageA(window, WM_APP + 1, 0, 0)); }));
    EXPECT_EQ(before, ChainHead());
    SetRunningState(TRUE);
    EXPECT_EQ(kFaultExitCode, RunInFaultGuard([window] {
                  PostMessageA(window, WM_APP + 1, 0, 0);
                  MSG message;
                  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
                  return 3;
              }));
    EXPECT_EQ(before, ChainHead());
    EXPECT_EQ(FALSE, RunningState());

    // The window system is still usable afterwards.
    EXPECT_EQ(0, SendMessageA(window, WM_NULL, 0, 0));
    DestroyWindow(window);
}

TEST_F(FaultGuardTest, WithThePlatformsDefaultsTheFaultGoesOnToOuterHandlers) {
    // fault_guard_child.exe: a guard inside a handler record of its own,
    // which ends the child with 42 when the fault reaches it.
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string child = self;
    child = child.substr(0, child.find_last_of('\\') + 1) + "fault_guard_child.exe";
    DWORD code = RunProcess("\"" + child + "\"", 60000);
    // Wine's filter started its debugger and answered "search on"; the
    // guard's handler did not run (it would have returned kFaultExitCode
    // and cleared the saver-running state).
    EXPECT_EQ(42u, code);
    EXPECT_EQ(TRUE, RunningState()) << "the child's guard handler cleared the saver-running state";
}

}  // namespace
