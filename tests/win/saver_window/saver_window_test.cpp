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

struct SaverTest : ::testing::Test {
    CleanSettingsKey cleanSettings;
};

std::string Family(int isWin9x) { return isWin9x ? ", 95/98 family" : ", NT family"; }

TEST_F(SaverTest, WhatEachMessageDoesToAFullScreenRun) {
    const struct {
        const char* name;
        UINT message;
        WPARAM wParam;
        bool closes;
        LRESULT answer = kAny;
        const char* text = nullptr;
    } cases[] = {
        {"key", WM_KEYDOWN, VK_SPACE, true},
        {"system key", WM_SYSKEYDOWN, VK_MENU, true},
        {"left button", WM_LBUTTONDOWN, MK_LBUTTON, true},
        {"right button", WM_RBUTTONDOWN, MK_RBUTTON, true},
        {"middle button", WM_MBUTTONDOWN, MK_MBUTTON, true},
        {"key released", WM_KEYUP, VK_SPACE, false},
        {"activation lost", WM_ACTIVATEAPP, 0, true},
        {"activation gained", WM_ACTIVATEAPP, 1, false},
        {"power event 3", WM_POWER, 3, true},
        {"power event 2", WM_POWER, 2, false},
        {"power broadcast: suspend", WM_POWERBROADCAST, PBT_APMSUSPEND, true},
        {"power broadcast: 0", WM_POWERBROADCAST, 0, true},
        {"mouse move in place", WM_MOUSEMOVE, 0, false},
        {"cursor request", WM_SETCURSOR, 0, false, 1},
        {"next window", WM_SYSCOMMAND, SC_NEXTWINDOW, false, 0},
        {"start the screen saver", WM_SYSCOMMAND, SC_SCREENSAVE, false, 0},
        {"close command: passed on", WM_SYSCOMMAND, SC_CLOSE, true},
        {"new title", WM_SETTEXT, 0, false, 0, "Another title"},
    };
    for (int isWin9x : {0, 1}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name + Family(isWin9x));
            ResetHost(isWin9x);
            SaverRun run;
            run.Forget();
            const LRESULT answer = SendMessageA(run.window, c.message, c.wParam, reinterpret_cast<LPARAM>(c.text));
            EXPECT_TRUE(c.answer == kAny || c.answer == answer) << answer;
            std::vector<Msg> closing = {{WM_CLOSE}, {WM_DESTROY}};
            if (!c.closes) closing.clear();
            EXPECT_TRUE(SameSequence(closing, run.Await({WM_CLOSE, WM_DESTROY}, closing.size())));
            char title[64] = "";
            GetWindowTextA(run.window, title, sizeof title);
            EXPECT_STREQ(c.closes ? "" : "Screen Saver", title);
        }
    }
}

// Wine's DefWindowProcA answers SC_SCREENSAVE + 1 with its modal About
// box: a visible sign that the command went on to the platform.
TEST_F(SaverTest, ASystemCommandDifferingInItsLowBitsGoesOnToThePlatform) {
    ResetHost(0);
    SaverRun run;
    PostMessageA(run.window, WM_SYSCOMMAND, SC_SCREENSAVE + 1, 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowEnabled(run.window); }, 5000));
    PostMessageA(GetLastActivePopup(run.window), WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(PumpUntil([&] { return IsWindowEnabled(run.window); }, 5000));
}

// Steps of input, real or as messages; cursor moves count from the
// reference stored at the start.
TEST_F(SaverTest, InputEndsTheRunAtTheRightStep) {
    auto move = [](int x, int y) {
        return [x, y](HWND window) {
            SetCursorPos(x, y);
            PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        };
    };
    const struct {
        const char* name;
        std::vector<std::function<void(HWND)>> steps;
        size_t closingStep;  // 1-based; 0: the saver stays
    } cases[] = {
        {"exactly 4 pixels", {move(502, 402)}, 0},
        {"5 pixels: 3 across, 2 down", {move(503, 402)}, 1},
        {"small steps that add up", {move(501, 400), move(502, 401), move(503, 402)}, 3},
        // Each step is more than 4 from the one before, never from the reference.
        {"back and forth", {move(502, 402), move(498, 398), move(502, 402), move(496, 400), move(500, 404)}, 0},
        {"a real key", {[](HWND) { PressKey('A'); }}, 1},
        {"a real left click", {[](HWND) { mouse_event(MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP, 0, 0, 0, 0); }}, 1},
        {"a real move of 6 pixels", {[](HWND) { SetCursorPos(kStart.x + 6, kStart.y); }}, 1},
    };
    for (int isWin9x : {0, 1}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name + Family(isWin9x));
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
        }
    }
}

}  // namespace
