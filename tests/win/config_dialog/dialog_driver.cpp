#include "dialog_driver.h"

#include <algorithm>
#include <cstdio>

namespace {

bool IsDialogClass(HWND window) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    return std::string(name) == "#32770";
}

// A point in the normalised coordinates of absolute mouse input.
LONG Normalise(LONG value, int metric) { return static_cast<LONG>((value * 65535LL + 65535 / 2) / (GetSystemMetrics(metric) - 1)); }

BOOL CALLBACK CancelVisibleWindow(HWND window, LPARAM) {
    if (IsWindowVisible(window)) PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
}

struct ProcessDialogSearch {
    DWORD processId;
    const char* caption;
    HWND found;
};

BOOL CALLBACK AcceptProcessDialog(HWND window, LPARAM context) {
    auto* s = reinterpret_cast<ProcessDialogSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != s->processId || !IsDialogClass(window) || !IsWindowVisible(window) || WindowText(window) != s->caption)
        return TRUE;
    s->found = window;
    return FALSE;
}

// One event at a time, with a pause after it: events that follow one
// another too closely may reach the window as one.
void SendOne(INPUT input) {
    SendInput(1, &input, sizeof input);
    Sleep(15);
}

}  // namespace

DialogThread::DialogThread(int resourceId, DLGPROC procedure, HWND owner)
    : resourceId_(resourceId), procedure_(procedure), owner_(owner) {
    thread_ = CreateThread(nullptr, 0, Run, this, 0, &threadId_);
}

DWORD WINAPI DialogThread::Run(void* self) {
    auto* dialog = static_cast<DialogThread*>(self);
    dialog->result_ = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(dialog->resourceId_), dialog->owner_,
                                      dialog->procedure_, 0);
    return 0;
}

DialogThread::~DialogThread() {
    // Cancel every window the thread still shows (message box, nested
    // dialogs, the dialog itself) until it ends.
    for (int round = 0; round < 100 && WaitForSingleObject(thread_, 0) == WAIT_TIMEOUT; ++round) {
        EnumThreadWindows(threadId_, CancelVisibleWindow, 0);
        PumpMessagesFor(100);
    }
    if (WaitForSingleObject(thread_, 0) == WAIT_TIMEOUT) TerminateThread(thread_, 1);
    CloseHandle(thread_);
}

HWND DialogThread::WaitForDialog(DWORD timeoutMs) {
    DLGPROC procedure = procedure_;
    return WaitForThreadWindow(
        threadId_,
        [procedure](HWND window) {
            return IsDialogClass(window) && IsWindowVisible(window) &&
                   reinterpret_cast<DLGPROC>(GetWindowLongPtrA(window, DWLP_DLGPROC)) == procedure;
        },
        timeoutMs);
}

INT_PTR DialogThread::WaitForEnd(DWORD timeoutMs) {
    PumpUntil([this] { return WaitForSingleObject(thread_, 0) == WAIT_OBJECT_0; }, timeoutMs);
    return WaitForSingleObject(thread_, 0) == WAIT_OBJECT_0 ? result_ : kDialogStillOpen;
}

BOOL CALLBACK AcceptThreadWindow(HWND window, LPARAM search) {
    auto* s = reinterpret_cast<ThreadWindowSearch*>(search);
    if (!s->accept(window, s->context)) return TRUE;
    s->found = window;
    return FALSE;
}

HWND WaitForDialogOf(DWORD threadId, HWND owner, HWND except, DWORD timeoutMs) {
    return WaitForThreadWindow(
        threadId,
        [owner, except](HWND window) {
            return window != except && IsDialogClass(window) && IsWindowVisible(window) &&
                   GetWindow(window, GW_OWNER) == owner;
        },
        timeoutMs);
}

