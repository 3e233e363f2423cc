#include "png_reader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#define ZLIB_CONST
#include <zlib.h>

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr uint32_t ChunkType(const char (&name)[5]) {
    return static_cast<uint32_t>(name[0]) << 24 | static_cast<uint32_t>(name[1]) << 16 |
           static_cast<uint32_t>(name[2]) << 8 | static_cast<uint32_t>(name[3]);
}
constexpr uint32_t kHeader = ChunkType("IHDR"), kPalette = ChunkType("PLTE"), kImageData = ChunkType("IDAT"),
                   kEnd = ChunkType("IEND");
constexpr uint32_t kMaxChunkLength = 0x7FFFFFFF;
constexpr size_t kBufferBytes = 65536;

uint32_t BigEndian32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 |
           p[3];
}

uint32_t UpdateCrc(uint32_t crc, const uint8_t* bytes, size_t count) {
    static const auto table = [] {
        std::vector<uint32_t> entries(256);
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320 ^ (c >> 1) : c >> 1;
            entries[n] = c;
        }
        return entries;
    }();
    for (size_t i = 0; i < count; ++i) crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return crc;
}

// The file's chunks, read through a buffer; to the image data's stream,
// the data of the run of image-data chunks a piece at a time.
class PngChunks {
public:
    explicit PngChunks(ByteSource& source) : source_(source), buffer_(kBufferBytes) {}

    bool ReadSignature() {
        uint8_t signature[sizeof kSignature];
        return ReadBytes(signature, sizeof signature) && std::memcmp(signature, kSignature, sizeof signature) == 0;
    }
    // The next chunk's length and type, once the previous one is done with.
    bool NextChunk() {
        uint8_t head[8];
        if (!ReadBytes(head, sizeof head)) return false;
        length_ = left_ = BigEndian32(head);
        type_ = BigEndian32(head + 4);
        crc_ = UpdateCrc(0xFFFFFFFF, head + 4, 4);
        return length_ <= kMaxChunkLength;
    }
    uint32_t type() const { return type_; }
    uint32_t length() const { return length_; }
    // The whole of the chunk's data, its check verified.
    bool ReadChunk(uint8_t* into) { return ReadData(into, length_) && CheckCrc(); }
    // Ancillary chunks go unread and unchecked.
    bool SkipChunk() {
        uint8_t scrap[4096];
        for (uint64_t left = uint64_t{left_} + 4; left;) {
            const size_t count = static_cast<size_t>(std::min<uint64_t>(left, sizeof scrap));
            if (!ReadBytes(scrap, count)) return false;
            left -= count;
        }
        return true;
    }
    // Points `bytes` at the next piece of image data and gives its length;
    // 0 once the run of image-data chunks ends or cannot be read.
    size_t NextPiece(const uint8_t** bytes) {
        while (left_ == 0) {
            if (imageDataEnded_ || failed_) return 0;
            if (!SkipCrc() || !NextChunk()) {
                failed_ = true;
                return 0;
            }
            if (type_ != kImageData) {
                imageDataEnded_ = true;
                return 0;
            }
        }
        const size_t count = Buffered(bytes, left_);
        if (!count) {
            failed_ = true;
            return 0;
        }
        left_ -= static_cast<uint32_t>(count);
        return count;
    }
    // After the compressed stream: the rest of the image data is sound and
    // another chunk follows it.
    bool ImageDataEndsWell() {
        const uint8_t* unused;
        while (NextPiece(&unused)) {}
        return imageDataEnded_ && !failed_;
    }

private:
    // Up to `most` bytes straight from the buffer; 0 at the file's end.
    size_t Buffered(const uint8_t** bytes, size_t most) {
        if (at_ == end_) {
            at_ = 0;
            end_ = source_.Read(buffer_.data(), buffer_.size());
        }
        const size_t count = std::min(most, end_ - at_);
        *bytes = buffer_.data() + at_;
        at_ += count;
        return count;
    }
    bool ReadBytes(uint8_t* into, size_t count) {
        while (count) {
            const uint8_t* bytes;
            const size_t got = Buffered(&bytes, count);
            if (!got) return false;
            std::memcpy(into, bytes, got);
            into += got;
            count -= got;
        }
        return true;
    }
    bool ReadData(uint8_t* into, uint32_t count) {
        if (count > left_ || !ReadBytes(into, count)) return false;
        crc_ = UpdateCrc(crc_, into, count);
        left_ -= count;
        return true;
    }
    // The image data's checks go unread: its compressed stream has a check
    // of its own on what it gives, cheaper than theirs.
    bool SkipCrc() {
        uint8_t stored[4];
        return ReadBytes(stored, sizeof stored);
    }
    bool CheckCrc() {
        uint8_t stored[4];
        return left_ == 0 && ReadBytes(stored, sizeof stored) && BigEndian32(stored) == (crc_ ^ 0xFFFFFFFF);
    }

