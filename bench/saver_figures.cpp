// Figures of the running saver, measured under Wine against the real
// zorv.scr (ZORV_DIST) and, for the puff rate, against the saver's own
// code in this process:
//   - time from a /s start to the first background on the screen, modes 1 and 2;
//   - time from a key press to the process's end at the largest puff
//     settings (Ray 100, Density 10, Power 2.00, Delay 0), and the saver's
//     own share of it: from the close request to the worker's end;
//   - with a large picture (`bigpicture PATH`): start to the picture on the
//     screen, and a key pressed while it decodes to the process's end;
//   - the fog's pace at the default settings on a picture (`pace PATH
//     SECONDS [preview]`): the real saver, full screen or in a 152x112
//     preview, in this process; puffs per second, the brightness half-life
//     and the processor time.
// Prints one line per figure. Leaves no settings behind.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/settings_values.h"
#include "fog/fog_engine.h"
#include "fog/fog_worker.h"
#include "host/saver_effect.h"
#include "host/saver_window.h"
#include "tests/win/support/test_support.h"
#include "win32/bitmap_format.h"
#include "win32/scoped_handles.h"

namespace {

constexpr COLORREF kMarker = RGB(255, 0, 255);
constexpr COLORREF kPicture = RGB(255, 128, 0);

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void StoreAll(DWORD density, DWORD power, DWORD ray, DWORD mode, DWORD delay) {
    DeleteSettingsKey();
    WriteDword(kSettingsKeyPath, kDensityValue, density);
    WriteDword(kSettingsKeyPath, kPowerValue, power);
    WriteDword(kSettingsKeyPath, kMixPixValue, 1);
    WriteDword(kSettingsKeyPath, kRayValue, ray);
    WriteDword(kSettingsKeyPath, kBackgroundModeValue, mode);
    WriteDword(kSettingsKeyPath, kDelayValue, delay);
    WriteDword(kSettingsKeyPath, kTimeoutValue, 0xFFFFFFFF);
}

bool WriteSolidPicture(const std::string& path) {
    const int size = 64;
    std::vector<unsigned char> pixels(size * size * 3);
    for (size_t i = 0; i < pixels.size(); i += 3) {
        pixels[i] = GetBValue(kPicture);
        pixels[i + 1] = GetGValue(kPicture);
        pixels[i + 2] = GetRValue(kPicture);
    }
    BITMAPINFOHEADER header = {sizeof header, size, size, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    BITMAPFILEHEADER file = {0x4D42, 0, 0, 0, sizeof file + sizeof header};
    file.bfSize = file.bfOffBits + pixels.size();
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&header, sizeof header, 1, out);
    std::fwrite(pixels.data(), pixels.size(), 1, out);
    return std::fclose(out) == 0;
}

void StoreImageList(const std::string& path) {
    std::string data = path + '\0';
    WriteBinary(kImagesKeyPath, "0", data.data(), data.size(), REG_SZ);
}

COLORREF ScreenCentre() {
    HDC screen = GetDC(nullptr);
    COLORREF colour = GetPixel(screen, GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2);
    ReleaseDC(nullptr, screen);
    return colour;
}

// A window of the marker colour under everything, so that the first
// change at the screen's centre is the saver's.
struct MarkerWindow {
    HWND window = nullptr;
    MarkerWindow() {
        WNDCLASSA markerClass = {};
        markerClass.lpfnWndProc = DefWindowProcA;
        markerClass.hInstance = GetModuleHandleA(nullptr);
        markerClass.hbrBackground = CreateSolidBrush(kMarker);
        markerClass.lpszClassName = "ZorvFiguresMarker";
        RegisterClassA(&markerClass);
        window = CreateWindowA("ZorvFiguresMarker", "", WS_POPUP | WS_VISIBLE, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                               GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        PumpUntil([] { return ScreenCentre() == kMarker; }, 3000);
    }
    ~MarkerWindow() { DestroyWindow(window); }
};

HWND FindSaverWindow() { return FindWindowA("WindowsScreenSaverClass", "Screen Saver"); }

// Ends a running saver the way the system would see it end: a close request.
DWORD CloseSaver(RunningProcess& saver) {
    HWND window = FindSaverWindow();
    if (window) PostMessageA(window, WM_CLOSE, 0, 0);
    return saver.WaitForExit(20000);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

std::string List(const std::vector<double>& values) {
    std::string text;
    char number[32];
    for (double value : values) {
        std::snprintf(number, sizeof number, "%s%.0f", text.empty() ? "" : " ", value);
        text += number;
    }
    return text;
}

// Milliseconds from CreateProcess until the screen's centre shows the saver's picture.
double StartToFirstBackground(COLORREF expected) {
    MarkerWindow marker;
    double start = NowMs();
    RunningProcess saver("\"" + SaverPath() + "\" /s");
    double shown = -1;
    while (NowMs() - start < 20000) {
        COLORREF centre = ScreenCentre();
        if (centre != kMarker && centre == expected) {
            shown = NowMs() - start;
            break;
        }
        PumpMessagesFor(1);
    }
    PumpMessagesFor(300);
    CloseSaver(saver);
    return shown;
}

void MeasureStartUp(const std::string& picture) {
    for (DWORD mode : {DWORD{DesktopBackground}, DWORD{RandomImage}}) {
        StoreAll(10, 100, 50, mode, 0);
        if (mode == RandomImage) StoreImageList(picture);
        // Under Wine the desktop painting is plain white (PaintDesktop
        // draws no wallpaper there).
        COLORREF expected = mode == RandomImage ? kPicture : RGB(255, 255, 255);
        std::vector<double> runs;
        for (int run = 0; run < 5; ++run) runs.push_back(StartToFirstBackground(expected));
        std::printf("first background on screen after /s, mode %lu: median %.0f ms (runs: %s)\n", mode, Median(runs),
                    List(runs).c_str());
        std::fflush(stdout);
    }
}

void PressShift() {
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = VK_SHIFT;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof keys[0]);
}

void MeasureKeyToExit(const std::string& picture) {
    StoreAll(10, 200, 100, RandomImage, 0);
    StoreImageList(picture);
    std::vector<double> gone, ended;
    int unanswered = 0;
    for (int run = 0; run < 7; ++run) {
        MarkerWindow marker;
        RunningProcess saver("\"" + SaverPath() + "\" /s");
        PumpUntil([] { return ScreenCentre() != kMarker; }, 20000);
        PumpMessagesFor(2000);  // let the fog run at full speed
        double start = NowMs();
        PressShift();
        // Off the screen when the marker beneath shows again.
        double offScreen = -1;
        HANDLE process = saver.info.hProcess;
        while (NowMs() - start < 10000) {
            if (offScreen < 0 && ScreenCentre() == kMarker) offScreen = NowMs() - start;
            if (MsgWaitForMultipleObjects(1, &process, FALSE, 1, QS_ALLINPUT) == WAIT_OBJECT_0) break;
            PumpMessagesFor(0);
        }
        if (WaitForSingleObject(process, 0) != WAIT_OBJECT_0) {
            ++unanswered;
            CloseSaver(saver);
            continue;
        }
        ended.push_back(NowMs() - start);
        gone.push_back(offScreen);
    }
    std::printf(
        "key press to the saver gone from the screen, Ray 100 Density 10 Power 2.00 Delay 0: median %.0f ms, "
        "worst %.0f ms (runs: %s)\n",
        Median(gone), gone.empty() ? -1.0 : *std::max_element(gone.begin(), gone.end()), List(gone).c_str());
    std::printf("key press to process exit, same settings: median %.0f ms, worst %.0f ms (runs: %s)%s\n", Median(ended),
                ended.empty() ? -1.0 : *std::max_element(ended.begin(), ended.end()), List(ended).c_str(),
                unanswered ? " - some key presses did not reach the saver" : "");
    std::fflush(stdout);
}

DWORD WINAPI RunSaverHere(LPVOID) { return static_cast<DWORD>(RunSaver(nullptr)); }

// The saver's own share of a close: from the close request until the
// worker has ended, in this process with the real saver window, while the
// largest puffs run without pause.
void MeasureCloseToWorkerStop(const std::string& picture) {
    StoreAll(10, 200, 100, RandomImage, 0);
    StoreImageList(picture);
    host.instance = GetModuleHandleA(nullptr);
    std::vector<double> runs;
    for (int run = 0; run < 7; ++run) {
        theFog.BackgroundPainted = 0;
        HANDLE loop = CreateThread(nullptr, 0, RunSaverHere, nullptr, 0, nullptr);
        HWND window = nullptr;
        PumpUntil([&] { return (window = FindSaverWindow()) != nullptr && theFog.BackgroundPainted; }, 20000);
        PumpMessagesFor(1500);
        HANDLE worker = nullptr;
        DuplicateHandle(GetCurrentProcess(), theFog.WorkerThread, GetCurrentProcess(), &worker, 0, FALSE,
                        DUPLICATE_SAME_ACCESS);
        double start = NowMs();
        PostMessageA(window, WM_CLOSE, 0, 0);
        if (worker && WaitForSingleObject(worker, 10000) == WAIT_OBJECT_0) runs.push_back(NowMs() - start);
        if (worker) CloseHandle(worker);
        while (MsgWaitForMultipleObjects(1, &loop, FALSE, 20000, QS_ALLINPUT) != WAIT_OBJECT_0) PumpMessagesFor(0);
        CloseHandle(loop);
    }
    std::printf("close request to worker ended (in process), same settings: median %.1f ms, worst %.1f ms (runs: %s)\n",
                Median(runs), runs.empty() ? -1.0 : *std::max_element(runs.begin(), runs.end()), List(runs).c_str());
    std::fflush(stdout);
}

// A key pressed 300 ms after the saver's window appears, while a large
// picture decodes, and the time until the process has ended; then a run
// left alone, timed until the picture reaches the screen's centre.
void MeasureLargePicture(const std::string& picture) {
    StoreAll(10, 200, 100, RandomImage, 0);
    StoreImageList(picture);
    std::vector<double> ended;
    for (int run = 0; run < 3; ++run) {
        MarkerWindow marker;
        RunningProcess saver("\"" + SaverPath() + "\" /s");
        PumpUntil([] { return FindSaverWindow() != nullptr; }, 20000);
        PumpMessagesFor(300);
        const bool pictureShown = ScreenCentre() != kMarker && ScreenCentre() != RGB(0, 0, 0);
        double start = NowMs();
        PressShift();
        if (saver.WaitForExit(20000) != kProcessTimedOut) ended.push_back(NowMs() - start);
        if (pictureShown) std::printf("(run %d: the picture was on the screen before the key)\n", run);
    }
    std::printf(
        "key press 300 ms into the start to process exit, large picture: median %.0f ms, worst %.0f ms "
        "(runs: %s)\n",
        Median(ended), ended.empty() ? -1.0 : *std::max_element(ended.begin(), ended.end()), List(ended).c_str());
    MarkerWindow marker;
    double start = NowMs();
    RunningProcess saver("\"" + SaverPath() + "\" /s");
    PumpUntil([] { return FindSaverWindow() != nullptr; }, 20000);
    const COLORREF black = RGB(0, 0, 0);
    PumpUntil([&] { return ScreenCentre() != kMarker && ScreenCentre() != black; }, 30000);
    std::printf("start to the large picture on the screen: %.0f ms\n", NowMs() - start);
    CloseSaver(saver);
    std::fflush(stdout);
}

// Mean brightness, 0 to 1, of the window's pixels as the screen shows them.
double MeanBrightness(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    WindowDC surface(window);
    DibCanvas copy(surface.get(), TopDownBitmapFormat(client.right, client.bottom));
    if (!copy.bits() || !BitBlt(copy.dc(), 0, 0, client.right, client.bottom, surface.get(), 0, 0, SRCCOPY)) return -1;
    GdiFlush();
    const auto* pixels = static_cast<const uint8_t*>(copy.bits());
    double sum = 0;
    for (LONG i = 0; i < client.right * client.bottom; ++i)
        sum += pixels[4 * i] + pixels[4 * i + 1] + pixels[4 * i + 2];
    return sum / (765.0 * client.right * client.bottom);
}

double Seconds(const FILETIME& time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime) / 1e7;
}

// Processor time of the whole process, or of one of its threads.
double ProcessorSeconds(HANDLE thread = nullptr) {
    FILETIME created, exited, kernel, user;
    if (thread ? !GetThreadTimes(thread, &created, &exited, &kernel, &user)
               : !GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0;
    return Seconds(kernel) + Seconds(user);
}

DWORD WINAPI RunSaverIn(LPVOID parent) { return static_cast<DWORD>(RunSaver(static_cast<HWND>(parent))); }

// The real saver at the default settings (the random-image background, so
// that the fog shows on Wine's white desktop) for `seconds`, full screen or
// in a 152x112 preview. The half-life extrapolates the fall of the mean
// brightness over the run in a straight line to half the starting value:
// at this pace the fall keeps its slope until well past half (the
// in-memory fog_pace_bench shows the whole curve).
void MeasurePace(const std::string& picture, double seconds, bool preview) {
    StoreAll(10, 100, 50, RandomImage, 0);
    StoreImageList(picture);
    host.instance = GetModuleHandleA(nullptr);
    theFog.BackgroundPainted = 0;
    HWND parent = nullptr;
    if (preview) {
        RECT frame = {0, 0, 152, 112};
        AdjustWindowRect(&frame, WS_POPUP | WS_BORDER, FALSE);
        parent = CreateWindowA("STATIC", "", WS_POPUP | WS_BORDER | WS_VISIBLE, 100, 100, frame.right - frame.left,
                               frame.bottom - frame.top, nullptr, nullptr, nullptr, nullptr);
    }
    HANDLE loop = CreateThread(nullptr, 0, RunSaverIn, parent, 0, nullptr);
    HWND window = nullptr;
    PumpUntil(
        [&] {
            window = preview ? FindWindowExA(parent, nullptr, kSaverClassName, nullptr) : FindSaverWindow();
            return window && theFog.BackgroundPainted;
        },
        20000);
    double brightness = -1;
    PumpUntil([&] { return (brightness = MeanBrightness(window)) >= 0; }, 5000);
    const HANDLE worker = theFog.WorkerThread;
    const double processor = ProcessorSeconds(), working = ProcessorSeconds(worker), start = NowMs();
    const uint32_t puffs = PuffsDrawn();
    PumpMessagesFor(static_cast<DWORD>(seconds * 1000));
    const double elapsed = (NowMs() - start) / 1000, used = ProcessorSeconds() - processor;
    const double workerUsed = ProcessorSeconds(worker) - working, drawn = PuffsDrawn() - puffs;
    double later = -1;
    PumpUntil([&] { return (later = MeanBrightness(window)) >= 0; }, 5000);
    RECT client = {};
    GetClientRect(window, &client);
    std::printf(
        "fog pace, defaults, %ldx%ld: %.0f puffs/s, brightness half-life %.0f s, CPU %.1f%% of one core "
        "(%s; the worker %.1f%%; brightness %.3f to %.3f in %.0f s, extrapolated)\n",
        client.right, client.bottom, drawn / elapsed, elapsed * (brightness / 2) / (brightness - later),
        100 * used / elapsed, preview ? "preview" : "full screen", 100 * workerUsed / elapsed, brightness, later,
        elapsed);
    std::fflush(stdout);
    PostMessageA(window, WM_CLOSE, 0, 0);
    while (MsgWaitForMultipleObjects(1, &loop, FALSE, 20000, QS_ALLINPUT) != WAIT_OBJECT_0) PumpMessagesFor(0);
    CloseHandle(loop);
    if (parent) DestroyWindow(parent);
}

}  // namespace

int main(int argc, char** argv) {
    std::string only = argc > 1 ? argv[1] : "all";
    if (only == "close") {  // ends a saver that the measuring script started
        HWND window = FindSaverWindow();
        if (window) PostMessageA(window, WM_CLOSE, 0, 0);
        return window ? 0 : 1;
    }
    if (only == "pace" && argc > 3) {
        MeasurePace(argv[2], std::atof(argv[3]), argc > 4 && std::string(argv[4]) == "preview");
        DeleteSettingsKey();
        return 0;
    }
    if (only == "bigpicture" && argc > 2) {
        MeasureLargePicture(argv[2]);
        DeleteSettingsKey();
        return 0;
    }
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string picture = std::string(temp) + "zorv-figures-picture.bmp";
    WriteSolidPicture(picture);
    if (only == "all" || only == "start") MeasureStartUp(picture);
    if (only == "all" || only == "key") {
        MeasureKeyToExit(picture);
        MeasureCloseToWorkerStop(picture);
    }
    DeleteSettingsKey();
    DeleteFileA(picture.c_str());
    return 0;
}
