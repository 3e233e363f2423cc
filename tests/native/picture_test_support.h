// What the picture readers' tests share: the sample files' bytes (read
// through pictures/memory_bytes.h) and a sink that keeps what it is given.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "pictures/memory_bytes.h"
#include "pictures/picture_stream.h"

inline std::vector<uint8_t> FileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
}

// A file of tests/native/pictures.
inline std::vector<uint8_t> SampleBytes(const std::string& name) {
    return FileBytes(std::string(ZORV_SAMPLE_PICTURES) + "/" + name);
}

// A binary PGM or PPM of 16-bit samples, as 0x00RRGGBB of their high bytes.
inline bool ReadExpected(const std::filesystem::path& path, uint32_t& width, uint32_t& height,
                         std::vector<uint32_t>& pixels) {
    std::ifstream file(path, std::ios::binary);
    std::string magic;
    uint32_t maxValue = 0;
    file >> magic >> width >> height >> maxValue;
    file.get();
    const int channels = magic == "P6" ? 3 : 1;
    if ((magic != "P5" && magic != "P6") || maxValue != 65535) return false;
    for (uint32_t i = 0; i < width * height; ++i) {
        uint32_t pixel = 0;
        for (int c = 0; c < channels; ++c) {
            pixel = pixel << 8 | static_cast<uint8_t>(file.get());
            file.get();  // the low byte
        }
        pixels.push_back(channels == 1 ? pixel * 0x010101 : pixel);
    }
    return file.good();
}

// Keeps the rows it is given as 0xRRGGBB values, up to `keep` pixels;
// refuses the picture when `rowsAllowed` is 0 and stops the reader after
// that many rows, or when asked to go on for the `continuesAllowed`th
// time. Its size stays 0xDEADBEEF until a reader starts it.
struct KeptRows : RowSink {
    uint32_t width = 0xDEADBEEF, height = 0xDEADBEEF, rows = 0, rowsAllowed = UINT32_MAX;
    uint32_t shownWidth = 0, shownHeight = 0, continues = 0, continuesAllowed = UINT32_MAX;
    size_t keep = SIZE_MAX;
    std::vector<uint32_t> pixels;
    bool Start(uint32_t w, uint32_t h) override {
        width = w, height = h;
        return rowsAllowed > 0;
    }
    bool Row(const uint32_t* row) override {
        for (uint32_t x = 0; x < width && pixels.size() < keep; ++x) pixels.push_back(row[x] & 0xFFFFFF);
        return ++rows < rowsAllowed;
    }
    void ShownSize(uint32_t& w, uint32_t& h) const override { w = shownWidth, h = shownHeight; }
    bool Continue() override { return ++continues < continuesAllowed; }
};
