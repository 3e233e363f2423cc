// Drives the real dialogs as a person would: the dialog runs modal on a
// thread of its own while the test's thread clicks, types and looks.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/win/support/test_support.h"

// Waits until the dialog's thread has handled all the input so far: the
// pause lets queued input reach it, the round trips return once it waits.
inline void Settle(HWND dialog, DWORD milliseconds = 100) {
    PumpMessagesFor(milliseconds);
    SendMessageA(dialog, WM_NULL, 0, 0);
    PumpMessagesFor(20);
    SendMessageA(dialog, WM_NULL, 0, 0);
}

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
    PumpUntil(
        [&] {
            return EnumThreadWindows(threadId, DialogSearch::Accept, reinterpret_cast<LPARAM>(&search)), search.found;
        },
        10000);
    return search.found;
}

inline bool IsChecked(HWND dialog, int id) { return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }
inline bool IsEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

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
    for (WORD key : keys) TapKey(key);
    Settle(dialog);
}

// One dialog at a time, run modal on a thread of its own, with no settings
// stored before or after the test.
struct DialogTest : ::testing::Test {
    CleanSettingsKey clean;
    HANDLE thread = nullptr;
    DWORD threadId = 0;
    HWND dialog = nullptr;

    ~DialogTest() override { End(); }
    void Start(int resourceId, DLGPROC procedure) {
        End();
        resourceId_ = resourceId, procedure_ = procedure, result_ = -2;
        thread = CreateThread(nullptr, 0, Run, this, 0, &threadId);
    }
    bool Open(int resourceId, DLGPROC procedure) {
        Start(resourceId, procedure);
        return (dialog = WaitForDialog(threadId)) != nullptr;
    }
    void Close(int button) {
        ClickControl(dialog, button);
        EXPECT_TRUE(PumpUntil([this] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, 10000));
        EXPECT_EQ(0, result_);
    }

private:
    void End() {  // cancels whatever the thread still shows until it ends
        if (!thread) return;
        PumpUntil(
            [this] { return EnumThreadWindows(threadId, CancelVisible, 0), WaitForSingleObject(thread, 50) == 0; },
            10000);
        TerminateThread(thread, 1);  // a hung dialog; nothing once the thread has ended
        CloseHandle(thread);
        thread = nullptr;
    }
    static BOOL CALLBACK CancelVisible(HWND window, LPARAM) {
        if (IsWindowVisible(window)) PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        return TRUE;
    }
    static DWORD WINAPI Run(void* self) {
        auto* test = static_cast<DialogTest*>(self);
        test->result_ = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(test->resourceId_), nullptr,
                                        test->procedure_, 0);
        return 0;
    }
    int resourceId_ = 0;
    DLGPROC procedure_ = nullptr;
    INT_PTR result_ = -2;
};
