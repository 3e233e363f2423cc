// The lab's BMP files: what EncodeBmp writes, DecodeBmp gives back pixel
// for pixel, through the saver's own reader; what that reader or the
// surface's size refuses comes back as an error, never as a picture.
#include "lab/bmp_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Every channel different, so that a swap of red and blue or of rows shows;
// an odd width, so that rows carry padding.
PixelSurface Gradient(int32_t width, int32_t height) {
    PixelSurface surface(width, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            surface.Set(x, y, static_cast<uint32_t>(x * 40 + 1) | static_cast<uint32_t>(y * 50 + 2) << 8 | 0x7F0000u);
    return surface;
}

void PutU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

TEST(BmpFile, WhatIsWrittenReadsBackPixelForPixel) {
    for (const auto& size : {std::pair<int32_t, int32_t>{1, 1}, {5, 3}, {6, 4}}) {
        const PixelSurface original = Gradient(size.first, size.second);
        const std::vector<uint8_t> bytes = EncodeBmp(original);
        PixelSurface decoded;
        std::string error = "untouched";
        ASSERT_TRUE(DecodeBmp(bytes.data(), bytes.size(), decoded, error)) << error;
        EXPECT_EQ(original.Width(), decoded.Width());
        EXPECT_EQ(original.Height(), decoded.Height());
        for (int32_t y = 0; y < original.Height(); ++y)
            for (int32_t x = 0; x < original.Width(); ++x)
                ASSERT_EQ(original.Get(x, y), decoded.Get(x, y))
                    << size.first << " x " << size.second << " at " << x << "," << y;
    }
}

TEST(BmpFile, RefusalsLeaveThePictureAndSayWhy) {
    const std::vector<uint8_t> good = EncodeBmp(Gradient(5, 3));
    std::vector<uint8_t> notBmp = good;
    notBmp[0] = 'X';
    std::vector<uint8_t> truncated(good.begin(), good.end() - 20);
    std::vector<uint8_t> tooManyPixels = good;  // within the reader's edges, beyond the surface's pixels
    PutU32(tooManyPixels, 18, 8192);
    PutU32(tooManyPixels, 22, 8192);
    std::vector<uint8_t> beyondEdges = good;  // beyond the reader's edges
    PutU32(beyondEdges, 18, 65536);
    PutU32(beyondEdges, 22, 1);
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* error;
    } cases[] = {
        {"not a BMP", notBmp, "not a BMP file"},
        {"truncated", truncated, "unsupported or damaged BMP file"},
        {"too many pixels", tooManyPixels, "unsupported BMP size 8192 x 8192"},
        {"beyond the edges", beyondEdges, "unsupported or damaged BMP file"},
    };
    for (const auto& test : cases) {
        const PixelSurface kept(2, 2, 0xABCDEF);
        PixelSurface image = kept;
        std::string error;
        EXPECT_FALSE(DecodeBmp(test.bytes.data(), test.bytes.size(), image, error)) << test.name;
        EXPECT_EQ(test.error, error) << test.name;
        EXPECT_TRUE(image == kept) << test.name;
    }
}

}  // namespace
