// The real zorv.scr as a preview inside a window of this test, as the
// system's settings page would hold it, watched from outside.

#include "host/saver_window.h"
#include "saver_harness.h"

namespace {

// The preview's parent, as the system's settings page would be.
// What reached it: message, wParam, and the help request's control or the
// menu's position.
std::vector<MessageRecord> forwarded;

LRESULT CALLBACK SettingsPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_HELP && message != WM_CONTEXTMENU) return DefWindowProcA(window, message, wParam, lParam);
    forwarded.push_back({message, wParam, message == WM_HELP ? reinterpret_cast<HELPINFO*>(lParam)->iCtrlId : lParam});
    return 0;
}

TEST(SaverProcessTest, APreviewFillsItsParentIgnoresInputForwardsHelpAndEndsWithIt) {
    CleanSettingsKey cleanSettings;
    ResetHost(0);
    HWND page = CreateWindowA("STATIC", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 150, 180, 160, nullptr, nullptr,
                              nullptr, nullptr);
    SetWindowLongPtrA(page, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SettingsPageProc));
    RunningProcess preview("\"" + SaverPath() + "\" /p " + std::to_string(reinterpret_cast<UINT_PTR>(page)));
    HWND window = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (window = FindWindowExA(page, nullptr, kSaverClassName, "Preview")); }, 10000));
    PumpMessagesFor(200);  // let it settle into its message loop
    RECT client = {}, placed = {};
    GetClientRect(page, &client);
    GetWindowRect(window, &placed);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_TRUE(EqualRect(&client, &placed));
    EXPECT_EQ(0x52000000u, static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)));
    EXPECT_EQ(0u, static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)));

    // What would end a full-screen run.
    const UINT inputs[][2] = {{WM_KEYDOWN, 'A'}, {WM_SYSKEYDOWN, VK_MENU}, {WM_LBUTTONDOWN, 0}, {WM_RBUTTONDOWN, 0},
                              {WM_MBUTTONDOWN, 0}, {WM_ACTIVATEAPP, 0}, {WM_POWER, 3}, {WM_POWERBROADCAST, 0}};
    for (const auto& input : inputs) PostMessageA(window, input[0], input[1], 0);
    SetCursorPos(30, 30);
    PostMessageA(window, WM_MOUSEMOVE, 0, 0);
    PumpMessagesFor(300);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(preview.info.hProcess, 0));

    // Help and the context menu belong to the settings page; the preview answers 1.
    DWORD_PTR helpAnswer = 0, menuAnswer = 0;
    HELPINFO help = {sizeof help, HELPINFO_WINDOW, 1234, window, 0, {210, 160}};
    SendMessageTimeoutA(window, WM_HELP, 0, reinterpret_cast<LPARAM>(&help), SMTO_NORMAL, 5000, &helpAnswer);
    SendMessageTimeoutA(window, WM_CONTEXTMENU, 0, MAKELPARAM(220, 170), SMTO_NORMAL, 5000, &menuAnswer);
    EXPECT_TRUE(helpAnswer == 1 && menuAnswer == 1) << helpAnswer << ", " << menuAnswer;
    ASSERT_TRUE(PumpUntil([] { return forwarded.size() == 2; }, 5000)) << DescribeMessages(forwarded);
    EXPECT_EQ(DescribeMessages({{WM_HELP, reinterpret_cast<WPARAM>(page), 1234},
                                {WM_CONTEXTMENU, reinterpret_cast<WPARAM>(page), MAKELPARAM(220, 170)}}),
              DescribeMessages(forwarded));

    DestroyWindow(page);
    EXPECT_EQ(0u, preview.WaitForExit(15000));
}

}  // namespace
