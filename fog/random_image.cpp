// PaintRandomImage and its parts: the pick from the image list, the decode
// at each area's size, and the painting of what was decoded.
#include "random_image.h"

#include <string>

#include "core/image_list.h"
#include "core/random.h"
#include "core/settings_values.h"
#include "fog_engine.h"
#include "picture_loader.h"
#include "win32/bitmap_format.h"
#include "win32/monitors.h"
#include "win32/scoped_handles.h"

namespace {

constexpr DWORD kImagePathBytes = kImagePathBufferBytes;

// The path of one entry, ending at its first zero byte. Data that fills all
// 260 bytes without one is used whole: the extra byte ends it. Empty when
// the entry cannot be read.
std::string ReadImagePath(HKEY key, DWORD index) {
    char path[kImagePathBytes + 1];
    const std::string name = ImageValueName(index);
    DWORD size = kImagePathBytes;
    if (RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(path), &size) != ERROR_SUCCESS)
        return std::string();
    path[size < kImagePathBytes ? size : kImagePathBytes] = '\0';
    return path;
}

// The picked paths, one per area; the key is closed before any decoding.
std::vector<std::string> PickImagePaths(size_t areas) {
    RegistryKey list;
    DWORD count = 0;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kImagesKeyPath, 0, KEY_READ, list.place()) != ERROR_SUCCESS ||
        RegQueryInfoKeyA(list.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS ||
        count == 0)
        return std::vector<std::string>(areas);
    std::vector<std::string> paths;
    // Seeded anew for every paint, so the choice follows the clock; never
    // an index above 32767, however long the list.
    SRand(GetTickCount());
    for (uint32_t index : PickImageIndices(count, areas)) paths.push_back(ReadImagePath(list.get(), index));
    return paths;
}

}  // namespace

// A picture for each monitor; the client area alone in a preview or on a
// system of one screen.
std::vector<RECT> PictureAreas(HWND window) { return MonitorAreas(window); }

std::vector<AreaPicture> LoadRandomPictures(const std::vector<RECT>& areas, const volatile LONG* cancelled) {
    const std::vector<std::string> paths = PickImagePaths(areas.size());
    std::vector<AreaPicture> pictures;
    for (size_t i = 0; i < areas.size(); ++i) {
        pictures.push_back({areas[i], {}});
        const RECT& area = areas[i];
        if (paths[i].empty() || area.right <= area.left || area.bottom <= area.top) continue;
        DecodePictureAt(paths[i].c_str(), area.right - area.left, area.bottom - area.top, pictures.back().pixels,
                        cancelled);
    }
    return pictures;
}

bool EveryAreaHasAPicture(const std::vector<AreaPicture>& pictures) {
    for (const AreaPicture& picture : pictures)
        if (picture.pixels.empty()) return false;
    return true;
}

void PaintAreaPictures(HDC surface, const std::vector<AreaPicture>& pictures) {
    for (const AreaPicture& picture : pictures) {
        if (picture.pixels.empty()) continue;
        const LONG width = picture.area.right - picture.area.left, height = picture.area.bottom - picture.area.top;
        const BITMAPINFO format = TopDownBitmapFormat(width, height);
        SetDIBitsToDevice(surface, picture.area.left, picture.area.top, width, height, 0, 0, 0, height,
                          picture.pixels.data(), &format, DIB_RGB_COLORS);
    }
}

bool FogEngine::PaintRandomImage(HWND window, HDC surface) {
    const std::vector<AreaPicture> pictures = LoadRandomPictures(PictureAreas(window));
    PaintAreaPictures(surface, pictures);
    for (const AreaPicture& picture : pictures)
        if (!picture.pixels.empty()) return true;
    return false;
}
