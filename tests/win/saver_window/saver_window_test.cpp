// The real saver window, run by RunSaver on a thread of this process:
// its class and place, the messages it answers itself, and the rules that
// end a full-screen run, on both platform families (the 95/98 family here
// without a password provider).
#include <windows.h>
#include <imm.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/host_state.h"
#include "host/saver_window.h"
#include "resources/resource.h"
#include "saver_harness.h"
#include "test_support.h"

namespace {

const POINT kStart = {500, 400};

struct UnmanagedWindows : ::testing::Environment {
    void SetUp() override { RunWithAppDefaults({kUnmanagedWindows}); }
};
const ::testing::Environment* const unmanagedWindows = ::testing::AddGlobalTestEnvironment(new UnmanagedWindows);

struct SaverTest : ::testing::Test {
    CleanSettingsKey cleanSettings;
    void SetUp() override {
        WriteQuietSettings();
        SetCursorPos(kStart.x, kStart.y);
        ResetHostState(0);
    }
};

std::string FamilyName(int isWin9x) { return isWin9x ? "95/98 family" : "NT family"; }

TEST_F(SaverTest, FullScreenWindowCoversTheVirtualScreenWithTheSaverClass) {
    SaverRun run;
    HWND window = run.Window();
    ASSERT_TRUE(window);

    char text[64] = "";
    GetClassNameA(window, text, sizeof text);
    EXPECT_STREQ(kSaverClassName, text);
    GetWindowTextA(window, text, sizeof text);
    EXPECT_STREQ("Screen Saver", text);
    EXPECT_EQ(0x2Bu, GetClassLongA(window, GCL_STYLE));
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(GetStockObject(BLACK_BRUSH)), GetClassLongPtrA(window, GCLP_HBRBACKGROUND));
    EXPECT_EQ(0u, GetClassLongPtrA(window, GCLP_HCURSOR));
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(LoadIconA(host.instance, MAKEINTRESOURCEA(IDI_APP))),
              GetClassLongPtrA(window, GCLP_HICON));
    EXPECT_EQ(0x96000000u, static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)));
    EXPECT_EQ(0x8u, static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)));
    EXPECT_EQ(nullptr, GetParent(window));

    RECT rect = {};
    GetWindowRect(window, &rect);
    EXPECT_EQ(GetSystemMetrics(SM_XVIRTUALSCREEN), rect.left);
    EXPECT_EQ(GetSystemMetrics(SM_YVIRTUALSCREEN), rect.top);
    EXPECT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), rect.right - rect.left);
    EXPECT_EQ(GetSystemMetrics(SM_CYVIRTUALSCREEN), rect.bottom - rect.top);

    EXPECT_EQ(window, GetForegroundWindow());
    EXPECT_EQ(0, host.isPreview);
    EXPECT_EQ(kStart.x, host.lastCursorPos.x);
    EXPECT_EQ(kStart.y, host.lastCursorPos.y);
    EXPECT_EQ(0u, host.autoPlayMessage);  // NT family

    run.Send(WM_CLOSE);
    ASSERT_TRUE(run.WaitForEnd(5000));
    EXPECT_EQ(0, run.Result());
    // The class goes with the run, so a later run can register it again.
    WNDCLASSA probe;
    EXPECT_FALSE(GetClassInfoA(host.instance, kSaverClassName, &probe));
}

struct Stimulus {
    const char* name;
    UINT message;
    WPARAM wParam;
    bool closes;
    bool checkAnswer = false;
    LRESULT answer = 0;
};

// Tells the test's own stimulus from copies the platform sends by itself
// (a mouse move when the window appears under the cursor, the cursor
// request that follows, deactivation while the window is destroyed).
constexpr LPARAM kStimulusMark = 0x5A5A;

