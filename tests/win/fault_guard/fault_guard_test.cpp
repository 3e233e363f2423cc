// The fault guard with real null writes: the answer of the platform's
// UnhandledExceptionFilter decides whether the guard's handler runs. Wine's
// filter returns the answer of one installed with
// SetUnhandledExceptionFilter; without one it starts its debugger, and
// being debugged answers "search on" (the last test, in a child).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host/fault_guard.h"
#include "host/saver_effect.h"
#include "tests/win/support/test_support.h"

namespace {

EXCEPTION_REGISTRATION_RECORD* ChainHead() {
    EXCEPTION_REGISTRATION_RECORD* head;
    __asm__ __volatile__("movl %%fs:0, %0" : "=r"(head));
    return head;
}

int WriteThroughNull() {
    *static_cast<volatile int*>(nullptr) = 1;
    return 7;
}

LONG WINAPI ExecuteTheHandler(EXCEPTION_POINTERS*) { return EXCEPTION_EXECUTE_HANDLER; }

// A null write inside the guarded mode; the saver-running state is cleared
// on the 95/98 family only.
TEST(FaultGuard, AFaultEndsTheModeAndClearsTheRunningStateOnThe9xFamily) {
    SetUnhandledExceptionFilter(ExecuteTheHandler);  // this process runs this test alone
    BOOL running = TRUE;
    for (int isWin9x : {0, 1}) {
        host.isWin9x = isWin9x;
        SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, TRUE, &running, 0);
        EXCEPTION_REGISTRATION_RECORD* before = ChainHead();
        EXPECT_EQ(7, RunInFaultGuard([] { return 7; }));
        EXPECT_EQ(kFaultExitCode, RunInFaultGuard(WriteThroughNull));
        EXPECT_EQ(before, ChainHead());  // the guard's record is gone
        SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
        EXPECT_EQ(!isWin9x, running) << isWin9x;
    }
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, FALSE, &running, 0);
}

EXCEPTION_DISPOSITION NTAPI ExitWith42(EXCEPTION_RECORD*, void*, CONTEXT*, void*) { ExitProcess(42); }

// The test runs this program again as a child, which guards a fault with
// the platform's defaults inside a handler record of its own.
TEST(FaultGuard, WithThePlatformsDefaultsTheFaultGoesOnToOuterHandlers) {
    if (std::strstr(GetCommandLineA(), " as-child")) {
        EXCEPTION_REGISTRATION_RECORD outer = {ChainHead(), ExitWith42};
        __asm__ __volatile__("movl %0, %%fs:0" : : "r"(&outer) : "memory");
        host.isWin9x = 1;
        ExitProcess(static_cast<UINT>(RunInFaultGuard(WriteThroughNull)));
    }
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, sizeof self);
    // 42: the fault went past the guard; kFaultExitCode would mean its handler ran.
    EXPECT_EQ(42u, RunProcess(std::string("\"") + self + "\" --gtest_filter=*WithThePlatforms* as-child", 60000));
}

}  // namespace
