// The real zorv.scr started with command tails, seen from outside: an empty
// tail and the /c tails show the configuration dialog, owned by the window
// given, and Cancel ends it with 0; /p with a window shows
// the preview inside it, which a close ends with 0; tails that select no
// runnable mode, or a preview without a parent it can use, end at once with
// exit code -1. (A password change outside the 95/98 family is among the
// password tests.)
#include "host/saver_window.h"
#include "tests/win/config_dialog/dialog_driver.h"

namespace {

TEST(Entry, EveryTailRunsItsModeOrEndsWithMinusOne) {
    CleanSettingsKey clean;
    HWND owner =
        CreateWindowA("STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    const std::string handle = std::to_string(reinterpret_cast<UINT_PTR>(owner));
    enum Shows { Nothing, Dialog, Preview };
    const struct {
        std::string tail;
        HWND owner = nullptr;
        Shows shows = Nothing;
    } cases[] = {{"", nullptr, Dialog},
                 {"/c:" + handle, owner, Dialog},
                 {"-C:" + handle + " trailing", owner, Dialog},
                 {"/p " + handle, owner, Preview},
                 {"/x"},
                 {"/\xe4"},
                 {"/p"},
                 {"/p 0"},
                 {"/p 4294967295"},
                 {"/p:" + handle},
                 {"/l:" + handle},
                 {"/p\t" + handle}};
    for (const auto& c : cases) {
        SCOPED_TRACE("tail [" + c.tail + "]");
        RunningProcess saver("\"" + SaverPath() + "\" " + c.tail);
        HWND shown = nullptr;
        if (c.shows == Dialog) {
            ASSERT_TRUE(shown = WaitForDialog(saver.info.dwThreadId, c.owner));
            SendDlgItemMessageA(shown, IDCANCEL, BM_CLICK, 0, 0);
        }
        if (c.shows == Preview) {
            ASSERT_TRUE(
                PumpUntil([&] { return shown = FindWindowExA(owner, nullptr, kSaverClassName, "Preview"); }, 10000));
            PostMessageA(shown, WM_CLOSE, 0, 0);
        }
        EXPECT_EQ(c.shows ? 0u : 0xFFFFFFFFu, saver.WaitForExit(20000));
    }
}

}  // namespace
