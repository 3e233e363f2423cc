#include "fog_test_window.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "core/settings_values.h"
#include "fog/fog_engine.h"
#include "fog/fog_saver_proc.h"

namespace {

const char kClassName[] = "ZorvFogTestWindow";

bool Recorded(UINT message) {
    return message == WM_CREATE || message == WM_ERASEBKGND || message == WM_CLOSE || message == WM_DESTROY;
}

LRESULT CALLBACK FogTestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* log = reinterpret_cast<FogWindowLog*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!log) return DefWindowProcA(window, message, wParam, lParam);
    if (Recorded(message)) log->messages.push_back({message, wParam, lParam});

    switch (message) {
    case WM_CREATE:
        log->createResult = FogSaverProc(window, message, wParam, lParam);
        return log->createResult;
    case WM_ERASEBKGND: {
        ++log->erases;
        if (log->inClose) ++log->erasesDuringClose;
        log->deepestErase = std::max(log->deepestErase, ++log->eraseDepth);
        LRESULT result = FogSaverProc(window, message, wParam, lParam);
        --log->eraseDepth;
        log->eraseResults.push_back(result);
        if (log->afterErase) log->afterErase(reinterpret_cast<HDC>(wParam));
        return result;
    }
    case WM_CLOSE: {
        if (log->beforeClose) log->beforeClose();
        log->inClose = true;
        LRESULT result = FogSaverProc(window, message, wParam, lParam);
        log->inClose = false;
        return result;
    }
    case WM_NCDESTROY:
        log->destroyed = true;
        return FogSaverProc(window, message, wParam, lParam);
    default:
        return FogSaverProc(window, message, wParam, lParam);
    }
}

void RegisterFogTestClass() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = FogTestWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass);  // fails harmlessly when already registered
}

}  // namespace

HWND CreateFogWindow(FogWindowLog& log, int x, int y, int width, int height, bool visible) {
    RegisterFogTestClass();
    DWORD style = WS_POPUP | (visible ? WS_VISIBLE : 0);
    return CreateWindowExA(WS_EX_TOPMOST, kClassName, "Fog test", style, x, y, width, height, nullptr, nullptr,
                           GetModuleHandleA(nullptr), &log);
}

void StoreSettings(const StoredSettings& s) {
    WriteDword(kSettingsKeyPath, kDensityValue, s.density);
    WriteDword(kSettingsKeyPath, kPowerValue, s.power);
    WriteDword(kSettingsKeyPath, kMixPixValue, s.mixPix);
    WriteDword(kSettingsKeyPath, kRayValue, s.ray);
    WriteDword(kSettingsKeyPath, kBackgroundModeValue, s.mode);
    WriteDword(kSettingsKeyPath, kDelayValue, s.delay);
    WriteDword(kSettingsKeyPath, kTimeoutValue, s.timeout);
}

void ForgetEarlierWindow() { theFog.BackgroundPainted = 0; }

bool ThreadIsHeld(HANDLE thread) {
    DWORD previous = SuspendThread(thread);
    ResumeThread(thread);
    return previous != 0 && previous != static_cast<DWORD>(-1);
}

Canvas::Canvas(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    bits_ = static_cast<uint32_t*>(bits);
    replaced_ = SelectObject(dc_, bitmap_);
}

Canvas::~Canvas() {
    SelectObject(dc_, replaced_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

void Canvas::Fill(COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    RECT all = {0, 0, width_, height_};
    FillRect(dc_, &all, brush);
    DeleteObject(brush);
    GdiFlush();
}

void Canvas::CopyFrom(HDC source, int x, int y) {
    BitBlt(dc_, 0, 0, width_, height_, source, x, y, SRCCOPY);
    GdiFlush();
}

COLORREF Canvas::Pixel(int x, int y) const {
    GdiFlush();
    uint32_t bgr = bits_[y * width_ + x];  // 0x00RRGGBB in memory order B, G, R
    return RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
}

int Canvas::Count(COLORREF colour) const {
    int count = 0;
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) count += Pixel(x, y) == colour;
    return count;
}

int Canvas::Differences(const Canvas& other) const {
    GdiFlush();
    int count = 0;
    for (int i = 0; i < width_ * height_; ++i) count += (bits_[i] & 0xFFFFFF) != (other.bits_[i] & 0xFFFFFF);
    return count;
}

std::vector<bool> Canvas::ChangedMask(const Canvas& other) const {
    GdiFlush();
    std::vector<bool> mask(width_ * height_);
    for (int i = 0; i < width_ * height_; ++i) mask[i] = (bits_[i] & 0xFFFFFF) != (other.bits_[i] & 0xFFFFFF);
    return mask;
}

bool WriteQuadrantBmp(const std::string& path, int width, int height, const COLORREF quadrants[4]) {
    const int stride = (width * 3 + 3) & ~3;
    std::vector<unsigned char> pixels(stride * height);
    for (int row = 0; row < height; ++row) {
        const int y = height - 1 - row;  // rows are stored bottom-up
        for (int x = 0; x < width; ++x) {
            COLORREF colour = quadrants[(y >= height / 2 ? 2 : 0) + (x >= width / 2 ? 1 : 0)];
            unsigned char* pixel = &pixels[row * stride + x * 3];
            pixel[0] = GetBValue(colour);
            pixel[1] = GetGValue(colour);
            pixel[2] = GetRValue(colour);
        }
    }
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + pixels.size();
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(reinterpret_cast<const char*>(pixels.data()), pixels.size());
    return out.good();
}

bool WriteSolidBmp(const std::string& path, int width, int height, COLORREF colour) {
    const COLORREF all[4] = {colour, colour, colour, colour};
    return WriteQuadrantBmp(path, width, height, all);
}

bool StoreImageEntry(const char* name, const std::string& data, DWORD type) {
    return WriteBinary(kImagesKeyPath, name, data.data(), data.size(), type);
}

bool StoreImageList(const std::vector<std::string>& paths) {
    for (size_t i = 0; i < paths.size(); ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "%x", static_cast<unsigned>(i));
        if (!StoreImageEntry(name, paths[i] + '\0')) return false;
    }
    return true;
}

bool CreateEmptyImageKey() {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kImagesKeyPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != 0)
        return false;
    RegCloseKey(key);
    return true;
}

bool ColoursNear(COLORREF a, COLORREF b, int tolerance) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

std::string ColourText(COLORREF colour) {
    char text[16];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return text;
}
