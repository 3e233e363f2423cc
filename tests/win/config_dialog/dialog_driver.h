// Drives the real dialogs as a person would: the dialog runs modal on a
// thread of its own while the test's thread clicks, types and looks.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "test_support.h"

// Waits until the dialog's thread has handled all the input so far: the
// pause lets queued input reach it, the round trips return once it waits.
inline void Settle(HWND dialog, DWORD milliseconds = 100) {
    PumpMessagesFor(milliseconds);
    SendMessageA(dialog, WM_NULL, 0, 0);
    PumpMessagesFor(20);
    SendMessageA(dialog, WM_NULL, 0, 0);
}

class DialogThread {
public:
    DialogThread(int resourceId, DLGPROC procedure) : resourceId_(resourceId), procedure_(procedure) {
        thread_ = CreateThread(nullptr, 0, Run, this, 0, &id);
    }
    ~DialogThread() {  // cancels whatever the thread still shows until it ends
        PumpUntil([this] { return EnumThreadWindows(id, CancelVisible, 0), WaitForSingleObject(thread_, 50) == 0; }, 10000);
        TerminateThread(thread_, 1);  // a hung dialog; nothing once the thread has ended
        CloseHandle(thread_);
    }
    INT_PTR WaitForEnd() {  // the end code, or -2 when it is still open
        return PumpUntil([this] { return WaitForSingleObject(thread_, 0) == WAIT_OBJECT_0; }, 10000) ? result_ : -2;
    }
    DWORD id = 0;

private:
    static BOOL CALLBACK CancelVisible(HWND window, LPARAM) {
        if (IsWindowVisible(window)) PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        return TRUE;
    }
    static DWORD WINAPI Run(void* self) {
        auto* d = static_cast<DialogThread*>(self);
        d->result_ = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(d->resourceId_), nullptr, d->procedure_, 0);
        return 0;
    }
    int resourceId_;
    DLGPROC procedure_;
    INT_PTR result_ = -2;
    HANDLE thread_;
};

// A visible dialog-class window of the thread (of any process) owned by
// `owner`, other than `except`; nullptr when none showed in time.
struct DialogSearch {
    HWND owner, except, found;
    static BOOL CALLBACK Accept(HWND window, LPARAM context) {
        auto* s = reinterpret_cast<DialogSearch*>(context);
        if (window == s->except || GetClassLongA(window, GCW_ATOM) != 0x8002 || !IsWindowVisible(window) ||
            GetWindow(window, GW_OWNER) != s->owner)
            return TRUE;
        s->found = window;
        return FALSE;
    }
};

inline HWND WaitForDialog(DWORD threadId, HWND owner = nullptr, HWND except = nullptr) {
    DialogSearch search = {owner, except, nullptr};
    PumpUntil([&] { return EnumThreadWindows(threadId, DialogSearch::Accept, reinterpret_cast<LPARAM>(&search)), search.found; },
              10000);
    return search.found;
}

inline std::string WindowText(HWND window) {  // of other processes' windows too
    char text[512] = {};
    SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

inline bool IsChecked(HWND dialog, int id) { return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }
inline bool IsEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

// Real input through the system's input queue, one event at a time: events
// too close together may reach the window as one.
inline void PressKey(WORD virtualKey, bool down) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof input);
    Sleep(15);
}

// A click as the button itself would take it, answered before this returns.
inline void ClickControl(HWND dialog, int id) {
    SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0);
    Settle(dialog);
}

// Gives the control the keyboard and taps the keys; an edit box's text is
// replaced.
inline void Type(HWND dialog, int id, const std::vector<WORD>& keys) {
    SetForegroundWindow(dialog);
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, id)), TRUE);
    Settle(dialog);
    SendDlgItemMessageA(dialog, id, EM_SETSEL, 0, -1);
    for (WORD key : keys) PressKey(key, true), PressKey(key, false);
    Settle(dialog);
}

// One dialog at a time, with no settings stored before or after the test.
struct DialogTest : ::testing::Test {
    CleanSettingsKey clean;
    std::unique_ptr<DialogThread> thread;
    HWND dialog = nullptr;

    bool Open(int resourceId, DLGPROC procedure) {
        thread = std::make_unique<DialogThread>(resourceId, procedure);
        return (dialog = WaitForDialog(thread->id)) != nullptr;
    }
    void Close(int button) {
        ClickControl(dialog, button);
        EXPECT_EQ(0, thread->WaitForEnd());
    }
};
