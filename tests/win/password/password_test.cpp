// Password protection in this process, posing as Windows 98: the switch,
// the provider's library and the saver-running state, and the question
// before a full-screen saver closes (refusal, acceptance, the 200 ms pause,
// re-entry while the provider asks).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/host_state.h"
#include "host/password.h"
#include "host/saver_window.h"
#include "password_fixture.h"
#include "saver_harness.h"

namespace {

struct SwitchCase {
    const char* name;
    DWORD type;  // REG_NONE: no value at all
    std::vector<BYTE> data;
    bool protects;
};

TEST_F(PasswordTest, TheSwitchDecidesWhetherTheProviderIsLoaded) {
    const SwitchCase cases[] = {
        {"missing", REG_NONE, {}, false},
        {"number 0", REG_DWORD, {0, 0, 0, 0}, false},
        {"number 1", REG_DWORD, {1, 0, 0, 0}, true},
        {"number 0x100", REG_DWORD, {0, 1, 0, 0}, true},
        {"4 bytes with only the high one set", REG_BINARY, {0, 0, 0, 1}, true},
        {"1 byte 1: the low byte of a zeroed number", REG_BINARY, {1}, true},
        {"2 bytes 0", REG_BINARY, {0, 0}, false},
        {"5 bytes: too long for the number", REG_BINARY, {1, 0, 0, 0, 0}, false},
    };
    for (const SwitchCase& c : cases) {
        SCOPED_TRACE(c.name);
        RemovePasswordSwitch();
        if (c.type != REG_NONE) SetPasswordSwitch(c.type, c.data.data(), static_cast<DWORD>(c.data.size()));
        const DWORD loadsBefore = ProviderRecord(kLoadsValue), freesBefore = ProviderRecord(kFreesValue);

        LoadPasswordProvider();
        EXPECT_EQ(c.protects, host.passwordLibrary != nullptr);
        EXPECT_EQ(c.protects, host.verifyEntry != nullptr);
        EXPECT_EQ(c.protects ? TRUE : FALSE, SaverRunningState());
        EXPECT_EQ(loadsBefore + (c.protects ? 1 : 0), ProviderRecord(kLoadsValue));

        UnloadPasswordProvider();
        EXPECT_EQ(nullptr, host.passwordLibrary);
        EXPECT_EQ(nullptr, host.verifyEntry);
        EXPECT_EQ(FALSE, SaverRunningState());
        EXPECT_EQ(freesBefore + (c.protects ? 1 : 0), ProviderRecord(kFreesValue));
    }
    EXPECT_EQ(0u, ProviderRecord(kCallsValue));
}

TEST_F(PasswordTest, LoadingAgainFreesTheLibraryFirst) {
    SetPasswordSwitch(1);
    LoadPasswordProvider();
    LoadPasswordProvider();
    EXPECT_EQ(2u, ProviderRecord(kLoadsValue));
    EXPECT_EQ(1u, ProviderRecord(kFreesValue));
    EXPECT_EQ(TRUE, SaverRunningState());
    UnloadPasswordProvider();
    EXPECT_EQ(2u, ProviderRecord(kFreesValue));
}

TEST_F(PasswordTest, OutsideThe9xFamilyNothingIsLoadedOrSet) {
    SetPasswordSwitch(1);
    host.isWin9x = 0;
    LoadPasswordProvider();
    EXPECT_EQ(nullptr, host.passwordLibrary);
    EXPECT_EQ(0u, ProviderRecord(kLoadsValue));
    SetSaverRunning(1);
    EXPECT_EQ(FALSE, SaverRunningState());
    EXPECT_EQ(1, VerifyPassword(nullptr));  // no provider: the close is granted
}

TEST_F(PasswordTest, WithoutProtectionTheFirstCloseIsGranted) {
    SaverRun run;
    ASSERT_TRUE(run.Window());
    EXPECT_EQ(FALSE, run.RunningStateAtCreation());
    run.ForgetReceived();
    run.Send(WM_KEYDOWN, VK_SPACE);
    ASSERT_TRUE(run.WaitForEnd(5000));
    EXPECT_EQ(1, host.closeGranted);
    EXPECT_EQ(0, run.Result());
    std::vector<Expected> expected = {Msg(WM_CLOSE), Msg(WM_DESTROY)};
    EXPECT_SEQUENCE(expected, run.Received({WM_CLOSE, VerifyRequest, WM_DESTROY}));
    EXPECT_EQ(FALSE, SaverRunningState());
}

TEST_F(PasswordTest, ARefusedCloseKeepsTheSaverAndTheNextAcceptedOneEndsIt) {
    SetPasswordSwitch(1);
    WriteRecordNumber(kProviderRecordKey, kAnswerValue, 0);
    UseClock({1000});
    BOOL runningAtDestroy = 0xDEADBEEF;
    SaverRun::AfterEachMessage([&](const ReceivedMessage& m) {
        if (m.message == WM_DESTROY) runningAtDestroy = SaverRunningState();
    });
    SaverRun run;
    ASSERT_TRUE(run.Window());
    EXPECT_EQ(TRUE, run.RunningStateAtCreation());  // set before the window existed

    // A movement closes; the provider refuses.
    run.ForgetReceived();
    SetCursorPos(510, 400);
    run.Post(WM_MOUSEMOVE);
    run.Settle();
    std::vector<Expected> refused = {MsgAnswered(WM_CLOSE, 0, 0), MsgAnswered(VerifyRequest, 0, 0)};
    EXPECT_SEQUENCE(refused, run.Received({WM_CLOSE, VerifyRequest, WM_DESTROY}));
    EXPECT_EQ(1u, ProviderRecord(kCallsValue));
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(run.Window()), ProviderRecord(kOwnerValue));
    EXPECT_EQ(1u, ProviderRecord(kRunningWhenAskedValue));
    EXPECT_EQ(0, host.closeGranted);
    EXPECT_EQ(0, host.inVerify);
    EXPECT_EQ(1000u, host.lastVerifyTick);
    // The provider showed the cursor; the saver hides it again.
    HCURSOR cursor = LoadCursorA(nullptr, IDC_ARROW);
    run.OnSaverThread([&] { cursor = GetCursor(); });
    EXPECT_EQ(nullptr, cursor);

