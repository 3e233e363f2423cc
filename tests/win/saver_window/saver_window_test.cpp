// The real saver window, run by RunSaver on a thread of this process: the
// rules that end a full-screen run and the messages it answers itself, on
// both platform families (the 95/98 family here without a password).
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "host/saver_window.h"
#include "saver_harness.h"

namespace {

using Step = std::function<void(HWND)>;

Step Send(UINT message, WPARAM wParam, LRESULT answer = kAny, const char* text = nullptr) {
    return [=](HWND window) {
        const LRESULT got = SendMessageA(window, message, wParam, reinterpret_cast<LPARAM>(text));
        EXPECT_TRUE(answer == kAny || answer == got) << "answer " << got;
    };
}

// The cursor goes there and the window learns of it.
Step Move(int x, int y) {
    return [x, y](HWND window) {
        SetCursorPos(x, y);
        PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    };
}

// Steps of input, as messages or real; the 1-based step that ends the run
// (0: none). Cursor moves count from the reference stored at the start.
TEST(SaverTest, WhatEndsAFullScreenRunAndWhatItAnswers) {
    CleanSettingsKey cleanSettings;
    const struct {
        const char* name;
        std::vector<Step> steps;
        size_t closingStep;
    } cases[] = {
        {"key released, then pressed", {Send(WM_KEYUP, VK_SPACE), Send(WM_KEYDOWN, VK_SPACE)}, 2},
        {"system key", {Send(WM_SYSKEYDOWN, VK_MENU)}, 1},
        {"left button", {Send(WM_LBUTTONDOWN, MK_LBUTTON)}, 1},
        {"right button", {Send(WM_RBUTTONDOWN, MK_RBUTTON)}, 1},
        {"middle button", {Send(WM_MBUTTONDOWN, MK_MBUTTON)}, 1},
        {"activation gained, then lost", {Send(WM_ACTIVATEAPP, 1), Send(WM_ACTIVATEAPP, 0)}, 2},
        {"power event 2, then 3", {Send(WM_POWER, 2), Send(WM_POWER, 3)}, 2},
        {"power broadcast: suspend", {Send(WM_POWERBROADCAST, PBT_APMSUSPEND)}, 1},
        {"power broadcast: 0", {Send(WM_POWERBROADCAST, 0)}, 1},
        {"cursor request", {Send(WM_SETCURSOR, 0, 1)}, 0},
        {"task switch, saver start", {Send(WM_SYSCOMMAND, SC_NEXTWINDOW, 0), Send(WM_SYSCOMMAND, SC_SCREENSAVE, 0)}, 0},
        {"close command: passed on", {Send(WM_SYSCOMMAND, SC_CLOSE)}, 1},
        {"new title", {Send(WM_SETTEXT, 0, 0, "Another title")}, 0},
        {"exactly 4 pixels", {Move(502, 402)}, 0},
        {"5 pixels: 3 across, 2 down", {Move(503, 402)}, 1},
        {"small steps that add up", {Move(501, 400), Move(502, 401), Move(503, 402)}, 3},
        // Each step is more than 4 from the one before, never from the reference.
        {"back and forth", {Move(502, 402), Move(498, 398), Move(502, 402), Move(496, 400), Move(500, 404)}, 0},
        {"a real key", {[](HWND) { PressKey('A'); }}, 1},
        {"a real click", {[](HWND) { mouse_event(MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP, 0, 0, 0, 0); }}, 1},
        {"a real move of 6 pixels", {[](HWND) { SetCursorPos(kStart.x + 6, kStart.y); }}, 1},
    };
    for (int isWin9x : {0, 1}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name + std::string(isWin9x ? ", 95/98 family" : ", NT family"));
            ResetHost(isWin9x);
            SaverRun run;
            ASSERT_EQ(run.window, GetForegroundWindow());
            for (size_t step = 1; step <= c.steps.size(); ++step) {
                c.steps[step - 1](run.window);
                if (step == c.closingStep) run.WaitForEnd();
                run.Settle();
                ASSERT_EQ(c.closingStep && step >= c.closingStep, run.Ended()) << "after step " << step;
            }
            std::vector<Msg> closing = {{WM_CLOSE}, {WM_DESTROY}};
            if (!c.closingStep) closing.clear();
            EXPECT_TRUE(SameSequence(closing, run.Received({WM_CLOSE, WM_DESTROY})));
            char title[64] = "";
            GetWindowTextA(run.window, title, sizeof title);
            EXPECT_STREQ(c.closingStep ? "" : "Screen Saver", title);
        }
    }
}

// Wine's DefWindowProcA answers SC_SCREENSAVE + 1 with its modal About
// box: a visible sign that the command went on to the platform.
TEST(SaverTest, ASystemCommandDifferingInItsLowBitsGoesOnToThePlatform) {
    CleanSettingsKey cleanSettings;
    ResetHost(0);
    SaverRun run;
    PostMessageA(run.window, WM_SYSCOMMAND, SC_SCREENSAVE + 1, 0);
    HWND about = run.window;
    EXPECT_TRUE(PumpUntil([&] { return (about = GetLastActivePopup(run.window)) != run.window; }, 5000));
    PostMessageA(about, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(about); }, 5000));
}

}  // namespace
