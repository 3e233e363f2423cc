// What the running worker does to the window: background refreshes on
// time, and puffs whose places follow the run's own seed.
#include <gtest/gtest.h>

#include <memory>

#include "core/settings_values.h"
#include "fog/fog_engine.h"
#include "fog_test_window.h"
#include "host/host_state.h"

namespace {

struct FogWorkerTest : ::testing::Test {
    CleanSettingsKey clean;
    std::string folder = ScratchFolder();
    void SetUp() override { host.isPreview = 1; }
};

COLORREF WindowPixel(HWND window, int x, int y) {
    HDC dc = GetDC(window);
    COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return colour;
}

void FillWindowRect(HWND window, RECT area, COLORREF colour) {
    HDC dc = GetDC(window);
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &area, brush);
    DeleteObject(brush);
    ReleaseDC(window, dc);
    GdiFlush();
}

TEST_F(FogWorkerTest, RefreshesTheBackgroundOnlyWhenTimeoutSecondsHavePassed) {
    std::string red = folder + "\\red.bmp";
    ASSERT_TRUE(WriteSolidBmp(red, 8, 8, kRed));
    ASSERT_TRUE(StoreImageList({red}));
    const struct {
        DWORD timeout;
        bool refreshed;
    } cases[] = {
        {0, true},  // as soon as more than 0 whole seconds passed
        {0xFFFFFFFF, false},  // -1: never
        {0xFFFFFFFE, false},  // -2 compares as a huge number
        {5, false},
    };
    for (const auto& c : cases) {
        StoredSettings settings;
        settings.mode = RandomImage;
        settings.ray = 10;
        settings.delay = 20;
        settings.timeout = c.timeout;
        StoreSettings(settings);
        ForgetEarlierWindow();
        FogWindowLog log;
        HWND window = CreateFogWindow(log, 0, 0, 200, 150, true);
        ASSERT_TRUE(window);
        ASSERT_TRUE(PumpUntil([&] { return log.erases >= 1 && theFog.BackgroundPainted; }, 5000));
        PumpMessagesFor(50);
        ASSERT_EQ(kRed, WindowPixel(window, 100, 75));
        // A mark in the middle that only a fresh background removes; the
        // small puffs only move blue within it.
        FillWindowRect(window, {50, 40, 150, 110}, kBlue);
        PumpMessagesFor(2600);
        COLORREF centre = WindowPixel(window, 100, 75);
        EXPECT_EQ(c.refreshed ? kRed : kBlue, centre)
            << "timeout " << static_cast<int>(c.timeout) << ": centre " << ColourText(centre);
        SendMessageA(window, WM_CLOSE, 0, 0);
        EXPECT_FALSE(IsWindow(window));
    }
}

// Fills a surface with the same colourful noise every time.
void PaintNoise(HDC surface, int width, int height) {
    std::vector<uint32_t> pixels(width * height);
    uint32_t state = 12345;
    for (uint32_t& pixel : pixels) {
        state = state * 1103515245u + 12345u;
        pixel = (state >> 8) & 0xFFFFFF;
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(surface, 0, 0, width, height, 0, 0, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    GdiFlush();
}

// Runs one saver window on noise until the first puff shows; which pixels
// the puff changed.
std::vector<bool> FirstPuffOfARun() {
    constexpr int kWidth = 240, kHeight = 180;
    ForgetEarlierWindow();
    FogWindowLog log;
    bool noisePainted = false;
    log.afterErase = [&](HDC surface) {
        if (noisePainted) return;
        PaintNoise(surface, kWidth, kHeight);
        noisePainted = true;
    };
    HWND window = CreateFogWindow(log, 0, 0, kWidth, kHeight, true);
    EXPECT_TRUE(window);
    std::vector<bool> changed;
    if (!window) return changed;
    EXPECT_TRUE(PumpUntil([&] { return noisePainted; }, 5000));
    Canvas noise(kWidth, kHeight), now(kWidth, kHeight);
    PaintNoise(noise.dc(), kWidth, kHeight);
    DWORD start = GetTickCount();
    HDC dc = GetDC(window);
    while (GetTickCount() - start < 5000) {
        now.CopyFrom(dc, 0, 0);
        if (now.Differences(noise) > 0) break;
        PumpMessagesFor(5);
    }
    ReleaseDC(window, dc);
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_GT(now.Differences(noise), 0) << "no puff showed within 5 s";
    return now.ChangedMask(noise);
}

TEST_F(FogWorkerTest, RunsStartedAtDifferentTicksPlacePuffsDifferently) {
    StoredSettings settings;
    settings.mode = 3;  // the test paints the noise itself
    settings.delay = 300;
    settings.ray = 40;
    settings.power = 200;
    settings.mixPix = 0;
    StoreSettings(settings);
    std::vector<bool> first = FirstPuffOfARun();
    Sleep(50);
    std::vector<bool> second = FirstPuffOfARun();
    ASSERT_FALSE(first.empty());
    EXPECT_NE(first, second) << "both runs drew their first puff in the same place: the worker's seed did not "
                                "follow the tick count";
}

}  // namespace
