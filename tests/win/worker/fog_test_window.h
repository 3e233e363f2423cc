// A stand-in for the saver window: its procedure records what arrives and
// hands every message to FogSaverProc, as the saver's own procedure does
// for the messages it does not finish itself. Also small picture helpers
// shared by the fog tests.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "test_support.h"

// What the stand-in window saw. Counters are read from other threads.
struct FogWindowLog {
    std::vector<MessageRecord> messages;  // creation, erase, close, destroy
    std::vector<LRESULT> eraseResults;
    LRESULT createResult = 0xDEADBEEF;
    std::atomic<int> erases{0};
    std::atomic<int> erasesDuringClose{0};
    int eraseDepth = 0;     // erase requests in progress, one inside another
    int deepestErase = 0;
    std::atomic<bool> inClose{false};
    std::atomic<bool> destroyed{false};
    // Runs after FogSaverProc has answered an erase request, with its surface.
    std::function<void(HDC)> afterErase;
    // Runs when the close request arrives, before FogSaverProc sees it.
    std::function<void()> beforeClose;
};

// A popup over the given rectangle; the class brush is white, so that an
// erase request that went on to DefWindowProcA would show.
HWND CreateFogWindow(FogWindowLog& log, int x, int y, int width, int height, bool visible);

// The seven settings under HKCU\SOFTWARE\Zorv.
struct StoredSettings {
    DWORD density = 10;
    DWORD power = 100;
    DWORD mixPix = 1;
    DWORD ray = 50;
    DWORD mode = 1;
    DWORD delay = 0;
    DWORD timeout = 0xFFFFFFFF;
};
void StoreSettings(const StoredSettings& settings);

// Prepares theFog for another window in the same test process: the flag
// is the process's own, set by the first window's paint.
void ForgetEarlierWindow();

// Whether the thread is held (created suspended and never resumed).
bool ThreadIsHeld(HANDLE thread);

// A 32-bit top-down off-screen picture with its own device context.
class Canvas {
public:
    Canvas(int width, int height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    HDC dc() const { return dc_; }
    int width() const { return width_; }
    int height() const { return height_; }
    void Fill(COLORREF colour);
    void CopyFrom(HDC source, int x, int y);
    // 0xRRGGBB, like COLORREF with red in the low byte.
    COLORREF Pixel(int x, int y) const;
    // How many pixels have exactly this colour.
    int Count(COLORREF colour) const;
    // How many pixels differ from the other canvas of the same size.
    int Differences(const Canvas& other) const;
    std::vector<bool> ChangedMask(const Canvas& other) const;

private:
    int width_, height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ replaced_ = nullptr;
    uint32_t* bits_ = nullptr;
};

// Writes a 24-bit BMP of width x height: four quadrants, top left,
// top right, bottom left, bottom right.
bool WriteQuadrantBmp(const std::string& path, int width, int height, const COLORREF quadrants[4]);
bool WriteSolidBmp(const std::string& path, int width, int height, COLORREF colour);
// Stores the image list: value name -> data bytes (REG_SZ unless given).
bool StoreImageEntry(const char* name, const std::string& data, DWORD type = REG_SZ);
bool StoreImageList(const std::vector<std::string>& paths);
bool CreateEmptyImageKey();

// Whether two colours are alike within `tolerance` per channel.
bool ColoursNear(COLORREF a, COLORREF b, int tolerance);
std::string ColourText(COLORREF colour);

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kMagenta = RGB(255, 0, 255);
