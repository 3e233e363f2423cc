// Scoped holders for what the saver takes from the platform: each gives
// back, in its destructor, exactly what its constructor took, so that the
// reverse order of declaration is the reverse order of taking, on every
// path out of the code that declared them.
#pragma once

#include <windows.h>

#include <ole2.h>

// GetDC/GetWindowDC of a window (or of the whole screen for no window).
class WindowDC {
public:
    enum Kind { Client, WholeWindow };
    explicit WindowDC(HWND window, Kind kind = Client)
        : window_(window), dc_(kind == Client ? GetDC(window) : GetWindowDC(window)) {}
    ~WindowDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    HDC get() const { return dc_; }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;

private:
    HWND window_;
    HDC dc_;
};

// A memory device context with a bitmap compatible with `like` selected
// into it; the bitmap it replaced goes back before both are deleted.
class MemoryCanvas {
public:
    MemoryCanvas(HDC like, int width, int height)
        : dc_(CreateCompatibleDC(like)),
          bitmap_(CreateCompatibleBitmap(like, width, height)),
          kept_(dc_ && bitmap_ ? SelectObject(dc_, bitmap_) : nullptr) {}
    ~MemoryCanvas() {
        if (ready()) SelectObject(dc_, kept_);
        if (bitmap_) DeleteObject(bitmap_);
        if (dc_) DeleteDC(dc_);
    }
    bool ready() const { return kept_ != nullptr && kept_ != HGDI_ERROR; }
    HDC dc() const { return dc_; }
    HBITMAP bitmap() const { return bitmap_; }
    MemoryCanvas(const MemoryCanvas&) = delete;
    MemoryCanvas& operator=(const MemoryCanvas&) = delete;

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ kept_;
};

// A memory device context with a DIB section selected into it: a bitmap
// whose pixels the program reads and writes in place, in the format the
// header gives.
class DibCanvas {
public:
    DibCanvas(HDC like, const BITMAPINFO& format)
        : dc_(CreateCompatibleDC(like)),
          bitmap_(dc_ ? CreateDIBSection(dc_, &format, DIB_RGB_COLORS, &bits_, nullptr, 0) : nullptr),
          kept_(bitmap_ ? SelectObject(dc_, bitmap_) : nullptr) {}
    ~DibCanvas() {
        if (ready()) SelectObject(dc_, kept_);
        if (bitmap_) DeleteObject(bitmap_);
        if (dc_) DeleteDC(dc_);
    }
    bool ready() const { return kept_ != nullptr && kept_ != HGDI_ERROR && bits_ != nullptr; }
    HDC dc() const { return dc_; }
    void* bits() const { return bits_; }
    DibCanvas(const DibCanvas&) = delete;
    DibCanvas& operator=(const DibCanvas&) = delete;

private:
    void* bits_ = nullptr;  // declared first: the section's constructor fills it
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ kept_;
};

// A memory device context like the screen's, deleted when it goes.
struct ScreenLikeDC {
    HDC dc = CreateCompatibleDC(nullptr);
    ~ScreenLikeDC() {
        if (dc) DeleteDC(dc);
    }
};

// An open registry key, closed when it goes.
class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() {
        if (key_) RegCloseKey(key_);
    }
    HKEY* place() { return &key_; }
    HKEY get() const { return key_; }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

private:
    HKEY key_ = nullptr;
};

// A library loaded for one look-up (none for no name), freed when it goes.
// No error box: a system without the library simply lacks what it offers.
class LoadedLibrary {
public:
    explicit LoadedLibrary(const char* name) : module_(name ? Load(name) : nullptr) {}
    ~LoadedLibrary() {
        if (module_) FreeLibrary(module_);
    }
    HMODULE get() const { return module_; }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

private:
    static HMODULE Load(const char* name) {
        const UINT kept = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
        HMODULE module = LoadLibraryA(name);
        SetErrorMode(kept);
        return module;
    }
    HMODULE module_;
};

// A reference to a COM object, released when it goes.
template <class Interface>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() {
        if (object_) object_->Release();
    }
    Interface** place() { return &object_; }
    void** placeAsVoid() { return reinterpret_cast<void**>(&object_); }
    Interface* operator->() const { return object_; }
    Interface* get() const { return object_; }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;

private:
    Interface* object_ = nullptr;
};

// A copy of a wide string in OLE's own allocation, freed when it goes.
struct OleString {
    BSTR text;
    explicit OleString(const wchar_t* wide) : text(SysAllocString(wide)) {}
    ~OleString() { SysFreeString(text); }
};
