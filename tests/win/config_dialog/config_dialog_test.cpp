// The configuration dialog, opened from its real template and driven with
// clicks and key presses; what it shows, what it stores and when.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>

#include "config_ui/config_dialog.h"
#include "config_ui/images_dialog.h"
#include "dialog_driver.h"
#include "fog/fog_engine.h"
#include "resources/resource.h"
#include "test_support.h"

namespace {

const char kKey[] = "SOFTWARE\\Zorv";
const DWORD kUnset = 0xDEADBEEF;

struct Stored {
    DWORD density, power, mixPix, ray, mode, delay, timeout;
};

void Store(const Stored& s) {
    WriteDword(kKey, "Density", s.density);
    WriteDword(kKey, "Power", s.power);
    WriteDword(kKey, "MixPix", s.mixPix);
    WriteDword(kKey, "Ray", s.ray);
    WriteDword(kKey, "BackgroundMode", s.mode);
    WriteDword(kKey, "Delay", s.delay);
    WriteDword(kKey, "Timeout", s.timeout);
}

Stored ReadStored() {
    Stored s = {kUnset, kUnset, kUnset, kUnset, kUnset, kUnset, kUnset};
    ReadDword(kKey, "Density", s.density);
    ReadDword(kKey, "Power", s.power);
    ReadDword(kKey, "MixPix", s.mixPix);
    ReadDword(kKey, "Ray", s.ray);
    ReadDword(kKey, "BackgroundMode", s.mode);
    ReadDword(kKey, "Delay", s.delay);
    ReadDword(kKey, "Timeout", s.timeout);
    return s;
}

void ExpectStored(const Stored& expected, const char* context) {
    Stored actual = ReadStored();
    EXPECT_EQ(expected.density, actual.density) << context << ": Density";
    EXPECT_EQ(expected.power, actual.power) << context << ": Power";
    EXPECT_EQ(expected.mixPix, actual.mixPix) << context << ": MixPix";
    EXPECT_EQ(expected.ray, actual.ray) << context << ": Ray";
    EXPECT_EQ(expected.mode, actual.mode) << context << ": BackgroundMode";
    EXPECT_EQ(expected.delay, actual.delay) << context << ": Delay";
    EXPECT_EQ(expected.timeout, actual.timeout) << context << ": Timeout";
}

LRESULT SliderPosition(HWND dialog, int id) { return SendDlgItemMessageA(dialog, id, TBM_GETPOS, 0, 0); }

std::unique_ptr<DialogThread> OpenConfig() {
    return std::make_unique<DialogThread>(IDD_CONFIG, ConfigDialogProc);
}

struct ConfigDialogTest : ::testing::Test {
    CleanSettingsKey clean;
};

// ---------------------------------------------------------------- opening

TEST_F(ConfigDialogTest, ShowsTheStoredSettings) {
    const struct {
        const char* name;
        bool store;
        Stored stored;
        LRESULT density, blur, strength, speed;
        bool mixChecked;
        int checkedMode;  // 0: no radio button checked
        bool imagesEnabled, refreshTicked;
        const char* seconds;
    } cases[] = {
        {"no key: the defaults", false, {}, 10, 0, 50, 2000, true, IDC_CONFIG_MODE_DESKTOP, false, false, ""},
        {"Power 1.5, Delay 0, no refresh", true, {5, 150, 1, 30, 1, 0, 0xFFFFFFFF}, 5, 50, 30, 2000, true,
         IDC_CONFIG_MODE_DESKTOP, false, false, ""},
        {"Power 1.17, Delay 1500, refresh 60", true, {3, 117, 0, 100, 2, 1500, 60}, 3, 17, 100, 500, false,
         IDC_CONFIG_MODE_RANDOM, true, true, "60"},
        {"Power 1.0, Delay 2000, refresh 3600, mode 7", true, {1, 100, 1, 10, 7, 2000, 3600}, 1, 0, 10, 0, true, 0,
         false, true, "3600"},
        {"screen image on NT", true, {10, 200, 0, 55, 0, 250, 30}, 10, 100, 55, 1750, false, IDC_CONFIG_MODE_SCREEN,
         false, true, "30"},
    };
    for (const auto& c : cases) {
        DeleteSettingsKey();
        if (c.store) Store(c.stored);
        auto thread = OpenConfig();
        HWND dialog = thread->WaitForDialog();
        ASSERT_TRUE(dialog) << c.name;
        EXPECT_EQ("ZORV 2.0", WindowText(dialog));
        EXPECT_FALSE(WaitForDialogOf(thread->threadId(), nullptr, dialog, 0)) << c.name << ": an unexpected box";
        EXPECT_EQ(c.density, SliderPosition(dialog, IDC_CONFIG_DENSITY)) << c.name;
        EXPECT_EQ(c.blur, SliderPosition(dialog, IDC_CONFIG_BLUR)) << c.name;
        EXPECT_EQ(c.strength, SliderPosition(dialog, IDC_CONFIG_STRENGTH)) << c.name;
        EXPECT_EQ(c.speed, SliderPosition(dialog, IDC_CONFIG_SPEED)) << c.name;
        EXPECT_EQ(c.mixChecked, IsChecked(dialog, IDC_CONFIG_MIXPIX)) << c.name;
        for (int mode : {IDC_CONFIG_MODE_SCREEN, IDC_CONFIG_MODE_DESKTOP, IDC_CONFIG_MODE_RANDOM})
            EXPECT_EQ(mode == c.checkedMode, IsChecked(dialog, mode)) << c.name << ", radio " << mode;
        EXPECT_FALSE(IsEnabled(dialog, IDC_CONFIG_MODE_SCREEN)) << c.name << ": Wine is of the NT family";
        EXPECT_EQ(c.imagesEnabled, IsEnabled(dialog, IDC_CONFIG_IMAGES)) << c.name;
        EXPECT_EQ(c.refreshTicked, IsChecked(dialog, IDC_CONFIG_REFRESH)) << c.name;
        EXPECT_EQ(c.refreshTicked, IsEnabled(dialog, IDC_CONFIG_REFRESH_SECONDS)) << c.name;
        EXPECT_TRUE(IsEnabled(dialog, IDC_CONFIG_REFRESH_SPIN)) << c.name;
        EXPECT_EQ(c.seconds, WindowText(GetDlgItem(dialog, IDC_CONFIG_REFRESH_SECONDS))) << c.name;
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        EXPECT_EQ(0, thread->WaitForEnd()) << c.name;
    }
}

// The tab key visits the controls in template order, skipping whatever is
// disabled; of the radio buttons, which take no tab stop, the dialog
// manager stops at the checked one only. The spin control steps the edit box.
TEST_F(ConfigDialogTest, TabVisitsTheControlsInTemplateOrder) {
    Store({10, 100, 1, 50, 2, 0, 60});  // "..." and the period box enabled
    auto thread = OpenConfig();
    HWND dialog = thread->WaitForDialog();
    ASSERT_TRUE(dialog);
    const int expected[] = {IDC_CONFIG_MODE_RANDOM, IDC_CONFIG_IMAGES, IDC_CONFIG_DENSITY,   IDC_CONFIG_BLUR,  IDC_CONFIG_STRENGTH,
                            IDC_CONFIG_MIXPIX,     IDOK,                 IDCANCEL,         IDC_CONFIG_UPDATE,
                            IDC_CONFIG_CAUSE1_LINK, IDC_CONFIG_MAIL_LINK, IDC_CONFIG_SPEED, IDC_CONFIG_CAUSE2_LINK,
                            IDC_CONFIG_REFRESH,    IDC_CONFIG_REFRESH_SECONDS};
    HWND control = GetDlgItem(dialog, IDC_CONFIG_REFRESH_SECONDS);
    for (int id : expected) {
        control = GetNextDlgTabItem(dialog, control, FALSE);
        EXPECT_EQ(id, GetDlgCtrlID(control));
    }
    EXPECT_EQ(reinterpret_cast<LRESULT>(GetDlgItem(dialog, IDC_CONFIG_REFRESH_SECONDS)),
              SendDlgItemMessageA(dialog, IDC_CONFIG_REFRESH_SPIN, UDM_GETBUDDY, 0, 0));
    // The button control gives the checked radio button the tab stop itself.
    for (int id : {IDC_CONFIG_MODE_SCREEN, IDC_CONFIG_MODE_DESKTOP})
        EXPECT_FALSE(GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & WS_TABSTOP) << id;
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(0, thread->WaitForEnd());
}

TEST_F(ConfigDialogTest, PartialKeyShowsTheErrorBoxAndOkThenStoresAFullSet) {
    WriteDword(kKey, "Density", 3);
    WriteDword(kKey, "Power", 120);
    WriteDword(kKey, "MixPix", 0);
    WriteDword(kKey, "Ray", 20);
    auto thread = OpenConfig();
    HWND box = WaitForDialogOf(thread->threadId(), nullptr);
    ASSERT_TRUE(box);
    EXPECT_EQ("ZORV 2.0", WindowText(box));
    EXPECT_EQ("Error loading ZORV's parameters.\nChoose OK to store a new configuration",
              WindowText(GetDlgItem(box, 0xFFFF)));
    const int kMessageBoxIcon = 0x0440;
    EXPECT_EQ(reinterpret_cast<LRESULT>(LoadIconA(nullptr, IDI_HAND)),
              SendDlgItemMessageA(box, kMessageBoxIcon, STM_GETICON, 0, 0))
        << "the error icon";
    EXPECT_TRUE(GetDlgItem(box, IDOK) && IsWindowVisible(GetDlgItem(box, IDOK)));
    EXPECT_FALSE(GetDlgItem(box, IDCANCEL) && IsWindowVisible(GetDlgItem(box, IDCANCEL)));
    // The box comes up before the dialog shows.
    EXPECT_FALSE(thread->WaitForDialog(0));
    SendDlgItemMessageA(box, IDOK, BM_CLICK, 0, 0);

    HWND dialog = thread->WaitForDialog();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(3, SliderPosition(dialog, IDC_CONFIG_DENSITY));
    EXPECT_EQ(20, SliderPosition(dialog, IDC_CONFIG_BLUR));
    EXPECT_EQ(20, SliderPosition(dialog, IDC_CONFIG_STRENGTH));
    EXPECT_FALSE(IsChecked(dialog, IDC_CONFIG_MIXPIX));
    EXPECT_TRUE(IsChecked(dialog, IDC_CONFIG_MODE_DESKTOP));
    ClickControl(dialog, IDOK);
    EXPECT_EQ(0, thread->WaitForEnd());
    ExpectStored({3, 120, 0, 20, 1, 0, 0xFFFFFFFF}, "after OK");
}

// ---------------------------------------------------------------- OK and Cancel

TEST_F(ConfigDialogTest, OkStoresExactlyWhatTheControlsHold) {
    auto thread = OpenConfig();
    HWND dialog = thread->WaitForDialog();
    ASSERT_TRUE(dialog);
    ClickControl(dialog, IDC_CONFIG_MODE_RANDOM);
    ClickControl(dialog, IDC_CONFIG_MIXPIX);
    ClickControl(dialog, IDC_CONFIG_REFRESH);
    FocusControl(dialog, IDC_CONFIG_REFRESH_SECONDS);
    SendDlgItemMessageA(dialog, IDC_CONFIG_REFRESH_SECONDS, EM_SETSEL, 0, -1);
    for (WORD key : {'9', '0'}) TapKey(key);
    FocusControl(dialog, IDC_CONFIG_DENSITY);
    for (int i = 0; i < 3; ++i) TapKey(VK_LEFT);
    FocusControl(dialog, IDC_CONFIG_BLUR);
    TapKey(VK_END);
    FocusControl(dialog, IDC_CONFIG_STRENGTH);
    TapKey(VK_HOME);
    FocusControl(dialog, IDC_CONFIG_SPEED);
    TapKey(VK_LEFT);
    Settle(dialog);

    EXPECT_TRUE(IsChecked(dialog, IDC_CONFIG_MODE_RANDOM));
    EXPECT_FALSE(IsChecked(dialog, IDC_CONFIG_MIXPIX));
    EXPECT_EQ("90", WindowText(GetDlgItem(dialog, IDC_CONFIG_REFRESH_SECONDS)));
    EXPECT_EQ(7, SliderPosition(dialog, IDC_CONFIG_DENSITY));
    EXPECT_EQ(100, SliderPosition(dialog, IDC_CONFIG_BLUR));
    EXPECT_EQ(10, SliderPosition(dialog, IDC_CONFIG_STRENGTH));
    EXPECT_EQ(1999, SliderPosition(dialog, IDC_CONFIG_SPEED));
    EXPECT_FALSE(ValueExists(kKey, "Density")) << "nothing is stored before OK";
    ClickControl(dialog, IDOK);
    EXPECT_EQ(0, thread->WaitForEnd());
    ExpectStored({7, 200, 0, 10, 2, 1, 90}, "after OK");
}

TEST_F(ConfigDialogTest, CancelLeavesTheRegistryAsItWas) {
    const Stored before = {4, 133, 1, 44, 1, 700, 300};
    const struct {
        const char* name;
        bool store;
        void (*cancel)(HWND dialog);
    } cases[] = {
        {"Cancel button", true, [](HWND dialog) { ClickControl(dialog, IDCANCEL); }},
        {"Escape key", true, [](HWND) { TapKey(VK_ESCAPE); }},
        {"close box", true, [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"no key, Cancel button", false, [](HWND dialog) { ClickControl(dialog, IDCANCEL); }},
    };
    for (const auto& c : cases) {
        DeleteSettingsKey();
        if (c.store) Store(before);
        auto thread = OpenConfig();
        HWND dialog = thread->WaitForDialog();
        ASSERT_TRUE(dialog) << c.name;
        ClickControl(dialog, IDC_CONFIG_MODE_RANDOM);
        ClickControl(dialog, IDC_CONFIG_MIXPIX);
        ClickControl(dialog, IDC_CONFIG_REFRESH);
        FocusControl(dialog, IDC_CONFIG_DENSITY);
        TapKey(VK_HOME);
        Settle(dialog);
        EXPECT_EQ(1, theFog.Density) << c.name << ": the setting follows the slider";
        c.cancel(dialog);
        EXPECT_EQ(0, thread->WaitForEnd()) << c.name;
        if (c.store)
            ExpectStored(before, c.name);
        else
            EXPECT_FALSE(ValueExists(kKey, "Density")) << c.name;
    }
}

// ---------------------------------------------------------------- sliders

TEST_F(ConfigDialogTest, SliderChangesItsSettingOnlyAtTheEndOfTracking) {
    auto thread = OpenConfig();
    HWND dialog = thread->WaitForDialog();
    ASSERT_TRUE(dialog);
    Settle(dialog);
    MessageRecorder recorder(dialog, {WM_HSCROLL, RefreshPreview});
    HWND density = GetDlgItem(dialog, IDC_CONFIG_DENSITY);

    // A key press: the slider moves on the key going down, the setting on its release.
    FocusControl(dialog, IDC_CONFIG_DENSITY);
    recorder.Take();
    PressKey(VK_LEFT, true);
    Settle(dialog);
    EXPECT_EQ(9, SliderPosition(dialog, IDC_CONFIG_DENSITY));
    EXPECT_EQ(10, theFog.Density);
    std::vector<MessageRecord> seen = recorder.Take();
    std::vector<MessageRecord> expected = {{WM_HSCROLL, TB_LINEUP, reinterpret_cast<LPARAM>(density)}};
    EXPECT_EQ(DescribeMessages(expected), DescribeMessages(seen));
    PressKey(VK_LEFT, false);
    Settle(dialog);
    EXPECT_EQ(9, theFog.Density);
    seen = recorder.Take();
    expected = {{WM_HSCROLL, TB_ENDTRACK, reinterpret_cast<LPARAM>(density)}, {RefreshPreview, 0, 0}};
    EXPECT_EQ(DescribeMessages(expected), DescribeMessages(seen));

    // A drag of the Strength thumb with the mouse.
    HWND strength = GetDlgItem(dialog, IDC_CONFIG_STRENGTH);
    RECT thumb = {};
    SendMessageA(strength, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    POINT grip = {(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2};
    ClientToScreen(strength, &grip);
    MoveMouseTo(grip);
    MouseButton(true);
    for (int step = 1; step <= 4; ++step) MoveMouseTo({grip.x + 10 * step, grip.y});
    Settle(dialog);
    LRESULT dragged = SliderPosition(dialog, IDC_CONFIG_STRENGTH);
    EXPECT_GT(dragged, 50) << "the thumb follows the mouse";
    EXPECT_EQ(50, theFog.Ray) << "but the setting does not, while the drag goes on";
    seen = recorder.Take();
    for (const MessageRecord& record : seen) {
        EXPECT_EQ(UINT(WM_HSCROLL), record.message) << DescribeMessages(seen);
        EXPECT_EQ(TB_THUMBTRACK, LOWORD(record.wParam)) << DescribeMessages(seen);
    }
    MouseButton(false);
    Settle(dialog);
    EXPECT_EQ(dragged, theFog.Ray);
    // The slider may report the end of tracking twice (button up, then the
    // loss of the capture); each report redraws the preview.
    seen = recorder.Take();
    expected = {{WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, dragged), reinterpret_cast<LPARAM>(strength)},
                {WM_HSCROLL, TB_ENDTRACK, reinterpret_cast<LPARAM>(strength)},
                {RefreshPreview, 0, 0}};
    const MessageRecord endTrack = expected[1], redraw = expected[2];
    while (seen.size() > expected.size() && seen.size() % 2 == 1) {
        expected.push_back(endTrack);
        expected.push_back(redraw);
    }
    EXPECT_EQ(DescribeMessages(expected), DescribeMessages(seen));
}

TEST_F(ConfigDialogTest, SlidersSetTheirSettingsByTheirConversions) {
    auto thread = OpenConfig();
    HWND dialog = thread->WaitForDialog();
    ASSERT_TRUE(dialog);
    const struct {
        int id;
        WORD key;
        int (*setting)();
        int expected;
    } cases[] = {
        {IDC_CONFIG_BLUR, VK_HOME, [] { return static_cast<int>(theFog.Power * 1000); }, 1000},
        {IDC_CONFIG_BLUR, VK_END, [] { return static_cast<int>(theFog.Power * 1000); }, 2000},
        {IDC_CONFIG_SPEED, VK_HOME, [] { return static_cast<int>(theFog.Delay); }, 2000},
        {IDC_CONFIG_SPEED, VK_END, [] { return static_cast<int>(theFog.Delay); }, 0},
        {IDC_CONFIG_STRENGTH, VK_END, [] { return static_cast<int>(theFog.Ray); }, 100},
        {IDC_CONFIG_DENSITY, VK_HOME, [] { return static_cast<int>(theFog.Density); }, 1},
    };
    for (const auto& c : cases) {
        FocusControl(dialog, c.id);
        TapKey(c.key);
        Settle(dialog);
        EXPECT_EQ(c.expected, c.setting()) << "slider " << c.id << ", key " << c.key;
    }
}

// ---------------------------------------------------------------- buttons

TEST_F(ConfigDialogTest, ImagesButtonIsEnabledExactlyInTheRandomImageMode) {
    Store({10, 100, 1, 50, 2, 0, 0xFFFFFFFF});
    auto thread = OpenConfig();
    HWND dialog = thread->WaitForDialog();
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(IsEnabled(dialog, IDC_CONFIG_IMAGES)) << "mode 2 loaded";
    ClickControl(dialog, IDC_CONFIG_MODE_DESKTOP);
    EXPECT_FALSE(IsEnabled(dialog, IDC_CONFIG_IMAGES));
    EXPECT_EQ(1, theFog.BackgroundMode);
    ClickControl(dialog, IDC_CONFIG_MODE_SCREEN);  // disabled on NT: nothing happens
    EXPECT_EQ(1, theFog.BackgroundMode);
    EXPECT_FALSE(IsChecked(dialog, IDC_CONFIG_MODE_SCREEN));
    ClickControl(dialog, IDC_CONFIG_MODE_RANDOM);
    EXPECT_TRUE(IsEnabled(dialog, IDC_CONFIG_IMAGES));
    EXPECT_EQ(2, theFog.BackgroundMode);
    EXPECT_FALSE(IsChecked(dialog, IDC_CONFIG_MODE_DESKTOP));
    // The mnemonic of "Des&ktop Background".
    SetForegroundWindow(dialog);
    PressKey(VK_MENU, true);
    TapKey('K');
    PressKey(VK_MENU, false);
    Settle(dialog);
    EXPECT_TRUE(IsChecked(dialog, IDC_CONFIG_MODE_DESKTOP));
    EXPECT_FALSE(IsEnabled(dialog, IDC_CONFIG_IMAGES));
    EXPECT_EQ(1, theFog.BackgroundMode);
    ClickControl(dialog, IDOK);
    EXPECT_EQ(0, thread->WaitForEnd());
    DWORD mode = kUnset;
    EXPECT_TRUE(ReadDword(kKey, "BackgroundMode", mode));
    EXPECT_EQ(1u, mode);
}

TEST_F(ConfigDialogTest, ImagesButtonOpensTheImagesDialogAndTheReturnRedrawsThePreview) {
    Store({10, 100, 1, 50, 2, 0, 0xFFFFFFFF});
    auto thread = OpenConfig();
    HWND dialog = thread->WaitForDialog();
    ASSERT_TRUE(dialog);
    Settle(dialog);
    MessageRecorder recorder(dialog, {RefreshPreview});
    PostMessageA(GetDlgItem(dialog, IDC_CONFIG_IMAGES), BM_CLICK, 0, 0);
    HWND images = WaitForDialogOf(thread->threadId(), dialog);
    ASSERT_TRUE(images) << "an images dialog owned by the configuration dialog";
    EXPECT_EQ("Background Images", WindowText(images));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(ImagesDialogProc), GetWindowLongPtrA(images, DWLP_DLGPROC));
    recorder.Take();
    ClickControl(images, IDCANCEL);
    Settle(dialog);
    EXPECT_FALSE(IsWindow(images));
    EXPECT_FALSE(recorder.Take().empty()) << "the activation redraws the preview";
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(0, thread->WaitForEnd());
}

// ---------------------------------------------------------------- refresh period

TEST_F(ConfigDialogTest, RefreshBoxTogglesThePeriodBox) {
    auto thread = OpenConfig();
    HWND dialog = thread->WaitForDialog();
    ASSERT_TRUE(dialog);
    ClickControl(dialog, IDC_CONFIG_REFRESH);
    EXPECT_TRUE(IsEnabled(dialog, IDC_CONFIG_REFRESH_SECONDS));
    EXPECT_EQ(60, theFog.Timeout);
    EXPECT_EQ("60", WindowText(GetDlgItem(dialog, IDC_CONFIG_REFRESH_SECONDS))) << "the period just set shows";
    ClickControl(dialog, IDC_CONFIG_REFRESH);
    EXPECT_FALSE(IsEnabled(dialog, IDC_CONFIG_REFRESH_SECONDS));
    EXPECT_TRUE(IsEnabled(dialog, IDC_CONFIG_REFRESH_SPIN));
    EXPECT_EQ(-1, theFog.Timeout);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(0, thread->WaitForEnd());
}

TEST_F(ConfigDialogTest, OkStoresTheShownPeriodBroughtIntoRange) {
    const struct {
        const char* name;
        DWORD storedTimeout;
        bool retick;       // untick and tick the box first
        const char* typed;  // nullptr: type nothing
        WORD spinKey;       // 0: none
        DWORD expected;
    } cases[] = {
        {"shown as stored", 120, false, nullptr, 0, 120},
        {"ticked again keeps the spin's position", 120, true, nullptr, 0, 120},
        {"typed in range", 120, false, "45", 0, 45},
        {"typed below the range", 120, false, "5", 0, 30},
        {"typed above the range", 120, false, "99999", 0, 3600},
        {"stepped with the arrow key", 3600, false, nullptr, VK_UP, 3600},
        {"stepped down", 31, false, nullptr, VK_DOWN, 30},
        {"stored above the range shows and stores the top", 7200, false, nullptr, 0, 3600},
    };
    for (const auto& c : cases) {
        DeleteSettingsKey();
        Store({10, 100, 1, 50, 1, 0, c.storedTimeout});
        auto thread = OpenConfig();
        HWND dialog = thread->WaitForDialog();
        ASSERT_TRUE(dialog) << c.name;
        if (c.retick) {
            ClickControl(dialog, IDC_CONFIG_REFRESH);
            ClickControl(dialog, IDC_CONFIG_REFRESH);
            EXPECT_EQ(60, theFog.Timeout) << c.name;
        }
        if (c.typed || c.spinKey) {
            FocusControl(dialog, IDC_CONFIG_REFRESH_SECONDS);
            SendDlgItemMessageA(dialog, IDC_CONFIG_REFRESH_SECONDS, EM_SETSEL, 0, -1);
            for (const char* key = c.typed; key && *key; ++key) TapKey(static_cast<WORD>(*key));
            if (c.spinKey) TapKey(c.spinKey);
            Settle(dialog);
        }
        ClickControl(dialog, IDOK);
        EXPECT_EQ(0, thread->WaitForEnd()) << c.name;
        DWORD stored = kUnset;
        EXPECT_TRUE(ReadDword(kKey, "Timeout", stored)) << c.name;
        EXPECT_EQ(c.expected, stored) << c.name;
    }
}

}  // namespace