    ByteSource& source_;
    std::vector<uint8_t> buffer_;
    size_t at_ = 0, end_ = 0;
    uint32_t length_ = 0, type_ = 0, left_ = 0, crc_ = 0;
    bool imageDataEnded_ = false, failed_ = false;
};

// The image data's zlib stream, inflated on demand: the caller asks for a
// row's bytes at a time, and zlib holds no more than its 32 KB window.
class ImageData {
public:
    explicit ImageData(PngChunks& chunks) : chunks_(chunks) { failed_ = inflateInit(&stream_) != Z_OK; }
    ~ImageData() { inflateEnd(&stream_); }
    // Exactly `count` bytes into `into`; false when the data is damaged or
    // ends before them (and from then on).
    bool Read(uint8_t* into, size_t count) {
        if (failed_ || ended_) return Fail();
        stream_.next_out = into;
        stream_.avail_out = static_cast<uInt>(count);
        while (stream_.avail_out) {
            if (!stream_.avail_in && !Refill()) return Fail();
            const int result = inflate(&stream_, Z_NO_FLUSH);
            if (result == Z_STREAM_END) {
                ended_ = true;
                return stream_.avail_out == 0 || Fail();
            }
            if (result != Z_OK && result != Z_BUF_ERROR) return Fail();
        }
        return true;
    }
    // True when the stream ends here, after what was read: nothing more
    // comes out of it and its check matches (zlib checks it on the way).
    bool Finish() {
        uint8_t more;
        while (!ended_ && !failed_) {
            stream_.next_out = &more;
            stream_.avail_out = 1;
            if (!stream_.avail_in && !Refill()) return Fail();
            const int result = inflate(&stream_, Z_NO_FLUSH);
            if (stream_.avail_out == 0 || (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR))
                return Fail();
            ended_ = result == Z_STREAM_END;
        }
        return !failed_;
    }

    ImageData(const ImageData&) = delete;
    ImageData& operator=(const ImageData&) = delete;

private:
    bool Fail() {
        failed_ = true;
        return false;
    }
    bool Refill() {
        const uint8_t* piece = nullptr;
        const size_t size = chunks_.NextPiece(&piece);
        stream_.next_in = piece;
        stream_.avail_in = static_cast<uInt>(size);
        return size != 0;
    }

    PngChunks& chunks_;
    z_stream stream_ = {};
    bool failed_ = false, ended_ = false;
};

struct Format {
    uint32_t width, height;
    uint32_t depth, colourType, channels;
    bool interlaced;
    uint32_t BitsPerPixel() const { return depth * channels; }
    uint64_t RowBytes(uint32_t pixels) const { return (uint64_t{pixels} * BitsPerPixel() + 7) / 8; }
};

bool ParseHeader(const uint8_t* header, Format& format) {
    format.width = BigEndian32(header);
    format.height = BigEndian32(header + 4);
    format.depth = header[8];
    format.colourType = header[9];
    format.interlaced = header[12] == 1;
    const uint32_t depth = format.depth;
    switch (format.colourType) {
    case 0:  // grey
        format.channels = 1;
        if (depth != 1 && depth != 2 && depth != 4 && depth != 8 && depth != 16) return false;
        break;
    case 3:  // palette
        format.channels = 1;
        if (depth != 1 && depth != 2 && depth != 4 && depth != 8) return false;
        break;
    case 2:  // RGB
    case 4:  // grey and alpha
    case 6:  // RGB and alpha
        format.channels = format.colourType == 2 ? 3 : format.colourType == 4 ? 2 : 4;
        if (depth != 8 && depth != 16) return false;
        break;
    default:
        return false;
    }
    return format.width && format.height && format.width <= kMaxPngEdge && format.height <= kMaxPngEdge &&
           header[10] == 0 && header[11] == 0 && header[12] <= 1;
}

