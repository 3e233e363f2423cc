// The saver window: its class, its place (the whole virtual screen, or a
// parent's client area for a preview), the message loop, and the messages
// the window answers itself before the fog sees them.
#include "saver_window.h"

#include "hidden_cursor.h"
#include "password.h"
#include "resources/resource.h"
#include "saver_effect.h"
#include "win32/library_entry.h"
#include "win32/monitors.h"

namespace {

constexpr UINT kSaverClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
constexpr DWORD kFullScreenStyle = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD kFullScreenExStyle = WS_EX_TOPMOST;
constexpr DWORD kPreviewStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
constexpr char kAutoPlayMessageName[] = "QueryCancelAutoPlay";
constexpr char kImmLibrary[] = "IMM32.DLL";
constexpr char kImmAssociateExport[] = "ImmAssociateContext";

struct SaverPlacement {
    HWND parent;
    DWORD exStyle;
    DWORD style;
    const char* title;
    RECT rect;  // left, top, right, bottom in the parent's (or the screen's) coordinates
};

SaverPlacement FullScreenPlacement() {
    return SaverPlacement{nullptr, kFullScreenExStyle, kFullScreenStyle, kFullScreenTitle, VirtualScreen()};
}

SaverPlacement PreviewPlacement(HWND parent) {
    RECT client = {0, 0, 0, 0};
    GetClientRect(parent, &client);
    return SaverPlacement{parent, 0, kPreviewStyle, kPreviewTitle, RECT{0, 0, client.right, client.bottom}};
}

// Only one full-screen saver at a time: a second start shows the first.
bool BringRunningSaverForward() {
    HWND running = FindWindowA(kSaverClassName, kFullScreenTitle);
    if (!running || !IsWindow(running)) return false;
    SetForegroundWindow(running);
    return true;
}

WNDCLASSA SaverClass() {
    WNDCLASSA saverClass = {};
    saverClass.style = kSaverClassStyle;
    saverClass.lpfnWndProc = SaverWindowProc;
    saverClass.hInstance = host.instance;
    saverClass.hIcon = LoadIconA(host.instance, MAKEINTRESOURCEA(IDI_APP));
    saverClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    saverClass.lpszClassName = kSaverClassName;
    return saverClass;
}

HWND CreateSaverWindow(const SaverPlacement& place) {
    const RECT& r = place.rect;
    return CreateWindowExA(place.exStyle, kSaverClassName, place.title, place.style, r.left, r.top, r.right - r.left,
                           r.bottom - r.top, place.parent, nullptr, host.instance, nullptr);
}

UINT AutoPlayMessageNumber() { return host.isWin9x ? RegisterWindowMessageA(kAutoPlayMessageName) : 0; }

// How often the loop looks whether its window and a preview's parent are
// still there. Under Wine a parent taken away with its thread or process
// takes a child of another thread with it without sending it WM_DESTROY;
// without a look the run would never end. Four looks a second cost a
// full-screen run nothing it would notice.
constexpr DWORD kOrphanCheckMs = 250;

bool RunIsOrphaned(HWND window, HWND parent) { return !IsWindow(window) || (parent && !IsWindow(parent)); }

// Ends the run through the close path, so that the worker stops as at any
// close. Nobody is left to be asked for a password; a window that still
// exists is destroyed by the close.
void EndOrphanedRun(HWND window) {
    host.closeGranted = 1;
    SaverWindowProc(window, WM_CLOSE, 0, 0);
}

int RunMessageLoop(HWND window, HWND parent) {
    DWORD lastCheck = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (GetTickCount() - lastCheck >= kOrphanCheckMs) {
            lastCheck = GetTickCount();
            if (RunIsOrphaned(window, parent)) {
                EndOrphanedRun(window);
                return 0;
            }
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kOrphanCheckMs, QS_ALLINPUT);
    }
}

// Runs the window until it is destroyed; the quit message's wParam, or
// kSaverWindowFailed when the class or the window cannot be made.
int RunSaverWindow(const SaverPlacement& place) {
    WNDCLASSA saverClass = SaverClass();
    if (!RegisterClassA(&saverClass)) return kSaverWindowFailed;
    host.saverWindow = CreateSaverWindow(place);
    int result = kSaverWindowFailed;
    if (host.saverWindow) {
        if (!host.isPreview) SetForegroundWindow(host.saverWindow);
        result = RunMessageLoop(host.saverWindow, place.parent);
    }
    UnregisterClassA(kSaverClassName, host.instance);
    return result;
}

void HideCursorInFullScreen() {
    if (!host.isPreview) HideCursor();
}

