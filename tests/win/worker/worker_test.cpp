// The fog's saver procedure and its worker, driven through real windows:
// the first erase paints and lets the worker run, later ones keep the fog,
// the worker refreshes the background on time, and every close ends the
// worker promptly, also when it lands during a refresh or before the
// first paint.
#include <gtest/gtest.h>

#include <process.h>

#include <climits>
#include <memory>

#include "core/settings_values.h"
#include "fog/fog_engine.h"
#include "fog/fog_saver_proc.h"
#include "fog_test_window.h"
#include "host/host_state.h"

namespace {

// A close that has not finished by then counts as hung.
constexpr DWORD kCloseBoundMs = 10000;

struct FogSaverProcTest : ::testing::Test {
    CleanSettingsKey clean;
    std::string folder = ScratchFolder();

    void SetUp() override {
        host.isPreview = 1;  // the stand-in window has no dismissal rules
    }

    std::string RedPicture() {
        std::string path = folder + "\\red.bmp";
        EXPECT_TRUE(WriteSolidBmp(path, 16, 16, kRed));
        return path;
    }
};

// The stand-in window on a thread of its own, with its own message loop,
// so that the test can bound how long a close takes.
class WindowThread {
public:
    WindowThread(FogWindowLog& log, RECT place, bool visible) : log_(log), place_(place), visible_(visible) {
        ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread_ = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, Run, this, 0, nullptr));
        WaitForSingleObject(ready_, 10000);
    }
    ~WindowThread() {
        if (WaitForSingleObject(thread_, 0) == WAIT_TIMEOUT) {
            // A hung close: nothing sound is left to clean up.
            std::fprintf(stderr, "window thread still running; ending the test process\n");
            std::fflush(stderr);
            TerminateProcess(GetCurrentProcess(), 3);
        }
        CloseHandle(thread_);
        CloseHandle(ready_);
    }
    HWND window() const { return window_; }
    // True when the window's thread ended (its window gone) within the time.
    // Keeps this thread answering meanwhile: a window going away makes
    // the system send activation messages to the other threads.
    bool WaitForEnd(DWORD timeoutMs) {
        DWORD start = GetTickCount();
        for (;;) {
            DWORD elapsed = GetTickCount() - start;
            if (elapsed >= timeoutMs) return WaitForSingleObject(thread_, 0) == WAIT_OBJECT_0;
            if (MsgWaitForMultipleObjects(1, &thread_, FALSE, timeoutMs - elapsed, QS_ALLINPUT) == WAIT_OBJECT_0)
                return true;
            PumpMessagesFor(0);
        }
    }

private:
    static unsigned __stdcall Run(void* self) {
        auto* me = static_cast<WindowThread*>(self);
        me->window_ = CreateFogWindow(me->log_, me->place_.left, me->place_.top, me->place_.right - me->place_.left,
                                      me->place_.bottom - me->place_.top, me->visible_);
        SetEvent(me->ready_);
        while (me->window_ && !me->log_.destroyed) {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
            if (me->log_.destroyed) break;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
        return 0;
    }

    FogWindowLog& log_;
    RECT place_;
    bool visible_;
    HANDLE ready_ = nullptr;
    HANDLE thread_ = nullptr;
    HWND window_ = nullptr;
};

HANDLE DuplicateOf(HANDLE handle) {
    HANDLE copy = nullptr;
    DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
    return copy;
}

DWORD ExitCodeOf(HANDLE thread) {
    DWORD code = 0xDEADBEEF;
    GetExitCodeThread(thread, &code);
    return code;
}

