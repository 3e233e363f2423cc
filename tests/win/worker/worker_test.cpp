// The fog's saver procedure and its worker, driven through real windows:
// the first erase paints and lets the held worker run, refreshes come on
// time, puffs follow the run's seed, and every close ends the worker.
#include <gtest/gtest.h>

#include "core/settings_values.h"
#include "fog/fog_engine.h"
#include "fog_test_window.h"

namespace {

struct FogSaverProcTest : ::testing::Test {
    CleanSettingsKey clean;
    std::string picture = ScratchFolder() + "\\picture.bmp";
    bool stored = WriteBmp(picture, kRed, kRed, kRed, kRed) && StoreImage(picture);  // for mode 2
};

HANDLE DuplicateOf(HANDLE handle) {
    HANDLE copy = nullptr;
    DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
    return copy;
}

// Whether the thread was created suspended and never resumed.
bool ThreadIsHeld(HANDLE thread) {
    DWORD previous = SuspendThread(thread);
    ResumeThread(thread);
    return previous != 0 && previous != static_cast<DWORD>(-1);
}

TEST_F(FogSaverProcTest, OnlyTheFirstErasePaintsAndLetsTheHeldWorkerRun) {
    const struct {
        const char* what;
        DWORD mode;
        bool loads;
    } cases[] = {{"mode 1", DesktopBackground, true}, {"mode 3 paints nothing", 3, true}, {"a failed load", DesktopBackground, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        StoreSettings(c.mode, 1000, kNever);  // neither a puff nor a refresh during the test
        // "Delay" too long for its 4 bytes: the load fails after the mode.
        if (!c.loads) WriteBinary(kSettingsKeyPath, kDelayValue, "12345678", 8, REG_BINARY);
        FogWindowLog log;
        HWND window = CreateFogWindow(log, 120, 90, false);
        ASSERT_EQ(c.loads, theFog.WorkerThread != nullptr);
        HANDLE worker = c.loads ? DuplicateOf(theFog.WorkerThread) : nullptr;
        PumpMessagesFor(200);
        EXPECT_TRUE(!worker || ThreadIsHeld(worker)) << "the worker ran before the first paint";

        Canvas first(120, 90), second(120, 90);
        EXPECT_EQ(0, SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(first.dc()), 0));
        EXPECT_TRUE(!worker || !ThreadIsHeld(worker)) << "the first paint did not let the worker run";
        EXPECT_EQ(0, SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(second.dc()), 0));
        EXPECT_EQ(120 * 90, first.Count(c.mode == 3 ? kMagenta : kWhite));  // Wine's desktop is white
        EXPECT_EQ(120 * 90, second.Count(kMagenta)) << "a later erase must leave the fog in place";

        SendMessageA(window, WM_CLOSE, 0, 0);
        if (!worker) continue;
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(worker, 0)) << "the close returned before the worker ended";
        CloseHandle(worker);
    }
}

// A refresh once Timeout whole seconds have passed, never for a negative
// one; with no range for a puff (Ray, Width or Height 0) the worker skips
// it and runs on.
TEST_F(FogSaverProcTest, RefreshesOnTimeAndSkipsPuffsWithoutRange) {
    const struct {
        DWORD timeout, ray;
        int width, height;
        bool refreshed;
    } cases[] = {{0, 50, 200, 150, true},  // as soon as a whole second has passed
                 {kNever, 50, 200, 150, false}, {static_cast<DWORD>(-2), 50, 200, 150, false}, {0, 0, 200, 150, true},
                 {0, 50, 0, 150, false}, {0, 50, 200, 0, false}};  // no client area: nothing to refresh either
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.timeout) << " s, Ray " << c.ray << ", " << c.width << "x" << c.height);
        StoreSettings(3, 20, c.timeout, c.ray);
        FogWindowLog log;
        HWND window = CreateFogWindow(log, c.width, c.height, true);
        Canvas surface(16, 16);
        SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(surface.dc()), 0);
        const int painted = log.paints;
        EXPECT_EQ(c.refreshed, PumpUntil([&] { return log.paints > painted; }, 2600));
        SendMessageA(window, WM_CLOSE, 0, 0);
    }
}

