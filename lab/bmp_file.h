// 24-bit uncompressed BMP files, read into and written from a PixelSurface.
// Reading accepts bottom-up and top-down files with any header of 40
// bytes or more; writing gives a bottom-up file with the 40-byte header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "pixel_surface.h"

// Pictures larger than this are refused rather than allocated.
constexpr int32_t kMaxBmpEdge = 16384;
constexpr int64_t kMaxBmpPixels = int64_t{1} << 25;

// false with a message in error when the bytes are no such file.
bool DecodeBmp(const uint8_t* data, size_t size, PixelSurface& image, std::string& error);
std::vector<uint8_t> EncodeBmp(const PixelSurface& image);

bool ReadBmpFile(const std::string& path, PixelSurface& image, std::string& error);
bool WriteBmpFile(const std::string& path, const PixelSurface& image, std::string& error);
