// PaintBackground by mode: the screen beneath the window, the desktop as
// the system paints it, a picture from the image list (the desktop when
// none can be drawn), or nothing.
#include <gtest/gtest.h>

#include <climits>

#include "core/settings_values.h"
#include "fog/backgrounds.h"
#include "fog/fog_engine.h"
#include "fog_test_window.h"

namespace {

// What stepping aside sends the window, and when.
std::vector<MessageRecord> steps;
std::vector<DWORD> ticks;
LRESULT CALLBACK StepsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETREDRAW || message == WM_SHOWWINDOW) {
        steps.push_back({message, wParam, 0});
        ticks.push_back(GetTickCount());
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(PaintBackground, ModeZeroStepsAsideForTwoSecondsAndCopiesTheWholeScreenStretched) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HWND green = CreateSolidWindow(0, 0, width / 2, height, kGreen);
    HWND blue = CreateSolidWindow(width / 2, 0, width - width / 2, height, kBlue);
    // The saver window, over part of the green half.
    HWND cover = CreateSolidWindow(100, 100, 300, 200, kMagenta);
    SetWindowLongPtrA(cover, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StepsProc));
    PumpMessagesFor(200);
    Canvas surface(300, 200);
    theFog.BackgroundMode = CurrentDesktopImage;
    PaintBackground(cover, surface.dc());

    // Redrawing is off from before the window steps aside until it is back.
    // (Under Wine the hide sends nothing after WM_SETREDRAW FALSE, and the
    // window stays mapped: the copy shows it where it lies.)
    ASSERT_EQ(DescribeMessages({{WM_SETREDRAW, FALSE, 0}, {WM_SHOWWINDOW, TRUE, 0}, {WM_SETREDRAW, TRUE, 0}}),
              DescribeMessages(steps));
    EXPECT_GE(ticks[2] - ticks[0], 2000u) << "what lies beneath gets 2 s to repaint";
    // The whole screen squeezed into the window: green left, blue right.
    for (int y : {10, 100, 190}) {
        for (int x : {10, 140}) EXPECT_EQ(kGreen, surface.Pixel(x, y)) << x << "," << y;
        for (int x : {160, 290}) EXPECT_EQ(kBlue, surface.Pixel(x, y)) << x << "," << y;
    }
    DestroyWindow(cover);
    DestroyWindow(blue);
    DestroyWindow(green);
}

// Modes 1, 2 and any other, and mode 2's fall back to the desktop
// painting whenever no picture can be drawn.
TEST(PaintBackground, EveryOtherModePaintsItsSource) {
    CleanSettingsKey clean;
    CoInitialize(nullptr);  // as the saver window's creation does
    const std::string folder = ScratchFolder(), bmp = folder + "\\quadrants.bmp";
    ASSERT_TRUE(WriteBmp(bmp, kRed, kGreen, kBlue, kWhite));
    HWND window = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 300, 100, nullptr, nullptr, nullptr, nullptr);
    Canvas desktop(1, 1), surface(300, 100);
    PaintDesktop(desktop.dc());  // Wine's paints one colour, without wallpaper
    enum Shows { Picture, Desktop, Nothing };
    const struct {
        const char* what;
        int32_t mode;
        const char* name;   // of the one image entry
        std::string entry;  // its data; no entry when empty
        Shows shows;
    } cases[] = {
        {"mode 1", DesktopBackground, "0", "", Desktop},
        {"a picture", RandomImage, "0", bmp + '\0', Picture},
        {"260 bytes without a zero", RandomImage, "0",  // the same file, with doubled separators
         bmp.substr(0, 2) + std::string(260 - bmp.size(), '\\') + bmp.substr(2), Picture},
        {"a key without values", RandomImage, "0", "", Desktop},
        {"a gap in the list", RandomImage, "1", bmp + '\0', Desktop},
        {"a missing file", RandomImage, "0", folder + "\\gone.bmp", Desktop},
        {"mode 3", 3, "0", "", Nothing},           {"mode -1", -1, "0", "", Nothing},
        {"mode INT_MIN", INT_MIN, "0", "", Nothing}, {"mode INT_MAX", INT_MAX, "0", "", Nothing},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RegDeleteKeyA(HKEY_CURRENT_USER, kImagesKeyPath);
        RegistryKey key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, kImagesKeyPath, key.place()));
        if (!c.entry.empty()) WriteBinary(kImagesKeyPath, c.name, c.entry.data(), c.entry.size(), REG_BINARY);
        surface.Fill(kMagenta);
        theFog.BackgroundMode = c.mode;
        PaintBackground(window, surface.dc());
        if (c.shows == Picture)
            ExpectQuadrants(surface.Surface(), 0);
        else
            EXPECT_EQ(300 * 100, surface.Count(c.shows == Desktop ? desktop.Pixel(0, 0) : kMagenta));
    }
    DestroyWindow(window);
}

}  // namespace