// The worker clears the flag at the very start of a refresh and then waits
// in UpdateWindow for the window's thread; holding the close back until
// then makes the stop and the refresh meet every time.
TEST_F(FogSaverProcTest, CloseServesARefreshThatHasJustBegun) {
    StoreSettings(DesktopBackground, 0, 0, 10);
    for (int round = 0; round < 3; ++round) {
        FogWindowLog log;
        log.beforeClose = [] {
            for (DWORD start = GetTickCount(); theFog.BackgroundPainted && GetTickCount() - start < 5000;) Sleep(1);
            Sleep(100);  // the worker is now inside UpdateWindow
        };
        HWND window = CreateFogWindow(log, 200, 150, true);
        ASSERT_TRUE(PumpUntil([&] { return log.paints > 0; }, 5000)) << "the first paint never came";
        SendMessageA(window, WM_CLOSE, 0, 0);  // a hang ends in the test's time-out
        EXPECT_EQ(1, log.erasesDuringClose) << "round " << round << ": the refresh was not painted during the close";
    }
}

// Closes at many moments, with a refresh due in every cycle: before the
// first erase, during a refresh, between puffs. Mode 0's paint hides the
// window for 2 s, so a refresh begun meanwhile does not wait for it.
TEST_F(FogSaverProcTest, ClosesAtAnyMomentEndPromptlyAlsoBeforeTheFirstErase) {
    const struct {
        DWORD mode, delay, closeAfterMs;
        bool visible;
    } cases[] = {{DesktopBackground, 0, 0, false},  // never erased: the held worker must still end
                 {DesktopBackground, 0, 0, true}, {DesktopBackground, 0, 30, true}, {DesktopBackground, 0, 1010, true},
                 {DesktopBackground, 5, 1300, true}, {RandomImage, 0, 1050, true}, {3, 0, 400, true},
                 {CurrentDesktopImage, 0, 0, true}, {CurrentDesktopImage, 0, 2500, true},
                 {CurrentDesktopImage, 0, 3300, true}, {CurrentDesktopImage, 0, 6100, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << ", close after " << c.closeAfterMs << " ms");
        StoreSettings(c.mode, c.delay, 0, 20);
        FogWindowLog log;
        HWND window = CreateFogWindow(log, 240, 160, c.visible);
        HANDLE worker = DuplicateOf(theFog.WorkerThread);
        PumpMessagesFor(c.closeAfterMs);
        const DWORD start = GetTickCount();
        SendMessageA(window, WM_CLOSE, 0, 0);
        // Mode 0 may have to finish a refresh with its 2 s pause.
        EXPECT_LT(GetTickCount() - start, c.mode == CurrentDesktopImage ? 7000u : 1000u);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(worker, 0));
        EXPECT_LE(log.deepestErase, 2) << "a background was painted inside the painting of another";
        CloseHandle(worker);
    }
}

// The window after the first puff of a run, on the four-colour picture
// (a puff shows where colours meet).
std::vector<COLORREF> FirstPuffOfARun() {
    FogWindowLog log;
    HWND window = CreateFogWindow(log, 240, 180, true);
    EXPECT_TRUE(PumpUntil([&] { return theFog.BackgroundPainted != 0; }, 5000));  // the picture arrives later
    Canvas picture(240, 180), now(240, 180);
    HDC dc = GetDC(window);
    picture.CopyFrom(dc);  // a Delay before the first puff
    PumpUntil([&] { return now.CopyFrom(dc), now.Pixels() != picture.Pixels(); }, 5000);
    ReleaseDC(window, dc);
    SendMessageA(window, WM_CLOSE, 0, 0);
    return now.Pixels();
}

TEST_F(FogSaverProcTest, RunsStartedAtDifferentTicksPuffDifferently) {
    ASSERT_TRUE(WriteBmp(picture, kRed, kGreen, kBlue, kWhite));
    StoreSettings(RandomImage, 300, kNever, 40, 200);
    const std::vector<COLORREF> first = FirstPuffOfARun();
    Sleep(50);
    EXPECT_NE(first, FirstPuffOfARun()) << "no puff, or both in the same place: the seed did not reach the worker";
}

}  // namespace
