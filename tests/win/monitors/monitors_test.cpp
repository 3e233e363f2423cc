// Several monitors and scaled displays, on the layout the harness made
// (tools/wine-layout-run): every monitor painted for itself, the dead area
// black, and the saver per-monitor aware on a scaled display.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "fog/backgrounds.h"
#include "fog/fog_engine.h"
#include "tests/win/worker/fog_test_window.h"
#include "win32/dpi_awareness.h"
#include "win32/library_entry.h"
#include "win32/monitors.h"

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);

std::string Describe(std::vector<RECT> rects) {
    std::sort(rects.begin(), rects.end(), [](const RECT& a, const RECT& b) {
        return std::make_pair(a.left, a.top) < std::make_pair(b.left, b.top);
    });
    std::ostringstream text;
    for (const RECT& r : rects) text << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ") ";
    return text.str();
}

int Area(const RECT& r) { return (r.right - r.left) * (r.bottom - r.top); }

// What stepping aside for the screen copy sends the saver window, and when.
std::vector<MessageRecord> steps;
std::vector<DWORD> ticks;
LRESULT CALLBACK StepsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETREDRAW || message == WM_SHOWWINDOW) {
        steps.push_back({message, wParam, 0});
        ticks.push_back(GetTickCount());
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The monitors the harness was asked for (ZORV_MONITORS, in X screen
// coordinates) in the system's: the primary's top-left is the origin. A
// harness that lost them fails each test: what it sees is not these.
struct LayoutTest : ::testing::Test {
    std::vector<RECT> monitors;
    RECT all = {};  // the virtual screen
    int width = 0, height = 0, deadArea = 0;
    void SetUp() override {
        std::istringstream list(getenv("ZORV_MONITORS") ? getenv("ZORV_MONITORS") : "");
        for (std::string geometry; std::getline(list, geometry, ',');) {
            int w = 0, h = 0, x = 0, y = 0;
            sscanf(geometry.c_str(), "%dx%d+%d+%d", &w, &h, &x, &y);
            monitors.push_back({x, y, x + w, y + h});
        }
        ASSERT_GE(monitors.size(), 2u) << "no layout given: run through tools/wine-layout-run";
        const RECT primary = monitors.at(atoi(getenv("ZORV_PRIMARY")));
        for (RECT& m : monitors) OffsetRect(&m, -primary.left, -primary.top), UnionRect(&all, &all, &m);
        width = all.right - all.left, height = all.bottom - all.top, deadArea = Area(all);
        for (const RECT& m : monitors) deadArea -= Area(m);
    }
    RECT InWindow(RECT monitor) const { return OffsetRect(&monitor, -all.left, -all.top), monitor; }
};

// The saver's areas are the monitors in client coordinates, a preview's
// one whatever it spans. Every mode paints each monitor for itself and the
// dead area black.
// Mode 0: each monitor shows a window of its own colour with a white
// marker near its top-left, over a magenta one that fills the dead area
// too; the saver steps aside for 2 s and the copy puts every pixel where
// the screen showed it. Mode 1: the
// desktop painting on every monitor, on the whole window where the system
// knows no monitors (Wine paints its desktop in one colour, and a
// wallpaper set by a program reaches only its desktop process: where the
// painting lands is what this can see, not how it is stretched). Mode 2: a
// picture stretched to each monitor, one of its own while the list has
// enough.
TEST_F(LayoutTest, EveryModePaintsEachMonitorAreaForItself) {
    CleanSettingsKey clean;
    const COLORREF colours[] = {kRed, kGreen, kBlue}, corners[] = {kRed, kGreen, kWhite, kBlue};  // clockwise
    ASSERT_LE(monitors.size(), 3u);
    const int kMarker = 4;
    CreateSolidWindow(all.left, all.top, width, height, kMagenta);  // each test runs in a process of its own
    for (size_t i = 0; i < monitors.size(); ++i) {
        const RECT& m = monitors[i];
        CreateSolidWindow(m.left, m.top, m.right - m.left, m.bottom - m.top, colours[i]);
        CreateSolidWindow(m.left + 7, m.top + 5, kMarker, kMarker, kWhite);
        const std::string path = ScratchFolder() + "\\picture" + std::to_string(i) + ".bmp";
        const auto corner = [&](size_t k) { return corners[(k + i) % 4]; };  // picture i: the corners turned i places
        ASSERT_TRUE(WriteBmp(path, corner(0), corner(1), corner(3), corner(2)));
        WriteBinary(kImagesKeyPath, std::to_string(i).c_str(), path.c_str(), static_cast<DWORD>(path.size() + 1),
                    REG_SZ);
    }
    // The saver window over the virtual screen without showing on it: an
    // empty region leaves what lies beneath on the screen (Wine cannot hide
    // the saver for the screen copy).
    HWND saver =
        CreateWindowA("STATIC", "", WS_POPUP, all.left, all.top, width, height, nullptr, nullptr, nullptr, nullptr);
    SetWindowRgn(saver, CreateRectRgn(0, 0, 0, 0), FALSE);
    SetWindowLongPtrA(saver, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StepsProc));
    HWND child = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, width, height, saver, nullptr, nullptr, nullptr);
    std::vector<RECT> expected;
    for (const RECT& m : monitors) expected.push_back(InWindow(m));
    EXPECT_EQ(Describe(expected), Describe(MonitorAreas(saver)));
    EXPECT_EQ(Describe({{0, 0, width, height}}), Describe(MonitorAreas(child))) << "a preview is one area";
    PumpMessagesFor(300);
    Canvas desktop(1, 1), screen(width, height), wallpaper(width, height), pictures(width, height);
    PaintDesktop(desktop.dc());
    const auto paint = [&](int32_t mode, Canvas& surface) {
        theFog.BackgroundMode = mode;
        PaintBackground(saver, surface.dc());
        EXPECT_EQ(deadArea, surface.Count(kBlack)) << "the dead area in mode " << mode;
    };
    paint(CurrentDesktopImage, screen), paint(DesktopBackground, wallpaper), paint(RandomImage, pictures);
    // For the copy, redrawing is off from before the window steps aside
    // until it is back, and what lies beneath gets 2 s to repaint. (Under
    // Wine the hide sends nothing after WM_SETREDRAW FALSE.)
    ASSERT_EQ(DescribeMessages({{WM_SETREDRAW, FALSE, 0}, {WM_SHOWWINDOW, TRUE, 0}, {WM_SETREDRAW, TRUE, 0}}),
              DescribeMessages(steps));
    EXPECT_GE(ticks[2] - ticks[0], 2000u);

    std::vector<COLORREF> topLefts;
    for (size_t i = 0; i < monitors.size(); ++i) {
        const RECT m = InWindow(monitors[i]);
        SCOPED_TRACE("monitor " + Describe({monitors[i]}));
        EXPECT_EQ(colours[i], screen.Pixel(m.left + 6, m.top + 5)) << "left of the marker";
        EXPECT_EQ(kWhite, screen.Pixel(m.left + 7, m.top + 5)) << "the marker's first pixel";
        EXPECT_EQ(Area(m) - kMarker * kMarker, screen.Count(colours[i]));
        const COLORREF seen[] = {pictures.Pixel(m.left, m.top), pictures.Pixel(m.right - 1, m.top),
                                 pictures.Pixel(m.right - 1, m.bottom - 1), pictures.Pixel(m.left, m.bottom - 1)};
        const size_t turn = std::find(corners, corners + 4, seen[0]) - corners;
        for (size_t k = 0; k < 4; ++k) EXPECT_EQ(corners[(k + turn) % 4], seen[k]) << "picture corner " << k;
        EXPECT_EQ(std::count(topLefts.begin(), topLefts.end(), seen[0]), 0) << "two monitors show the same picture";
        topLefts.push_back(seen[0]);
    }
    EXPECT_EQ(static_cast<int>(monitors.size()) * kMarker * kMarker, screen.Count(kWhite));
    const COLORREF painted = desktop.Pixel(0, 0);
    ASSERT_NE(kBlack, painted);
    EXPECT_EQ(Area(all) - deadArea, wallpaper.Count(painted));
    UseMonitorFunctions({});  // as on 95 and NT 4.0
    wallpaper.Fill(kMagenta);
    theFog.BackgroundMode = DesktopBackground;
    PaintBackground(saver, wallpaper.dc());
    EXPECT_EQ(width * height, wallpaper.Count(painted)) << "without monitor functions";
    UseMonitorFunctions(SystemMonitorFunctions());
    MoveWindow(saver, 100, 50, 200, 100, FALSE);  // on the primary alone: as on one screen
    EXPECT_EQ(Describe({{0, 0, 200, 100}}), Describe(MonitorAreas(saver)));
}