// The neighbour nearest to left + above - aboveLeft, ties going to left,
// then above.
uint8_t Paeth(int left, int above, int aboveLeft) {
    const int toLeft = std::abs(above - aboveLeft), toAbove = std::abs(left - aboveLeft),
              toAboveLeft = std::abs(left + above - 2 * aboveLeft);
    if (toAboveLeft < toLeft && toAboveLeft < toAbove) return static_cast<uint8_t>(aboveLeft);
    return static_cast<uint8_t>(toAbove < toLeft ? above : left);
}

// Undoes a row's filter; `step` is the distance in bytes to the pixel on
// the left (at least 1).
bool Unfilter(uint8_t filter, uint8_t* row, const uint8_t* above, size_t size, size_t step) {
    switch (filter) {
    case 0:
        return true;
    case 1:
        for (size_t i = step; i < size; ++i) row[i] = static_cast<uint8_t>(row[i] + row[i - step]);
        return true;
    case 2:
        for (size_t i = 0; i < size; ++i) row[i] = static_cast<uint8_t>(row[i] + above[i]);
        return true;
    case 3:
        for (size_t i = 0; i < step; ++i) row[i] = static_cast<uint8_t>(row[i] + (above[i] >> 1));
        for (size_t i = step; i < size; ++i) row[i] = static_cast<uint8_t>(row[i] + ((row[i - step] + above[i]) >> 1));
        return true;
    case 4:
        for (size_t i = 0; i < step; ++i) row[i] = static_cast<uint8_t>(row[i] + above[i]);
        for (size_t i = step; i < size; ++i)
            row[i] = static_cast<uint8_t>(row[i] + Paeth(row[i - step], above[i], above[i - step]));
        return true;
    default:
        return false;
    }
}

void ToPixels(const Format& format, const uint8_t* row, uint32_t width, const uint32_t* palette, uint32_t* pixels) {
    const bool indexed = format.colourType == 3;
    if (format.depth < 8) {
        const uint32_t depth = format.depth, mask = (1u << depth) - 1, greyScale = 0xFF / mask * 0x010101;
        for (uint32_t x = 0, bit = 0; x < width; ++x, bit += depth) {
            const uint32_t value = row[bit >> 3] >> (8 - depth - (bit & 7)) & mask;
            pixels[x] = indexed ? palette[value] : value * greyScale;
        }
        return;
    }
    const size_t sample = format.depth / 8, step = sample * format.channels;
    if (indexed) {
        for (uint32_t x = 0; x < width; ++x) pixels[x] = palette[row[x]];
    } else if (format.channels <= 2) {
        for (uint32_t x = 0; x < width; ++x) pixels[x] = row[x * step] * 0x010101u;
    } else {
        for (uint32_t x = 0; x < width; ++x, row += step)
            pixels[x] = static_cast<uint32_t>(row[0]) << 16 | static_cast<uint32_t>(row[sample]) << 8 | row[2 * sample];
    }
}

// `rows` rows of `width` pixels (one picture, or one pass of an interlaced
// one), each handed to `use` with its number; use returns false to stop.
template <class Use>
PictureRead ReadRows(ImageData& data, const Format& format, uint32_t width, uint32_t rows, const uint32_t* palette,
                     Use use) {
    if (!width || !rows) return PictureRead::Decoded;  // an empty pass has no bytes at all
    const size_t rowBytes = static_cast<size_t>(format.RowBytes(width));
    const size_t step = std::max<size_t>(1, format.BitsPerPixel() / 8);
    std::vector<uint8_t> previous(rowBytes + 1), current(rowBytes + 1);  // a filter byte, then the row
    std::vector<uint32_t> pixels(width);
    for (uint32_t y = 0; y < rows; ++y) {
        if (!data.Read(current.data(), current.size()) ||
            !Unfilter(current[0], current.data() + 1, previous.data() + 1, rowBytes, step))
            return PictureRead::Unsupported;
        ToPixels(format, current.data() + 1, width, palette, pixels.data());
        if (!use(y, pixels.data())) return PictureRead::Stopped;
        current.swap(previous);
    }
    return PictureRead::Decoded;
}

