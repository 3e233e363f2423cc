// Several monitors and scaled displays, on the layout the harness made
// (tools/wine-layout-run): every monitor painted for itself, the dead area
// black, and the saver per-monitor aware on a scaled display.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <sstream>

#include "core/settings_values.h"
#include "fog/backgrounds.h"
#include "fog/fog_engine.h"
#include "fog_test_window.h"
#include "win32/dpi_awareness.h"
#include "win32/library_entry.h"
#include "win32/monitors.h"

namespace {

std::string Describe(const RECT& r) {
    std::ostringstream text;
    text << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
    return text.str();
}
std::string Describe(std::vector<RECT> rects) {
    std::sort(rects.begin(), rects.end(), [](const RECT& a, const RECT& b) {
        return std::make_pair(a.left, a.top) < std::make_pair(b.left, b.top);
    });
    std::string text;
    for (const RECT& r : rects) text += Describe(r) + " ";
    return text;
}

// The monitors the harness was asked for, in the system's screen
// coordinates: the primary's top-left is the origin.
std::vector<RECT> LayoutMonitors() {
    std::vector<RECT> monitors;
    std::istringstream list(getenv("ZORV_MONITORS") ? getenv("ZORV_MONITORS") : "");
    std::string geometry;
    while (std::getline(list, geometry, ',')) {
        int w = 0, h = 0, x = 0, y = 0;
        sscanf(geometry.c_str(), "%dx%d+%d+%d", &w, &h, &x, &y);
        monitors.push_back({x, y, x + w, y + h});
    }
    if (monitors.empty()) return monitors;
    const RECT primary = monitors.at(atoi(getenv("ZORV_PRIMARY")));
    for (RECT& m : monitors) OffsetRect(&m, -primary.left, -primary.top);
    return monitors;
}

BOOL CALLBACK CollectMonitor(HMONITOR, HDC, LPRECT rect, LPARAM list) {
    reinterpret_cast<std::vector<RECT>*>(list)->push_back(*rect);
    return TRUE;
}
std::vector<RECT> SystemMonitors() {
    std::vector<RECT> monitors;
    EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

RECT Union(const std::vector<RECT>& rects) {
    RECT all = {};
    for (const RECT& r : rects) UnionRect(&all, &all, &r);
    return all;
}
int Area(const RECT& r) { return (r.right - r.left) * (r.bottom - r.top); }

// The layout as the test sees it; every test first checks that the system
// reports exactly these monitors, so that a harness that lost them fails
// rather than passing on one screen.
struct LayoutTest : ::testing::Test {
    std::vector<RECT> monitors = LayoutMonitors();
    RECT virtualScreen = Union(monitors);
    int width = virtualScreen.right - virtualScreen.left, height = virtualScreen.bottom - virtualScreen.top;
    int deadArea = Area(virtualScreen);
    void SetUp() override {
        ASSERT_GE(monitors.size(), 2u) << "no layout given: run through tools/wine-layout-run";
        ASSERT_EQ(Describe(monitors), Describe(SystemMonitors()));
        for (const RECT& m : monitors) deadArea -= Area(m);
    }
    // A monitor in a picture of the virtual screen.
    RECT InPicture(RECT monitor) const {
        OffsetRect(&monitor, -virtualScreen.left, -virtualScreen.top);
        return monitor;
    }
    // The saver window over the virtual screen, without showing on it: an
    // empty region leaves what lies beneath on the screen (Wine cannot hide
    // the saver for the screen copy).
    HWND CreateSaverStandIn() const {
        HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, virtualScreen.left, virtualScreen.top, width, height,
                                      nullptr, nullptr, nullptr, nullptr);
        SetWindowRgn(window, CreateRectRgn(0, 0, 0, 0), FALSE);
        return window;
    }
};

TEST_F(LayoutTest, MonitorAreasAreTheMonitorsInClientCoordinates) {
    HWND saver = CreateSaverStandIn();
    HWND child = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, width, height, saver, nullptr, nullptr, nullptr);
    std::vector<RECT> expected;
    for (const RECT& m : monitors) expected.push_back(InPicture(m));
    EXPECT_EQ(Describe(expected), Describe(MonitorAreas(saver)));
    EXPECT_EQ(Describe(std::vector<RECT>{{0, 0, width, height}}), Describe(MonitorAreas(child)))
        << "a preview is one area, whatever it spans";
    // A window on one monitor gets its client area, as on one screen.
    const RECT primary = *std::find_if(monitors.begin(), monitors.end(), [](const RECT& m) {
        return m.left == 0 && m.top == 0;
    });
    MoveWindow(saver, primary.right - 300, primary.top + 50, 200, 100, FALSE);
    EXPECT_EQ(Describe(std::vector<RECT>{{0, 0, 200, 100}}), Describe(MonitorAreas(saver)));
    // A system without monitor functions (95, NT 4.0) sees one screen.
    MoveWindow(saver, virtualScreen.left, virtualScreen.top, width, height, FALSE);
    UseMonitorFunctions({});
    EXPECT_EQ(Describe(std::vector<RECT>{{0, 0, width, height}}), Describe(MonitorAreas(saver)));
    DestroyWindow(saver);
}

