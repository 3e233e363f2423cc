// An in-memory drawing surface with the behaviour of a device context's
// pixel access, so that both puff paths run without a platform: colour
// values 0x00BBGGRR, a read outside gives kPixelReadFailed, a write
// outside changes nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/fog_puff.h"

class PixelSurface {
public:
    PixelSurface() = default;
    // Sizes of 0 or less give an empty surface.
    PixelSurface(int32_t width, int32_t height, uint32_t fill = 0);

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    bool Contains(int64_t x, int64_t y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    uint32_t Get(int32_t x, int32_t y) const { return Contains(x, y) ? pixels_[Index(x, y)] : kPixelReadFailed; }
    // Keeps the low 24 bits: the failure value written back unblended
    // becomes white.
    void Set(int32_t x, int32_t y, uint32_t colour) {
        if (Contains(x, y)) pixels_[Index(x, y)] = colour & 0xFFFFFFu;
    }

    bool operator==(const PixelSurface& other) const {
        return width_ == other.width_ && height_ == other.height_ && pixels_ == other.pixels_;
    }
    bool operator!=(const PixelSurface& other) const { return !(*this == other); }

private:
    size_t Index(int32_t x, int32_t y) const {
        return static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x);
    }
    int32_t width_ = 0;
    int32_t height_ = 0;
    std::vector<uint32_t> pixels_;
};

// Device colour 0x00BBGGRR <-> buffer pixel value 0x00RRGGBB.
inline uint32_t BufferValueFromColour(uint32_t colour) {
    return (colour >> 16 & 0xFFu) | (colour & 0xFF00u) | (colour & 0xFFu) << 16;
}
inline uint32_t ColourFromBufferValue(uint32_t value) { return BufferValueFromColour(value); }

// One puff on the surface itself, pixel by pixel.
void PuffPixelsOnSurface(PixelSurface& surface, int32_t x, int32_t y, int32_t radius, const PuffSettings& settings);

// One puff through a working square: the square is copied out (pixels off
// the surface read as black), the puff runs in it and only its part on
// the surface is copied back. Nothing happens when the buffer cannot be
// had.
void PuffBufferOnSurface(PixelSurface& surface, int32_t x, int32_t y, int32_t radius, const PuffSettings& settings);