// The seven passes gathered into the whole picture, then handed on.
PictureRead ReadInterlaced(ImageData& data, const Format& format, const uint32_t* palette, RowSink& sink) {
    static const struct {
        uint32_t left, top, across, down;
    } kPasses[] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    const uint32_t width = format.width, height = format.height;
    std::vector<uint32_t> picture(size_t{width} * height);
    for (const auto& pass : kPasses) {
        const uint32_t columns = width > pass.left ? (width - pass.left + pass.across - 1) / pass.across : 0;
        const uint32_t rows = height > pass.top ? (height - pass.top + pass.down - 1) / pass.down : 0;
        const auto place = [&](uint32_t y, const uint32_t* pixels) {
            uint32_t* to = &picture[size_t{pass.top + y * pass.down} * width + pass.left];
            for (uint32_t x = 0; x < columns; ++x) to[size_t{x} * pass.across] = pixels[x];
            return true;
        };
        const PictureRead read = ReadRows(data, format, columns, rows, palette, place);
        if (read != PictureRead::Decoded) return read;
    }
    for (uint32_t y = 0; y < height; ++y)
        if (!sink.Row(&picture[size_t{y} * width])) return PictureRead::Stopped;
    return PictureRead::Decoded;
}

}  // namespace

PictureRead ReadPng(ByteSource& source, RowSink& sink) {
    PngChunks chunks(source);
    if (!chunks.ReadSignature() || !chunks.NextChunk() || chunks.type() != kHeader || chunks.length() != 13)
        return PictureRead::Unsupported;
    uint8_t header[13];
    Format format;
    if (!chunks.ReadChunk(header) || !ParseHeader(header, format)) return PictureRead::Unsupported;
    uint32_t palette[256] = {};  // indices past the file's palette show black
    bool hasPalette = false;
    for (;;) {
        if (!chunks.NextChunk()) return PictureRead::Unsupported;
        const uint32_t type = chunks.type();
        if (type == kImageData) break;
        if (type == kPalette) {
            uint8_t entries[256 * 3];
            if (chunks.length() % 3 || chunks.length() > sizeof entries || !chunks.ReadChunk(entries))
                return PictureRead::Unsupported;
            for (uint32_t i = 0; i < chunks.length() / 3; ++i) {
                const uint8_t* entry = entries + 3 * i;
                palette[i] = static_cast<uint32_t>(entry[0]) << 16 | static_cast<uint32_t>(entry[1]) << 8 | entry[2];
            }
            hasPalette = chunks.length() > 0;
        } else if (type == kEnd || !(type & 0x20000000)) {
            return PictureRead::Unsupported;  // no picture, or a critical chunk not known here
        } else if (!chunks.SkipChunk()) {
            return PictureRead::Unsupported;
        }
    }
    if (format.colourType == 3 && !hasPalette) return PictureRead::Unsupported;
    if (format.interlaced && uint64_t{format.width} * format.height * 4 > kMaxInterlacedBytes)
        return PictureRead::Unsupported;
    if (!sink.Start(format.width, format.height)) return PictureRead::Stopped;
    ImageData data(chunks);
    const PictureRead read = format.interlaced
                                 ? ReadInterlaced(data, format, palette, sink)
                                 : ReadRows(data, format, format.width, format.height, palette,
                                            [&](uint32_t, const uint32_t* pixels) { return sink.Row(pixels); });
    if (read != PictureRead::Decoded) return read;
    return data.Finish() && chunks.ImageDataEndsWell() ? PictureRead::Decoded : PictureRead::Unsupported;
}
