// The real zorv.scr, started as the system starts it, watched from outside:
// the full-screen window, a single instance and its end on a key, and the
// preview inside a window of this test.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "saver_harness.h"

namespace {

std::string SaverWith(const std::string& tail) { return "\"" + SaverPath() + "\" " + tail; }

HWND WaitForWindow(const char* title, HWND parent = nullptr) {
    HWND window = nullptr;
    PumpUntil([&] { return (window = FindWindowExA(parent, nullptr, "WindowsScreenSaverClass", title)) != nullptr; },
              10000);
    PumpMessagesFor(200);  // let it settle into its message loop
    return window;
}

struct SaverProcessTest : ::testing::Test {
    CleanSettingsKey cleanSettings;
    void SetUp() override { ResetHost(0); }
};

TEST_F(SaverProcessTest, AFullScreenRunCoversTheScreenStaysSingleAndEndsWithZeroOnAKey) {
    RunningProcess saver(SaverWith("/s"));
    HWND window = WaitForWindow("Screen Saver");
    ASSERT_TRUE(window);
    EXPECT_EQ(static_cast<DWORD>(WS_EX_TOPMOST), static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)));
    RECT placed = {}, screen = {0, 0, GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    OffsetRect(&screen, GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN));
    GetWindowRect(window, &placed);
    EXPECT_TRUE(EqualRect(&screen, &placed));

    // A second start leaves the first in front and ends with 0.
    EXPECT_EQ(0u, RunProcess(SaverWith("-S"), 20000));
    PumpMessagesFor(200);
    EXPECT_EQ(window, GetForegroundWindow());
    EXPECT_EQ(nullptr, FindWindowExA(nullptr, window, "WindowsScreenSaverClass", nullptr));

    PressKey('Z');
    EXPECT_EQ(0u, saver.WaitForExit(15000));
}

// The preview's parent, as the system's settings page would be.
std::vector<MessageRecord> forwarded;
int helpControl = 0;

LRESULT CALLBACK SettingsPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_HELP && message != WM_CONTEXTMENU) return DefWindowProcA(window, message, wParam, lParam);
    forwarded.push_back({message, wParam, lParam});
    if (message == WM_HELP) helpControl = reinterpret_cast<HELPINFO*>(lParam)->iCtrlId;
    return 0;
}

TEST_F(SaverProcessTest, APreviewFillsItsParentIgnoresInputForwardsHelpAndEndsWithIt) {
    HWND page = CreateWindowA("STATIC", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 150, 180, 160, nullptr, nullptr,
                              nullptr, nullptr);
    SetWindowLongPtrA(page, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SettingsPageProc));
    RunningProcess preview(SaverWith("/p " + std::to_string(reinterpret_cast<UINT_PTR>(page))));
    HWND window = WaitForWindow("Preview", page);
    ASSERT_TRUE(window);
    RECT client = {}, placed = {};
    GetClientRect(page, &client);
    GetWindowRect(window, &placed);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_TRUE(EqualRect(&client, &placed));

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
    EXPECT_EQ(static_cast<UINT>(WM_HELP), forwarded[0].message);
    EXPECT_EQ(static_cast<UINT>(WM_CONTEXTMENU), forwarded[1].message);
    for (const MessageRecord& m : forwarded) EXPECT_EQ(reinterpret_cast<WPARAM>(page), m.wParam);
    EXPECT_EQ(MAKELPARAM(220, 170), forwarded[1].lParam);
    EXPECT_EQ(1234, helpControl);  // the request itself came along

    DestroyWindow(page);
    EXPECT_EQ(0u, preview.WaitForExit(15000));
}

}  // namespace
