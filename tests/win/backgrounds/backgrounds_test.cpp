// PaintBackground by mode: the screen beneath the window, the desktop as
// the system paints it, a picture from the image list (the desktop when
// none can be drawn), or nothing.
#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <functional>

#include "core/settings_values.h"
#include "fog/backgrounds.h"
#include "fog/fog_engine.h"
#include "fog_test_window.h"

namespace {

// What stepping aside sends the window, with the tick in lParam.
std::vector<MessageRecord> steps;
LRESULT CALLBACK StepsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETREDRAW || message == WM_SHOWWINDOW)
        steps.push_back({message, wParam, static_cast<LPARAM>(GetTickCount())});
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(PaintBackground, ModeZeroStepsAsideForTwoSecondsAndCopiesTheWholeScreenStretched) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HWND green = CreateSolidWindow(0, 0, width / 2, height, kGreen);
    HWND blue = CreateSolidWindow(width / 2, 0, width - width / 2, height, kBlue);
    WNDCLASSA coverClass = {};
    coverClass.lpfnWndProc = StepsProc;
    coverClass.hInstance = GetModuleHandleA(nullptr);
    coverClass.lpszClassName = "ZorvCover";
    RegisterClassA(&coverClass);
    // The saver window, over part of the green half.
    HWND cover = CreateWindowExA(WS_EX_TOPMOST, "ZorvCover", "", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200, nullptr,
                                 nullptr, coverClass.hInstance, nullptr);
    PumpMessagesFor(200);
    steps.clear();
    Canvas surface(300, 200);
    theFog.BackgroundMode = CurrentDesktopImage;
    PaintBackground(cover, surface.dc());

    EXPECT_TRUE(IsWindowVisible(cover)) << "the window did not come back";
    // Redrawing is off from before the window steps aside until it is back.
    // (Under Wine the hide sends nothing after WM_SETREDRAW FALSE, and the
    // window stays mapped: the copy shows it where it lies.)
    ASSERT_GE(steps.size(), 3u) << DescribeMessages(steps);
    const MessageRecord expected[] = {{WM_SETREDRAW, FALSE, 0}, {WM_SHOWWINDOW, TRUE, 0}, {WM_SETREDRAW, TRUE, 0}};
    for (int i : {0, 1, 2}) {
        const MessageRecord& seen = steps[i ? steps.size() - 3 + i : 0];
        EXPECT_TRUE(seen.message == expected[i].message && seen.wParam == expected[i].wParam) << DescribeMessages(steps);
    }
    EXPECT_GE(steps.back().lParam - steps.front().lParam, 2000) << "what lies beneath gets 2 s to repaint";
    // The whole screen squeezed into the window: green left, blue right.
    for (int y : {10, 100, 190}) {
        for (int x : {10, 140}) EXPECT_EQ(kGreen, surface.Pixel(x, y)) << x << "," << y;
        for (int x : {160, 290}) EXPECT_EQ(kBlue, surface.Pixel(x, y)) << x << "," << y;
    }
    DestroyWindow(cover);
    DestroyWindow(blue);
    DestroyWindow(green);
}

std::string PicturePath(const char* name) {
    std::string path = std::string("Z:") + ZORV_TEST_PICTURES + "/" + name;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// The same file, named in exactly 260 bytes: "\." steps, then a doubled separator.
std::string PaddedTo260(const std::string& path) {
    std::string padded = path.substr(0, 2);
    while (padded.size() + path.size() <= 260) padded += "\\.";
    padded += path.substr(2);
    return padded.insert(2, 260 - padded.size(), '\\');
}

// Modes 1, 2 and any other, and mode 2's fall back to the desktop
// painting whenever no picture can be drawn.
TEST(PaintBackground, EveryOtherModePaintsItsSource) {
    CleanSettingsKey clean;
    CoInitialize(nullptr);  // as the saver window's creation does
    const std::string folder = ScratchFolder(), bmp = folder + "\\quadrants.bmp", text = folder + "\\text.bmp";
    ASSERT_TRUE(WriteBmp(bmp, kRed, kGreen, kBlue, kWhite));
    std::ofstream(text) << "not a picture at all";
    HWND window = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 300, 100, nullptr, nullptr, nullptr, nullptr);
    Canvas desktop(1, 1), surface(300, 100);
    PaintDesktop(desktop.dc());  // Wine's paints one colour, without wallpaper
    enum Shows { Picture, Desktop, Nothing };
    const struct {
        const char* what;
        int32_t mode;
        std::function<void()> storeList;
        Shows shows;
        int tolerance;
    } cases[] = {
        {"mode 1", DesktopBackground, [] {}, Desktop, 0},
        {"BMP", RandomImage, [&] { StoreImageList({bmp}); }, Picture, 0},
        {"PNG", RandomImage, [] { StoreImageList({PicturePath("quadrants.png")}); }, Picture, 0},
        {"JPEG", RandomImage, [] { StoreImageList({PicturePath("quadrants.jpg")}); }, Picture, 24},
        {"260 bytes without a zero", RandomImage,
         [&] { WriteBinary(kImagesKeyPath, "0", PaddedTo260(bmp).c_str(), 260, REG_BINARY); }, Picture, 0},
        {"a key without values", RandomImage, [] {
             HKEY key;
             if (RegCreateKeyA(HKEY_CURRENT_USER, kImagesKeyPath, &key) == ERROR_SUCCESS) RegCloseKey(key);
         }, Desktop, 0},
        {"a gap in the list", RandomImage, [&] { WriteBinary(kImagesKeyPath, "1", bmp.c_str(), bmp.size() + 1, REG_SZ); },
         Desktop, 0},
        {"a missing file", RandomImage, [&] { StoreImageList({folder + "\\gone.bmp"}); }, Desktop, 0},
        {"no picture", RandomImage, [&] { StoreImageList({text}); }, Desktop, 0},
        {"mode 3", 3, [] {}, Nothing, 0},
        {"mode -1", -1, [] {}, Nothing, 0},
        {"mode INT_MIN", INT_MIN, [] {}, Nothing, 0},
        {"mode INT_MAX", INT_MAX, [] {}, Nothing, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RegDeleteKeyA(HKEY_CURRENT_USER, kImagesKeyPath);
        c.storeList();
        surface.Fill(kMagenta);
        theFog.BackgroundMode = c.mode;
        PaintBackground(window, surface.dc());
        if (c.shows != Picture) {
            EXPECT_EQ(300 * 100, surface.Count(c.shows == Desktop ? desktop.Pixel(0, 0) : kMagenta));
            continue;
        }
        // Upright and stretched over the whole window, distorted: never
        // cropped or letter-boxed.
        const struct {
            int x, y;
            COLORREF colour;
        } probes[] = {{0, 0, kRed},   {70, 25, kRed},  {299, 0, kGreen},  {230, 25, kGreen},
                      {0, 99, kBlue}, {70, 75, kBlue}, {299, 99, kWhite}, {230, 75, kWhite}};
        for (const auto& probe : probes) {
            const COLORREF seen = surface.Pixel(probe.x, probe.y);
            for (int shift : {0, 8, 16})
                EXPECT_NEAR(probe.colour >> shift & 0xFF, seen >> shift & 0xFF, c.tolerance)
                    << probe.x << "," << probe.y << ": " << std::hex << seen;
        }
    }
    DestroyWindow(window);
}

}  // namespace
