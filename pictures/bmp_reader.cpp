#include "bmp_reader.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kCoreHeaderBytes = 12;
constexpr uint32_t kLargestHeaderBytes = 124;
constexpr uint32_t kUncompressed = 0, kBitFields = 3, kAlphaBitFields = 6;
constexpr uint64_t kBandBytes = 1 << 20;  // rows are read about this many bytes at a time

uint16_t Little16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Little32(const uint8_t* p) {
    return p[0] | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

// The bytes read, fewer only at the file's end.
size_t ReadUpTo(ByteSource& source, uint8_t* into, size_t count) {
    size_t total = 0;
    while (total < count) {
        const size_t got = source.Read(into + total, count - total);
        if (!got) break;
        total += got;
    }
    return total;
}

// One colour channel of a masked pixel, as 8 bits.
class Channel {
public:
    explicit Channel(uint32_t mask) : mask_(mask) {
        if (!mask) return;
        while (!(mask >> shift_ & 1)) ++shift_;
        for (uint32_t rest = mask >> shift_; rest; rest >>= 1) ++bits_;
        if (bits_ > 8) return;
        for (uint32_t value = 0; value < (1u << bits_); ++value) {
            uint32_t wide = value << (8 - bits_);
            for (uint32_t filled = bits_; filled < 8; filled += bits_) wide |= wide >> bits_;
            expanded_[value] = static_cast<uint8_t>(wide);
        }
    }
    uint32_t Of(uint32_t pixel) const {
        const uint32_t value = (pixel & mask_) >> shift_;
        return bits_ > 8 ? value >> (bits_ - 8) : expanded_[value];
    }

private:
    uint32_t mask_;
    uint32_t shift_ = 0, bits_ = 0;
    uint8_t expanded_[256] = {};
};

struct Layout {
    uint32_t width, height;
    bool topDown;
    uint32_t bitsPerPixel;
    uint32_t masks[3];  // red, green, blue, for 16 and 32 bits
    uint32_t palette[256];
};

class RowConverter {
public:
    explicit RowConverter(const Layout& layout)
        : layout_(layout), red_(layout.masks[0]), green_(layout.masks[1]), blue_(layout.masks[2]) {}

    void Convert(const uint8_t* row, uint32_t* pixels) const {
        const uint32_t width = layout_.width, bits = layout_.bitsPerPixel;
        if (bits <= 8) {
            const uint32_t mask = (1u << bits) - 1;
            for (uint32_t x = 0, bit = 0; x < width; ++x, bit += bits)
                pixels[x] = layout_.palette[row[bit >> 3] >> (8 - bits - (bit & 7)) & mask];
        } else if (bits == 24) {
            for (uint32_t x = 0; x < width; ++x, row += 3)
                pixels[x] = static_cast<uint32_t>(row[2]) << 16 | static_cast<uint32_t>(row[1]) << 8 | row[0];
        } else if (bits == 32 && layout_.masks[0] == 0xFF0000 && layout_.masks[1] == 0xFF00 &&
                   layout_.masks[2] == 0xFF) {
            for (uint32_t x = 0; x < width; ++x, row += 4) pixels[x] = Little32(row) & 0xFFFFFF;
        } else {
            for (uint32_t x = 0; x < width; ++x, row += bits / 8) {
                const uint32_t pixel = bits == 16 ? Little16(row) : Little32(row);
                pixels[x] = red_.Of(pixel) << 16 | green_.Of(pixel) << 8 | blue_.Of(pixel);
            }
        }
    }

private:
    const Layout& layout_;
    Channel red_, green_, blue_;
};

bool Acceptable(uint32_t bitsPerPixel, uint32_t compression) {
    if (compression == kUncompressed)
        return bitsPerPixel == 1 || bitsPerPixel == 4 || bitsPerPixel == 8 || bitsPerPixel == 16 ||
               bitsPerPixel == 24 || bitsPerPixel == 32;
    return (compression == kBitFields || compression == kAlphaBitFields) && (bitsPerPixel == 16 || bitsPerPixel == 32);
}

}  // namespace

