// The real saver window, run by RunSaver on a thread of this process: the
// rules that end a full-screen run and the messages it answers itself, on
// both platform families (the 95/98 family here without a password), and
// as a preview inside a parent.
#include "saver_harness.h"

#include <imm.h>

#include "fog/fog_engine.h"
#include "host/password.h"
#include "host/saver_window.h"
#include "resources/resource.h"

namespace {

using Step = std::function<void(SaverRun&, int isWin9x)>;
const UINT kAutoPlay = RegisterWindowMessageA("QueryCancelAutoPlay");
Step Send(UINT message, WPARAM wParam, LRESULT answer = kAny, const char* text = nullptr) {
    return [=](SaverRun& run, int) {
        const LRESULT got = SendMessageA(run.window, message, wParam, reinterpret_cast<LPARAM>(text));
        EXPECT_TRUE(answer == kAny || answer == got) << "answer " << got;
    };
}

// The cursor goes there and the window learns of it.
Step Move(int x, int y) {
    return [x, y](SaverRun& run, int) {
        SetCursorPos(x, y);
        PostMessageA(run.window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    };
}

// As a password dialog or another program would leave it.
const Step kShowArrow = [](SaverRun& run, int) { run.RunHere([] { SetCursor(LoadCursorA(nullptr, IDC_ARROW)); }); };

bool CursorHidden() {
    CURSORINFO cursor = {};
    cursor.cbSize = sizeof cursor;
    return GetCursorInfo(&cursor) && !cursor.hCursor;
}
const Step kCursorHidden = [](SaverRun&, int) { EXPECT_TRUE(CursorHidden()); };

// Steps of input, as messages or real; the 1-based step that ends the run
// on the NT and on the 95/98 family (0: none). Cursor moves count from the
// reference stored at the start.
TEST(SaverTest, WhatEndsAFullScreenRunAndWhatItAnswers) {
    CleanSettingsKey cleanSettings;
    const struct {
        const char* name;
        std::vector<Step> steps;
        size_t closingStep, closingStep9x;
    } cases[] = {
        {"key released, then pressed", {Send(WM_KEYUP, VK_SPACE), Send(WM_KEYDOWN, VK_SPACE)}, 2, 2},
        {"system key", {Send(WM_SYSKEYDOWN, VK_MENU)}, 1, 1},
        {"left button", {Send(WM_LBUTTONDOWN, MK_LBUTTON)}, 1, 1},
        {"right button", {Send(WM_RBUTTONDOWN, MK_RBUTTON)}, 1, 1},
        {"middle button", {Send(WM_MBUTTONDOWN, MK_MBUTTON)}, 1, 1},
        {"activation gained, then lost", {Send(WM_ACTIVATEAPP, 1), Send(WM_ACTIVATEAPP, 0)}, 2, 2},
        {"power event 2, then 3", {Send(WM_POWER, 2), Send(WM_POWER, 3)}, 2, 2},
        {"power broadcast: 0", {Send(WM_POWERBROADCAST, 0)}, 1, 1},
        // Asked for by the fog, they pause it and end nothing.
        {"the display off, dimmed and on",
         {[](SaverRun& run, int) { EXPECT_EQ(TRUE, SendDisplayState(run.window, 0)); },
          [](SaverRun& run, int) { SendDisplayState(run.window, 2); },
          [](SaverRun& run, int) { SendDisplayState(run.window, 1); }},
         0,
         0},
        {"cursor request, window shown, paint: the cursor hidden again",
         {kShowArrow, Send(WM_SETCURSOR, 0, 1), kCursorHidden, kShowArrow, Send(WM_SHOWWINDOW, TRUE), kCursorHidden,
          kShowArrow, Send(WM_PAINT, 0), kCursorHidden},
         0,
         0},
        // Without a provider the 95/98 family lets the close through.
        {"verify request",
         {[](SaverRun& run, int isWin9x) { EXPECT_EQ(isWin9x, SendMessageA(run.window, VerifyRequest, 0, 0)); }},
         0,
         0},
        {"AutoPlay question: no password, no cancel", {Send(kAutoPlay, 0, 0)}, 0, 1},
        {"task switch, saver start",
         {Send(WM_SYSCOMMAND, SC_NEXTWINDOW, 0), Send(WM_SYSCOMMAND, SC_SCREENSAVE, 0)},
         0,
         0},
        {"close command: passed on", {Send(WM_SYSCOMMAND, SC_CLOSE)}, 1, 1},
        {"context menu: the platform's", {Send(WM_CONTEXTMENU, 0, 0)}, 0, 0},
        {"new title", {Send(WM_SETTEXT, 0, 0, "Another title")}, 0, 0},
        {"exactly 4 pixels", {Move(502, 402)}, 0, 0},
        {"5 pixels: 3 across, 2 down", {Move(503, 402)}, 1, 1},
        {"small steps that add up", {Move(501, 400), Move(502, 401), Move(503, 402)}, 3, 3},
        // Each step is more than 4 from the one before, never from the reference.
        {"back and forth", {Move(502, 402), Move(498, 398), Move(502, 402), Move(496, 400), Move(500, 404)}, 0, 0},
        {"a real key", {[](SaverRun&, int) { TapKey('A'); }}, 1, 1},
        {"a real click",
         {[](SaverRun&, int) { mouse_event(MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP, 0, 0, 0, 0); }},
         1,
         1},
        {"a real move of 6 pixels", {[](SaverRun&, int) { SetCursorPos(kStart.x + 6, kStart.y); }}, 1, 1},
    };
    for (int isWin9x : {0, 1}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name + std::string(isWin9x ? ", 95/98 family" : ", NT family"));
            ResetHost(isWin9x);
            SaverRun run;
            ASSERT_EQ(run.window, GetForegroundWindow());
            const size_t closingStep = isWin9x ? c.closingStep9x : c.closingStep;
            for (size_t step = 1; step <= c.steps.size(); ++step) {
                c.steps[step - 1](run, isWin9x);
                if (step == closingStep) run.WaitForEnd();
                run.Settle();
                ASSERT_EQ(closingStep && step >= closingStep, run.Ended()) << "after step " << step;
            }
            const std::vector<Msg> closing = {{WM_CLOSE}, {WM_DESTROY}};
            EXPECT_TRUE(SameSequence(closingStep ? closing : std::vector<Msg>{}, run.Received({WM_CLOSE, WM_DESTROY})));
            EXPECT_EQ(closingStep ? "" : "Screen Saver", WindowText(run.window));
        }
    }
}

