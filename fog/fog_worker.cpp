// FogWorker: the animation thread. Each cycle waits Delay milliseconds on
// the stop event, repaints the background when Timeout seconds have
// passed, and draws one puff through a device context taken for it alone.
#include "core/fog_cycle.h"
#include "core/random.h"
#include "fog_engine.h"
#include "fog_saver_proc.h"
#include "fog_worker.h"
#include "win32/processor_features.h"
#include "win32/scoped_handles.h"

namespace {

uint32_t seedAtCreation = 1;

// The window's own thread paints the fresh background while this call
// waits in UpdateWindow; the puff of this cycle then lands on it.
void RequestFreshBackground() {
    theFog.BackgroundPainted = 0;
    InvalidateRect(theFog.RefreshWindow, nullptr, TRUE);
    UpdateWindow(theFog.RefreshWindow);
    GdiFlush();
}

// How often a worker waiting for a fresh background looks whether it is there.
constexpr DWORD kBackgroundPollMs = 10;

// A random picture is read on another thread and arrives some time after
// the repaint was asked for: puffs wait for it, so that none lands on the
// background it replaces. False when the worker is to stop meanwhile.
bool AwaitFreshBackground() {
    while (!theFog.BackgroundPainted)
        if (WaitForSingleObject(theFog.StopEvent, kBackgroundPollMs) != WAIT_TIMEOUT) return false;
    return true;
}

void DrawOnePuff() {
    WindowDC surface(theFog.DrawWindow);
    if (!surface.get()) return;  // the window is gone (a preview whose parent closed)
    PuffPlace place;
    if (!PickPuffPlace(theFog.Ray, theFog.Width, theFog.Height, place)) return;
    if (theFog.TrueColor)
        theFog.FogPuffBuffer(surface.get(), place.x, place.y, place.radius);
    else
        theFog.FogPuffPixels(surface.get(), place.x, place.y, place.radius);
}

}  // namespace

void SetFogWorkerSeed(uint32_t tick) { seedAtCreation = tick; }

DWORD WINAPI FogWorker(LPVOID) {
    SetDoublePrecision();
    SRand(seedAtCreation);
    uint32_t lastRefresh = GetTickCount();
    // A negative Delay becomes a very long (or INFINITE) wait, which the
    // stop event still ends.
    while (WaitForSingleObject(theFog.StopEvent, static_cast<DWORD>(theFog.Delay)) == WAIT_TIMEOUT) {
        uint32_t now = GetTickCount();
        if (BackgroundRefreshDue(now, lastRefresh, theFog.Timeout)) {
            RequestFreshBackground();
            lastRefresh = now;
            if (!AwaitFreshBackground()) break;
        }
        DrawOnePuff();
    }
    return 0;
}
