// The real zorv.scr in configuration mode, seen from outside.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "dialog_driver.h"
#include "resources/resource.h"
#include "test_support.h"

namespace {

// Makes Wine report the 95/98 family to zorv.scr while it lives.
struct PoseAsWin98 {
    static constexpr const char* kKey = "Software\\Wine\\AppDefaults\\zorv.scr";
    PoseAsWin98() {
        HKEY key;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != 0) return;
        RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("win98"), 6);
        RegCloseKey(key);
    }
    ~PoseAsWin98() { RegDeleteKeyA(HKEY_CURRENT_USER, kKey); }
};

struct ConfigModeTest : ::testing::Test {
    CleanSettingsKey clean;
};

TEST_F(ConfigModeTest, EmptyTailAndCTailsShowTheDialogAndCancelEndsWithZero) {
    HWND owner = CreateWindowA("STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(owner);
    const std::string handle = std::to_string(reinterpret_cast<UINT_PTR>(owner));
    const struct {
        std::string tail;
        HWND expectedOwner;
    } cases[] = {
        {"", nullptr},
        {"/c:" + handle, owner},
        {"-C:" + handle + " trailing", owner},
    };
    for (const auto& c : cases) {
        RunningProcess saver("\"" + SaverPath() + "\" " + c.tail);
        ASSERT_TRUE(saver.started) << c.tail;
        HWND dialog = WaitForProcessDialog(saver.info.dwProcessId, "ZORV 2.0");
        ASSERT_TRUE(dialog) << "tail [" << c.tail << "]";
        EXPECT_EQ(c.expectedOwner, GetWindow(dialog, GW_OWNER)) << c.tail;
        EXPECT_TRUE(GetDlgItem(dialog, IDC_CONFIG_PREVIEW)) << c.tail;
        EXPECT_TRUE(SendDlgItemMessageA(dialog, IDC_CONFIG_REFRESH_SPIN, UDM_GETRANGE, 0, 0)) << "a working spin control";
        SendDlgItemMessageA(dialog, IDCANCEL, BM_CLICK, 0, 0);
        EXPECT_EQ(0u, saver.WaitForExit(10000)) << c.tail;
        EXPECT_FALSE(ValueExists("SOFTWARE\\Zorv", "Density")) << "Cancel stores nothing";
    }
    DestroyWindow(owner);
}

TEST_F(ConfigModeTest, OnThe9xFamilyTheScreenImageIsOfferedAndTheDefault) {
    PoseAsWin98 win98;
    RunningProcess saver("\"" + SaverPath() + "\" /c");
    ASSERT_TRUE(saver.started);
    HWND dialog = WaitForProcessDialog(saver.info.dwProcessId, "ZORV 2.0");
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(IsEnabled(dialog, IDC_CONFIG_MODE_SCREEN));
    EXPECT_TRUE(IsChecked(dialog, IDC_CONFIG_MODE_SCREEN));
    EXPECT_FALSE(IsEnabled(dialog, IDC_CONFIG_IMAGES));
    SendDlgItemMessageA(dialog, IDC_CONFIG_MODE_RANDOM, BM_CLICK, 0, 0);
    EXPECT_TRUE(IsEnabled(dialog, IDC_CONFIG_IMAGES));
    SendDlgItemMessageA(dialog, IDC_CONFIG_MODE_SCREEN, BM_CLICK, 0, 0);
    EXPECT_FALSE(IsEnabled(dialog, IDC_CONFIG_IMAGES));
    EXPECT_TRUE(IsChecked(dialog, IDC_CONFIG_MODE_SCREEN));
    SendDlgItemMessageA(dialog, IDOK, BM_CLICK, 0, 0);
    EXPECT_EQ(0u, saver.WaitForExit(10000));
    DWORD mode = 0xDEADBEEF;
    EXPECT_TRUE(ReadDword("SOFTWARE\\Zorv", "BackgroundMode", mode));
    EXPECT_EQ(0u, mode);
}

}  // namespace
