#include "bmp_file.h"

#include <cstdio>
#include <memory>

#include "pictures/bmp_reader.h"
#include "pictures/memory_bytes.h"

namespace {

constexpr size_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoHeaderBytes = 40;

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}
void PutU16(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

uint64_t RowBytes(int64_t width) { return (static_cast<uint64_t>(width) * 3 + 3) & ~uint64_t{3}; }

// Keeps every row, as the surface's 0x00BBGGRR colours; refuses a picture
// of more than kMaxBmpPixels.
struct SurfaceSink : RowSink {
    PixelSurface surface;
    uint32_t width = 0, height = 0, row = 0;
    bool Start(uint32_t sourceWidth, uint32_t sourceHeight) override {
        width = sourceWidth;
        height = sourceHeight;
        if (int64_t{width} * height > kMaxBmpPixels) return false;
        surface = PixelSurface(static_cast<int32_t>(width), static_cast<int32_t>(height));
        return true;
    }
    bool Row(const uint32_t* pixels) override {
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t rgb = pixels[x];
            surface.Set(static_cast<int32_t>(x), static_cast<int32_t>(row),
                        (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16);
        }
        ++row;
        return true;
    }
};

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

bool DecodeBmp(const uint8_t* data, size_t size, PixelSurface& image, std::string& error) {
    if (size < 2 || data[0] != 'B' || data[1] != 'M') {
        error = "not a BMP file";
        return false;
    }
    MemoryBytes bytes(data, size);
    SurfaceSink sink;
    switch (ReadBmp(bytes, sink)) {
    case PictureRead::Decoded:
        image = std::move(sink.surface);
        return true;
    case PictureRead::Stopped:
        error = "unsupported BMP size " + std::to_string(sink.width) + " x " + std::to_string(sink.height);
        return false;
    case PictureRead::Unsupported:
        break;
    }
    error = "unsupported or damaged BMP file";
    return false;
}

std::vector<uint8_t> EncodeBmp(const PixelSurface& image) {
    const uint64_t rowBytes = RowBytes(image.Width());
    const uint32_t pixelBytes = static_cast<uint32_t>(rowBytes * static_cast<uint64_t>(image.Height()));
    const uint32_t pixelOffset = kFileHeaderBytes + kInfoHeaderBytes;
    std::vector<uint8_t> out;
    out.reserve(pixelOffset + pixelBytes);
    out.push_back('B');
    out.push_back('M');
    PutU32(out, pixelOffset + pixelBytes);
    PutU32(out, 0);
    PutU32(out, pixelOffset);
    PutU32(out, kInfoHeaderBytes);
    PutU32(out, static_cast<uint32_t>(image.Width()));
    PutU32(out, static_cast<uint32_t>(image.Height()));  // positive: bottom-up
    PutU16(out, 1);
    PutU16(out, 24);
    PutU32(out, 0);  // uncompressed
    PutU32(out, pixelBytes);
    PutU32(out, 2835);  // 72 dots per inch
    PutU32(out, 2835);
    PutU32(out, 0);
    PutU32(out, 0);
    for (int32_t y = image.Height() - 1; y >= 0; --y) {
        for (int32_t x = 0; x < image.Width(); ++x) {
            const uint32_t colour = image.Get(x, y);
            out.push_back(static_cast<uint8_t>(colour >> 16));
            out.push_back(static_cast<uint8_t>(colour >> 8));
            out.push_back(static_cast<uint8_t>(colour));
        }
        for (uint64_t pad = static_cast<uint64_t>(image.Width()) * 3; pad < rowBytes; ++pad) out.push_back(0);
    }
    return out;
}

bool ReadBmpFile(const std::string& path, PixelSurface& image, std::string& error) {
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    // The largest picture accepted, with the largest header, fits well below this.
    const size_t kMaxFileBytes = static_cast<size_t>(kMaxBmpPixels) * 4 + (size_t{1} << 20);
    std::vector<uint8_t> data;
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        if (data.size() + got > kMaxFileBytes) {
            error = path + ": file too large";
            return false;
        }
        data.insert(data.end(), chunk, chunk + got);
    }
    if (std::ferror(file.get())) {
        error = "cannot read " + path;
        return false;
    }
    if (!DecodeBmp(data.data(), data.size(), image, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

bool WriteBmpFile(const std::string& path, const PixelSurface& image, std::string& error) {
    const std::vector<uint8_t> data = EncodeBmp(image);
    File file(std::fopen(path.c_str(), "wb"));
    bool written = file && std::fwrite(data.data(), 1, data.size(), file.get()) == data.size();
    if (file) written = (std::fclose(file.release()) == 0) && written;
    if (!written) error = "cannot write " + path;
    return written;
}
