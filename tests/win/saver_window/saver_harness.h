// Runs the real RunSaver on a thread of the test process and records every
// message its window receives, in order, with the answer, the way Wine's
// conformance tests record a window's messages.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <vector>

#include "host/host_state.h"
#include "test_support.h"

// As recorded, and as expected: an expected kAny result is not compared; a
// recorded one means the message is not answered yet.
constexpr LRESULT kAny = 0x7EADBEEF;
struct Msg {
    UINT message;
    WPARAM wParam = 0;
    LRESULT result = kAny;
    LPARAM lParam = 0;
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
    BOOL runningAtCreation = 2;  // the system's saver-running state then
    // Runs on the saver's thread after each recorded message is answered.
    static std::function<void(const Msg&)> afterEach;

    void OnSaverThread(const std::function<void()>& code);
    // Lets the saver's queue run dry, including what its handlers post.
    void Settle();
    std::vector<Msg> Received(std::initializer_list<UINT> numbers) const;
    // Waits (at most 5 s) until `count` of these messages are answered,
    // then settles, so that any extra ones show too.
    std::vector<Msg> Await(std::initializer_list<UINT> numbers, size_t count);
    void Forget();
    bool Ended() const { return WaitForSingleObject(thread_, 0) == WAIT_OBJECT_0; }
    bool WaitForEnd() { return PumpUntil([this] { return Ended(); }, 5000); }
    int result = 0x7EADBEEF;

private:
    static DWORD WINAPI ThreadMain(LPVOID self);
    HWND parent_;
    HANDLE thread_;
    DWORD threadId_ = 0;
};

BOOL SaverRunningState();
void SetSaverRunningState(BOOL running);
// Real input, as the devices deliver it.
void PressKey(WORD virtualKey);
void Click(DWORD downFlag);  // the button's up flag is the next bit