PictureRead ReadBmp(ByteSource& source, RowSink& sink) {
    // The file header, the info header, and the masks that may follow a 40-byte one.
    uint8_t head[kFileHeaderBytes + kLargestHeaderBytes + 16];
    if (ReadUpTo(source, head, kFileHeaderBytes + 4) != kFileHeaderBytes + 4 || head[0] != 'B' || head[1] != 'M')
        return PictureRead::Unsupported;
    const uint32_t pixelsAt = Little32(head + 10), headerBytes = Little32(head + 14);
    // Core, Windows 3 and its variants with masks inside, OS/2 2, V4, V5.
    const uint32_t kKnownSizes[] = {12, 40, 52, 56, 64, 108, 124};
    if (std::find(std::begin(kKnownSizes), std::end(kKnownSizes), headerBytes) == std::end(kKnownSizes) ||
        ReadUpTo(source, head + kFileHeaderBytes + 4, headerBytes - 4) != headerBytes - 4)
        return PictureRead::Unsupported;
    const uint8_t* info = head + kFileHeaderBytes;
    Layout layout = {};
    int64_t width, height;
    uint32_t compression = kUncompressed, coloursUsed = 0, paletteEntryBytes = 4,
             paletteAt = kFileHeaderBytes + headerBytes;
    if (headerBytes == kCoreHeaderBytes) {
        width = Little16(info + 4);
        height = Little16(info + 6);
        layout.bitsPerPixel = Little16(info + 10);
        paletteEntryBytes = 3;
        if (layout.bitsPerPixel == 16 || layout.bitsPerPixel == 32) return PictureRead::Unsupported;
    } else {
        width = static_cast<int32_t>(Little32(info + 4));
        height = static_cast<int32_t>(Little32(info + 8));
        layout.bitsPerPixel = Little16(info + 14);
        compression = Little32(info + 16);
        coloursUsed = Little32(info + 32);
        // OS/2's compression numbers mean other things: only its uncompressed files read alike.
        if (headerBytes == 64 && compression != kUncompressed) return PictureRead::Unsupported;
    }
    if (!Acceptable(layout.bitsPerPixel, compression)) return PictureRead::Unsupported;
    layout.topDown = height < 0;
    height = std::abs(height);
    if (width <= 0 || height == 0 || width > kMaxBmpReadEdge || height > kMaxBmpReadEdge)
        return PictureRead::Unsupported;
    layout.width = static_cast<uint32_t>(width);
    layout.height = static_cast<uint32_t>(height);

    const uint32_t bits = layout.bitsPerPixel;
    if (compression != kUncompressed) {
        const uint8_t* masks = info + 40;
        if (headerBytes == 40) {  // the masks follow the header
            const uint32_t maskBytes = compression == kAlphaBitFields ? 16 : 12;
            if (ReadUpTo(source, head + kFileHeaderBytes + 40, maskBytes) != maskBytes) return PictureRead::Unsupported;
            paletteAt += maskBytes;
        }
        for (int i = 0; i < 3; ++i) layout.masks[i] = Little32(masks + 4 * i);
    } else {
        static const uint32_t k555[3] = {0x7C00, 0x3E0, 0x1F}, k888[3] = {0xFF0000, 0xFF00, 0xFF};
        std::copy_n(bits == 16 ? k555 : k888, 3, layout.masks);
    }
    if (pixelsAt < paletteAt) return PictureRead::Unsupported;
    if (bits <= 8) {
        // Fewer colours than the depth allows when the header says so, or
        // when the pixels start before the full palette would end.
        uint32_t colours = 1u << bits;
        if (coloursUsed) colours = std::min(colours, coloursUsed);
        colours = std::min(colours, (pixelsAt - paletteAt) / paletteEntryBytes);
        if (!colours) return PictureRead::Unsupported;
        uint8_t entries[256 * 4];
        const size_t paletteBytes = size_t{colours} * paletteEntryBytes;
        if (ReadUpTo(source, entries, paletteBytes) != paletteBytes) return PictureRead::Unsupported;
        for (uint32_t i = 0; i < colours; ++i) {
            const uint8_t* entry = entries + i * paletteEntryBytes;
            layout.palette[i] = static_cast<uint32_t>(entry[2]) << 16 | static_cast<uint32_t>(entry[1]) << 8 | entry[0];
        }
    }

    const uint64_t stride = (uint64_t{layout.width} * bits + 31) / 32 * 4;
    const uint64_t usedRowBytes = (uint64_t{layout.width} * bits + 7) / 8;  // the file's last row may lack its padding
    const uint32_t bandRows =
        static_cast<uint32_t>(std::min<uint64_t>(std::max<uint64_t>(1, kBandBytes / stride), layout.height));
    std::vector<uint8_t> band(static_cast<size_t>(stride * bandRows));
    std::vector<uint32_t> pixels(layout.width);
    const RowConverter converter(layout);
    if (!sink.Start(layout.width, layout.height)) return PictureRead::Stopped;
    for (uint32_t first = 0; first < layout.height;) {
        const uint32_t count = std::min(bandRows, layout.height - first);
        // Bottom-up files keep the top row last: bands come from the end.
        const uint32_t firstInFile = layout.topDown ? first : layout.height - first - count;
        const size_t needed = static_cast<size_t>((count - 1) * stride + usedRowBytes);
        if (!source.Seek(pixelsAt + firstInFile * stride) ||
            ReadUpTo(source, band.data(), static_cast<size_t>(count * stride)) < needed)
            return PictureRead::Unsupported;
        for (uint32_t i = 0; i < count; ++i) {
            converter.Convert(&band[(layout.topDown ? i : count - 1 - i) * stride], pixels.data());
            if (!sink.Row(pixels.data())) return PictureRead::Stopped;
        }
        first += count;
    }
    return PictureRead::Decoded;
}
