// Driving the real dialogs the way a person would: the dialog runs modal on
// a thread of its own while the test's thread clicks, types and looks.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

#include "test_support.h"

constexpr INT_PTR kDialogStillOpen = 0x5EADBEEF;

class DialogThread {
public:
    DialogThread(int resourceId, DLGPROC procedure, HWND owner = nullptr);
    ~DialogThread();  // closes whatever the thread still shows and waits for it
    DWORD threadId() const { return threadId_; }
    // The dialog once it is visible; nullptr when it did not show in time.
    HWND WaitForDialog(DWORD timeoutMs = 10000);
    // The dialog's end code, or kDialogStillOpen.
    INT_PTR WaitForEnd(DWORD timeoutMs = 10000);
    DialogThread(const DialogThread&) = delete;
    DialogThread& operator=(const DialogThread&) = delete;

private:
    static DWORD WINAPI Run(void* self);
    int resourceId_;
    DLGPROC procedure_;
    HWND owner_;
    INT_PTR result_ = kDialogStillOpen;
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
};

// A visible top-level window of the thread that `accept` takes; nullptr
// when none showed in time.
template <class Accept>
HWND WaitForThreadWindow(DWORD threadId, Accept accept, DWORD timeoutMs = 10000);
// A visible dialog-class window of the thread, owned by `owner` (nullptr:
// without owner), other than `except`.
HWND WaitForDialogOf(DWORD threadId, HWND owner, HWND except = nullptr, DWORD timeoutMs = 10000);
// A visible dialog window of another process.
HWND WaitForProcessDialog(DWORD processId, const char* caption, DWORD timeoutMs = 10000);

std::string WindowText(HWND window);
// Every window of the thread, with its children, for failure messages.
std::string DescribeThreadWindows(DWORD threadId);
bool IsChecked(HWND dialog, int id);
bool IsEnabled(HWND dialog, int id);

// Real input, as the system's input queue delivers it.
void PressKey(WORD virtualKey, bool down);
void TapKey(WORD virtualKey);
void MoveMouseTo(POINT screen);
void MouseButton(bool down);
void ClickControl(HWND dialog, int id);  // a real left click in its middle
// Gives the dialog the keyboard, as a click on its caption would.
void FocusControl(HWND dialog, int id);

// Settles: waits until the dialog's thread has handled all it was sent
// and posted so far.
void Settle(HWND dialog, DWORD milliseconds = 100);

// Records chosen messages as the dialog receives them, sent or posted.
class MessageRecorder {
public:
    MessageRecorder(HWND window, std::vector<UINT> messages);
    ~MessageRecorder();
    std::vector<MessageRecord> Take();  // what came so far; starts afresh

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_;
    WNDPROC original_;
    std::vector<UINT> messages_;
    std::mutex lock_;
    std::vector<MessageRecord> records_;
};

// ---------------------------------------------------------------- template

struct ThreadWindowSearch {
    bool (*accept)(HWND, void*);
    void* context;
    HWND found;
};
BOOL CALLBACK AcceptThreadWindow(HWND window, LPARAM search);

template <class Accept>
HWND WaitForThreadWindow(DWORD threadId, Accept accept, DWORD timeoutMs) {
    ThreadWindowSearch search = {
        [](HWND window, void* context) { return (*static_cast<Accept*>(context))(window); }, &accept, nullptr};
    PumpUntil(
        [&] {
            search.found = nullptr;
            EnumThreadWindows(threadId, AcceptThreadWindow, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        timeoutMs);
    return search.found;
}
