// FogWorker: the animation thread. It sleeps on the stop event until the
// next puffs are due at the fog's pace (and no sooner than Delay), repaints
// the background when Timeout seconds have passed, draws the puffs due
// each through a device context taken for it alone, and rests while the
// display is off.
#include "fog_worker.h"

#include <algorithm>

#include "core/fog_cycle.h"
#include "core/fog_pace.h"
#include "core/random.h"
#include "fog_engine.h"
#include "win32/processor_features.h"
#include "win32/scoped_handles.h"

namespace {

uint32_t seedAtCreation = 1;
HANDLE displayOn = nullptr;  // manual reset; signalled while the display is on
volatile LONG puffsDrawn = 0;

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

// Rests while the display is off. False when the worker is to stop.
bool AwaitDisplay() {
    if (!displayOn || WaitForSingleObject(displayOn, 0) == WAIT_OBJECT_0) return true;
    HANDLE either[2] = {theFog.StopEvent, displayOn};
    return WaitForMultipleObjects(2, either, FALSE, INFINITE) == WAIT_OBJECT_0 + 1;
}

bool StopRequested() { return WaitForSingleObject(theFog.StopEvent, 0) != WAIT_TIMEOUT; }

uint64_t CurrentPaceArea() { return PaceArea(theFog.Width, theFog.Height, theFog.Ray); }

// The pace's wait, cut short when a refresh falls due meanwhile: a slow
// pace (a small window) must not make the refresh late.
DWORD NextWaitMs(const FogPace& pace, uint32_t lastRefresh) {
    const uint32_t refresh = MsUntilRefreshDue(GetTickCount(), lastRefresh, theFog.Timeout);
    return std::min(pace.NextWaitMs(theFog.Delay, CurrentPaceArea()), refresh);
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
    InterlockedIncrement(&puffsDrawn);
}

// The puffs due since the last wake-up, drawn together: a pace faster than
// the system's timer ticks is kept without waking more often. With a Delay,
// one puff per wait, as ever.
void DrawDuePuffs(FogPace& pace) {
    pace.Advance(GetTickCount(), CurrentPaceArea());
    for (uint32_t due = pace.TakeDue(theFog.Delay); due > 0 && !StopRequested(); --due) DrawOnePuff();
}

}  // namespace

void SetFogWorkerSeed(uint32_t tick) { seedAtCreation = tick; }

void SetDisplayOn(bool on) {
    if (!displayOn) displayOn = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    if (displayOn) on ? SetEvent(displayOn) : ResetEvent(displayOn);
}

uint32_t PuffsDrawn() { return static_cast<uint32_t>(puffsDrawn); }

DWORD WINAPI FogWorker(LPVOID) {
    SetDoublePrecision();
    SRand(seedAtCreation);
    uint32_t lastRefresh = GetTickCount();
    FogPace pace(lastRefresh);
    // A very long wait (a negative Delay) still ends with the stop event.
    while (WaitForSingleObject(theFog.StopEvent, NextWaitMs(pace, lastRefresh)) == WAIT_TIMEOUT) {
        const uint32_t now = GetTickCount();
        if (BackgroundRefreshDue(now, lastRefresh, theFog.Timeout)) {
            RequestFreshBackground();
            lastRefresh = now;
            if (!AwaitFreshBackground()) break;
        }
        if (!AwaitDisplay()) break;
        // Time spent refreshing or in the dark is not made up in a burst.
        if (GetTickCount() - now > kLongestCatchUpMs) pace.Restart(GetTickCount());
        DrawDuePuffs(pace);
    }
    return 0;
}