// The saver takes no typing: an input method's window would show over it.
void DetachInputContext(HWND window) {
    host.immLibrary = GetModuleHandleA(kImmLibrary);  // never loaded here, only used when present
    if (!host.immLibrary) return;
    host.immAssociateEntry = LibraryEntry<ImmAssociateContextProc>(host.immLibrary, kImmAssociateExport);
    if (!host.immAssociateEntry) return;
    host.savedInputContext = host.immAssociateEntry(window, nullptr);
}

void GiveBackInputContext(HWND window) {
    if (!host.immLibrary || !host.immAssociateEntry || !host.savedInputContext) return;
    host.immAssociateEntry(window, host.savedInputContext);
    host.savedInputContext = nullptr;
}

LRESULT OnCreate(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DetachInputContext(window);
    GetCursorPos(&host.lastCursorPos);
    HideCursorInFullScreen();
    return FogSaverProc(window, message, wParam, lParam);
}

LRESULT OnDestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    GiveBackInputContext(window);
    PostQuitMessage(0);
    return FogSaverProc(window, message, wParam, lParam);
}

LRESULT OnPaint(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (host.closeGranted) return DefWindowProcA(window, message, wParam, lParam);
    HideCursorInFullScreen();
    return FogSaverProc(window, message, wParam, lParam);
}

// How long a preview waits for its parent to take a help request.
constexpr UINT kParentHelpTimeoutMs = 2000;

// WM_HELP carries a pointer, which the platform refuses to post: it is
// sent (and marshalled to the parent's process), with a limit so that a
// hung settings page cannot stop the preview.
void ForwardToParent(HWND parent, UINT message, LPARAM lParam) {
    const WPARAM parentHandle = reinterpret_cast<WPARAM>(parent);
    if (message != WM_HELP) {
        PostMessageA(parent, message, parentHandle, lParam);
        return;
    }
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(parent, message, parentHandle, lParam, SMTO_ABORTIFHUNG, kParentHelpTimeoutMs, &ignored);
}

// A preview sits inside the system's settings page: help and the context
// menu belong to that page, which learns of them as if they were its own.
LRESULT OnHelpOrContextMenu(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!host.isPreview) return FogSaverProc(window, message, wParam, lParam);
    HWND parent = GetParent(window);
    if (parent && IsWindow(parent)) ForwardToParent(parent, message, lParam);
    return 1;
}

// Once the close is granted, input only has to reach the platform.
LRESULT OnInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (host.closeGranted) return DefWindowProcA(window, message, wParam, lParam);
    return FogSaverProc(window, message, wParam, lParam);
}

// Switching tasks or starting another saver over this one is swallowed.
// The command is compared whole: a value with other low bits is some
// other command and is passed on.
bool IsSwallowedCommand(WPARAM command) {
    return command == SC_NEXTWINDOW || command == SC_PREVWINDOW || command == SC_SCREENSAVE;
}

LRESULT OnSysCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!host.isPreview && IsSwallowedCommand(wParam)) return 0;
    return FogSaverProc(window, message, wParam, lParam);
}

LRESULT OnTimer(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (host.closeGranted) return 0;
    Sleep(0);  // leave the rest of the time slice to the fog's worker
    return FogSaverProc(window, message, wParam, lParam);
}

}  // namespace

int RunSaver(HWND parent) {
    SaverPlacement place;
    if (parent) {
        place = PreviewPlacement(parent);
        host.isPreview = 1;
    } else {
        place = FullScreenPlacement();
        if (BringRunningSaverForward()) return 0;
        LoadPasswordProvider();
    }
    host.autoPlayMessage = AutoPlayMessageNumber();
    int result = RunSaverWindow(place);
    UnloadPasswordProvider();
    return result;
}

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // clang-format off
    switch (message) {
    case WM_CREATE:      return OnCreate(window, message, wParam, lParam);
    case WM_DESTROY:     return OnDestroy(window, message, wParam, lParam);
    case WM_SETTEXT:     return 0;  // the title is the single-instance marker; it never changes
    case WM_PAINT:       return OnPaint(window, message, wParam, lParam);
    case WM_HELP:
    case WM_CONTEXTMENU: return OnHelpOrContextMenu(window, message, wParam, lParam);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: return OnInput(window, message, wParam, lParam);
    case WM_SYSCOMMAND:  return OnSysCommand(window, message, wParam, lParam);
    case WM_TIMER:       return OnTimer(window, message, wParam, lParam);
    default:             return FogSaverProc(window, message, wParam, lParam);
    }
    // clang-format on
}
