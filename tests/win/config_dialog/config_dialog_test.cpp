// The configuration dialog from its real template, driven with clicks and
// key presses: what it shows, what it stores and when, when it draws its
// preview, and what its buttons open.
#include <commctrl.h>

#include <cstring>
#include <functional>

#include "config_ui/images_dialog.h"
#include "dialog_driver.h"
#include "dialog_pictures.h"
#include "fog/fog_engine.h"
#include "host/saver_effect.h"
#include "resources/resource.h"

namespace {

const DWORD kOff = 0xFFFFFFFF;  // Timeout -1: no refresh

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

// Each case is then changed (random image mode, Mix colors and the refresh
// box clicked: a box ticked shows 60 s; sliders moved, a period typed) and
// closed. Wine is of the NT family: the screen image radio is always disabled.
// A partial set shows an error box first, whose OK opens the dialog with
// what was read and the defaults; the dialog's OK then stores a full set.
TEST_F(ConfigDialogTest, ShowsTheStoredSettingsAndStoresWhatTheControlsHoldOnOkOnly) {
    const struct {
        std::vector<DWORD> stored;
        const char *shown, *changed;
        const char* afterOk;  // nullptr: closed with Cancel, which keeps what was stored
    } cases[] = {
        {{5, 150, 1, 30, 1, 0, kOff}, "5 50 30 2000 xoxoo --- []", "5 50 30 2000 oooxx -EE [60]", "1 150 0 30 2 1 90 "},
        {{3, 120, 0, 20}, "3 20 20 2000 ooxoo --- []", "3 20 20 2000 xooxx -EE [60]", "1 120 1 20 2 1 90 "},
        {{3, 117, 0, 100, 2, 1500, 60}, "3 17 100 500 oooxx -EE [60]", "3 17 100 500 xooxo -E- [60]", nullptr},
        // A stored screen image mode checks the disabled screen radio; another
        // mode clears it, though the platform's group logic passes over it.
        {{10, 200, 0, 55, 0, 250, 30}, "10 100 55 1750 oxoox --E [30]", "10 100 55 1750 xooxo -E- [30]", nullptr},
        // A mode no radio stands for shows, and is, the platform's default.
        {{4, 100, 0, 40, 7, 0, kOff}, "4 0 40 2000 ooxoo --- []", "4 0 40 2000 xooxx -EE [60]", "1 100 1 40 2 1 90 "},
    };
    for (const auto& c : cases) {
        DeleteSettingsKey();
        WriteSettings(c.stored);
        const std::string before = StoredSettings();
        ASSERT_TRUE(Open(IDD_CONFIG, ConfigDialogProc)) << c.shown;
        EXPECT_EQ("ZORV 2.0", WindowText(dialog));
        if (c.stored.size() < 7) {
            EXPECT_EQ("Error loading ZORV's parameters.\nChoose OK to store a new configuration",
                      WindowText(GetDlgItem(dialog, 0xFFFF)));
            EXPECT_EQ(reinterpret_cast<LRESULT>(LoadIconA(nullptr, IDI_HAND)),
                      SendDlgItemMessageA(dialog, 0x0440, STM_GETICON, 0, 0));
            SendDlgItemMessageA(dialog, IDOK, BM_CLICK, 0, 0);
            ASSERT_TRUE(dialog = WaitForDialog(threadId, nullptr, dialog));
        }
        EXPECT_EQ(c.shown, Shown(dialog));
        for (int id : {IDC_CONFIG_MODE_RANDOM, IDC_CONFIG_MIXPIX, IDC_CONFIG_REFRESH}) ClickControl(dialog, id);
        EXPECT_EQ(c.changed, Shown(dialog));
        Type(dialog, IDC_CONFIG_DENSITY, {VK_HOME});
        EXPECT_EQ(1, theFog.Density) << c.shown << ": the setting follows the slider";
        Type(dialog, IDC_CONFIG_SPEED, {VK_LEFT});
        if (c.afterOk) Type(dialog, IDC_CONFIG_REFRESH_SECONDS, {'9', '0'});
        EXPECT_EQ(before, StoredSettings()) << c.shown << ": nothing is stored before OK";
        Close(c.afterOk ? IDOK : IDCANCEL);
        EXPECT_EQ(c.afterOk ? c.afterOk : before, StoredSettings()) << c.shown;
    }
}

// What the link buttons hand to the shell, recorded in place of
// ShellExecuteA: its first instruction becomes a jump to the recorder.
std::vector<std::string> shellCalls;
HINSTANCE WINAPI RecordShellExecute(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR folder, INT show) {
    shellCalls.push_back(std::string(verb) + " " + file +
                         (owner && !parameters && !folder && show == SW_SHOW ? "" : " ?"));
    return reinterpret_cast<HINSTANCE>(42);
}

void RecordShellExecuteCalls() {
    auto* entry = reinterpret_cast<BYTE*>(GetProcAddress(LoadLibraryA("shell32.dll"), "ShellExecuteA"));
    auto* recorder = reinterpret_cast<BYTE*>(RecordShellExecute);
#if defined(__x86_64__)  // the two may lie further apart than a relative jump reaches
    BYTE jump[12] = {0x48, 0xB8, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xE0};  // mov rax, recorder; jmp rax
    std::memcpy(jump + 2, &recorder, sizeof recorder);
#else
    BYTE jump[5] = {0xE9};  // jmp rel32
    const DWORD distance = recorder - (entry + 5);
    std::memcpy(jump + 1, &distance, sizeof distance);
#endif
    DWORD protection;
    VirtualProtect(entry, sizeof jump, PAGE_EXECUTE_READWRITE, &protection);
    std::memcpy(entry, jump, sizeof jump);
    VirtualProtect(entry, sizeof jump, protection, &protection);
}

// Each trigger, as the control sends it: the preview is painted grey
// before each and is drawn again, or left grey. Its corner shows the
// background: the screen's blue corner, Wine's white desktop, or black
// without a picture; the puff at its centre shows where the screen's blue
// meets green. "..." follows the random image mode.
TEST_F(ConfigDialogTest, ThePreviewIsDrawnOnEachOfItsTriggersOnly) {
    RecordShellExecuteCalls();
    WriteSettings({10, 100, 1, 20, 1, 0, kOff});
    ASSERT_TRUE(Open(IDD_CONFIG, ConfigDialogProc));
    HWND preview = GetDlgItem(dialog, IDC_CONFIG_PREVIEW);
    RECT client = {};
    GetClientRect(preview, &client);
    // The screen's top-left corner, which the screen image mode copies.
    CreateSolidWindow(0, 0, client.right + 10, client.bottom + 10, RGB(0, 128, 0));
    CreateSolidWindow(0, 0, client.right / 2 - 9, client.bottom + 10, RGB(0, 0, 255));
    auto send = [this](UINT message, WPARAM wParam, int control) {
        return [=] { SendMessageA(dialog, message, wParam, reinterpret_cast<LPARAM>(GetDlgItem(dialog, control))); };
    };
    auto command = [&](int id) { return send(WM_COMMAND, id, id); };
    const COLORREF grey = RGB(64, 64, 64), white = RGB(255, 255, 255), black = 0, blue = RGB(0, 0, 255);
    const struct {
        const char* name;
        std::function<void()> trigger;
        COLORREF corner;
        int imagesEnabled;  // -1: not looked at
    } cases[] = {
        {"random image mode", command(IDC_CONFIG_MODE_RANDOM), black, 1},
        {"screen image mode", command(IDC_CONFIG_MODE_SCREEN), blue, 0},
        {"desktop mode", command(IDC_CONFIG_MODE_DESKTOP), white, 0},
        {"Mix colors", command(IDC_CONFIG_MIXPIX), white, -1},
        {"Update", command(IDC_CONFIG_UPDATE), white, -1},
        {"a slider dragged", send(WM_HSCROLL, TB_THUMBTRACK, IDC_CONFIG_BLUR), grey, -1},
        {"the drag ended", send(WM_HSCROLL, TB_ENDTRACK, IDC_CONFIG_BLUR), white, -1},
        {"deactivated", send(WM_ACTIVATE, WA_INACTIVE, 0), white, -1},
        {"moved", [&] { SetWindowPos(dialog, nullptr, 30, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE); },
         white, -1},
        {"refresh box ticked", command(IDC_CONFIG_REFRESH), grey, -1},
        {"first link", command(IDC_CONFIG_CAUSE1_LINK), grey, -1},
        {"mail link", command(IDC_CONFIG_MAIL_LINK), grey, -1},
        {"second link", command(IDC_CONFIG_CAUSE2_LINK), grey, -1},
    };
    int blends = 0;  // pixels neither blue nor green: the puff of the screen image mode
    auto corner = [&](bool paintGrey) {
        HDC dc = GetDC(preview);
        if (paintGrey) FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH)));
        const COLORREF colour = GetPixel(dc, 5, 5);
        for (int i = 0; colour == RGB(0, 0, 255) && i < client.right * client.bottom; ++i) {
            const COLORREF pixel = GetPixel(dc, i % client.right, i / client.right);
            blends += pixel != RGB(0, 0, 255) && pixel != RGB(0, 128, 0);
        }
        ReleaseDC(preview, dc);
        return colour;
    };
    for (const auto& c : cases) {
        Settle(dialog);
        ASSERT_EQ(grey, corner(true));
        blends = 0;
        c.trigger();
        Settle(dialog);
        EXPECT_EQ(c.corner, corner(false)) << c.name;
        EXPECT_TRUE(c.corner != blue || blends > 0) << c.name << ": no puff";
        EXPECT_TRUE(c.imagesEnabled < 0 || c.imagesEnabled == IsEnabled(dialog, IDC_CONFIG_IMAGES)) << c.name;
    }
    EXPECT_EQ((std::vector<std::string>{"open https://www.gutenberg.org/", "open mailto:zorv@example.org",
                                        "open https://www.iucn.org/"}),
              shellCalls);

    // "..." opens the images dialog; closing it activates this one again,
    // which draws the preview with the edited list.
    PostMessageA(dialog, WM_COMMAND, IDC_CONFIG_IMAGES, 0);
    HWND images = WaitForDialog(threadId, dialog);
    ASSERT_TRUE(images && GetDlgItem(images, IDC_IMAGES_LIST));
    ASSERT_EQ(grey, corner(true));
    PostMessageA(images, WM_COMMAND, IDCANCEL, 0);
    Settle(dialog, 300);
    EXPECT_FALSE(IsWindow(images));
    EXPECT_EQ(white, corner(false));
}

