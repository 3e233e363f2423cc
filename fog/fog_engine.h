// FogEngine: the one object of the fog effect. It holds the seven user
// settings, what drawing needs to know of the display, and the handles
// through which the saver procedure and the animation worker meet.
// Exactly one instance exists (theFog), constructed before the program's
// entry runs.
#pragma once

#include <windows.h>

#include <cstdint>

#include "core/fog_buffer.h"

class FogEngine {
public:
    virtual ~FogEngine();  // releases nothing: the saver procedure closes the handles

    // Fills the settings from HKCU\SOFTWARE\Zorv and measures the display.
    // Returns 0 or the registry error of the step that failed; every field
    // holds a usable value either way.
    LONG LoadSettings(HWND refreshWindow, HWND drawWindow);
    // Writes the seven settings back. 0 or the failing step's error.
    LONG SaveSettings();

    // One fog puff, pixel by pixel on the surface (palette displays, and
    // the configuration dialog's preview).
    void FogPuffPixels(HDC surface, int32_t x, int32_t y, int32_t radius);
    // One fog puff through a 24-bit working square (true-colour displays).
    void FogPuffBuffer(HDC surface, int32_t x, int32_t y, int32_t radius);
    // Draws a picture picked at random from the image list, stretched over
    // the window's client size; false when nothing was drawn.
    bool PaintRandomImage(HWND window, HDC surface);

    // Fields in their fixed order; see LoadSettings for what fills them.
    int32_t Density = 5;
    double Power = 1.0;
    int32_t Ray = 50;
    int32_t Width = 0;
    int32_t Height = 0;
    uint32_t MixPix = 1;
    uint32_t TrueColor = 0;
    volatile uint32_t BackgroundPainted = 0;  // written by both threads
    int32_t BackgroundMode = 0;
    HWND RefreshWindow = nullptr;
    HWND DrawWindow = nullptr;
    HANDLE StopEvent = nullptr;
    HANDLE WorkerThread = nullptr;
    uint32_t IsNT = 0;
    int32_t Delay = 0;
    int32_t Timeout = -1;
};

extern FogEngine theFog;

// The kernel FogPuffBuffer runs on this processor and system.
PuffKernel BufferPuffKernel();
