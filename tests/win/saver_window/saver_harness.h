// Runs the real RunSaver on a thread of the test process and records every
// message its window receives, in order, with the answer, the way Wine's
// conformance tests record a window's messages.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <vector>

#include "host/saver_effect.h"
#include "tests/win/support/test_support.h"

// An expected result kAny is not compared; a recorded one is not answered
// yet. `running`: the system's saver-running state as the message came.
constexpr LRESULT kAny = 0x7EADBEEF;
struct Msg {
    UINT message;
    WPARAM wParam = 0;
    LRESULT result = kAny;
    BOOL running = 2;
};
::testing::AssertionResult SameSequence(const std::vector<Msg>& expected, const std::vector<Msg>& received);

// A fresh process's host state, quiet fog settings (no background, the
// longest pause) and the cursor at kStart.
constexpr POINT kStart = {500, 400};
void ResetHost(int isWin9x);

class SaverRun {
public:
    explicit SaverRun(HWND parent = nullptr);  // returns once the window exists
    ~SaverRun();
    HWND window = nullptr;

    // Lets the saver's queue run dry, including what its handlers post.
    void Settle();
    std::vector<Msg> Received(std::initializer_list<UINT> numbers) const;
    // Waits (at most 5 s) until `count` of these messages are answered,
    // then settles, so that any extra ones show too.
    std::vector<Msg> Await(std::initializer_list<UINT> numbers, size_t count);
    void Forget();
    // Runs the action on the saver's thread, inside its message loop.
    void RunHere(const std::function<void()>& action);
    bool Ended() const { return WaitForSingleObject(thread_, 0) == WAIT_OBJECT_0; }
    bool WaitForEnd() {
        return PumpUntil([this] { return Ended(); }, 5000);
    }

private:
    static DWORD WINAPI ThreadMain(LPVOID self);
    HWND parent_;
    HANDLE thread_;
    DWORD threadId_ = 0;
};

BOOL SaverRunningState();
