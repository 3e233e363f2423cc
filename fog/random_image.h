// Pictures picked at random from the image list (HKCU\SOFTWARE\Zorv\Images),
// one for each area of a window, each decoded at its area's size.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

struct AreaPicture {
    RECT area;                     // in the window's client coordinates
    std::vector<uint32_t> pixels;  // the area's size, 0x00RRGGBB, top-down; empty when none could be read
};

// The areas of the window that get a picture each.
std::vector<RECT> PictureAreas(HWND window);

// One pick from the list and one decode at the area's size for every area.
// Every area comes back, with no pixels where the list is missing or
// empty, the entry unreadable or the file not a picture that decodes, or
// `cancelled` turned nonzero.
std::vector<AreaPicture> LoadRandomPictures(const std::vector<RECT>& areas, const volatile LONG* cancelled = nullptr);

bool EveryAreaHasAPicture(const std::vector<AreaPicture>& pictures);
// Draws every picture that was read into its area.
void PaintAreaPictures(HDC surface, const std::vector<AreaPicture>& pictures);
