// Both dialogs from their real templates, driven by real key presses: Tab
// visits the controls in reading order, and every Alt+letter reaches the
// control its label names.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "config_ui/config_dialog.h"
#include "config_ui/images_dialog.h"
#include "core/settings_values.h"
#include "dialog_driver.h"
#include "resources/resource.h"
#include "test_support.h"

namespace {

struct DialogKeyboardTest : DialogTest {
    int FocusedId() const {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(thread->id, &info) ? GetDlgCtrlID(info.hwndFocus) : 0;
    }
    void Tap(WORD key, bool withAlt = false) {
        SetForegroundWindow(dialog);
        Settle(dialog, 20);
        if (withAlt) PressKey(VK_MENU, true);
        PressKey(key, true);
        PressKey(key, false);
        if (withAlt) PressKey(VK_MENU, false);
        Settle(dialog);
    }
    // Every control's mnemonic letter, upper case, with the ids that use it.
    std::map<char, std::vector<int>> Mnemonics() const {
        std::map<char, std::vector<int>> letters;
        for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            const std::string caption = WindowText(child);
            const size_t amp = caption.find('&');
            if (amp == std::string::npos || amp + 1 == caption.size()) continue;
            const char letter = caption[amp + 1];
            letters[letter >= 'a' && letter <= 'z' ? static_cast<char>(letter - 'a' + 'A') : letter].push_back(GetDlgCtrlID(child));
        }
        return letters;
    }
};

// A random picture for the background and a refresh period, so that "..."
// and the period's box take the keyboard too.
void StoreSettingsThatEnableEveryControl() {
    const std::pair<const char*, DWORD> settings[] = {
        {kDensityValue, 10}, {kPowerValue, 100}, {kMixPixValue, 1},  {kRayValue, 50},
        {kBackgroundModeValue, 2}, {kDelayValue, 0}, {kTimeoutValue, 60}};
    for (const auto& setting : settings) WriteDword(kSettingsKeyPath, setting.first, setting.second);
}

struct DialogCase {
    const char* name;
    int resource;
    DLGPROC procedure;
    std::vector<int> tabOrder;                  // from the first focus, once round
    std::vector<std::pair<char, int>> mnemonics;  // letter -> the control it reaches
};

// The radio group is entered at its checked button (Random Image, as
// stored). "&Current desktop image" is disabled on the NT family, which
// Wine poses as: its letter is only checked for uniqueness.
const DialogCase kDialogs[] = {
    {"configuration", IDD_CONFIG, ConfigDialogProc,
     {IDC_CONFIG_MODE_RANDOM, IDC_CONFIG_IMAGES, IDC_CONFIG_DENSITY, IDC_CONFIG_BLUR, IDC_CONFIG_STRENGTH,
      IDC_CONFIG_SPEED, IDC_CONFIG_MIXPIX, IDC_CONFIG_REFRESH, IDC_CONFIG_REFRESH_SECONDS, IDC_CONFIG_MAIL_LINK,
      IDC_CONFIG_UPDATE, IDC_CONFIG_CAUSE1_LINK, IDOK, IDCANCEL, IDC_CONFIG_CAUSE2_LINK, IDC_CONFIG_MODE_RANDOM},
     {{'D', IDC_CONFIG_DENSITY}, {'L', IDC_CONFIG_BLUR}, {'S', IDC_CONFIG_STRENGTH}, {'P', IDC_CONFIG_SPEED},
      {'B', IDC_CONFIG_MODE_RANDOM}, {'U', IDC_CONFIG_UPDATE}, {'M', IDC_CONFIG_MIXPIX},
      {'R', IDC_CONFIG_REFRESH}, {'K', IDC_CONFIG_MODE_DESKTOP}, {'I', IDC_CONFIG_MODE_RANDOM}}},
    {"images", IDD_IMAGES, ImagesDialogProc,
     {IDC_IMAGES_LIST, IDOK, IDCANCEL, IDC_IMAGES_ADD, IDC_IMAGES_REMOVE, IDC_IMAGES_LIST},
     {{'R', IDC_IMAGES_REMOVE}, {'I', IDC_IMAGES_LIST}}},
};

TEST_F(DialogKeyboardTest, TabVisitsTheControlsInReadingOrder) {
    StoreSettingsThatEnableEveryControl();
    for (const DialogCase& c : kDialogs) {
        ASSERT_TRUE(Open(c.resource, c.procedure)) << c.name;
        std::vector<int> visited = {FocusedId()};
        while (visited.size() < c.tabOrder.size()) {
            Tap(VK_TAB);
            visited.push_back(FocusedId());
        }
        EXPECT_EQ(c.tabOrder, visited) << c.name;
        Close(IDCANCEL);
    }
}

// Each letter is used once, and the label's letter reaches the control
// after it (the buttons' own letters reach themselves).
TEST_F(DialogKeyboardTest, EveryMnemonicIsUniqueAndReachesItsOwnControl) {
    StoreSettingsThatEnableEveryControl();
    for (const DialogCase& c : kDialogs) {
        ASSERT_TRUE(Open(c.resource, c.procedure)) << c.name;
        for (const auto& letter : Mnemonics()) EXPECT_EQ(1u, letter.second.size()) << c.name << ": " << letter.first;
        for (const auto& m : c.mnemonics) {
            SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDCANCEL)), TRUE);
            Tap(static_cast<WORD>(m.first), true);
            EXPECT_EQ(m.second, FocusedId()) << c.name << ": Alt+" << m.first;
        }
        Close(IDCANCEL);
    }
}

}  // namespace