HWND WaitForProcessDialog(DWORD processId, const char* caption, DWORD timeoutMs) {
    ProcessDialogSearch search = {processId, caption, nullptr};
    PumpUntil(
        [&] {
            EnumWindows(AcceptProcessDialog, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        timeoutMs);
    return search.found;
}

std::string WindowText(HWND window) {
    char text[512] = {};
    // WM_GETTEXT rather than GetWindowText: it reaches other processes' controls too.
    SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

namespace {

BOOL CALLBACK DescribeChild(HWND window, LPARAM text) {
    char line[400], name[64] = {};
    GetClassNameA(window, name, sizeof name);
    std::snprintf(line, sizeof line, "    child %d %s [%s]%s\n", GetDlgCtrlID(window), name, WindowText(window).c_str(),
                  IsWindowVisible(window) ? "" : " hidden");
    *reinterpret_cast<std::string*>(text) += line;
    return TRUE;
}

BOOL CALLBACK DescribeTopLevel(HWND window, LPARAM text) {
    char line[400], name[64] = {};
    GetClassNameA(window, name, sizeof name);
    std::snprintf(line, sizeof line, "  window %p %s [%s] owner %p%s\n", static_cast<void*>(window), name,
                  WindowText(window).c_str(), static_cast<void*>(GetWindow(window, GW_OWNER)),
                  IsWindowVisible(window) ? "" : " hidden");
    *reinterpret_cast<std::string*>(text) += line;
    EnumChildWindows(window, DescribeChild, text);
    return TRUE;
}

}  // namespace

std::string DescribeThreadWindows(DWORD threadId) {
    std::string text;
    EnumThreadWindows(threadId, DescribeTopLevel, reinterpret_cast<LPARAM>(&text));
    return text;
}

bool IsChecked(HWND dialog, int id) { return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }

bool IsEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

void PressKey(WORD virtualKey, bool down) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendOne(input);
}

void TapKey(WORD virtualKey) {
    PressKey(virtualKey, true);
    PressKey(virtualKey, false);
}

void MoveMouseTo(POINT screen) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = Normalise(screen.x, SM_CXSCREEN);
    input.mi.dy = Normalise(screen.y, SM_CYSCREEN);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendOne(input);
}

void MouseButton(bool down) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    SendOne(input);
}

void ClickControl(HWND dialog, int id) {
    Settle(dialog, 20);
    RECT bounds = {};
    GetWindowRect(GetDlgItem(dialog, id), &bounds);
    MoveMouseTo({(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2});
    MouseButton(true);
    MouseButton(false);
    Settle(dialog);
}

void FocusControl(HWND dialog, int id) {
    SetForegroundWindow(dialog);
    // The dialog manager's own way of moving the focus, done on its thread.
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, id)), TRUE);
    Settle(dialog);
}

void Settle(HWND dialog, DWORD milliseconds) {
    // A pause lets queued input and posted messages reach the dialog's
    // thread; the round trips return once that thread waits again.
    PumpMessagesFor(milliseconds);
    SendMessageA(dialog, WM_NULL, 0, 0);
    PumpMessagesFor(20);
    SendMessageA(dialog, WM_NULL, 0, 0);
}

MessageRecorder* g_recorder = nullptr;

MessageRecorder::MessageRecorder(HWND window, std::vector<UINT> messages)
    : window_(window), messages_(std::move(messages)) {
    g_recorder = this;
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MessageRecorder::Proc)));
}

MessageRecorder::~MessageRecorder() {
    if (IsWindow(window_)) SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    g_recorder = nullptr;
}

LRESULT CALLBACK MessageRecorder::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MessageRecorder* self = g_recorder;
    if (std::find(self->messages_.begin(), self->messages_.end(), message) != self->messages_.end()) {
        std::lock_guard<std::mutex> guard(self->lock_);
        self->records_.push_back({message, wParam, lParam});
    }
    return CallWindowProcA(self->original_, window, message, wParam, lParam);
}

std::vector<MessageRecord> MessageRecorder::Take() {
    std::lock_guard<std::mutex> guard(lock_);
    std::vector<MessageRecord> taken;
    taken.swap(records_);
    return taken;
}
