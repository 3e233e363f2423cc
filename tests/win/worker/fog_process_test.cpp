// The real zorv.scr, full screen (/s) and as a preview (/p <handle>), driven
// from outside: its background reaches the screen, the fog takes hold, and
// every close ends the process promptly, also one that lands before the
// first paint or during a refresh.
#include <gtest/gtest.h>

#include <string>

#include "core/settings_values.h"
#include "fog_test_window.h"

namespace {

constexpr DWORD kExitBoundMs = 10000;
const char kSaverClass[] = "WindowsScreenSaverClass";

struct FogProcessTest : ::testing::Test {
    CleanSettingsKey clean;
    std::string folder = ScratchFolder();

    std::string Saver(const std::string& tail) { return "\"" + SaverPath() + "\" " + tail; }

    void StoreRedPicture() {
        std::string red = folder + "\\red.bmp";
        ASSERT_TRUE(WriteSolidBmp(red, 16, 16, kRed));
        ASSERT_TRUE(StoreImageList({red}));
    }
};

COLORREF ScreenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    COLORREF colour = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return colour;
}

COLORREF ScreenCentre() { return ScreenPixel(GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2); }

HWND FullScreenSaver() { return FindWindowA(kSaverClass, "Screen Saver"); }

// A window of the marker colour over the whole screen, under the saver.
struct MarkerWindow {
    HWND window;
    MarkerWindow() {
        WNDCLASSA markerClass = {};
        markerClass.lpfnWndProc = DefWindowProcA;
        markerClass.hInstance = GetModuleHandleA(nullptr);
        markerClass.hbrBackground = CreateSolidBrush(kMagenta);
        markerClass.lpszClassName = "ZorvProcessMarker";
        RegisterClassA(&markerClass);
        window = CreateWindowA("ZorvProcessMarker", "", WS_POPUP | WS_VISIBLE, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                               GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        PumpUntil([] { return ScreenCentre() == kMagenta; }, 3000);
    }
    ~MarkerWindow() { DestroyWindow(window); }
};

TEST_F(FogProcessTest, FullScreenShowsThePictureFogsItAndEndsOnClose) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    std::string quadrants = folder + "\\quadrants.bmp";
    const COLORREF colours[4] = {kRed, kGreen, kBlue, kWhite};
    ASSERT_TRUE(WriteQuadrantBmp(quadrants, 64, 48, colours));
    ASSERT_TRUE(StoreImageList({quadrants}));
    StoredSettings settings;
    settings.mode = RandomImage;
    settings.ray = 100;
    settings.power = 200;
    StoreSettings(settings);
    MarkerWindow marker;
    ASSERT_EQ(kMagenta, ScreenCentre());
    RunningProcess saver(Saver("/s"));
    ASSERT_TRUE(saver.started);
    EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(width / 4, height / 4) == kRed; }, 15000))
        << "the picture never reached the screen: " << ColourText(ScreenPixel(width / 4, height / 4));
    EXPECT_EQ(kWhite, ScreenPixel(width * 3 / 4, height * 3 / 4));
    HWND window = FullScreenSaver();
    ASSERT_TRUE(window);

    // The picture has four colours only; the fog blends them where they meet.
    Canvas screen(width, height);
    int blended = 0;
    PumpUntil(
        [&] {
            HDC dc = GetDC(nullptr);
            screen.CopyFrom(dc, 0, 0);
            ReleaseDC(nullptr, dc);
            blended = width * height - screen.Count(kRed) - screen.Count(kGreen) - screen.Count(kBlue) -
                      screen.Count(kWhite);
            return blended > 1000;
        },
        10000);
    EXPECT_GT(blended, 1000) << "the fog did not take hold";
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, saver.WaitForExit(kExitBoundMs));
}

