// The fog's saver procedure and its worker, driven through real windows:
// the first erase paints and no other, refreshes come on time, puffs
// follow the creation tick on the path the display calls for at the x87
// precision they rely on, and every close ends the worker.
#include <float.h>

#include "core/fog_pace.h"
#include "fog/fog_engine.h"
#include "fog/fog_worker.h"
#include "fog_test_window.h"
#include "host/saver_effect.h"
#include "lab/bmp_file.h"
#include "tests/native/puff_test_support.h"

namespace {

struct FogSaverProcTest : ::testing::Test {
    CleanSettingsKey clean;
    std::string picture = ScratchFolder() + "\\picture.bmp";
    bool stored = WriteBmp(picture, kRed, kRed, kRed, kRed) && StoreImage(picture);  // for mode 2
};

// A failed load makes no worker. (That the worker waits for the first
// paint is the large picture test's; that a close ends it, the closes'.)
TEST_F(FogSaverProcTest, OnlyTheFirstErasePaints) {
    for (bool loads : {true, false}) {
        SCOPED_TRACE(loads ? "loaded" : "a failed load");
        StoreSettings(DesktopBackground, 1000, kNever);  // neither a puff nor a refresh during the test
        // "Delay" too long for its 4 bytes: the load fails after the mode.
        if (!loads) WriteBinary(kSettingsKeyPath, kDelayValue, "12345678", 8, REG_BINARY);
        FogWindowLog log;
        HWND window = CreateFogWindow(log, 120, 90, false);
        EXPECT_EQ(loads, theFog.WorkerThread != nullptr);
        Canvas first(120, 90), second(120, 90);
        EXPECT_EQ(0, SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(first.dc()), 0));
        EXPECT_EQ(0, SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(second.dc()), 0));
        EXPECT_EQ(120 * 90, first.Count(kWhite));  // Wine's desktop is white
        EXPECT_EQ(120 * 90, second.Count(kMagenta)) << "a later erase must leave the fog in place";
        SendMessageA(window, WM_CLOSE, 0, 0);
    }
}

// A refresh once a whole second (Timeout 0) has passed, the period counted
// from the tick read before the refresh: a refresh whose painting takes
// 400 ms is followed by the next about 600 ms after it ends.
TEST_F(FogSaverProcTest, TheRefreshPeriodCountsFromBeforeTheRefresh) {
    StoreSettings(3, 20, 0, 10);
    FogWindowLog log;
    log.refreshPaintMs = 400;
    HWND window = CreateFogWindow(log, 200, 150, true);
    ASSERT_TRUE(PumpUntil([&] { return log.paintEnds.size() >= 3; }, 8000));
    SendMessageA(window, WM_CLOSE, 0, 0);
    const DWORD gap = log.paintStarts[2] - log.paintEnds[1];
    EXPECT_TRUE(gap > 300 && gap < 900) << gap << " ms";
}

// Closes at many moments, with a refresh due in every cycle: before the
// first erase, during a refresh, between puffs. Mode 0's paint hides the
// window for 2 s, so a refresh begun meanwhile does not wait for it. A
// Ray of 0 leaves no radius to draw: the worker skips its puffs. The
// worker clears the flag at the very start of a refresh and then waits in
// UpdateWindow for the window's thread; holding a close back until then
// makes the stop and the refresh meet every time, and the close must
// paint that refresh.
TEST_F(FogSaverProcTest, ClosesAtAnyMomentEndPromptlyAlsoBeforeTheFirstErase) {
    const struct {
        DWORD mode, delay, ray, closeAfterMs;
        bool visible, atRefresh;
    } cases[] = {{DesktopBackground, 0, 20, 0, false, false},  // never erased: the held worker must still end
                 {DesktopBackground, 0, 20, 30, true, false},  {DesktopBackground, 5, 20, 1300, true, false},
                 {RandomImage, 0, 20, 1050, true, false},      {3, 0, 0, 1200, true, false},
                 {CurrentDesktopImage, 0, 20, 0, true, false}, {CurrentDesktopImage, 0, 20, 3300, true, false},
                 {DesktopBackground, 0, 10, 300, true, true},  {DesktopBackground, 0, 10, 300, true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << ", close after " << c.closeAfterMs << " ms");
        StoreSettings(c.mode, c.delay, 0, c.ray);
        FogWindowLog log;
        DWORD start = 0;
        if (c.atRefresh)
            log.beforeClose = [&] {
                while (theFog.BackgroundPainted && GetTickCount() - start < 5000) Sleep(1);
                Sleep(100);  // the worker is now inside UpdateWindow
                start = GetTickCount();
            };
        HWND window = CreateFogWindow(log, 240, 160, c.visible);
        HANDLE worker = DuplicateOf(theFog.WorkerThread);
        PumpMessagesFor(c.closeAfterMs);
        start = GetTickCount();
        SendMessageA(window, WM_CLOSE, 0, 0);
        // Mode 0 may have to finish a refresh with its 2 s pause.
        EXPECT_LT(GetTickCount() - start, c.mode == CurrentDesktopImage ? 7000u : 1000u);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(worker, 0));
        EXPECT_LE(log.deepestErase, 2) << "a background was painted inside the painting of another";
        EXPECT_TRUE(!c.atRefresh || log.erasesDuringClose == 1) << "the refresh was not painted during the close";
        CloseHandle(worker);
    }
}