std::vector<ReceivedMessage> WithoutPlatformCopies(std::vector<ReceivedMessage> received, UINT stimulus) {
    std::vector<ReceivedMessage> kept;
    for (const ReceivedMessage& m : received)
        if (m.message != stimulus || m.lParam == kStimulusMark) kept.push_back(m);
    return kept;
}

// What a message sent to a running full-screen saver does: the expected
// sequence is the message itself, then WM_CLOSE and WM_DESTROY if it ends
// the run.
void ExpectStimulusEffect(const Stimulus& s, int isWin9x) {
    SCOPED_TRACE(std::string(s.name) + ", " + FamilyName(isWin9x));
    ResetHostState(isWin9x);
    SaverRun run;
    ASSERT_TRUE(run.Window());
    run.ForgetReceived();
    LRESULT answer = run.Send(s.message, s.wParam, kStimulusMark);
    run.Settle();

    Expected sent = s.checkAnswer ? MsgAnswered(s.message, s.wParam, s.answer) : Msg(s.message, s.wParam);
    sent.checkLParam = true;
    sent.lParam = kStimulusMark;
    std::vector<Expected> expected = {sent};
    if (s.closes) {
        expected.push_back(Msg(WM_CLOSE));
        expected.push_back(Msg(WM_DESTROY));
    }
    EXPECT_SEQUENCE(expected, WithoutPlatformCopies(run.Received({s.message, WM_CLOSE, WM_DESTROY}), s.message));
    if (s.checkAnswer) {
        EXPECT_EQ(s.answer, answer);
    }

    if (!s.closes) {
        EXPECT_TRUE(IsWindow(run.Window()));
        run.Send(WM_CLOSE);
    }
    ASSERT_TRUE(run.WaitForEnd(5000));
    EXPECT_EQ(0, run.Result());
    EXPECT_EQ(isWin9x, host.closeGranted);  // only the 95/98 family asks VerifyPassword
}

TEST_F(SaverTest, InputActivationAndPowerEventsEndAFullScreenRun) {
    const Stimulus stimuli[] = {
        {"key", WM_KEYDOWN, VK_SPACE, true},
        {"system key", WM_SYSKEYDOWN, VK_MENU, true},
        {"left button", WM_LBUTTONDOWN, MK_LBUTTON, true},
        {"right button", WM_RBUTTONDOWN, MK_RBUTTON, true},
        {"middle button", WM_MBUTTONDOWN, MK_MBUTTON, true},
        {"activation lost", WM_ACTIVATEAPP, 0, true},
        {"activation gained", WM_ACTIVATEAPP, 1, false},
        {"power event 3", WM_POWER, 3, true},
        {"power event 1", WM_POWER, 1, false},
        {"power event 2", WM_POWER, 2, false},
        {"power broadcast: suspend", WM_POWERBROADCAST, PBT_APMSUSPEND, true},
        {"power broadcast: resume", WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, true},
        {"power broadcast: 0", WM_POWERBROADCAST, 0, true},
        {"mouse move in place", WM_MOUSEMOVE, 0, false},
        {"cursor request", WM_SETCURSOR, 0, false, true, 1},
        {"being shown", WM_SHOWWINDOW, 1, false},
        {"button released", WM_LBUTTONUP, 0, false},
        {"key released", WM_KEYUP, VK_SPACE, false},
    };
    for (int isWin9x : {0, 1})
        for (const Stimulus& s : stimuli) ExpectStimulusEffect(s, isWin9x);
}

TEST_F(SaverTest, SystemCommandsAreSwallowedOnlyWhenTheyMatchWhole) {
    const Stimulus commands[] = {
        {"next window", WM_SYSCOMMAND, SC_NEXTWINDOW, false, true, 0},
        {"previous window", WM_SYSCOMMAND, SC_PREVWINDOW, false, true, 0},
        {"start the screen saver", WM_SYSCOMMAND, SC_SCREENSAVE, false, true, 0},
        // Not swallowed: the platform's close command closes the saver.
        {"close", WM_SYSCOMMAND, SC_CLOSE, true},
    };
    for (const Stimulus& s : commands) ExpectStimulusEffect(s, 0);
}