// Both dialogs, driven by real key presses: Tab visits the controls in
// reading order, and each Alt+letter reaches the control its label names.
// With no settings stored the radio group is entered at its checked button,
// Desktop Background; "...", the refresh period's box and "&Current desktop
// image" (on the NT family, which Wine poses as) are disabled and skipped.
TEST_F(ConfigDialogTest, TabAndMnemonicsFollowTheReadingOrder) {
    const struct {
        int resource;
        DLGPROC procedure;
        std::vector<int> tabOrder;  // from the first focus, once round
        std::string letters;        // every mnemonic, reaching...
        std::vector<int> reached;   // ...these controls
    } dialogs[] = {
        {IDD_CONFIG,
         ConfigDialogProc,
         {IDC_CONFIG_MODE_DESKTOP, IDC_CONFIG_DENSITY, IDC_CONFIG_BLUR, IDC_CONFIG_STRENGTH, IDC_CONFIG_SPEED,
          IDC_CONFIG_MIXPIX, IDC_CONFIG_REFRESH, IDC_CONFIG_MAIL_LINK, IDC_CONFIG_UPDATE, IDC_CONFIG_CAUSE1_LINK, IDOK,
          IDCANCEL, IDC_CONFIG_CAUSE2_LINK, IDC_CONFIG_MODE_DESKTOP},
         "DLSPBUMRKI",
         {IDC_CONFIG_DENSITY, IDC_CONFIG_BLUR, IDC_CONFIG_STRENGTH, IDC_CONFIG_SPEED, IDC_CONFIG_MODE_DESKTOP,
          IDC_CONFIG_UPDATE, IDC_CONFIG_MIXPIX, IDC_CONFIG_REFRESH, IDC_CONFIG_MODE_DESKTOP, IDC_CONFIG_MODE_RANDOM}},
        {IDD_IMAGES,
         ImagesDialogProc,
         {IDC_IMAGES_LIST, IDOK, IDCANCEL, IDC_IMAGES_ADD, IDC_IMAGES_REMOVE, IDC_IMAGES_LIST},
         "RI",
         {IDC_IMAGES_REMOVE, IDC_IMAGES_LIST}},  // Alt+A would open the file dialog
    };
    auto focused = [this] {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(threadId, &info) ? GetDlgCtrlID(info.hwndFocus) : 0;
    };
    auto tap = [&](WORD key, bool withAlt) {  // the control that has the keyboard then
        if (withAlt) PressKey(VK_MENU, true);
        TapKey(key);
        if (withAlt) PressKey(VK_MENU, false);
        Settle(dialog);
        return focused();
    };
    for (const auto& d : dialogs) {
        ASSERT_TRUE(Open(d.resource, d.procedure)) << d.resource;
        SetForegroundWindow(dialog);
        std::vector<int> visited = {focused()};
        while (visited.size() < d.tabOrder.size()) visited.push_back(tap(VK_TAB, false));
        EXPECT_EQ(d.tabOrder, visited) << d.resource;
        std::vector<int> reached;
        for (char letter : d.letters) {
            SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDCANCEL)), TRUE);
            reached.push_back(tap(static_cast<WORD>(letter), true));
        }
        EXPECT_EQ(d.reached, reached) << d.resource << ": Alt+ " << d.letters;
        Close(IDCANCEL);
    }
}

