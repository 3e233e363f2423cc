// The real zorv.scr, full screen (/s) and as a preview (/p <handle>),
// driven from outside: the picture reaches the screen, the fog takes hold,
// and the process ends on a close or with its preview's parent.
#include <gtest/gtest.h>

#include "core/settings_values.h"
#include "fog_test_window.h"

namespace {

const char kSaverClass[] = "WindowsScreenSaverClass";

struct FogProcessTest : ::testing::Test {
    CleanSettingsKey clean;
    std::string picture = ScratchFolder() + "\\quadrants.bmp";
    void SetUp() override {
        ASSERT_TRUE(WriteBmp(picture, kRed, kGreen, kBlue, kWhite));
        ASSERT_TRUE(StoreImage(picture));
        StoreSettings(RandomImage, 0, kNever, 100, 200);
    }
};

COLORREF ScreenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    COLORREF colour = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return colour;
}

TEST_F(FogProcessTest, FullScreenShowsThePictureFogsItAndEndsOnClose) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HWND marker = CreateSolidWindow(0, 0, width, height, kMagenta);  // what was there before
    ASSERT_TRUE(PumpUntil([&] { return ScreenPixel(width / 4, height / 4) == kMagenta; }, 3000));
    RunningProcess saver("\"" + SaverPath() + "\" /s");
    EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(width / 4, height / 4) == kRed; }, 15000))
        << "the picture never reached the screen";
    // The picture has four colours only; the fog blends them where they meet.
    Canvas screen(width, height);
    EXPECT_TRUE(PumpUntil(
        [&] {
            HDC dc = GetDC(nullptr);
            screen.CopyFrom(dc);
            ReleaseDC(nullptr, dc);
            return width * height - screen.Count(kRed) - screen.Count(kGreen) - screen.Count(kBlue) -
                       screen.Count(kWhite) > 1000;
        },
        10000))
        << "the fog did not take hold";
    PostMessageA(FindWindowA(kSaverClass, "Screen Saver"), WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, saver.WaitForExit(10000));
    DestroyWindow(marker);
}

// Wine does not show a child window of another process, so the preview's
// pixels cannot be checked from here; that it runs on and ends both ways
// a preview ends can.
TEST_F(FogProcessTest, PreviewRunsInsideItsParentAndEndsWithIt) {
    StoreSettings(RandomImage, 0, 0, 100, 200);  // a refresh in every cycle
    for (bool byClose : {true, false}) {
        SCOPED_TRACE(byClose ? "closed" : "parent destroyed");
        HWND parent = CreateSolidWindow(50, 50, 200, 150, kMagenta);
        RunningProcess saver("\"" + SaverPath() + "\" /p " + std::to_string(reinterpret_cast<UINT_PTR>(parent)));
        HWND preview = nullptr;
        ASSERT_TRUE(PumpUntil([&] { return (preview = FindWindowExA(parent, nullptr, kSaverClass, "Preview")); }, 15000));
        PumpMessagesFor(2500);
        EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(saver.info.hProcess, 0)) << "the preview ended by itself";
        if (byClose)
            PostMessageA(preview, WM_CLOSE, 0, 0);
        else
            DestroyWindow(parent);  // takes the preview with it, without a close
        EXPECT_EQ(0u, saver.WaitForExit(10000));
        DestroyWindow(parent);
    }
}

}  // namespace
