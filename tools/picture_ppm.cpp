// picture_ppm: one file through the saver's own readers (the entry that
// picks a reader by the first bytes), at full size, for
// tools/conformance.sh.
//
//     picture_ppm FILE                writes the picture as a binary PPM on stdout
//     picture_ppm FILE --against REF  compares it, row by row, with the PPM or PGM
//                                     REF ("-": stdin; 8 or 16 bits, 16-bit samples
//                                     by their high byte, as the readers give them)
//
// With --against it prints one line: "identical", "differ N" (N the largest
// difference of one channel), "size WxH against WxH", or "no-reference WxH"
// when REF holds no picture. Exit status: 0 read, 3 no reader knows the
// file's first bytes, 4 the reader refused it (a variant it does not read,
// or a damaged file), 2 bad arguments or an unreadable file. Only a row of
// each picture is held, so any size fits.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "pictures/picture_readers.h"

namespace {

class FileBytes : public ByteSource {
public:
    explicit FileBytes(FILE* file) : file_(file) {}
    size_t Read(void* into, size_t count) override { return std::fread(into, 1, count, file_); }
    bool Seek(uint64_t offset) override { return std::fseek(file_, static_cast<long>(offset), SEEK_SET) == 0; }

private:
    FILE* file_;
};

// A binary PPM (P6) or PGM (P5), read a row at a time as 0x00RRGGBB.
class ReferencePicture {
public:
    explicit ReferencePicture(FILE* file) : file_(file) {
        const int magic = std::fgetc(file) == 'P' ? std::fgetc(file) : EOF;
        const uint32_t width = HeaderNumber(), height = HeaderNumber(), maxValue = HeaderNumber();
        width_ = width, height_ = height;
        channels_ = magic == '6' ? 3 : magic == '5' ? 1 : 0;
        sampleBytes_ = maxValue == 255 ? 1 : maxValue == 65535 ? 2 : 0;
        valid_ = channels_ && sampleBytes_ && width_ && height_;
    }
    bool valid() const { return valid_; }
    uint32_t width() const { return width_; }
    uint32_t height() const { return height_; }
    bool Row(std::vector<uint32_t>& pixels) {
        bytes_.resize(size_t{width_} * channels_ * sampleBytes_);
        if (std::fread(bytes_.data(), 1, bytes_.size(), file_) != bytes_.size()) return false;
        pixels.resize(width_);
        for (uint32_t x = 0; x < width_; ++x) {
            uint32_t pixel = 0;
            for (int c = 0; c < channels_; ++c) pixel = pixel << 8 | bytes_[(size_t{x} * channels_ + c) * sampleBytes_];
            pixels[x] = channels_ == 1 ? pixel * 0x010101 : pixel;
        }
        return true;
    }

private:
    // The next number of the header, past blanks and comments (ImageMagick
    // puts the picture's comment there); the single blank after it is eaten.
    uint32_t HeaderNumber() {
        int c = std::fgetc(file_);
        while (c == '#' || std::isspace(c)) {
            if (c == '#')
                while (c != '\n' && c != EOF) c = std::fgetc(file_);
            c = std::fgetc(file_);
        }
        uint32_t value = 0;
        for (; std::isdigit(c); c = std::fgetc(file_)) value = value * 10 + static_cast<uint32_t>(c - '0');
        return value;
    }