// The module whose code runs a window class: the classic one of the
// system, or a version of the common controls library.
std::string ProcedureModule(WNDPROC procedure) {
    MEMORY_BASIC_INFORMATION memory = {};
    VirtualQuery(reinterpret_cast<void*>(procedure), &memory, sizeof memory);
    char name[MAX_PATH] = {};
    GetModuleFileNameA(static_cast<HMODULE>(memory.AllocationBase), name, sizeof name);
    return name;
}

std::string ControlsModules(HWND dialog) {
    std::string modules;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[64] = {};
        GetClassNameA(child, name, sizeof name);
        modules += std::string(name) + " " +
                   ProcedureModule(reinterpret_cast<WNDPROC>(GetClassLongPtrW(child, GCLP_WNDPROC))) + "\n";
    }
    return modules;
}

// Under the manifest's dependency on the sixth common controls, every
// control of the error box and both dialogs is that library's, buttons and
// static controls as much as the sliders: the library that draws them in
// the system's visual style. Without it they are the system's classic ones.
TEST_F(ConfigDialogTest, EveryControlIsTheStyledLibrarys) {
    WNDCLASSW slider = {};
    ASSERT_TRUE(GetClassInfoW(nullptr, L"msctls_trackbar32", &slider));
    const std::string library = ProcedureModule(slider.lpfnWndProc);
    auto fromLibrary = [&](HWND window) {
        std::string expected;
        for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            char name[64] = {};
            GetClassNameA(child, name, sizeof name);
            expected += std::string(name) + " " + library + "\n";
        }
        return expected;
    };
    WriteSettings({5, 150});  // a partial set: the error box comes first
    ASSERT_TRUE(Open(IDD_CONFIG, ConfigDialogProc));
    EXPECT_EQ(fromLibrary(dialog), ControlsModules(dialog)) << "the error box";
    SendDlgItemMessageA(dialog, IDOK, BM_CLICK, 0, 0);
    ASSERT_TRUE(dialog = WaitForDialog(threadId, nullptr, dialog));
    EXPECT_EQ(fromLibrary(dialog), ControlsModules(dialog)) << "the configuration dialog";
    PostMessageA(dialog, WM_COMMAND, IDC_CONFIG_IMAGES, 0);
    HWND images = WaitForDialog(threadId, dialog);
    ASSERT_TRUE(images);
    EXPECT_EQ(fromLibrary(images), ControlsModules(images)) << "the images dialog";
    PostMessageA(images, WM_COMMAND, IDCANCEL, 0);
    Settle(dialog, 300);
    Close(IDCANCEL);
}

