// The real zorv.scr in configuration mode, seen from outside.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "dialog_driver.h"
#include "test_support.h"

namespace {

TEST(ConfigModeTest, EmptyTailAndCTailsShowTheDialogAndCancelEndsWithZero) {
    CleanSettingsKey clean;
    HWND owner = CreateWindowA("STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    const std::string handle = std::to_string(reinterpret_cast<UINT_PTR>(owner));
    const struct {
        std::string tail;
        HWND owner;
    } cases[] = {{"", nullptr}, {"/c:" + handle, owner}, {"-C:" + handle + " trailing", owner}};
    for (const auto& c : cases) {
        RunningProcess saver("\"" + SaverPath() + "\" " + c.tail);
        HWND dialog = WaitForDialog(saver.info.dwThreadId, c.owner);
        ASSERT_TRUE(dialog) << "tail [" << c.tail << "]";
        EXPECT_EQ("ZORV 2.0", WindowText(dialog)) << c.tail;
        SendDlgItemMessageA(dialog, IDCANCEL, BM_CLICK, 0, 0);
        EXPECT_EQ(0u, saver.WaitForExit(10000)) << c.tail;
        EXPECT_FALSE(ValueExists("SOFTWARE\\Zorv", "Density")) << "Cancel stores nothing";
    }
    DestroyWindow(owner);
}

}  // namespace