// The first puff of a run is the one the rules draw from a seed taken at
// the window's creation: radius, then y, then x, on the buffer path on a
// display without a palette and on the pixel path on one with.
TEST_F(FogSaverProcTest, PuffsFollowTheCreationTickOnThePathTheDisplayCallsFor) {
    std::string error;
    ASSERT_TRUE(WriteBmpFile(picture, Noise(60, 45, 5), error)) << error;
    StoreSettings(RandomImage, 700, kNever, 40, 200);
    const int width = 240, height = 180;
    for (uint32_t trueColor : {1u, 0u}) {
        SCOPED_TRACE(trueColor ? "no palette: buffer path" : "palette: pixel path");
        FogWindowLog log;
        const DWORD createdAfter = GetTickCount();
        HWND window = CreateFogWindow(log, width, height, true);
        const DWORD createdBefore = GetTickCount();
        theFog.TrueColor = trueColor;                                                 // read anew before every puff
        ASSERT_TRUE(PumpUntil([&] { return theFog.BackgroundPainted != 0; }, 5000));  // the picture arrives later
        const PixelSurface before = WindowSurface(window, width, height);
        ASSERT_TRUE(PumpUntil([&] { return WindowSurface(window, width, height) != before; }, 5000));
        PixelSurface after = WindowSurface(window, width, height), now = after;
        while (PumpMessagesFor(150), (now = WindowSurface(window, width, height)) != after)
            after = now;  // the whole puff
        SendMessageA(window, WM_CLOSE, 0, 0);
        int matches = 0, otherPathMatches = 0;
        for (DWORD tick = createdAfter; tick <= createdBefore; ++tick) {
            for (bool buffer : {true, false}) {
                PixelSurface expected = before;
                SRand(tick);
                for (int puff = 0; puff < 5 && expected == before; ++puff) {
                    const int32_t radius = Rand() % 40, y = Rand() % height, x = Rand() % width;
                    PlainPuff(expected, buffer, x, y, radius, {10, 2.0, 1});
                }
                (buffer == (trueColor != 0) ? matches : otherPathMatches) += expected == after;
            }
        }
        EXPECT_EQ(1, matches);
        EXPECT_EQ(0, otherPathMatches);
    }
}

uint32_t PuffsDrawnWithin(DWORD milliseconds) {
    const uint32_t before = PuffsDrawn();
    PumpMessagesFor(milliseconds);
    return PuffsDrawn() - before;
}

// At Delay 0 the worker keeps its window's pace, which here is above the
// wake-ups a second it allows itself: the puffs due in between are
// drawn together. While the display is off it draws nothing, and the
// display's notification ends nothing (it must not count as a power event
// that dismisses the saver).
TEST_F(FogSaverProcTest, PuffsKeepTheirWindowsPaceAndRestWhileTheDisplayIsOff) {
    StoreSettings(DesktopBackground, 0, kNever, 10);  // small puffs: the pace, not the processor, sets the count
    const int width = 2000, height = 1500;
    const double perSecond = kPuffsPerSecondPerMegapixel * static_cast<double>(PaceArea(width, height, 10)) / 1e6;
    FogWindowLog log;
    HWND window = CreateFogWindow(log, width, height, true);
    ASSERT_TRUE(PumpUntil([] { return theFog.BackgroundPainted != 0; }, 5000));
    EXPECT_NEAR(perSecond * 2, PuffsDrawnWithin(2000), perSecond * 2 * 0.2);
    SendDisplayState(window, 0);
    PumpMessagesFor(100);  // a batch under way ends
    EXPECT_EQ(0u, PuffsDrawnWithin(1000)) << "puffs while the display is off";
    SendDisplayState(window, 1);
    EXPECT_NEAR(perSecond, PuffsDrawnWithin(1000), perSecond * 0.3) << "the fog must come back with the display";
    EXPECT_TRUE(IsWindow(window));
    SendMessageA(window, WM_CLOSE, 0, 0);
}

#if defined(__i386__)
// The worker's routine on a thread left at 64 bits, which it ends with
// the x87 precision the routine left it.
DWORD WINAPI WorkerAtExtendedPrecision(LPVOID) {
    _controlfp(_PC_64, _MCW_PC);
    FogWorker(nullptr);
    return _controlfp(0, 0) & _MCW_PC;
}
#endif

// The worker sets the 53-bit precision its puffs rely on, whatever its
// thread started with, and keeps it through its puffs.
TEST_F(FogSaverProcTest, TheWorkerPuffsAtDoublePrecision) {
#if !defined(__i386__)
    GTEST_SKIP() << "x86-64 computes its doubles in SSE2 registers, at 53 bits always";
#else
    StoreSettings(3, 0, kNever, 100, 200);  // large puffs one after another
    FogWindowLog log;
    HWND window = CreateFogWindow(log, 400, 300, true);
    HANDLE worker = CreateThread(nullptr, 0, WorkerAtExtendedPrecision, nullptr, 0, nullptr);
    Sleep(300);
    SetEvent(theFog.StopEvent);
    DWORD precision = 0;
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(worker, 5000));
    EXPECT_TRUE(GetExitCodeThread(worker, &precision) && precision == _PC_53) << std::hex << precision;
    CloseHandle(worker);
    SendMessageA(window, WM_CLOSE, 0, 0);
#endif
}

}  // namespace
