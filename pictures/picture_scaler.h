// Brings a small picture, such as a dialog's artwork, to the size it is
// shown at on a scaled display: averaged by area where it shrinks, so that
// no pixel is dropped, and interpolated between the four nearest pixels
// where it grows, so that an enlarged picture is smooth instead of blocks.
#pragma once

#include <cstdint>
#include <vector>

// Pixels as AreaReducer takes them: the low three bytes are the channels,
// the top byte is ignored on input and zero on output; rows top-down,
// width * height of them. A target that grows on either axis is
// interpolated on both; an empty source or target gives an empty result.
std::vector<uint32_t> ScalePicture(const std::vector<uint32_t>& pixels, uint32_t width, uint32_t height,
                                   uint32_t targetWidth, uint32_t targetHeight);
