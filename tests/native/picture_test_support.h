// What the picture readers' tests share: the sample files' bytes (read
// through pictures/memory_bytes.h) and a sink that keeps what it is given.
#pragma once

#include <cstdint>
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

// Keeps the rows it is given as 0xRRGGBB values, up to `keep` pixels;
// refuses the picture when `rowsAllowed` is 0 and stops the reader after
// that many rows. Its size stays 0xDEADBEEF until a reader starts it.
struct KeptRows : RowSink {
    uint32_t width = 0xDEADBEEF, height = 0xDEADBEEF, rows = 0, rowsAllowed = UINT32_MAX;
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
};
