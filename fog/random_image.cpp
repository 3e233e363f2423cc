// PaintRandomImage: a picture file picked at random from the image list
// (HKCU\SOFTWARE\Zorv\Images), drawn stretched over a window's client area.
#include <ole2.h>
#include <olectl.h>

#include "../core/image_list.h"
#include "../core/random.h"
#include "../core/settings_values.h"
#include "fog_engine.h"
#include "../win32/scoped_handles.h"

namespace {

constexpr DWORD kImagePathBytes = kImagePathBufferBytes;

struct OleString {
    BSTR text;
    explicit OleString(const wchar_t* wide) : text(SysAllocString(wide)) {}
    ~OleString() { SysFreeString(text); }
};

struct PictureRef {
    IPicture* picture = nullptr;
    ~PictureRef() {
        if (picture) picture->Release();
    }
};

// The seed is taken anew for every pick, so the choice follows the clock;
// the index is unsigned, and never above 32767 however long the list.
DWORD PickImageIndex(DWORD count) {
    SRand(GetTickCount());
    return static_cast<DWORD>(Rand()) % count;
}

// The path of one entry, ending at its first zero byte. Data that fills all
// 260 bytes without one is used whole: the extra byte ends it.
bool ReadImagePath(HKEY key, DWORD index, char (&path)[kImagePathBytes + 1]) {
    const std::string name = ImageValueName(index);
    DWORD size = kImagePathBytes;
    if (RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(path), &size) != ERROR_SUCCESS)
        return false;
    path[size < kImagePathBytes ? size : kImagePathBytes] = '\0';
    return true;
}

}  // namespace

bool FogEngine::PaintRandomImage(HWND window, HDC surface) {
    RegistryKey list;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kImagesKeyPath, 0, KEY_READ, list.place()) != ERROR_SUCCESS) return false;
    DWORD count = 0;
    if (RegQueryInfoKeyA(list.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS ||
        count == 0)
        return false;

    char path[kImagePathBytes + 1];
    if (!ReadImagePath(list.get(), PickImageIndex(count), path)) return false;

    // Declared first so that it goes last: the wide path is freed, then the
    // picture released, then the key closed.
    PictureRef loaded;

    // Errors of the wide-string step (no memory, a failed conversion) and
    // a load that succeeds without a picture count as "nothing drawn", so
    // that the caller falls back to the desktop background.
    wchar_t widePath[kImagePathBytes + 1];
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, kImagePathBytes + 1) == 0) return false;
    OleString olePath(widePath);
    if (!olePath.text) return false;

    HRESULT result = OleLoadPicturePath(olePath.text, nullptr, 0, static_cast<OLE_COLOR>(-1), IID_IPicture,
                                        reinterpret_cast<void**>(&loaded.picture));
    if (FAILED(result) || !loaded.picture) return false;

    RECT client = {};
    GetClientRect(window, &client);
    OLE_YSIZE_HIMETRIC height = 0;
    OLE_XSIZE_HIMETRIC width = 0;
    if (FAILED(loaded.picture->get_Height(&height)) || FAILED(loaded.picture->get_Width(&width))) return false;
    // HIMETRIC runs bottom-up: start at the top edge, go down by the height.
    loaded.picture->Render(surface, 0, 0, client.right, client.bottom, 0, height, width, -height, nullptr);
    return true;
}