// Mode 0: a window of its own colour on each monitor, with a small white
// marker near its top-left corner, over a magenta one that fills the dead
// area too; the copy must put every pixel where the screen showed it, and
// black in the dead area.
TEST_F(LayoutTest, ScreenImageCopiesEveryMonitorOneToOne) {
    const COLORREF colours[] = {kRed, kGreen, kBlue, RGB(255, 255, 0)};
    ASSERT_LE(monitors.size(), 4u);
    std::vector<HWND> windows = {CreateSolidWindow(virtualScreen.left, virtualScreen.top, width, height, kMagenta)};
    const int kMarker = 4;
    for (size_t i = 0; i < monitors.size(); ++i) {
        const RECT& m = monitors[i];
        windows.push_back(CreateSolidWindow(m.left, m.top, m.right - m.left, m.bottom - m.top, colours[i]));
        windows.push_back(CreateSolidWindow(m.left + 7, m.top + 5, kMarker, kMarker, kWhite));
    }
    HWND saver = CreateSaverStandIn();
    PumpMessagesFor(300);
    Canvas surface(width, height);
    theFog.BackgroundMode = CurrentDesktopImage;
    PaintBackground(saver, surface.dc());

    for (size_t i = 0; i < monitors.size(); ++i) {
        const RECT m = InPicture(monitors[i]);
        SCOPED_TRACE("monitor " + Describe(monitors[i]));
        EXPECT_EQ(colours[i], surface.Pixel(m.left, m.top));
        EXPECT_EQ(colours[i], surface.Pixel(m.right - 1, m.bottom - 1));
        EXPECT_EQ(colours[i], surface.Pixel(m.left + 6, m.top + 5)) << "left of the marker";
        EXPECT_EQ(kWhite, surface.Pixel(m.left + 7, m.top + 5)) << "the marker's first pixel";
        EXPECT_EQ(kWhite, surface.Pixel(m.left + 6 + kMarker, m.top + 4 + kMarker)) << "its last";
        EXPECT_EQ(Area(m) - kMarker * kMarker, surface.Count(colours[i]));
    }
    EXPECT_EQ(static_cast<int>(monitors.size()) * kMarker * kMarker, surface.Count(kWhite));
    EXPECT_EQ(deadArea, surface.Count(RGB(0, 0, 0))) << "the dead area";
    DestroyWindow(saver);
    for (HWND window : windows) DestroyWindow(window);
}

// Mode 1: the desktop painting on every monitor, whatever its size; black
// where no monitor is; the whole window where the system knows no monitors.
// (Wine paints its desktop in one colour, and a wallpaper set by a program
// reaches only its desktop process: where the painting lands is what this
// can see, not how it is stretched.)
TEST_F(LayoutTest, DesktopBackgroundCoversEveryMonitor) {
    HWND saver = CreateSaverStandIn();
    Canvas desktop(1, 1), surface(width, height);
    PaintDesktop(desktop.dc());  // Wine's paints one colour, without wallpaper
    const COLORREF painted = desktop.Pixel(0, 0);
    ASSERT_NE(RGB(0, 0, 0), painted);
    theFog.BackgroundMode = DesktopBackground;

    PaintBackground(saver, surface.dc());
    for (const RECT& m : monitors) {
        const RECT inPicture = InPicture(m);
        EXPECT_EQ(painted, surface.Pixel(inPicture.right - 1, inPicture.bottom - 1)) << Describe(m);
    }
    EXPECT_EQ(Area(virtualScreen) - deadArea, surface.Count(painted));
    EXPECT_EQ(deadArea, surface.Count(RGB(0, 0, 0))) << "the dead area";

    UseMonitorFunctions({});
    surface.Fill(kMagenta);
    PaintBackground(saver, surface.dc());
    EXPECT_EQ(width * height, surface.Count(painted)) << "without monitor functions";
    DestroyWindow(saver);
}

using AwarenessContextProc = HANDLE(WINAPI*)(HWND);
using AwarenessProc = int(WINAPI*)(HANDLE);
constexpr int kPerMonitorAware = 2;  // DPI_AWARENESS_PER_MONITOR_AWARE

// On a scaled display the real saver is per-monitor aware and its window
// covers every physical pixel, seen by a per-monitor aware observer.
TEST_F(LayoutTest, ScaledDisplayIsCoveredPixelForPixel) {
    ASSERT_GT(atoi(getenv("ZORV_DPI")), 96) << "a layout with scaling";
    ASSERT_NE(DpiAwareness::Unaware, RequestDpiAwareness()) << "the observer itself";
    HMODULE user = GetModuleHandleA("USER32.DLL");
    auto windowContext = LibraryEntry<AwarenessContextProc>(user, "GetWindowDpiAwarenessContext");
    auto awareness = LibraryEntry<AwarenessProc>(user, "GetAwarenessFromDpiAwarenessContext");
    ASSERT_TRUE(windowContext && awareness);
    CleanSettingsKey clean;
    StoreSettings(DesktopBackground, 60000, kNever);  // no puff while the test looks
    RunningProcess saverProcess("\"" + SaverPath() + "\" /s");
    HWND saver = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (saver = FindWindowA("WindowsScreenSaverClass", "Screen Saver")) != nullptr; },
                          15000));
    EXPECT_EQ(kPerMonitorAware, awareness(windowContext(saver)));
    RECT placed = {};
    GetWindowRect(saver, &placed);
    EXPECT_EQ(Describe(virtualScreen), Describe(placed));

    Canvas desktop(1, 1), screen(width, height);
    PaintDesktop(desktop.dc());
    const COLORREF painted = desktop.Pixel(0, 0);
    HDC screenDc = GetDC(nullptr);
    const auto covered = [&] {
        BitBlt(screen.dc(), 0, 0, width, height, screenDc, virtualScreen.left, virtualScreen.top, SRCCOPY);
        return screen.Count(painted) == Area(virtualScreen) - deadArea;
    };
    EXPECT_TRUE(PumpUntil(covered, 10000)) << screen.Count(painted) << " of " << Area(virtualScreen) - deadArea
                                           << " monitor pixels show the desktop";
    EXPECT_EQ(deadArea, screen.Count(RGB(0, 0, 0))) << "the dead area";
    ReleaseDC(nullptr, screenDc);
    PostMessageA(saver, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, saverProcess.WaitForExit(5000));
}

}  // namespace
