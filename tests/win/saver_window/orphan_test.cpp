// A preview whose parent is taken away without a WM_DESTROY reaching the
// preview (its thread ends, its process is killed) ends on its own, and
// its worker with it.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "fog/fog_engine.h"
#include "host/saver_window.h"
#include "saver_harness.h"
#include "test_support.h"

namespace {

// How long a run may take to notice that it is orphaned and end: the
// promise is one second; process teardown under Wine gets some room.
constexpr DWORD kEndsWithinMs = 1500;

// A parent window on a thread of its own, which ends (taking the window
// with it, without destroying it first) when told to.
class ParentThread {
public:
    ParentThread() : ready_(CreateEventA(nullptr, TRUE, FALSE, nullptr)), end_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
        thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
        WaitForSingleObject(ready_, 10000);
    }
    ~ParentThread() {
        End();
        WaitForSingleObject(thread_, 10000);
        for (HANDLE h : {thread_, ready_, end_}) CloseHandle(h);
    }
    void End() { SetEvent(end_); }
    HWND window = nullptr;

private:
    static DWORD WINAPI Run(void* self) {
        auto* p = static_cast<ParentThread*>(self);
        p->window = CreateWindowA("STATIC", "parent", WS_POPUP | WS_VISIBLE, 0, 0, 200, 150, nullptr, nullptr, nullptr, nullptr);
        SetEvent(p->ready_);
        while (MsgWaitForMultipleObjects(1, &p->end_, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        }
        return 0;
    }
    HANDLE ready_, end_, thread_;
};

// In this process: the run ends and its worker has ended too, not merely
// been left behind by the loop.
TEST(OrphanedPreview, EndsWithItsWorkerWhenTheParentsThreadEnds) {
    CleanSettingsKey clean;
    ResetHost(0);
    ParentThread parent;
    SaverRun run(parent.window);
    ASSERT_TRUE(run.window);
    ASSERT_TRUE(PumpUntil([] { return theFog.WorkerThread != nullptr; }, 5000));
    HANDLE worker = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), theFog.WorkerThread, GetCurrentProcess(), &worker, SYNCHRONIZE, FALSE, 0));
    parent.End();
    const DWORD start = GetTickCount();
    EXPECT_TRUE(PumpUntil([&] { return run.Ended(); }, kEndsWithinMs)) << "still running after " << GetTickCount() - start << " ms";
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(worker, 0)) << "the worker ended";
    CloseHandle(worker);
}

// The real zorv.scr as a preview in another process's window: the parent's
// thread ends, or the process that owns the parent is killed.
TEST(OrphanedPreview, TheSaverProcessEndsWhateverTookTheParentAway) {
    CleanSettingsKey clean;
    for (bool killProcess : {false, true}) {
        ParentThread ownParent;
        std::unique_ptr<RunningProcess> configuration;
        HWND parent = ownParent.window;
        if (killProcess) {
            configuration = std::make_unique<RunningProcess>("\"" + SaverPath() + "\" /c");
            ASSERT_TRUE(PumpUntil([&] { return (parent = FindWindowA(nullptr, "ZORV 2.0")) != nullptr; }, 10000));
        }
        RunningProcess preview("\"" + SaverPath() + "\" /p " + std::to_string(reinterpret_cast<UINT_PTR>(parent)));
        ASSERT_TRUE(PumpUntil([&] { return FindWindowExA(parent, nullptr, kSaverClassName, nullptr) != nullptr; }, 10000))
            << "the preview shows, kill: " << killProcess;
        if (killProcess)
            TerminateProcess(configuration->info.hProcess, 1);
        else
            ownParent.End();
        const DWORD start = GetTickCount();
        EXPECT_EQ(0u, preview.WaitForExit(kEndsWithinMs)) << "kill: " << killProcess << ", after " << GetTickCount() - start << " ms";
    }
}

}  // namespace
