// FogSaverProc: the fog's part of the saver window's message chain. It
// loads the settings and prepares the worker at creation, paints the first
// background and lets the worker run at the first erase request, and stops
// the worker at the close request. A random picture is read on a thread of
// its own and painted when it arrives. Everything else goes on unchanged.
#include "host/saver_effect.h"  // declares FogSaverProc

#include <objbase.h>

#include "backgrounds.h"
#include "core/random.h"
#include "core/settings_values.h"
#include "fog_engine.h"
#include "fog_worker.h"
#include "picture_preparer.h"
#include "win32/display_power.h"
#include "win32/scoped_handles.h"

namespace {

constexpr SIZE_T kWorkerStackSize = 2048;

// Set while a background is being painted. Mode 0 hides the window and
// shows it again, which asks for another erase; the flag below alone would
// not keep that one from painting, because the worker may clear it
// meanwhile: a refresh begun while the window is hidden does not wait.
bool paintingBackground = false;

// Set while a close waits for the worker: a close sent meanwhile (the wait
// serves sent messages) must not stop or close the same handles again.
bool stoppingWorker = false;

LRESULT OnCreate(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CoInitialize(nullptr);                                   // stays for the process: the picture loader needs it
    if (theFog.LoadSettings(window, window) != 0) return 0;  // no worker: the background stays unfogged
    // Every thread has a generator of its own: the worker seeds its own
    // from the same tick when it starts, so each run fogs differently.
    const uint32_t tick = GetTickCount();
    SRand(tick);
    SetFogWorkerSeed(tick);
    SetDisplayOn(true);
    WatchDisplayPower(window);
    theFog.StopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD unusedThreadId;  // the 95 family fails a creation that has nowhere to put it
    theFog.WorkerThread =
        CreateThread(nullptr, kWorkerStackSize, FogWorker, nullptr, CREATE_SUSPENDED, &unusedThreadId);
    return SaverDefaultProc(window, message, wParam, lParam);
}

// A picture can take seconds to decode: an erase that finds none read yet
// has it read elsewhere and paints nothing, so that input goes on being
// answered; the background counts as painted, and the fog may start, only
// once the picture is on the screen.
bool PicturesStillToCome(HWND window) {
    if (theFog.BackgroundMode != RandomImage) return false;
    if (!PreparingPictures()) return StartPreparingPictures(window);  // without a thread: read here and now
    return !PreparedPicturesReady();
}

LRESULT OnEraseBackground(HWND window, HDC surface) {
    if (theFog.BackgroundPainted || paintingBackground) return 0;  // keep the fog drawn so far
    if (PicturesStillToCome(window)) return 0;
    theFog.BackgroundPainted = 1;
    paintingBackground = true;
    PaintBackground(window, surface);
    paintingBackground = false;
    // A refresh that the worker asked for meanwhile (mode 0 steps aside for
    // seconds) is met by the background just painted.
    theFog.BackgroundPainted = 1;
    if (theFog.WorkerThread) ResumeThread(theFog.WorkerThread);
    return 0;
}

// Painted at once rather than through an invalidation: a hidden window or
// a preview would never be asked to paint, and the fog would never start.
LRESULT OnPicturesReady(HWND window) {
    WindowDC surface(window);
    if (surface.get()) OnEraseBackground(window, surface.get());
    return 0;
}

// Waits for the worker to end while serving messages sent to this thread.
// A worker that has just begun a refresh waits in UpdateWindow for this
// thread to paint; without serving that request the two would wait on
// each other for ever.
void WaitServingSentMessages(HANDLE worker) {
    for (;;) {
        MSG pending;  // serves what was sent, removes nothing posted
        PeekMessageA(&pending, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        DWORD woken = MsgWaitForMultipleObjects(1, &worker, FALSE, INFINITE, QS_SENDMESSAGE);
        if (woken != WAIT_OBJECT_0 + 1) return;  // ended, or the handle cannot be waited on
    }
}

void StopWorker() {
    if (theFog.StopEvent) SetEvent(theFog.StopEvent);
    if (theFog.WorkerThread) {
        // A worker never let run (closed before the first erase) must run
        // now, to find the event signalled at its first wait and end.
        ResumeThread(theFog.WorkerThread);
        WaitServingSentMessages(theFog.WorkerThread);
    }
    if (theFog.StopEvent) CloseHandle(theFog.StopEvent);
    if (theFog.WorkerThread) CloseHandle(theFog.WorkerThread);
    theFog.StopEvent = nullptr;
    theFog.WorkerThread = nullptr;
}

// A picture still being read is dropped: its thread ends by itself.
LRESULT OnDestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    AbandonPreparedPictures();
    StopWatchingDisplayPower();
    return SaverDefaultProc(window, message, wParam, lParam);
}

// The display's own notifications, which the window asked for, pause and
// resume the fog and end nothing; every other power event goes on to the
// dismissal rules.
LRESULT OnPowerBroadcast(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    bool on = true;
    if (!ReadDisplayPower(wParam, lParam, on)) return SaverDefaultProc(window, message, wParam, lParam);
    SetDisplayOn(on);
    return TRUE;
}

LRESULT OnClose(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (stoppingWorker) return 0;  // the close under way passes the request on
    stoppingWorker = true;
    StopWorker();
    stoppingWorker = false;
    return SaverDefaultProc(window, message, wParam, lParam);
}

}  // namespace

LRESULT FogSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // clang-format off
    switch (message) {
    case WM_CREATE:     return OnCreate(window, message, wParam, lParam);
    case WM_ERASEBKGND: return OnEraseBackground(window, reinterpret_cast<HDC>(wParam));
    case WM_CLOSE:      return OnClose(window, message, wParam, lParam);
    case WM_DESTROY:    return OnDestroy(window, message, wParam, lParam);
    case WM_POWERBROADCAST: return OnPowerBroadcast(window, message, wParam, lParam);
    case kPicturesReadyMessage: return OnPicturesReady(window);
    default:            return SaverDefaultProc(window, message, wParam, lParam);
    }
    // clang-format on
}
