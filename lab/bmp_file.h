// BMP files, read into and written from a PixelSurface. Reading takes
// whatever the saver's own reader takes (pictures/bmp_reader.h), up to its
// edge limit; writing gives a 24-bit bottom-up file with the 40-byte header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "pixel_surface.h"

// Pictures of more pixels than this are refused rather than allocated:
// the surface holds all of them at once.
constexpr int64_t kMaxBmpPixels = int64_t{1} << 25;

// false with a message in error when the bytes are no such file.
bool DecodeBmp(const uint8_t* data, size_t size, PixelSurface& image, std::string& error);
std::vector<uint8_t> EncodeBmp(const PixelSurface& image);

bool ReadBmpFile(const std::string& path, PixelSurface& image, std::string& error);
bool WriteBmpFile(const std::string& path, const PixelSurface& image, std::string& error);