    // The reference moved with the refusal: standing still closes nothing.
    EXPECT_EQ(510, host.lastCursorPos.x);
    run.ForgetReceived();
    run.Post(WM_MOUSEMOVE);
    run.Settle();
    EXPECT_TRUE(run.Received({WM_CLOSE}).empty());

    // Later a key, and the provider accepts.
    WriteRecordNumber(kProviderRecordKey, kAnswerValue, 1);
    UseClock({1200});
    run.ForgetReceived();
    run.Post(WM_KEYDOWN, 'A');
    ASSERT_TRUE(run.WaitForEnd(5000));
    std::vector<Expected> accepted = {MsgAnswered(VerifyRequest, 0, 1), Msg(WM_DESTROY)};
    EXPECT_SEQUENCE(accepted, run.Received({VerifyRequest, WM_DESTROY}));
    EXPECT_EQ(2u, ProviderRecord(kCallsValue));
    EXPECT_EQ(1, host.closeGranted);
    EXPECT_EQ(0, run.Result());
    // Cleared only after the message loop, and the library freed.
    EXPECT_EQ(TRUE, runningAtDestroy);
    EXPECT_EQ(FALSE, SaverRunningState());
    EXPECT_EQ(1u, ProviderRecord(kFreesValue));
    EXPECT_EQ(nullptr, host.passwordLibrary);
}

struct PauseCase {
    const char* name;
    DWORD questionStarts, questionEnds, nextClose;
    bool asksAgain;
};

TEST_F(PasswordTest, AfterARefusalTheProviderRestsFor200Milliseconds) {
    const PauseCase cases[] = {
        {"199 ms after the question ended", 1000, 1300, 1499, false},
        {"200 ms after the question ended", 1000, 1300, 1500, true},
        {"at once", 1000, 1300, 1300, false},
        {"long after", 1000, 1300, 90000, true},
        {"199 ms across the wrap of the tick count", 0xFFFFFF00, 0xFFFFFF38, 0xFFFFFF38 + 199, false},
        {"200 ms across the wrap of the tick count", 0xFFFFFF00, 0xFFFFFF38, 0xFFFFFF38 + 200, true},
    };
    SetPasswordSwitch(1);
    WriteRecordNumber(kProviderRecordKey, kAnswerValue, 0);
    for (const PauseCase& c : cases) {
        SCOPED_TRACE(c.name);
        ResetHostState(1);
        WriteRecordNumber(kProviderRecordKey, kCallsValue, 0);
        UseClock({c.questionStarts, c.questionEnds, c.nextClose});
        SaverRun run;
        ASSERT_TRUE(run.Window());
        run.ForgetReceived();
        // The first close of a run always asks.
        EXPECT_EQ(0, run.Send(WM_CLOSE));
        EXPECT_EQ(c.questionEnds, host.lastVerifyTick);
        EXPECT_EQ(0, run.Send(WM_CLOSE));
        EXPECT_EQ(c.asksAgain ? 2u : 1u, ProviderRecord(kCallsValue));
        std::vector<Expected> expected = {MsgAnswered(WM_CLOSE, 0, 0), MsgAnswered(VerifyRequest, 0, 0),
                                          MsgAnswered(WM_CLOSE, 0, 0)};
        if (c.asksAgain) expected.push_back(MsgAnswered(VerifyRequest, 0, 0));
        EXPECT_SEQUENCE(expected, run.Received({WM_CLOSE, VerifyRequest}));
        EXPECT_TRUE(IsWindow(run.Window()));
    }
}

