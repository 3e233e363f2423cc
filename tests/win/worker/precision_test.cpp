// The worker sets the x87 precision its puffs rely on, whatever its thread
// started with: here the worker's routine runs on a thread left at 64 bits.
#include <gtest/gtest.h>

#include <float.h>

#include "fog/fog_engine.h"
#include "fog/fog_saver_proc.h"
#include "fog_test_window.h"

namespace {

constexpr WORD kPrecisionBits = 0x300;
constexpr WORD kDoublePrecision = 0x200;
constexpr WORD kExtendedPrecision = 0x300;

// The precision bits of a thread that is busy in its own code, after it
// has had time to start. Wine gives no floating-point state for a thread
// stopped inside a system call, so the thread is caught a few times until
// it is seen at work.
WORD PrecisionOf(HANDLE thread) {
    Sleep(300);
    for (int attempt = 0; attempt < 500; ++attempt) {
        CONTEXT context = {};
        context.ContextFlags = CONTEXT_FLOATING_POINT;
        SuspendThread(thread);
        const BOOL read = GetThreadContext(thread, &context);
        ResumeThread(thread);
        if (read && context.FloatSave.ControlWord != 0) return context.FloatSave.ControlWord & kPrecisionBits;
        Sleep(1);
    }
    return 0xFFFF;
}

DWORD WINAPI WorkerAtExtendedPrecision(LPVOID) {
    _controlfp(_PC_64, _MCW_PC);
    return FogWorker(nullptr);
}

DWORD WINAPI SpinAtExtendedPrecision(LPVOID stop) {
    _controlfp(_PC_64, _MCW_PC);
    volatile double sum = 0;
    while (!*static_cast<volatile bool*>(stop)) sum = sum + 1.0;
    return 0;
}

TEST(FogWorker, PuffsAtDoublePrecision) {
    // What the reading sees of a thread that keeps its 64 bits.
    volatile bool stop = false;
    HANDLE spinner = CreateThread(nullptr, 0, SpinAtExtendedPrecision, const_cast<bool*>(&stop), 0, nullptr);
    EXPECT_EQ(kExtendedPrecision, PrecisionOf(spinner));
    stop = true;
    WaitForSingleObject(spinner, INFINITE);
    CloseHandle(spinner);

    CleanSettingsKey clean;
    StoreSettings(3, 0, kNever, 100, 200);  // large puffs one after another
    FogWindowLog log;
    HWND window = CreateFogWindow(log, 400, 300, true);
    ASSERT_TRUE(theFog.StopEvent);
    HANDLE worker = CreateThread(nullptr, 0, WorkerAtExtendedPrecision, nullptr, 0, nullptr);
    EXPECT_EQ(kDoublePrecision, PrecisionOf(worker));
    SetEvent(theFog.StopEvent);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(worker, 5000));
    CloseHandle(worker);
    SendMessageA(window, WM_CLOSE, 0, 0);
}

}  // namespace
