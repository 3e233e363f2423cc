// PaintBackground by mode: the screen beneath the window, the desktop as
// the system paints it, a picture from the list, or nothing.
#include <gtest/gtest.h>

#include <climits>

#include "core/settings_values.h"
#include "fog/backgrounds.h"
#include "fog/fog_engine.h"
#include "fog_test_window.h"

namespace {

// A plain popup standing in for the saver window; records the messages
// that stepping aside sends it, with the tick of each.
struct CoverWindow {
    struct Seen {
        UINT message;
        WPARAM wParam;
        DWORD tick;
    };
    static std::vector<Seen>* seen;
    HWND window = nullptr;

    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (seen && (message == WM_SETREDRAW || message == WM_SHOWWINDOW))
            seen->push_back({message, wParam, GetTickCount()});
        return DefWindowProcA(window, message, wParam, lParam);
    }

    CoverWindow(int x, int y, int width, int height, COLORREF colour, bool visible = true) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = Proc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "ZorvCoverWindow";
        RegisterClassA(&windowClass);
        window = CreateWindowExA(WS_EX_TOPMOST, "ZorvCoverWindow", "", WS_POPUP | (visible ? WS_VISIBLE : 0), x, y,
                                 width, height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        PumpMessagesFor(100);
        Paint(colour);
    }
    ~CoverWindow() { DestroyWindow(window); }
    void Paint(COLORREF colour) {
        HDC dc = GetDC(window);
        RECT client;
        GetClientRect(window, &client);
        HBRUSH brush = CreateSolidBrush(colour);
        FillRect(dc, &client, brush);
        DeleteObject(brush);
        ReleaseDC(window, dc);
        GdiFlush();
    }
};
std::vector<CoverWindow::Seen>* CoverWindow::seen = nullptr;

// Paints its left half green and its right half blue whenever asked.
LRESULT CALLBACK UnderneathProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        RECT client;
        GetClientRect(window, &client);
        RECT left = client, right = client;
        left.right = right.left = client.right / 2;
        HBRUSH green = CreateSolidBrush(kGreen), blue = CreateSolidBrush(kBlue);
        FillRect(dc, &left, green);
        FillRect(dc, &right, blue);
        DeleteObject(blue);
        DeleteObject(green);
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

struct PaintBackgroundTest : ::testing::Test {
    CleanSettingsKey clean;
    int32_t savedMode = theFog.BackgroundMode;
    ~PaintBackgroundTest() override { theFog.BackgroundMode = savedMode; }
};

TEST_F(PaintBackgroundTest, ModeZeroStepsAsideAndCopiesTheWholeScreenStretched) {
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    WNDCLASSA underneathClass = {};
    underneathClass.lpfnWndProc = UnderneathProc;
    underneathClass.hInstance = GetModuleHandleA(nullptr);
    underneathClass.lpszClassName = "ZorvUnderneath";
    RegisterClassA(&underneathClass);
    HWND underneath = CreateWindowExA(0, "ZorvUnderneath", "", WS_POPUP | WS_VISIBLE, 0, 0, screenWidth, screenHeight,
                                      nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(underneath);
    // The saver covers part of the green half.
    CoverWindow cover(100, 100, 300, 200, kMagenta);
    PumpMessagesFor(200);
    std::vector<CoverWindow::Seen> seen;
    CoverWindow::seen = &seen;
    Canvas surface(300, 200);
    surface.Fill(kMagenta);
    theFog.BackgroundMode = CurrentDesktopImage;
    DWORD start = GetTickCount();
    PaintBackground(cover.window, surface.dc());
    DWORD took = GetTickCount() - start;
    CoverWindow::seen = nullptr;

    EXPECT_GE(took, 2000u) << "what lies beneath gets 2000 ms to repaint";
    EXPECT_TRUE(IsWindowVisible(cover.window)) << "the window comes back";
    // Redrawing is off from before the window steps aside until after it is
    // back. (WM_SETREDRAW FALSE already takes WS_VISIBLE away, so the hide
    // that follows sends nothing; under Wine the window then stays mapped,
    // and the copy shows its own pixels where it covers the screen.)
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(static_cast<UINT>(WM_SETREDRAW), seen.front().message);
    EXPECT_EQ(0u, seen.front().wParam);
    EXPECT_EQ(static_cast<UINT>(WM_SHOWWINDOW), seen[seen.size() - 2].message);
    EXPECT_EQ(1u, seen[seen.size() - 2].wParam);
    EXPECT_EQ(static_cast<UINT>(WM_SETREDRAW), seen.back().message);
    EXPECT_EQ(1u, seen.back().wParam);
    EXPECT_GE(seen.back().tick - seen.front().tick, 2000u);
    // The source is the whole desktop, squeezed into the window: its left
    // half shows the green half of the screen, its right half the blue.
    // (The probes stay off the place where the window itself lies.)
    for (int y : {10, 100, 190}) {
        for (int x : {10, 140}) EXPECT_EQ(kGreen, surface.Pixel(x, y)) << x << "," << y << " " << ColourText(surface.Pixel(x, y));
        for (int x : {160, 290}) EXPECT_EQ(kBlue, surface.Pixel(x, y)) << x << "," << y << " " << ColourText(surface.Pixel(x, y));
    }
    DestroyWindow(underneath);
}

TEST_F(PaintBackgroundTest, ModeOneFillsTheWindowWithTheDesktopPaintingStretched) {
    const int desktopWidth = GetSystemMetrics(SM_CXSCREEN), desktopHeight = GetSystemMetrics(SM_CYSCREEN);
    // A wallpaper that covers the whole desktop in four colours.
    std::string wallpaper = ScratchFolder() + "\\wallpaper.bmp";
    const COLORREF quadrants[4] = {kRed, kGreen, kBlue, kWhite};
    ASSERT_TRUE(WriteQuadrantBmp(wallpaper, desktopWidth, desktopHeight, quadrants));
    SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(wallpaper.c_str()), 0);

    // What the system paints for the desktop, on the black of a fresh bitmap.
    // (Wine's PaintDesktop fills everything with white and draws no
    // wallpaper, even one set by this process.)
    Canvas desktop(desktopWidth, desktopHeight);
    desktop.Fill(kBlack);
    PaintDesktop(desktop.dc());

    CoverWindow window(0, 0, 256, 192, kMagenta, false);
    Canvas surface(256, 192);
    surface.Fill(kMagenta);
    theFog.BackgroundMode = DesktopBackground;
    PaintBackground(window.window, surface.dc());
    EXPECT_EQ(0, surface.Count(kMagenta)) << "the whole window is painted";
    for (int y : {20, 170})
        for (int x : {20, 236}) {
            COLORREF expected = desktop.Pixel(x * desktopWidth / 256, y * desktopHeight / 192);
            EXPECT_EQ(expected, surface.Pixel(x, y))
                << x << "," << y << ": " << ColourText(surface.Pixel(x, y)) << " instead of " << ColourText(expected);
        }
    SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(""), 0);
}

TEST_F(PaintBackgroundTest, OtherModesPaintNothingAndReturnAtOnce) {
    CoverWindow window(0, 0, 64, 48, kMagenta, false);
    Canvas surface(64, 48);
    for (int32_t mode : {3, -1, 100, INT_MIN, INT_MAX}) {
        surface.Fill(kMagenta);
        theFog.BackgroundMode = mode;
        DWORD start = GetTickCount();
        PaintBackground(window.window, surface.dc());
        EXPECT_LT(GetTickCount() - start, 500u) << "mode " << mode;
        EXPECT_EQ(64 * 48, surface.Count(kMagenta)) << "mode " << mode;
    }
}

}  // namespace