// What the system and the shell look for: the class, the styles, the
// whole virtual screen and a single instance; and the fog's procedure in
// the chain, which made the worker and painted the first background.
TEST(SaverTest, TheFullScreenWindowCoversTheVirtualScreenInTheSaversClassAndPassesOtherCommandsOn) {
    CleanSettingsKey cleanSettings;
    ResetHost(0);
    SaverRun run;
    EXPECT_EQ(0x2Bu, GetClassLongA(run.window, GCL_STYLE));
    EXPECT_EQ(0x96000000u, static_cast<DWORD>(GetWindowLongA(run.window, GWL_STYLE)));
    EXPECT_EQ(static_cast<DWORD>(WS_EX_TOPMOST), static_cast<DWORD>(GetWindowLongA(run.window, GWL_EXSTYLE)));
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(GetStockObject(BLACK_BRUSH)),
              GetClassLongPtrA(run.window, GCLP_HBRBACKGROUND));
    EXPECT_EQ(0u, GetClassLongPtrA(run.window, GCLP_HCURSOR));
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(LoadIconA(host.instance, MAKEINTRESOURCEA(IDI_APP))),
              GetClassLongPtrA(run.window, GCLP_HICON));
    RECT placed = {}, screen = {0, 0, GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    OffsetRect(&screen, GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN));
    GetWindowRect(run.window, &placed);
    EXPECT_TRUE(EqualRect(&screen, &placed));
    EXPECT_TRUE(CursorHidden());
    EXPECT_TRUE(theFog.WorkerThread && theFog.BackgroundPainted);
    HIMC context = reinterpret_cast<HIMC>(1);  // an input method's window would show over the saver
    run.RunHere([&] { ImmReleaseContext(run.window, context = ImmGetContext(run.window)); });
    EXPECT_EQ(nullptr, context);
    // A second full-screen start ends at once with 0.
    EXPECT_EQ(0, RunSaver(nullptr));
    EXPECT_EQ(nullptr, FindWindowExA(nullptr, run.window, kSaverClassName, nullptr));

    // A system command differing from the saver start in its low bits goes
    // on to the platform: Wine's DefWindowProcA answers SC_SCREENSAVE + 1
    // with its modal About box.
    PostMessageA(run.window, WM_SYSCOMMAND, SC_SCREENSAVE + 1, 0);
    HWND about = run.window;
    EXPECT_TRUE(PumpUntil([&] { return (about = GetLastActivePopup(run.window)) != run.window; }, 5000));
    PostMessageA(about, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(about); }, 5000));
}