// On a scaled display the real saver is per-monitor aware and covers every
// physical pixel, as a per-monitor aware observer sees them.
TEST_F(LayoutTest, ScaledDisplayIsCoveredPixelForPixel) {
    ASSERT_GT(atoi(getenv("ZORV_DPI")), 96) << "a layout with scaling";
    ASSERT_NE(DpiAwareness::Unaware, RequestDpiAwareness()) << "the observer itself";
    HMODULE user = GetModuleHandleA("USER32.DLL");
    auto windowContext = LibraryEntry<HANDLE(WINAPI*)(HWND)>(user, "GetWindowDpiAwarenessContext");
    auto awareness = LibraryEntry<int(WINAPI*)(HANDLE)>(user, "GetAwarenessFromDpiAwarenessContext");
    ASSERT_TRUE(windowContext && awareness);
    CleanSettingsKey clean;
    StoreSettings(DesktopBackground, 60000, kNever);  // no puff while the test looks
    RunningProcess saverProcess("\"" + SaverPath() + "\" /s");
    HWND saver = nullptr;
    ASSERT_TRUE(
        PumpUntil([&] { return (saver = FindWindowA("WindowsScreenSaverClass", "Screen Saver")) != nullptr; }, 15000));
    EXPECT_EQ(2, awareness(windowContext(saver))) << "DPI_AWARENESS_PER_MONITOR_AWARE";

    Canvas desktop(1, 1), screen(width, height);
    PaintDesktop(desktop.dc());
    WindowDC screenDc(nullptr);
    const auto covered = [&] {
        BitBlt(screen.dc(), 0, 0, width, height, screenDc.get(), all.left, all.top, SRCCOPY);
        return screen.Count(desktop.Pixel(0, 0)) == Area(all) - deadArea;
    };
    EXPECT_TRUE(PumpUntil(covered, 10000)) << screen.Count(desktop.Pixel(0, 0)) << " monitor pixels show the desktop";
    EXPECT_EQ(deadArea, screen.Count(kBlack)) << "the dead area";
    PostMessageA(saver, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, saverProcess.WaitForExit(5000));
}

}  // namespace