TEST_F(FogProcessTest, FailedLoadShowsThePictureWithoutFog) {
    // Everything up to the mode loads; "Delay" is too long for its 4 bytes,
    // so the load fails there: the background is painted, no worker runs.
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    std::string quadrants = folder + "\\quadrants.bmp";
    const COLORREF colours[4] = {kRed, kGreen, kBlue, kWhite};
    ASSERT_TRUE(WriteQuadrantBmp(quadrants, 64, 48, colours));
    ASSERT_TRUE(StoreImageList({quadrants}));
    StoredSettings settings;
    settings.mode = RandomImage;
    settings.ray = 100;
    settings.power = 200;
    StoreSettings(settings);
    const BYTE eight[8] = {};
    ASSERT_TRUE(WriteBinary(kSettingsKeyPath, kDelayValue, eight, sizeof eight, REG_BINARY));
    MarkerWindow marker;
    RunningProcess saver(Saver("/s"));
    EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(width / 4, height / 4) == kRed; }, 15000));
    PumpMessagesFor(2000);
    Canvas screen(width, height);
    HDC dc = GetDC(nullptr);
    screen.CopyFrom(dc, 0, 0);
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(width * height,
              screen.Count(kRed) + screen.Count(kGreen) + screen.Count(kBlue) + screen.Count(kWhite))
        << "fog without a worker";
    PostMessageA(FullScreenSaver(), WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, saver.WaitForExit(kExitBoundMs));
}

// The preview's pixels cannot be checked from here: Wine does not show a
// child window that belongs to another process. What can be checked is
// that it runs at full speed with a refresh due in every cycle and ends
// promptly both ways a preview ends.
TEST_F(FogProcessTest, PreviewRunsInsideItsParentAndEndsWithIt) {
    StoreRedPicture();
    StoredSettings settings;
    settings.mode = RandomImage;
    settings.ray = 100;
    settings.power = 200;
    settings.timeout = 0;
    StoreSettings(settings);
    for (bool byClose : {true, false}) {
        SCOPED_TRACE(byClose ? "closed" : "parent destroyed");
        HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 50, 50, 200, 150,
                                      nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(parent);
        RunningProcess saver(Saver("/p " + std::to_string(reinterpret_cast<UINT_PTR>(parent))));
        ASSERT_TRUE(saver.started);
        HWND preview = nullptr;
        ASSERT_TRUE(
            PumpUntil([&] { return (preview = FindWindowExA(parent, nullptr, kSaverClass, "Preview")) != nullptr; }, 15000));
        RECT placed = {};
        GetWindowRect(preview, &placed);
        EXPECT_EQ(200, placed.right - placed.left);
        EXPECT_EQ(150, placed.bottom - placed.top);
        PumpMessagesFor(2500);
        EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(saver.info.hProcess, 0)) << "the preview ended by itself";
        if (byClose)
            PostMessageA(preview, WM_CLOSE, 0, 0);
        else
            DestroyWindow(parent);  // takes the preview with it, without a close
        EXPECT_EQ(0u, saver.WaitForExit(kExitBoundMs));
        if (byClose) DestroyWindow(parent);
    }
}

// Closes posted as soon as the window exists (before or at the first
// paint), and after a while with a refresh due in every cycle. Each run
// must end within the bound.
TEST_F(FogProcessTest, EveryCloseEndsTheProcess) {
    StoreRedPicture();
    const struct {
        DWORD mode;
        DWORD closeAfterMs;
    } cases[] = {{RandomImage, 0}, {RandomImage, 1100}, {DesktopBackground, 1500}, {CurrentDesktopImage, 0},
                 {CurrentDesktopImage, 3300}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << ", close after " << c.closeAfterMs << " ms");
        StoredSettings settings;
        settings.mode = c.mode;
        settings.timeout = 0;
        settings.ray = 100;
        settings.power = 200;
        StoreSettings(settings);
        RunningProcess saver(Saver("/s"));
        HWND window = nullptr;
        ASSERT_TRUE(PumpUntil([&] { return (window = FullScreenSaver()) != nullptr; }, 15000));
        if (c.closeAfterMs) PumpMessagesFor(c.closeAfterMs);
        PostMessageA(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(0u, saver.WaitForExit(kExitBoundMs));
    }
}

}  // namespace