TEST_F(FogSaverProcTest, CreationLoadsTheSettingsAndHoldsTheWorkerUntilTheFirstErase) {
    StoredSettings settings;
    settings.mode = 3;
    settings.delay = 5;
    settings.ray = 33;
    StoreSettings(settings);
    FogWindowLog log;
    HWND window = CreateFogWindow(log, 0, 0, 120, 90, false);
    ASSERT_TRUE(window);
    EXPECT_EQ(window, theFog.RefreshWindow);
    EXPECT_EQ(window, theFog.DrawWindow);
    EXPECT_EQ(33, theFog.Ray);
    EXPECT_EQ(120, theFog.Width);
    ASSERT_TRUE(theFog.StopEvent);
    ASSERT_TRUE(theFog.WorkerThread);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(theFog.StopEvent, 0)) << "the stop event starts unsignalled";
    EXPECT_TRUE(ThreadIsHeld(theFog.WorkerThread));
    PumpMessagesFor(200);
    EXPECT_TRUE(ThreadIsHeld(theFog.WorkerThread)) << "no erase yet, so the worker must still be held";
    EXPECT_EQ(0u, theFog.BackgroundPainted);

    Canvas surface(120, 90);
    EXPECT_EQ(0, SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(surface.dc()), 0));
    EXPECT_EQ(1u, theFog.BackgroundPainted);
    EXPECT_FALSE(ThreadIsHeld(theFog.WorkerThread));
    HANDLE worker = DuplicateOf(theFog.WorkerThread);

    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(nullptr, theFog.StopEvent);
    EXPECT_EQ(nullptr, theFog.WorkerThread);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(worker, 0)) << "the close returns only after the worker ended";
    EXPECT_EQ(0u, ExitCodeOf(worker));
    CloseHandle(worker);
}