    FILE* file_;
    uint32_t width_ = 0, height_ = 0;
    int channels_ = 0, sampleBytes_ = 0;
    bool valid_ = false;
    std::vector<uint8_t> bytes_;
};

class PpmWriter : public RowSink {
public:
    bool Start(uint32_t width, uint32_t height) override {
        width_ = width;
        row_.resize(size_t{width} * 3);
        return std::printf("P6\n%u %u\n255\n", width, height) > 0;
    }
    bool Row(const uint32_t* pixels) override {
        for (uint32_t x = 0; x < width_; ++x) {
            row_[3 * x] = static_cast<uint8_t>(pixels[x] >> 16);
            row_[3 * x + 1] = static_cast<uint8_t>(pixels[x] >> 8);
            row_[3 * x + 2] = static_cast<uint8_t>(pixels[x]);
        }
        return std::fwrite(row_.data(), 1, row_.size(), stdout) == row_.size();
    }

private:
    uint32_t width_ = 0;
    std::vector<uint8_t> row_;
};

// Compares as the rows come; a picture of another size is still read to
// the end, so that the exit status tells whether the reader took it.
class Comparison : public RowSink {
public:
    explicit Comparison(ReferencePicture& reference) : reference_(reference) {}
    bool Start(uint32_t width, uint32_t height) override {
        width_ = width;
        height_ = height;
        sameSize_ = reference_.valid() && width == reference_.width() && height == reference_.height();
        return true;
    }
    bool Row(const uint32_t* pixels) override {
        if (!sameSize_) return true;
        if (!reference_.Row(expected_)) {
            sameSize_ = false;  // the reference ended early: no picture to compare with
            truncated_ = true;
            return true;
        }
        for (uint32_t x = 0; x < width_; ++x)
            for (int shift = 0; shift < 24; shift += 8) {
                const int ours = pixels[x] >> shift & 0xFF, theirs = expected_[x] >> shift & 0xFF;
                largest_ = std::max(largest_, std::abs(ours - theirs));
            }
        return true;
    }
    void Print() const {
        if (!reference_.valid() || truncated_)
            std::printf("no-reference %ux%u\n", width_, height_);
        else if (!sameSize_)
            std::printf("size %ux%u against %ux%u\n", width_, height_, reference_.width(), reference_.height());
        else if (largest_ == 0)
            std::printf("identical\n");
        else
            std::printf("differ %d\n", largest_);
    }

private:
    ReferencePicture& reference_;
    std::vector<uint32_t> expected_;
    uint32_t width_ = 0, height_ = 0;
    bool sameSize_ = false, truncated_ = false;
    int largest_ = 0;
};

bool KnownFormat(FILE* file) {
    uint8_t start[16];
    const size_t got = std::fread(start, 1, sizeof start, file);
    std::rewind(file);
    for (const OwnPictureFormat* format = OwnPictureFormatsBegin(); format != OwnPictureFormatsEnd(); ++format)
        if (got >= format->signatureBytes && std::memcmp(start, format->signature, format->signatureBytes) == 0)
            return true;
    return false;
}

int ExitStatus(PictureRead read) { return read == PictureRead::Decoded ? 0 : 4; }

}  // namespace

int main(int argc, char** argv) {
    const bool compare = argc == 4 && std::strcmp(argv[2], "--against") == 0;
    if (argc != 2 && !compare) {
        std::fprintf(stderr, "usage: picture_ppm FILE [--against REFERENCE.ppm|-]\n");
        return 2;
    }
    FILE* file = std::fopen(argv[1], "rb");
    if (!file) {
        std::fprintf(stderr, "picture_ppm: cannot read %s\n", argv[1]);
        return 2;
    }
    FileBytes source(file);
    if (!KnownFormat(file)) return 3;
    if (!compare) {
        PpmWriter writer;
        const PictureRead read = ReadOwnPicture(source, writer);
        return std::fflush(stdout) == 0 ? ExitStatus(read) : 2;
    }
    const bool fromStdin = std::strcmp(argv[3], "-") == 0;
    FILE* referenceFile = fromStdin ? stdin : std::fopen(argv[3], "rb");
    if (!referenceFile) {
        std::fprintf(stderr, "picture_ppm: cannot read %s\n", argv[3]);
        return 2;
    }
    ReferencePicture reference(referenceFile);
    Comparison comparison(reference);
    const PictureRead read = ReadOwnPicture(source, comparison);
    if (read == PictureRead::Decoded) comparison.Print();
    return ExitStatus(read);
}
