// Runs the real RunSaver on a thread of the test process and records every
// message its window receives, in order, with the answer, the way Wine's
// conformance tests record a window's messages.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "host/host_state.h"
#include "test_support.h"

// Recorded where the test let the saver's queue run dry (wParam = the step).
constexpr UINT kSettledMarker = WM_USER + 0x7A0;

struct ReceivedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result;
};

// Per-program Wine settings under HKCU\Software\Wine\AppDefaults\<exe>:
// an empty subkey puts the value on the program's own key.
struct AppDefault {
    const char* subkey;
    const char* name;
    const char* value;
};
void WriteAppDefaults(const std::string& exeName, std::initializer_list<AppDefault> settings);
bool AppDefaultsInPlace(const std::string& exeName, std::initializer_list<AppDefault> settings);
// Wine reads these when a process starts: when this test program's own
// settings are not yet in place, writes them, runs the program again with
// the same command line and ends with its exit code.
void RunWithAppDefaults(std::initializer_list<AppDefault> settings);
// No window manager runs here: with Wine's windows unmanaged, hiding a
// window does not wait for one.
constexpr AppDefault kUnmanagedWindows = {"X11 Driver", "Managed", "N"};
constexpr AppDefault kWindows98 = {"", "Version", "win98"};

// Starts from the state a fresh process has, keeping the instance.
void ResetHostState(int isWin9x);

// Settings that keep the fog quiet and cheap: no background, no refresh,
// the longest pause between puffs.
void WriteQuietSettings();

class SaverRun {
public:
    // RunSaver(parent) on a thread of its own; returns once the window
    // exists (Window() is null if it never came).
    explicit SaverRun(HWND parent = nullptr);
    ~SaverRun();
    SaverRun(const SaverRun&) = delete;
    SaverRun& operator=(const SaverRun&) = delete;

    HWND Window() const { return window_; }
    DWORD ThreadId() const { return threadId_; }

    // Sends from the test's thread: the saver's thread handles it and the
    // answer comes back.
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    void Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Runs code on the saver's thread, between two of its messages.
    void OnSaverThread(const std::function<void()>& code);

    // Lets the saver handle what is queued, including what its handlers
    // post in turn: posts a marker and waits for it, `rounds` times.
    // Returns at once when the window is gone.
    void Settle(int rounds = 3);
    // Posts a marker that is recorded (wParam = step) and waits for it.
    void Mark(WPARAM step);
    // Waits until a message of this number has been received.
    bool WaitForMessage(UINT message, DWORD timeoutMs);

    // RunSaver has returned; its result is in Result().
    bool WaitForEnd(DWORD timeoutMs);
    bool Ended() const;
    int Result() const { return result_; }
    // Messages at window creation: was SPI_GETSCREENSAVERRUNNING set?
    BOOL RunningStateAtCreation() const;

    // The recorded messages whose numbers are listed (all when empty).
    std::vector<ReceivedMessage> Received(std::initializer_list<UINT> numbers = {}) const;
    void ForgetReceived();

    // Runs on the saver's thread after each recorded message has been
    // answered (for checks that must happen right then).
    static void AfterEachMessage(std::function<void(const ReceivedMessage&)> check);

private:
    static DWORD WINAPI ThreadMain(LPVOID self);
    bool WaitForMarker();
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
    HWND parent_ = nullptr;
    HWND window_ = nullptr;
    int result_ = 0xDEADBEEF;
    HHOOK creationHook_ = nullptr;
};

// Compares the recorded messages with the expected ones (number, wParam;
// lParam and the answer where the expectation gives them) and prints both
// sequences on a mismatch.
struct Expected {
    UINT message;
    WPARAM wParam;
    bool checkLParam = false;
    LPARAM lParam = 0;
    bool checkResult = false;
    LRESULT result = 0;
};
Expected Msg(UINT message, WPARAM wParam = 0);
Expected MsgAnswered(UINT message, WPARAM wParam, LRESULT result);
std::string CompareSequence(const std::vector<Expected>& expected, const std::vector<ReceivedMessage>& received);
#define EXPECT_SEQUENCE(expected, received)                                    \
    do {                                                                        \
        std::string mismatch_ = CompareSequence((expected), (received));        \
        EXPECT_TRUE(mismatch_.empty()) << mismatch_;                            \
    } while (0)

// The system's saver-running state, as any program sees it.
BOOL SaverRunningState();
void SetSaverRunningState(BOOL running);

// Real input, as the devices would deliver it.
void PressKey(WORD virtualKey);
void ClickButton(DWORD downFlag, DWORD upFlag);
