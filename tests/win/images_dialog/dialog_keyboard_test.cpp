// Both dialogs from their real templates, driven by real key presses: Tab
// visits the controls in reading order, and each Alt+letter reaches the
// control its label names.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config_ui/config_dialog.h"
#include "config_ui/images_dialog.h"
#include "dialog_driver.h"
#include "resources/resource.h"

namespace {

// With no settings stored the radio group is entered at its checked
// button, Desktop Background; "...", the refresh period's box and
// "&Current desktop image" (on the NT family, which Wine poses as) are
// disabled and skipped.
const struct {
    int resource;
    DLGPROC procedure;
    std::vector<int> tabOrder;  // from the first focus, once round
    std::string letters;        // every mnemonic, reaching...
    std::vector<int> reached;   // ...these controls
} kDialogs[] = {
    {IDD_CONFIG, ConfigDialogProc,
     {IDC_CONFIG_MODE_DESKTOP, IDC_CONFIG_DENSITY, IDC_CONFIG_BLUR, IDC_CONFIG_STRENGTH, IDC_CONFIG_SPEED,
      IDC_CONFIG_MIXPIX, IDC_CONFIG_REFRESH, IDC_CONFIG_MAIL_LINK, IDC_CONFIG_UPDATE, IDC_CONFIG_CAUSE1_LINK, IDOK,
      IDCANCEL, IDC_CONFIG_CAUSE2_LINK, IDC_CONFIG_MODE_DESKTOP},
     "DLSPBUMRKI",
     {IDC_CONFIG_DENSITY, IDC_CONFIG_BLUR, IDC_CONFIG_STRENGTH, IDC_CONFIG_SPEED, IDC_CONFIG_MODE_DESKTOP,
      IDC_CONFIG_UPDATE, IDC_CONFIG_MIXPIX, IDC_CONFIG_REFRESH, IDC_CONFIG_MODE_DESKTOP, IDC_CONFIG_MODE_RANDOM}},
    {IDD_IMAGES, ImagesDialogProc, {IDC_IMAGES_LIST, IDOK, IDCANCEL, IDC_IMAGES_ADD, IDC_IMAGES_REMOVE, IDC_IMAGES_LIST},
     "RI", {IDC_IMAGES_REMOVE, IDC_IMAGES_LIST}},  // Alt+A would open the file dialog
};

struct DialogKeyboardTest : DialogTest {
    int FocusedId() const {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(thread->id, &info) ? GetDlgCtrlID(info.hwndFocus) : 0;
    }
    int Tap(WORD key, bool withAlt = false) {  // the control that has the keyboard then
        SetForegroundWindow(dialog);
        Settle(dialog, 20);
        if (withAlt) PressKey(VK_MENU, true);
        PressKey(key, true), PressKey(key, false);
        if (withAlt) PressKey(VK_MENU, false);
        Settle(dialog);
        return FocusedId();
    }
};

TEST_F(DialogKeyboardTest, TabAndMnemonicsFollowTheReadingOrder) {
    for (const auto& d : kDialogs) {
        ASSERT_TRUE(Open(d.resource, d.procedure)) << d.resource;
        std::vector<int> visited = {FocusedId()};
        while (visited.size() < d.tabOrder.size()) visited.push_back(Tap(VK_TAB));
        EXPECT_EQ(d.tabOrder, visited) << d.resource;
        std::vector<int> reached;
        for (char letter : d.letters) {
            SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDCANCEL)), TRUE);
            reached.push_back(Tap(static_cast<WORD>(letter), true));
        }
        EXPECT_EQ(d.reached, reached) << d.resource << ": Alt+ " << d.letters;
        Close(IDCANCEL);
    }
}

}  // namespace