TEST_F(PasswordTest, MessagesDispatchedWhileTheProviderAsksNeitherCloseNorAskAgain) {
    SetPasswordSwitch(1);
    WriteRecordNumber(kProviderRecordKey, kAnswerValue, 0);
    WriteRecordNumber(kProviderRecordKey, kPumpMsValue, 300);
    UseClock({1000});
    SaverRun run;
    ASSERT_TRUE(run.Window());
    run.ForgetReceived();
    // Queued on the saver's own thread, then a close: the provider's loop
    // dispatches what the two timer removals leave.
    auto closeWithQueuedMessages = [&run] {
        HWND window = run.Window();
        for (WPARAM timer : {1, 2, 3}) PostMessageA(window, WM_TIMER, timer, 0);
        PostMessageA(window, WM_KEYDOWN, 'A', 0);
        PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        PostMessageA(window, WM_CLOSE, 0, 0);
        SendMessageA(window, WM_CLOSE, 0, 0);
    };
    run.OnSaverThread(closeWithQueuedMessages);
    run.Settle();
    const std::initializer_list<UINT> watched = {WM_TIMER, WM_KEYDOWN, WM_LBUTTONDOWN, WM_CLOSE, VerifyRequest};
    std::vector<Expected> refused = {MsgAnswered(WM_CLOSE, 0, 0), MsgAnswered(VerifyRequest, 0, 0),
                                     Msg(WM_TIMER, 3),           Msg(WM_KEYDOWN, 'A'),
                                     Msg(WM_LBUTTONDOWN, MK_LBUTTON), MsgAnswered(WM_CLOSE, 0, 0)};
    EXPECT_SEQUENCE(refused, run.Received(watched));
    EXPECT_EQ(1u, ProviderRecord(kCallsValue));
    EXPECT_TRUE(IsWindow(run.Window()));

    // The same while the provider accepts: the inner close is refused, the
    // outer one ends the run.
    WriteRecordNumber(kProviderRecordKey, kAnswerValue, 1);
    UseClock({5000});
    run.ForgetReceived();
    run.OnSaverThread(closeWithQueuedMessages);
    ASSERT_TRUE(run.WaitForEnd(5000));
    std::vector<Expected> accepted = {MsgAnswered(WM_CLOSE, 0, 0), MsgAnswered(VerifyRequest, 0, 1),
                                      Msg(WM_TIMER, 3),           Msg(WM_KEYDOWN, 'A'),
                                      Msg(WM_LBUTTONDOWN, MK_LBUTTON), MsgAnswered(WM_CLOSE, 0, 0)};
    EXPECT_SEQUENCE(accepted, run.Received(watched));
    EXPECT_EQ(2u, ProviderRecord(kCallsValue));
    EXPECT_EQ(0, run.Result());
}

TEST_F(PasswordTest, TheAutoPlayQuestionIsCancelledWhileAPasswordGuards) {
    SetPasswordSwitch(1);
    WriteRecordNumber(kProviderRecordKey, kAnswerValue, 0);
    UseClock({1000});
    SaverRun run;
    ASSERT_TRUE(run.Window());
    const UINT autoPlay = RegisterWindowMessageA("QueryCancelAutoPlay");
    run.ForgetReceived();
    EXPECT_EQ(1, run.Send(autoPlay));
    run.Settle();
    std::vector<Expected> expected = {MsgAnswered(autoPlay, 0, 1), MsgAnswered(WM_CLOSE, 0, 0),
                                      MsgAnswered(VerifyRequest, 0, 0)};
    EXPECT_SEQUENCE(expected, run.Received({autoPlay, WM_CLOSE, VerifyRequest}));
}

TEST_F(PasswordTest, APreviewNeverAsks) {
    SetPasswordSwitch(1);
    HWND parent = CreateWindowA("STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 120, 90, nullptr, nullptr, nullptr, nullptr);
    SaverRun run(parent);
    ASSERT_TRUE(run.Window());
    EXPECT_EQ(0u, ProviderRecord(kLoadsValue));
    EXPECT_EQ(FALSE, SaverRunningState());
    // Closed directly (stage B hands it to the platform).
    run.Send(WM_CLOSE);
    EXPECT_TRUE(run.WaitForEnd(5000));
    EXPECT_EQ(0u, ProviderRecord(kCallsValue));
    EXPECT_EQ(0, host.closeGranted);
    DestroyWindow(parent);
}

}  // namespace
