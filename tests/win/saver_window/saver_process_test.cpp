// The real zorv.scr, started as the system starts it, watched from outside:
// the full-screen window and its end on a key, the single instance, and
// the preview inside a window of this test.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "saver_harness.h"
#include "test_support.h"

namespace {

std::string SaverWith(const std::string& tail) { return "\"" + SaverPath() + "\" " + tail; }

HWND WaitForWindow(const char* title, HWND parent = nullptr) {
    HWND window = nullptr;
    PumpUntil([&] { return (window = FindWindowExA(parent, nullptr, "WindowsScreenSaverClass", title)) != nullptr; },
              10000);
    PumpMessagesFor(200);  // let it settle into its message loop
    return window;
}

bool StillRunning(const RunningProcess& process) {
    return process.started && WaitForSingleObject(process.info.hProcess, 0) == WAIT_TIMEOUT;
}

int CountSaverWindows() {
    int count = 0;
    for (HWND w = FindWindowExA(nullptr, nullptr, "WindowsScreenSaverClass", nullptr); w;
         w = FindWindowExA(nullptr, w, "WindowsScreenSaverClass", nullptr))
        ++count;
    return count;
}

struct SaverProcessTest : ::testing::Test {
    CleanSettingsKey cleanSettings;
    void SetUp() override {
        WriteQuietSettings();
        SetCursorPos(500, 400);
    }
};

TEST_F(SaverProcessTest, AFullScreenRunCoversTheScreenAndEndsWithZeroOnAKey) {
    RunningProcess saver(SaverWith("/s"));
    HWND window = WaitForWindow("Screen Saver");
    ASSERT_TRUE(window);
    EXPECT_EQ(0x2Bu, GetClassLongA(window, GCL_STYLE));
    EXPECT_EQ(0x96000000u, static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)));
    EXPECT_EQ(static_cast<DWORD>(WS_EX_TOPMOST), static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)));
    RECT rect = {};
    GetWindowRect(window, &rect);
    EXPECT_EQ(GetSystemMetrics(SM_XVIRTUALSCREEN), rect.left);
    EXPECT_EQ(GetSystemMetrics(SM_YVIRTUALSCREEN), rect.top);
    EXPECT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), rect.right - rect.left);
    EXPECT_EQ(GetSystemMetrics(SM_CYVIRTUALSCREEN), rect.bottom - rect.top);
    EXPECT_EQ(window, GetForegroundWindow());

    // Standing in place ends nothing.
    PostMessageA(window, WM_MOUSEMOVE, 0, 0);
    PumpMessagesFor(200);
    EXPECT_TRUE(StillRunning(saver));

    PressKey('Z');
    EXPECT_EQ(0u, saver.WaitForExit(15000));
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(SaverProcessTest, ASecondFullScreenStartEndsWithZeroAndLeavesTheFirstInFront) {
    RunningProcess first(SaverWith("/s"));
    HWND window = WaitForWindow("Screen Saver");
    ASSERT_TRUE(window);
    EXPECT_EQ(0u, RunProcess(SaverWith("-S"), 20000));
    PumpMessagesFor(200);
    EXPECT_TRUE(StillRunning(first));
    EXPECT_EQ(window, GetForegroundWindow());
    EXPECT_EQ(1, CountSaverWindows());
    PressKey(VK_SPACE);
    EXPECT_EQ(0u, first.WaitForExit(15000));
}

// The preview's parent, as the system's settings page would be: records
// what the preview forwards to it.
std::vector<MessageRecord> forwarded;
HELPINFO helpSeen = {};

LRESULT CALLBACK SettingsPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HELP || message == WM_CONTEXTMENU) {
        forwarded.push_back({message, wParam, lParam});
        if (message == WM_HELP) helpSeen = *reinterpret_cast<HELPINFO*>(lParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateSettingsPage() {
    WNDCLASSA pageClass = {};
    pageClass.lpfnWndProc = SettingsPageProc;
    pageClass.hInstance = GetModuleHandleA(nullptr);
    pageClass.lpszClassName = "ZorvSettingsPage";
    RegisterClassA(&pageClass);
    return CreateWindowA("ZorvSettingsPage", "settings", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 150, 180, 160,
                         nullptr, nullptr, pageClass.hInstance, nullptr);
}

TEST_F(SaverProcessTest, APreviewFillsItsParentIgnoresInputAndEndsWithIt) {
    HWND page = CreateSettingsPage();
    ASSERT_TRUE(page);
    RunningProcess preview(SaverWith("/p " + std::to_string(reinterpret_cast<UINT_PTR>(page))));
    HWND window = WaitForWindow("Preview", page);
    ASSERT_TRUE(window);

    EXPECT_EQ(0x52000000u, static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)));
    EXPECT_EQ(0u, static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)));
    RECT client = {}, placed = {};
    GetClientRect(page, &client);
    GetWindowRect(window, &placed);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(0, placed.left);
    EXPECT_EQ(0, placed.top);
    EXPECT_EQ(client.right, placed.right);
    EXPECT_EQ(client.bottom, placed.bottom);

    // Input that would end a full-screen run.
    for (UINT input : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN})
        PostMessageA(window, input, 0, 0);
    PostMessageA(window, WM_ACTIVATEAPP, 0, 0);
    PostMessageA(window, WM_POWER, 3, 0);
    PostMessageA(window, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    SetCursorPos(30, 30);
    PostMessageA(window, WM_MOUSEMOVE, 0, 0);
    PumpMessagesFor(300);
    EXPECT_TRUE(StillRunning(preview));
    EXPECT_TRUE(IsWindow(window));

    // Help and the context menu belong to the settings page.
    DWORD_PTR answer = 0xDEADBEEF;
    HELPINFO help = {sizeof help, HELPINFO_WINDOW, 1234, window, 0, {210, 160}};
    ASSERT_TRUE(SendMessageTimeoutA(window, WM_HELP, 0, reinterpret_cast<LPARAM>(&help), SMTO_NORMAL, 5000, &answer));
    EXPECT_EQ(1u, answer);
    answer = 0xDEADBEEF;
    ASSERT_TRUE(SendMessageTimeoutA(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window), MAKELPARAM(220, 170),
                                    SMTO_NORMAL, 5000, &answer));
    EXPECT_EQ(1u, answer);
    PumpMessagesFor(200);
    const WPARAM pageHandle = reinterpret_cast<WPARAM>(page);
    ASSERT_EQ(2u, forwarded.size()) << DescribeMessages(forwarded);
    EXPECT_EQ(static_cast<UINT>(WM_HELP), forwarded[0].message);
    EXPECT_EQ(pageHandle, forwarded[0].wParam);
    EXPECT_EQ(1234, helpSeen.iCtrlId);  // the request itself came along
    EXPECT_EQ(static_cast<UINT>(WM_CONTEXTMENU), forwarded[1].message);
    EXPECT_EQ(pageHandle, forwarded[1].wParam);
    EXPECT_EQ(MAKELPARAM(220, 170), forwarded[1].lParam);

    DestroyWindow(page);
    EXPECT_EQ(0u, preview.WaitForExit(15000));
}

}  // namespace
