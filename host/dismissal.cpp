// SaverDefaultProc: the end of the saver window's chain. A full-screen run
// ends on input, loss of activation or a power event; on the 95/98 family
// the password provider decides whether a close really closes. Then the
// shell's AutoPlay question, then DefWindowProcA.
#include <optional>

#include "core/cursor_distance.h"
#include "hidden_cursor.h"
#include "password.h"
#include "saver_effect.h"  // declares SaverDefaultProc

namespace {

using Answer = std::optional<LRESULT>;  // empty: the message goes on to the platform

// The power event that ends a run. Its number is 3, as the 95/98 family's
// power management sends it; the headers call 3 PWR_CRITICALRESUME.
constexpr WPARAM kClosingPowerEvent = 3;

void PostClose(HWND window) { PostMessageA(window, WM_CLOSE, 0, 0); }

CursorPoint ToCursorPoint(POINT point) { return CursorPoint{point.x, point.y}; }

// The distance is measured from the last stored position, not from the
// previous mouse message, so many small steps add up.
void ApplyMouseMoveRule(HWND window) {
    POINT now = host.lastCursorPos;  // a position that cannot be read counts as no movement
    GetCursorPos(&now);
    if (!MovedBeyond(ToCursorPoint(host.lastCursorPos), ToCursorPoint(now), host.mouseMoveThreshold)) return;
    PostClose(window);
    host.lastCursorPos = now;
}

// A refused close leaves the window up; the movement that led to it must
// not close it again by itself.
Answer OnClose(HWND window) {
    if (!host.isWin9x || VerifyPassword(window)) return std::nullopt;
    GetCursorPos(&host.lastCursorPos);
    return 0;
}

Answer OnVerifyRequest(HWND window) {
    if (!host.isWin9x) return std::nullopt;
    return host.verifyEntry ? static_cast<LRESULT>(host.verifyEntry(window)) : 1;
}

// Answered whatever inVerify holds: a close that arrives while the
// provider asks must be refused, not passed to the platform.
Answer ApplyPasswordRules(HWND window, UINT message) {
    // clang-format off
    switch (message) {
    case WM_CLOSE:      return OnClose(window);
    case VerifyRequest: return OnVerifyRequest(window);
    default:            return std::nullopt;
    }
    // clang-format on
}

Answer OnShowWindow(WPARAM shown) {
    if (shown) HideCursor();
    return std::nullopt;
}

Answer OnActivateApp(HWND window, WPARAM active) {
    if (!active) PostClose(window);
    return std::nullopt;
}

Answer OnSetCursor() {
    HideCursor();
    return 1;
}

Answer OnPower(HWND window, WPARAM event) {
    if (event == kClosingPowerEvent) PostClose(window);
    return std::nullopt;
}

Answer OnCloseRequestingEvent(HWND window) {
    PostClose(window);
    return std::nullopt;
}

Answer OnMouseMove(HWND window) {
    ApplyMouseMoveRule(window);
    return std::nullopt;
}

Answer ApplyDismissalRules(HWND window, UINT message, WPARAM wParam) {
    // clang-format off
    switch (message) {
    case WM_SHOWWINDOW:     return OnShowWindow(wParam);
    case WM_ACTIVATEAPP:    return OnActivateApp(window, wParam);
    case WM_SETCURSOR:      return OnSetCursor();
    case WM_POWER:          return OnPower(window, wParam);
    case WM_POWERBROADCAST:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:    return OnCloseRequestingEvent(window);
    case WM_MOUSEMOVE:      return OnMouseMove(window);
    default:                return std::nullopt;
    }
    // clang-format on
}

// Stage A: a full-screen run that may still be dismissed.
Answer ApplyFullScreenRules(HWND window, UINT message, WPARAM wParam) {
    if (Answer answer = ApplyPasswordRules(window, message)) return answer;
    if (host.inVerify) return std::nullopt;
    return ApplyDismissalRules(window, message, wParam);
}

// A nonzero answer tells the shell not to play inserted media: it is given
// only while a password guards the desktop. The saver closes either way.
LRESULT AnswerAutoPlay(HWND window) {
    PostClose(window);
    return host.verifyEntry ? 1 : 0;
}

}  // namespace

LRESULT SaverDefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!host.isPreview && !host.closeGranted) {
        if (Answer answer = ApplyFullScreenRules(window, message, wParam)) return *answer;
    }
    if (host.autoPlayMessage && message == host.autoPlayMessage) return AnswerAutoPlay(window);
    return DefWindowProcA(window, message, wParam, lParam);
}
