// A preview whose parent is taken away without a WM_DESTROY reaching the
// preview (its thread ends, its process is killed) ends on its own, and
// its worker with it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "fog/fog_engine.h"
#include "host/saver_window.h"
#include "saver_harness.h"
#include "test_support.h"

namespace {

// The promise is one second; a process's teardown under Wine gets room.
constexpr DWORD kEndsWithinMs = 1500;

// Makes the parent, then waits for a quit message and ends, taking the
// window with it undestroyed.
DWORD WINAPI ParentThread(void* window) {
    *static_cast<HWND*>(window) = CreateWindowA("STATIC", "parent", WS_POPUP | WS_VISIBLE, 0, 0, 200, 150, nullptr, nullptr, nullptr, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}

TEST(OrphanedPreview, EndsWithItsWorkerWhenTheParentsThreadEnds) {
    CleanSettingsKey clean;
    ResetHost(0);
    HWND parent = nullptr;
    DWORD parentThreadId = 0;
    HANDLE parentThread = CreateThread(nullptr, 0, ParentThread, &parent, 0, &parentThreadId);
    ASSERT_TRUE(PumpUntil([&] { return parent != nullptr; }, 5000));
    SaverRun run(parent);
    HANDLE worker = nullptr;
    ASSERT_TRUE(PumpUntil([] { return theFog.WorkerThread != nullptr; }, 5000));
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), theFog.WorkerThread, GetCurrentProcess(), &worker, SYNCHRONIZE, FALSE, 0));
    PostThreadMessageA(parentThreadId, WM_QUIT, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return run.Ended(); }, kEndsWithinMs));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(worker, 0)) << "the worker ended";
    for (HANDLE h : {worker, parentThread}) CloseHandle(h);
}

// The real zorv.scr as a preview in the configuration dialog of another
// zorv.scr, which is killed.
TEST(OrphanedPreview, TheSaverProcessEndsWhenTheParentsProcessIsKilled) {
    CleanSettingsKey clean;
    RunningProcess configuration("\"" + SaverPath() + "\" /c");
    HWND parent = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (parent = FindWindowA(nullptr, "ZORV 2.0")) != nullptr; }, 10000));
    RunningProcess preview("\"" + SaverPath() + "\" /p " + std::to_string(reinterpret_cast<UINT_PTR>(parent)));
    ASSERT_TRUE(PumpUntil([&] { return FindWindowExA(parent, nullptr, kSaverClassName, nullptr) != nullptr; }, 10000));
    TerminateProcess(configuration.info.hProcess, 1);
    EXPECT_EQ(0u, preview.WaitForExit(kEndsWithinMs));
}

}  // namespace
