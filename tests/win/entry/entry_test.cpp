// The real zorv.scr started with command tails, seen from outside: an empty
// tail and the /c tails show the configuration dialog, owned by the window
// given, and Cancel ends it with 0, storing nothing; tails that select no
// runnable mode, or a preview without a parent it can use, end at once with
// exit code -1. (A password change outside the 95/98 family is among the
// password tests.)
#include "dialog_driver.h"

namespace {

TEST(Entry, EveryTailRunsItsModeOrEndsWithMinusOne) {
    CleanSettingsKey clean;
    HWND owner = CreateWindowA("STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    const std::string handle = std::to_string(reinterpret_cast<UINT_PTR>(owner));
    const struct {
        std::string tail;
        HWND owner = nullptr;
        bool configures = false;
    } cases[] = {{"", nullptr, true}, {"/c:" + handle, owner, true}, {"-C:" + handle + " trailing", owner, true},
                 {"/x"}, {"/\xe4"}, {"/p"}, {"/p 0"}, {"/p 4294967295"}, {"/p:" + handle}, {"/l:" + handle},
                 {"/p\t" + handle}};
    for (const auto& c : cases) {
        RunningProcess saver("\"" + SaverPath() + "\" " + c.tail);
        if (c.configures) {
            HWND dialog = WaitForDialog(saver.info.dwThreadId, c.owner);
            ASSERT_TRUE(dialog) << "tail [" << c.tail << "]";
            EXPECT_EQ("ZORV 2.0", WindowText(dialog)) << c.tail;
            SendDlgItemMessageA(dialog, IDCANCEL, BM_CLICK, 0, 0);
        }
        EXPECT_EQ(c.configures ? 0u : 0xFFFFFFFFu, saver.WaitForExit(20000)) << "tail [" << c.tail << "]";
    }
    EXPECT_EQ("- - - - - - - ", StoredSettings()) << "Cancel stores nothing";
    DestroyWindow(owner);
}

}  // namespace
