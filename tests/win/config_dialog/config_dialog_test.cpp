// The configuration dialog from its real template, driven with clicks and
// key presses: what it shows, what it stores and when, and its preview.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "config_ui/config_dialog.h"
#include "dialog_driver.h"
#include "fog/fog_engine.h"
#include "resources/resource.h"
#include "test_support.h"

namespace {

const char kKey[] = "SOFTWARE\\Zorv";
const char* const kNames[] = {"Density", "Power", "MixPix", "Ray", "BackgroundMode", "Delay", "Timeout"};
const DWORD kOff = 0xFFFFFFFF;  // Timeout -1: no refresh

void Store(const std::vector<DWORD>& values) {  // the first values.size() settings
    for (size_t i = 0; i < values.size(); ++i) WriteDword(kKey, kNames[i], values[i]);
}

// The seven stored values in order, "-" for a missing one.
std::string Stored() {
    std::string text;
    for (const char* name : kNames) {
        DWORD value = 0;
        text += (ReadDword(kKey, name, value) ? std::to_string(static_cast<int>(value)) : "-") + " ";
    }
    return text;
}

// The sliders Density, Blur, Strength, Speed; x/o for Mix colors, the
// screen, desktop and random radios and Refresh; E/- for the screen radio,
// "..." and the period box enabled; the period box's text.
std::string Shown(HWND dialog) {
    std::string text;
    for (int id : {IDC_CONFIG_DENSITY, IDC_CONFIG_BLUR, IDC_CONFIG_STRENGTH, IDC_CONFIG_SPEED})
        text += std::to_string(SendDlgItemMessageA(dialog, id, TBM_GETPOS, 0, 0)) + " ";
    for (int id : {IDC_CONFIG_MIXPIX, IDC_CONFIG_MODE_SCREEN, IDC_CONFIG_MODE_DESKTOP, IDC_CONFIG_MODE_RANDOM,
                   IDC_CONFIG_REFRESH})
        text += IsChecked(dialog, id) ? "x" : "o";
    text += " ";
    for (int id : {IDC_CONFIG_MODE_SCREEN, IDC_CONFIG_IMAGES, IDC_CONFIG_REFRESH_SECONDS})
        text += IsEnabled(dialog, id) ? "E" : "-";
    return text + " [" + WindowText(GetDlgItem(dialog, IDC_CONFIG_REFRESH_SECONDS)) + "]";
}

using ConfigDialogTest = DialogTest;

// Each case is then changed and cancelled in its own way.
// Wine is of the NT family: the screen image radio is always disabled.
TEST_F(ConfigDialogTest, ShowsTheStoredSettingsAndCancelLeavesThemStored) {
    const struct {
        const char* name;
        std::vector<DWORD> stored;
        const char* shown;
        void (*cancel)(HWND dialog);
    } cases[] = {
        {"no key: the defaults", {}, "10 0 50 2000 xoxoo --- []", [](HWND d) { ClickControl(d, IDCANCEL); }},
        {"Power 1.5, Delay 0, Timeout -1", {5, 150, 1, 30, 1, 0, kOff}, "5 50 30 2000 xoxoo --- []",
         [](HWND d) { Type(d, IDCANCEL, {VK_ESCAPE}); }},
        {"Power 1.17, Delay 1500, Timeout 60", {3, 117, 0, 100, 2, 1500, 60}, "3 17 100 500 oooxx -EE [60]",
         [](HWND d) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"screen image stored", {10, 200, 0, 55, 0, 250, 30}, "10 100 55 1750 oxoox --E [30]",
         [](HWND d) { ClickControl(d, IDCANCEL); }},
    };
    for (const auto& c : cases) {
        DeleteSettingsKey();
        Store(c.stored);
        const std::string before = Stored();
        ASSERT_TRUE(Open(IDD_CONFIG, ConfigDialogProc)) << c.name;
        EXPECT_EQ(c.shown, Shown(dialog)) << c.name;
        for (int id : {IDC_CONFIG_MODE_RANDOM, IDC_CONFIG_MIXPIX, IDC_CONFIG_REFRESH}) ClickControl(dialog, id);
        Type(dialog, IDC_CONFIG_DENSITY, {VK_HOME});
        EXPECT_EQ(1, theFog.Density) << c.name << ": the setting follows the slider";
        c.cancel(dialog);
        EXPECT_EQ(0, thread->WaitForEnd()) << c.name;
        EXPECT_EQ(before, Stored()) << c.name;
    }
}

TEST_F(ConfigDialogTest, PartialKeyShowsTheErrorBoxAndOkThenStoresAFullSet) {
    Store({3, 120, 0, 20});
    thread = std::make_unique<DialogThread>(IDD_CONFIG, ConfigDialogProc);
    HWND box = WaitForDialog(thread->id);  // before the dialog shows
    ASSERT_TRUE(box);
    EXPECT_EQ("ZORV 2.0", WindowText(box));
    EXPECT_EQ("Error loading ZORV's parameters.\nChoose OK to store a new configuration",
              WindowText(GetDlgItem(box, 0xFFFF)));
    EXPECT_EQ(reinterpret_cast<LRESULT>(LoadIconA(nullptr, IDI_HAND)), SendDlgItemMessageA(box, 0x0440, STM_GETICON, 0, 0));
    SendDlgItemMessageA(box, IDOK, BM_CLICK, 0, 0);
    dialog = WaitForDialog(thread->id, nullptr, box);
    ASSERT_TRUE(dialog);
    EXPECT_EQ("3 20 20 2000 ooxoo --- []", Shown(dialog));
    Close(IDOK);
    EXPECT_EQ("3 120 0 20 1 0 -1 ", Stored());
}

TEST_F(ConfigDialogTest, OkStoresExactlyWhatTheControlsHold) {
    ASSERT_TRUE(Open(IDD_CONFIG, ConfigDialogProc));
    for (int id : {IDC_CONFIG_MODE_RANDOM, IDC_CONFIG_MIXPIX, IDC_CONFIG_REFRESH}) ClickControl(dialog, id);
    Type(dialog, IDC_CONFIG_REFRESH_SECONDS, {'9', '0'});
    Type(dialog, IDC_CONFIG_DENSITY, {VK_LEFT, VK_LEFT, VK_LEFT});
    Type(dialog, IDC_CONFIG_BLUR, {VK_END});
    Type(dialog, IDC_CONFIG_STRENGTH, {VK_HOME});
    Type(dialog, IDC_CONFIG_SPEED, {VK_LEFT});
    EXPECT_EQ("7 100 10 1999 oooxx -EE [90]", Shown(dialog));
    EXPECT_EQ("- - - - - - - ", Stored()) << "nothing is stored before OK";
    Close(IDOK);
    EXPECT_EQ("7 200 0 10 2 1 90 ", Stored());
}

TEST_F(ConfigDialogTest, SliderDragChangesItsSettingOnlyAtTheEndOfTracking) {
    ASSERT_TRUE(Open(IDD_CONFIG, ConfigDialogProc));
    HWND strength = GetDlgItem(dialog, IDC_CONFIG_STRENGTH);
    RECT thumb = {};
    SendMessageA(strength, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    POINT grip = {(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2};
    ClientToScreen(strength, &grip);
    Mouse(MOUSEEVENTF_MOVE, grip);
    Mouse(MOUSEEVENTF_LEFTDOWN);
    for (int step = 1; step <= 4; ++step) Mouse(MOUSEEVENTF_MOVE, {grip.x + 10 * step, grip.y});
    Settle(dialog);
    LRESULT dragged = SendMessageA(strength, TBM_GETPOS, 0, 0);
    EXPECT_GT(dragged, 50) << "the thumb follows the mouse";
    EXPECT_EQ(50, theFog.Ray) << "the setting waits for the end of the drag";
    Mouse(MOUSEEVENTF_LEFTUP);
    Settle(dialog);
    EXPECT_EQ(dragged, theFog.Ray);
}

// "..." is enabled in the random image mode only; the screen image radio
// stays disabled on NT.
TEST_F(ConfigDialogTest, ImagesButtonIsEnabledInTheRandomImageModeOnly) {
    Store({10, 100, 1, 50, 2, 0, kOff});
    ASSERT_TRUE(Open(IDD_CONFIG, ConfigDialogProc));
    const std::pair<int, const char*> clicks[] = {{IDC_CONFIG_MODE_DESKTOP, "xoxoo --- []"},
                                                  {IDC_CONFIG_MODE_SCREEN, "xoxoo --- []"},
                                                  {IDC_CONFIG_MODE_RANDOM, "xooxo -E- []"}};
    for (const auto& click : clicks) {
        ClickControl(dialog, click.first);
        EXPECT_EQ(std::string("10 0 50 2000 ") + click.second, Shown(dialog)) << "after a click on " << click.first;
    }
}

// A period typed out of range is brought into 30..3600 rather than stored.
TEST_F(ConfigDialogTest, OkStoresTheShownPeriodBroughtIntoRange) {
    const struct {
        const char* name;
        DWORD stored;
        std::vector<WORD> typed;
        DWORD expected;
    } cases[] = {
        {"Refresh ticked: the default period", kOff, {}, 60},
        {"typed below the range", 120, {'5'}, 30},
        {"typed above the range", 120, {'9', '9', '9', '9', '9'}, 3600},
        {"stored above the range", 7200, {}, 3600},
    };
    for (const auto& c : cases) {
        DeleteSettingsKey();
        Store({10, 100, 1, 50, 1, 0, c.stored});
        ASSERT_TRUE(Open(IDD_CONFIG, ConfigDialogProc)) << c.name;
        if (c.stored == kOff) ClickControl(dialog, IDC_CONFIG_REFRESH);
        if (!c.typed.empty()) Type(dialog, IDC_CONFIG_REFRESH_SECONDS, c.typed);
        Close(IDOK);
        EXPECT_EQ("10 100 1 50 1 0 " + std::to_string(c.expected) + " ", Stored()) << c.name;
    }
}

// Vertical stripes three pixels wide: any pixel a puff moves shows.
COLORREF StripeAt(int x) { return (x / 3) % 2 ? RGB(200, 40, 30) : RGB(20, 60, 210); }

// Mode 0 shows the screen's top-left corner, here striped, with a puff of
// Strength 20 (at most 40 pixels from the centre); Update draws a new puff
// on a fresh copy.
TEST_F(ConfigDialogTest, PreviewDrawsAPuffOnTheScreenImage) {
    HWND stripes = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300,
                                   nullptr, nullptr, nullptr, nullptr);
    UpdateWindow(stripes);
    HDC screen = GetDC(stripes);
    for (int x = 0; x < 400; ++x) SetPixelV(screen, x, 0, StripeAt(x));
    for (int y = 1; y < 300; ++y) BitBlt(screen, 0, y, 400, 1, screen, 0, 0, SRCCOPY);
    ReleaseDC(stripes, screen);
    Store({10, 100, 0, 20, 0, 0, kOff});
    ASSERT_TRUE(Open(IDD_CONFIG, ConfigDialogProc));
    HWND preview = GetDlgItem(dialog, IDC_CONFIG_PREVIEW);
    RECT size = {};
    GetClientRect(preview, &size);
    std::string puffs[2];  // the pixels off the stripes
    for (std::string& puff : puffs) {
        Settle(dialog, 300);
        HDC dc = GetDC(preview);
        for (int y = 1; y < size.bottom - 1; ++y)  // inside the control's frame
            for (int x = 1; x < size.right - 1; ++x)
                if (GetPixel(dc, x, y) != StripeAt(x))
                    puff += (std::abs(x - size.right / 2) > 40 || std::abs(y - size.bottom / 2) > 40 ? "far " : "") +
                            std::to_string(x) + "," + std::to_string(y) + " ";
        ReleaseDC(preview, dc);
        EXPECT_TRUE(!puff.empty() && puff.find("far") == std::string::npos) << puff;
        ClickControl(dialog, IDC_CONFIG_UPDATE);
    }
    EXPECT_NE(puffs[0], puffs[1]) << "a new puff";
    DestroyWindow(stripes);
}

}  // namespace