// Both pictures fill their controls in their own proportions: the drawing
// itself where the control has its size, else a smooth enlargement or
// reduction, with shades the drawing lacks (repeated or dropped pixels add
// none). A change of scale, with the controls enlarged by half as the
// system does it for dialogs, moves the dialog to the rectangle offered and
// fits the pictures again.
TEST_F(ConfigDialogTest, PicturesFillTheirControlsAndFollowAChangeOfScale) {
    ASSERT_TRUE(Open(IDD_CONFIG, ConfigDialogProc));
    auto expectFitted = [](const std::vector<ShownPicture>& pictures, const char* when) {
        ASSERT_EQ(2u, pictures.size()) << when;
        for (const ShownPicture& p : pictures) {
            EXPECT_TRUE(FillsItsControl(p)) << when << ": " << Describe(p);
            const bool asDrawn = p.image.cx == p.drawn.cx && p.image.cy == p.drawn.cy;
            EXPECT_TRUE(asDrawn ? p.imageColours == p.drawnColours : p.imageColours > p.drawnColours)
                << when << ": " << Describe(p);
        }
    };
    const std::vector<ShownPicture> before = ShownPictures(dialog);
    expectFitted(before, "opened");

    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP) continue;
        RECT rect = {};
        GetWindowRect(child, &rect);
        SetWindowPos(child, nullptr, 0, 0, (rect.right - rect.left) * 3 / 2, (rect.bottom - rect.top) * 3 / 2,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT offered = {};
    GetWindowRect(dialog, &offered);
    OffsetRect(&offered, 40, 30);
    offered.right += 100, offered.bottom += 50;
    SendMessageA(dialog, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&offered));
    Settle(dialog);
    RECT now = {};
    GetWindowRect(dialog, &now);
    EXPECT_TRUE(EqualRect(&offered, &now)) << now.left << "," << now.top << " " << now.right << "," << now.bottom;
    const std::vector<ShownPicture> after = ShownPictures(dialog);
    expectFitted(after, "rescaled");
    for (size_t i = 0; i < after.size() && i < before.size(); ++i)
        EXPECT_NEAR(before[i].image.cx * 3 / 2, after[i].image.cx, 2) << Describe(after[i]);
    Close(IDCANCEL);
}

}  // namespace