TEST_F(FogSaverProcTest, OnlyTheFirstErasePaintsAndNeitherGoesOn) {
    StoredSettings settings;
    settings.mode = RandomImage;
    settings.delay = 1000;  // no puff during the test
    StoreSettings(settings);
    ASSERT_TRUE(StoreImageList({RedPicture()}));
    FogWindowLog log;
    HWND window = CreateFogWindow(log, 0, 0, 120, 90, false);
    ASSERT_TRUE(window);

    Canvas first(120, 90), second(120, 90);
    first.Fill(kMagenta);
    second.Fill(kMagenta);
    SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(first.dc()), 0);
    SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(second.dc()), 0);
    EXPECT_EQ(120 * 90, first.Count(kRed)) << "the first erase paints the picture over the whole surface";
    // The class brush is white: an erase that went on would show.
    EXPECT_EQ(120 * 90, second.Count(kMagenta)) << "a later erase must leave the fog in place";
    ASSERT_EQ(2u, log.eraseResults.size());
    EXPECT_EQ(0, log.eraseResults[0]);
    EXPECT_EQ(0, log.eraseResults[1]);
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(FogSaverProcTest, ModeThreePaintsNothingButTheWorkerRuns) {
    StoredSettings settings;
    settings.mode = 3;
    settings.delay = 10;
    settings.timeout = 0;  // a refresh as soon as a whole second has passed: proof that cycles run
    StoreSettings(settings);
    FogWindowLog log;
    HWND window = CreateFogWindow(log, 0, 0, 100, 80, true);
    ASSERT_TRUE(window);
    Canvas surface(100, 80);
    surface.Fill(kMagenta);
    SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(surface.dc()), 0);
    EXPECT_EQ(100 * 80, surface.Count(kMagenta));
    EXPECT_EQ(1u, theFog.BackgroundPainted);
    ASSERT_TRUE(theFog.WorkerThread);
    EXPECT_FALSE(ThreadIsHeld(theFog.WorkerThread));
    int before = log.erases;
    EXPECT_TRUE(PumpUntil([&] { return log.erases > before && theFog.BackgroundPainted; }, 4000))
        << "the running worker asks for a fresh background";
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(FogSaverProcTest, FailedLoadLeavesNoWorkerButPaintsTheBackground) {
    // Only the first four values: the load reports the missing fifth.
    WriteDword(kSettingsKeyPath, kDensityValue, 3);
    WriteDword(kSettingsKeyPath, kPowerValue, 120);
    WriteDword(kSettingsKeyPath, kMixPixValue, 0);
    WriteDword(kSettingsKeyPath, kRayValue, 20);
    FogWindowLog log;
    HWND window = CreateFogWindow(log, 0, 0, 100, 80, false);
    ASSERT_TRUE(window) << "the window is still created";
    EXPECT_EQ(0, log.createResult);
    EXPECT_EQ(nullptr, theFog.StopEvent);
    EXPECT_EQ(nullptr, theFog.WorkerThread);
    EXPECT_EQ(DesktopBackground, theFog.BackgroundMode) << "Wine poses as the NT family";

    Canvas surface(100, 80);
    surface.Fill(kMagenta);
    SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(surface.dc()), 0);
    EXPECT_EQ(0, surface.Count(kMagenta)) << "the desktop background is painted all the same";
    EXPECT_EQ(1u, theFog.BackgroundPainted);
    DWORD start = GetTickCount();
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(FogSaverProcTest, CloseBeforeTheFirstEraseEndsTheHeldWorkerWithoutDrawing) {
    StoredSettings settings;
    settings.mode = 3;
    StoreSettings(settings);
    FogWindowLog log;
    WindowThread owner(log, {0, 0, 100, 80}, false);
    ASSERT_TRUE(owner.window());
    ASSERT_TRUE(theFog.WorkerThread);
    HANDLE worker = DuplicateOf(theFog.WorkerThread);
    ASSERT_TRUE(ThreadIsHeld(worker));
    PostMessageA(owner.window(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(owner.WaitForEnd(kCloseBoundMs)) << "the close hung on a worker that never ran";
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(worker, 0));
    EXPECT_EQ(0u, ExitCodeOf(worker));
    EXPECT_EQ(0, log.erases) << "a hidden window is never erased";
    CloseHandle(worker);
}

TEST_F(FogSaverProcTest, ASecondCloseHasNothingToStop) {
    StoredSettings settings;
    settings.mode = 3;
    StoreSettings(settings);
    FogWindowLog log;
    HWND window = CreateFogWindow(log, 0, 0, 100, 80, false);
    ASSERT_TRUE(window);
    // A close that DefWindowProcA does not act on: the window stays, as
    // after a refused password check.
    FogSaverProc(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(nullptr, theFog.WorkerThread);
    FogSaverProc(window, WM_CLOSE, 0, 0);  // must not touch the closed handles again
    EXPECT_EQ(nullptr, theFog.StopEvent);
    DestroyWindow(window);
}

// The worker clears the flag at the very start of a refresh and then waits
// in UpdateWindow for this window's thread; the close is held back until
// that moment, so the stop and the refresh meet every time.
TEST_F(FogSaverProcTest, CloseServesARefreshThatHasJustBegun) {
    StoredSettings settings;
    settings.mode = DesktopBackground;
    settings.delay = 0;
    settings.timeout = 0;
    settings.ray = 10;
    StoreSettings(settings);
    for (int round = 0; round < 3; ++round) {
        ForgetEarlierWindow();
        FogWindowLog log;
        log.beforeClose = [&] {
            DWORD start = GetTickCount();
            while (theFog.BackgroundPainted && GetTickCount() - start < 5000) Sleep(1);
            Sleep(100);  // the worker is now inside UpdateWindow
        };
        WindowThread owner(log, {0, 0, 200, 150}, true);
        ASSERT_TRUE(owner.window());
        DWORD start = GetTickCount();
        while (log.erases == 0 && GetTickCount() - start < 5000) Sleep(10);
        ASSERT_GE(log.erases, 1) << "the first paint never came";
        PostMessageA(owner.window(), WM_CLOSE, 0, 0);
        ASSERT_TRUE(owner.WaitForEnd(kCloseBoundMs)) << "round " << round << ": the close and the refresh waited on each other";
        EXPECT_EQ(1, log.erasesDuringClose) << "round " << round << ": the refresh is painted while the close waits";
    }
}

// Closes at many moments, with a refresh due in every cycle: before the
// first paint, during a paint, during a refresh, between puffs. Mode 0's
// paint hides the window for 2 s, so a refresh begun meanwhile does not
// wait for it.
TEST_F(FogSaverProcTest, ClosesAtAnyMomentEndPromptly) {
    const struct {
        DWORD mode;
        DWORD delay;
        DWORD closeAfterMs;
        bool visible;
    } cases[] = {
        {DesktopBackground, 0, 0, true},      {DesktopBackground, 0, 30, true},     {DesktopBackground, 0, 1010, true},
        {DesktopBackground, 5, 1300, true},   {DesktopBackground, 0, 0, false},     {RandomImage, 0, 1050, true},
        {3, 0, 400, true},                    {CurrentDesktopImage, 0, 0, true},    {CurrentDesktopImage, 0, 2500, true},
        {CurrentDesktopImage, 0, 3300, true}, {CurrentDesktopImage, 0, 6100, true},
    };
    ASSERT_TRUE(StoreImageList({RedPicture()}));
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << ", close after " << c.closeAfterMs << " ms");
        StoredSettings settings;
        settings.mode = c.mode;
        settings.delay = c.delay;
        settings.timeout = 0;
        settings.ray = 20;
        StoreSettings(settings);
        ForgetEarlierWindow();
        FogWindowLog log;
        WindowThread owner(log, {0, 0, 240, 160}, c.visible);
        ASSERT_TRUE(owner.window());
        HANDLE worker = DuplicateOf(theFog.WorkerThread);
        Sleep(c.closeAfterMs);
        DWORD start = GetTickCount();
        PostMessageA(owner.window(), WM_CLOSE, 0, 0);
        // Mode 0 may have to finish a paint with its 2 s pause, and then
        // one more that the worker asked for.
        const DWORD stopBound = c.mode == CurrentDesktopImage ? 7000 : 1000;
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(worker, stopBound)) << "the worker did not stop in time";
        EXPECT_LT(GetTickCount() - start, stopBound);
        ASSERT_TRUE(owner.WaitForEnd(kCloseBoundMs)) << "the close did not end";
        EXPECT_LE(log.deepestErase, 2) << "a background was painted inside the painting of another";
        CloseHandle(worker);
    }
}