// Wine's DefWindowProcA answers SC_SCREENSAVE + 1 with its About box, owned
// by the window: a visible sign that the command went on to the platform.
struct OwnedSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK NoteOwnedWindow(HWND candidate, LPARAM data) {
    auto* search = reinterpret_cast<OwnedSearch*>(data);
    if (GetWindow(candidate, GW_OWNER) == search->owner) search->found = candidate;
    return search->found == nullptr;
}

HWND FindWindowOwnedBy(HWND owner, DWORD threadId) {
    OwnedSearch search = {owner, nullptr};
    EnumThreadWindows(threadId, NoteOwnedWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST_F(SaverTest, ASystemCommandDifferingInItsLowBitsGoesOnToThePlatform) {
    SaverRun run;
    ASSERT_TRUE(run.Window());
    run.Post(WM_SYSCOMMAND, SC_SCREENSAVE, 0);
    run.Settle();
    EXPECT_EQ(nullptr, FindWindowOwnedBy(run.Window(), run.ThreadId()));

    run.Post(WM_SYSCOMMAND, SC_SCREENSAVE + 1, 0);
    HWND shown = nullptr;
    EXPECT_TRUE(PumpUntil([&] { return (shown = FindWindowOwnedBy(run.Window(), run.ThreadId())) != nullptr; }, 5000));
    if (shown) PostMessageA(shown, WM_COMMAND, IDOK, 0);
    run.Settle();
    // The platform's box took activation from the saver within its own
    // thread; the saver is still there.
    EXPECT_TRUE(IsWindow(run.Window()));
}

TEST_F(SaverTest, TheTitleNeverChanges) {
    SaverRun run;
    ASSERT_TRUE(run.Window());
    EXPECT_EQ(0, run.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Another title")));
    SetWindowTextA(run.Window(), "Yet another");
    char title[64] = "";
    GetWindowTextA(run.Window(), title, sizeof title);
    EXPECT_STREQ("Screen Saver", title);
    // The single-instance marker still finds it.
    EXPECT_EQ(run.Window(), FindWindowA(kSaverClassName, "Screen Saver"));
}

struct MousePath {
    const char* name;
    std::vector<POINT> steps;
    int closingStep;  // 1-based; 0: the saver stays
};

TEST_F(SaverTest, MouseMovementCountsFromTheStoredReference) {
    const MousePath paths[] = {
        {"exactly 4 pixels", {{502, 402}}, 0},
        {"5 pixels: 3 across, 2 down", {{503, 402}}, 1},
        {"5 pixels up and to the left", {{497, 398}}, 1},
        {"4 straight down", {{500, 404}}, 0},
        {"small steps that add up", {{501, 400}, {502, 401}, {503, 402}}, 3},
        // Each step is more than 4 from the one before, but never more
        // than 4 from the reference.
        {"back and forth", {{502, 402}, {498, 398}, {502, 402}, {500, 400}, {496, 400}, {500, 404}}, 0},
        {"away and back again", {{501, 401}, {500, 400}, {505, 400}}, 3},
    };
    for (int isWin9x : {0, 1}) {
        for (const MousePath& path : paths) {
            SCOPED_TRACE(std::string(path.name) + ", " + FamilyName(isWin9x));
            SetCursorPos(kStart.x, kStart.y);
            ResetHostState(isWin9x);
            SaverRun run;
            ASSERT_TRUE(run.Window());
            run.ForgetReceived();
            WPARAM step = 0;
            for (POINT p : path.steps) {
                SetCursorPos(p.x, p.y);
                run.Post(WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
                run.Settle();
                run.Mark(++step);
            }
            std::vector<Expected> expected;
            int marks = path.closingStep ? path.closingStep - 1 : static_cast<int>(path.steps.size());
            for (int i = 1; i <= marks; ++i) expected.push_back(Msg(kSettledMarker, i));
            if (path.closingStep) {
                expected.push_back(Msg(WM_CLOSE));
                expected.push_back(Msg(WM_DESTROY));
            }
            EXPECT_SEQUENCE(expected, run.Received({kSettledMarker, WM_CLOSE, WM_DESTROY}));
            if (!path.closingStep) {
                EXPECT_EQ(kStart.x, host.lastCursorPos.x);
                EXPECT_EQ(kStart.y, host.lastCursorPos.y);
                run.Send(WM_CLOSE);
            }
            EXPECT_TRUE(run.WaitForEnd(5000));
        }
    }
}

struct RealInput {
    const char* name;
    void (*act)();
    UINT arrives;
};

TEST_F(SaverTest, RealKeysButtonsAndMovementEndTheRun) {
    const RealInput inputs[] = {
        {"shift key", [] { PressKey(VK_SHIFT); }, WM_KEYDOWN},
        {"letter key", [] { PressKey('A'); }, WM_KEYDOWN},
        {"left button", [] { ClickButton(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP); }, WM_LBUTTONDOWN},
        {"right button", [] { ClickButton(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP); }, WM_RBUTTONDOWN},
        {"middle button", [] { ClickButton(MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP); }, WM_MBUTTONDOWN},
        {"the cursor moved 6 pixels", [] { SetCursorPos(kStart.x + 6, kStart.y); }, WM_MOUSEMOVE},
    };
    for (const RealInput& input : inputs) {
        SCOPED_TRACE(input.name);
        SetCursorPos(kStart.x, kStart.y);
        ResetHostState(0);
        SaverRun run;
        ASSERT_TRUE(run.Window());
        ASSERT_EQ(run.Window(), GetForegroundWindow());
        input.act();
        EXPECT_TRUE(run.WaitForMessage(input.arrives, 5000));
        ASSERT_TRUE(run.WaitForEnd(5000));
        EXPECT_EQ(0, run.Result());
        std::vector<Expected> expected = {Msg(WM_CLOSE), Msg(WM_DESTROY)};
        EXPECT_SEQUENCE(expected, run.Received({WM_CLOSE, WM_DESTROY}));
    }
}

TEST_F(SaverTest, TheCursorIsHiddenInFullScreen) {
    SaverRun run;
    ASSERT_TRUE(run.Window());
    const HCURSOR shown = LoadCursorA(nullptr, IDC_ARROW);
    HCURSOR atStart = shown, afterRequest = shown, afterPaint = shown;
    run.OnSaverThread([&] { atStart = GetCursor(); });
    run.OnSaverThread([&] { SetCursor(shown); });
    EXPECT_EQ(1, run.Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(run.Window()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    run.OnSaverThread([&] {
        afterRequest = GetCursor();
        SetCursor(shown);
        RedrawWindow(run.Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        afterPaint = GetCursor();
    });
    EXPECT_EQ(nullptr, atStart);
    EXPECT_EQ(nullptr, afterRequest);
    EXPECT_EQ(nullptr, afterPaint);
    EXPECT_FALSE(run.Received({WM_PAINT}).empty());
}

TEST_F(SaverTest, TheWindowHasNoInputContextWhileItRuns) {
    ASSERT_TRUE(GetModuleHandleA("IMM32.DLL")) << "this platform loads no input-method library";
    HIMC duringDestroy = nullptr;
    SaverRun::AfterEachMessage([&](const ReceivedMessage& m) {
        if (m.message == WM_DESTROY) duringDestroy = ImmGetContext(host.saverWindow);
    });
    SaverRun run;
    ASSERT_TRUE(run.Window());
    HIMC whileRunning = reinterpret_cast<HIMC>(0xDEADBEEF);
    run.OnSaverThread([&] { whileRunning = ImmGetContext(run.Window()); });
    EXPECT_EQ(nullptr, whileRunning);
    EXPECT_TRUE(host.savedInputContext);
    run.Send(WM_CLOSE);
    ASSERT_TRUE(run.WaitForEnd(5000));
    // Given back at WM_DESTROY, before the window goes.
    EXPECT_NE(nullptr, duringDestroy);
}

TEST_F(SaverTest, ASecondFullScreenStartShowsTheFirstAndReturnsZero) {
    SaverRun run;
    ASSERT_TRUE(run.Window());
    // Another window of the saver's own thread takes the foreground: the
    // saver keeps activation within its application and stays.
    HWND other = nullptr;
    run.OnSaverThread([&] {
        other = CreateWindowA("STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
        SetForegroundWindow(other);
    });
    run.Settle();
    ASSERT_EQ(other, GetForegroundWindow());
    ASSERT_TRUE(IsWindow(run.Window()));

    EXPECT_EQ(0, RunSaver(nullptr));
    run.Settle();  // the saver's thread takes the activation
    EXPECT_EQ(run.Window(), GetForegroundWindow());
    EXPECT_EQ(run.Window(), host.saverWindow);  // nothing new was made
    EXPECT_EQ(run.Window(), FindWindowA(kSaverClassName, "Screen Saver"));
    EXPECT_EQ(nullptr, FindWindowExA(nullptr, run.Window(), kSaverClassName, nullptr));
    run.OnSaverThread([&] { DestroyWindow(other); });
}

TEST_F(SaverTest, AFailedClassOrWindowEndsTheRunAtOnce) {
    // The class is taken already: the run cannot register it.
    WNDCLASSA taken = {};
    taken.lpfnWndProc = DefWindowProcA;
    taken.hInstance = host.instance;
    taken.lpszClassName = kSaverClassName;
    ASSERT_TRUE(RegisterClassA(&taken));
    EXPECT_EQ(kSaverWindowFailed, RunSaver(nullptr));
    EXPECT_EQ(nullptr, host.saverWindow);
    UnregisterClassA(kSaverClassName, host.instance);

    // A parent that went away between the check and the creation.
    ResetHostState(0);
    HWND parent = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 40, 30, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(parent);
    EXPECT_EQ(kSaverWindowFailed, RunSaver(parent));
    WNDCLASSA probe;
    EXPECT_FALSE(GetClassInfoA(host.instance, kSaverClassName, &probe));
}

TEST_F(SaverTest, TheAutoPlayQuestionClosesTheSaverOnThe9xFamilyEvenInPreview) {
    const UINT autoPlay = RegisterWindowMessageA("QueryCancelAutoPlay");
    HWND parent = CreateWindowA("STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 120, 90, nullptr, nullptr, nullptr, nullptr);
    for (int isWin9x : {0, 1}) {
        for (HWND previewParent : {static_cast<HWND>(nullptr), parent}) {
            SCOPED_TRACE(FamilyName(isWin9x) + (previewParent ? ", preview" : ", full screen"));
            ResetHostState(isWin9x);
            SaverRun run(previewParent);
            ASSERT_TRUE(run.Window());
            EXPECT_EQ(isWin9x ? autoPlay : 0u, host.autoPlayMessage);
            run.ForgetReceived();
            // No provider: the shell may go on with AutoPlay.
            EXPECT_EQ(0, run.Send(autoPlay));
            run.Settle();
            std::vector<Expected> expected = {MsgAnswered(autoPlay, 0, 0)};
            if (isWin9x) {
                expected.push_back(Msg(WM_CLOSE));
                expected.push_back(Msg(WM_DESTROY));
            }
            EXPECT_SEQUENCE(expected, run.Received({autoPlay, WM_CLOSE, WM_DESTROY}));
            if (!isWin9x) run.Send(WM_CLOSE);
            EXPECT_TRUE(run.WaitForEnd(5000));
        }
    }
    DestroyWindow(parent);
}

}  // namespace