// The preview's parent, as the system's settings page would be, made on a
// thread of its own, which ends at a quit message and takes the window with
// it undestroyed. What reached it: message, wParam, and the help request's
// control or the menu's position.
std::vector<MessageRecord> forwarded;

LRESULT CALLBACK SettingsPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_HELP && message != WM_CONTEXTMENU) return DefWindowProcA(window, message, wParam, lParam);
    forwarded.push_back({message, wParam, message == WM_HELP ? reinterpret_cast<HELPINFO*>(lParam)->iCtrlId : lParam});
    return 0;
}

DWORD WINAPI SettingsPageThread(void* page) {
    HWND window = CreateWindowA("STATIC", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 150, 180, 160, nullptr, nullptr,
                                nullptr, nullptr);
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SettingsPageProc));
    *static_cast<HWND*>(page) = window;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}

// A preview fills its parent's client area, ignores what would end a
// full-screen run, and hands help and the context menu to its parent,
// answering 1. When the parent's thread ends, taking the window down
// without a WM_DESTROY reaching the preview (as a killed parent process
// does under Wine), the preview ends on its own within a second, and its
// worker with it.
TEST(SaverTest, APreviewFillsItsParentIgnoresInputForwardsHelpAndEndsWhenOrphaned) {
    CleanSettingsKey cleanSettings;
    ResetHost(0);
    HWND page = nullptr;
    DWORD pageThreadId = 0;
    HANDLE pageThread = CreateThread(nullptr, 0, SettingsPageThread, &page, 0, &pageThreadId);
    ASSERT_TRUE(PumpUntil([&] { return page != nullptr; }, 5000));
    SaverRun run(page);
    RECT client = {}, placed = {};
    GetClientRect(page, &client);
    GetWindowRect(run.window, &placed);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_TRUE(EqualRect(&client, &placed));
    EXPECT_EQ(0x52000000u, static_cast<DWORD>(GetWindowLongA(run.window, GWL_STYLE)));
    EXPECT_EQ(0u, static_cast<DWORD>(GetWindowLongA(run.window, GWL_EXSTYLE)));

    const UINT inputs[][2] = {{WM_KEYDOWN, 'A'},   {WM_SYSKEYDOWN, VK_MENU}, {WM_LBUTTONDOWN, 0},
                              {WM_RBUTTONDOWN, 0}, {WM_MBUTTONDOWN, 0},      {WM_ACTIVATEAPP, 0},
                              {WM_POWER, 3},       {WM_POWERBROADCAST, 0}};
    for (const auto& input : inputs) PostMessageA(run.window, input[0], input[1], 0);
    SetCursorPos(30, 30);
    PostMessageA(run.window, WM_MOUSEMOVE, 0, 0);
    run.Settle();
    EXPECT_FALSE(run.Ended());

    HELPINFO help = {sizeof help, HELPINFO_WINDOW, 1234, run.window, 0, {210, 160}};
    EXPECT_EQ(1, SendMessageA(run.window, WM_HELP, 0, reinterpret_cast<LPARAM>(&help)));
    EXPECT_EQ(1, SendMessageA(run.window, WM_CONTEXTMENU, 0, MAKELPARAM(220, 170)));

    HANDLE worker = DuplicateOf(theFog.WorkerThread);
    PostThreadMessageA(pageThreadId, WM_QUIT, 0, 0);  // after what the preview posted to the page
    EXPECT_TRUE(PumpUntil([&] { return run.Ended(); }, 1500));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(worker, 0)) << "the worker ended";
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pageThread, 5000));  // what it recorded is complete
    EXPECT_EQ(DescribeMessages({{WM_HELP, reinterpret_cast<WPARAM>(page), 1234},
                                {WM_CONTEXTMENU, reinterpret_cast<WPARAM>(page), MAKELPARAM(220, 170)}}),
              DescribeMessages(forwarded));
    for (HANDLE h : {worker, pageThread}) CloseHandle(h);
}

}  // namespace