TEST_F(FogSaverProcTest, NoRangeForThePuffSkipsItInsteadOfFaulting) {
    const struct {
        DWORD ray;
        int width, height;
        bool refreshSeen;  // cycles run on past the skipped puff
    } cases[] = {
        {0, 200, 150, true},
        {50, 0, 0, false},    // no client area: nothing to refresh either
        {50, 200, 0, false},
        {static_cast<DWORD>(-30), 200, 150, true},  // hand-edited: radii 0..29
    };
    for (const auto& c : cases) {
        StoredSettings settings;
        settings.mode = 3;
        settings.ray = c.ray;
        settings.timeout = 0;
        StoreSettings(settings);
        ForgetEarlierWindow();
        FogWindowLog log;
        HWND window = CreateFogWindow(log, 0, 0, c.width, c.height, true);
        ASSERT_TRUE(window);
        EXPECT_EQ(c.width, theFog.Width);
        EXPECT_EQ(c.height, theFog.Height);
        Canvas surface(16, 16);
        int before = log.erases;
        SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(surface.dc()), 0);
        ASSERT_TRUE(theFog.WorkerThread);
        HANDLE worker = DuplicateOf(theFog.WorkerThread);
        if (c.refreshSeen)
            EXPECT_TRUE(PumpUntil([&] { return log.erases > before + 1; }, 4000)) << "ray " << static_cast<int>(c.ray);
        else
            PumpMessagesFor(1200);
        EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(worker, 0)) << "the worker must still be running";
        SendMessageA(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(0u, ExitCodeOf(worker)) << "ray " << static_cast<int>(c.ray) << " " << c.width << "x" << c.height;
        CloseHandle(worker);
    }
}

}  // namespace
