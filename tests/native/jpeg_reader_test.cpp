#include "jpeg_reader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "jpeg_entropy.h"

namespace {

std::vector<uint8_t> ReadPicture(const std::string& name) {
    std::ifstream file(std::string(ZORV_NATIVE_PICTURES) + "/" + name, std::ios::binary);
    EXPECT_TRUE(file) << name;
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class MemorySource : public ByteSource {
public:
    explicit MemorySource(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
    size_t Read(void* into, size_t count) override {
        const size_t taken = std::min(count, bytes_.size() - at_);
        std::copy_n(bytes_.begin() + static_cast<ptrdiff_t>(at_), taken, static_cast<uint8_t*>(into));
        at_ += taken;
        return taken;
    }
    bool Seek(uint64_t offset) override { return offset <= bytes_.size() && (at_ = offset, true); }

private:
    const std::vector<uint8_t>& bytes_;
    size_t at_ = 0;
};

// Keeps the picture as 0xRRGGBB values; answers false from Row number
// `stopAt` (counting from 1), or from Start when it is 0.
struct PictureSink : RowSink {
    bool Start(uint32_t w, uint32_t h) override {
        width = w;
        height = h;
        return stopAt != 0;
    }
    bool Row(const uint32_t* row) override {
        for (uint32_t x = 0; x < width; ++x) pixels.push_back(row[x] & 0xFFFFFF);
        return ++rows != stopAt;
    }
    uint32_t width = 0xDEADBEEF, height = 0xDEADBEEF, rows = 0, stopAt = ~0u;
    std::vector<uint32_t> pixels;
};

PictureRead Decode(const std::vector<uint8_t>& bytes, PictureSink& sink) {
    MemorySource source(bytes);
    return ReadJpeg(source, sink);
}

// Small photographic crops, 37 x 21 (no whole number of MCUs either way),
// written by ImageMagick at each sampling (plus restart markers and an
// Adobe RGB file); ImageMagick's own decodes of them, committed beside
// them, are the expected pixels. Greyscale with sampling factors other
// than 1 x 1 means the same picture.
const char* const kSamples[] = {"grey.jpg", "ycc444.jpg", "ycc422.jpg", "ycc440.jpg", "ycc420_restarts.jpg", "rgb.jpg"};

std::vector<uint32_t> ExpectedPixels(const std::string& sample) {
    const bool grey = sample == "grey.jpg";
    const std::vector<uint8_t> bytes = ReadPicture(sample.substr(0, sample.size() - 3) + (grey ? "gray" : "rgb"));
    std::vector<uint32_t> pixels;
    for (size_t i = 0; i < bytes.size(); i += grey ? 1 : 3)
        pixels.push_back(grey ? bytes[i] * 0x010101u : uint32_t{bytes[i]} << 16 | bytes[i + 1] << 8 | bytes[i + 2]);
    return pixels;
}

size_t SofOffset(const std::vector<uint8_t>& bytes) {
    for (size_t i = 0; i + 1 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) return i;
    ADD_FAILURE() << "no SOF0";
    return 0;
}

TEST(JpegReader, DecodesWhatImageMagickDecodesWithinTwoLevels) {
    std::vector<std::pair<std::string, std::vector<uint8_t>>> cases;
    for (const char* sample : kSamples) cases.push_back({sample, ReadPicture(sample)});
    cases.push_back({"grey.jpg", ReadPicture("grey.jpg")});
    cases.back().second[SofOffset(cases.back().second) + 11] = 0x22;  // factors of the only component
    for (const auto& [sample, bytes] : cases) {
        SCOPED_TRACE(sample);
        PictureSink sink;
        ASSERT_EQ(PictureRead::Decoded, Decode(bytes, sink));
        EXPECT_EQ(37u, sink.width);
        EXPECT_EQ(21u, sink.height);
        const std::vector<uint32_t> expected = ExpectedPixels(sample);
        ASSERT_EQ(expected.size(), sink.pixels.size());
        int worst = 0;
        size_t worstAt = 0;
        for (size_t i = 0; i < expected.size(); ++i) {
            for (int shift = 0; shift < 24; shift += 8) {
                const int difference = std::abs(int(expected[i] >> shift & 255) - int(sink.pixels[i] >> shift & 255));
                if (difference > worst) worst = difference, worstAt = i;
            }
        }
        EXPECT_LE(worst, 2) << "pixel " << worstAt % 37 << "," << worstAt / 37 << ": expected " << std::hex
                            << expected[worstAt] << ", decoded " << sink.pixels[worstAt];
    }
}

// Codings left to the system's decoder, and frame headers out of range
// (patched into a good file): Unsupported before the sink hears of them.
TEST(JpegReader, RefusesOtherCodingsAndBadFramesBeforeTheFirstRow) {
    const struct {
        const char* what;
        const char* sample;
        size_t sofField;  // bytes from the SOF0 marker; 0: the file as it is
        std::vector<uint8_t> patch;
    } cases[] = {
        {"progressive", "progressive.jpg", 0, {}},
        {"arithmetic coding", "arithmetic.jpg", 0, {}},
        {"CMYK", "cmyk.jpg", 0, {}},
        {"components in separate scans", "separate_scans.jpg", 0, {}},
        {"12-bit samples", "ycc444.jpg", 4, {12}},
        {"no height", "ycc444.jpg", 5, {0, 0}},
        {"too wide", "ycc444.jpg", 7, {0xFF, 0xFF}},
        {"luma 2x2, chroma 3x1", "ycc444.jpg", 11, {0x22, 0, 2, 0x31}},
        {"fifth quantization table", "ycc444.jpg", 12, {4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> bytes = ReadPicture(c.sample);
        if (c.sofField) std::copy(c.patch.begin(), c.patch.end(), bytes.begin() + SofOffset(bytes) + c.sofField);
        PictureSink sink;
        EXPECT_EQ(PictureRead::Unsupported, Decode(bytes, sink));
        EXPECT_EQ(0xDEADBEEFu, sink.width);
    }
    // Huffman tables from counts of codes per length: three 1-bit codes
    // cannot be, nor a code of all ones.
    HuffmanTable table;
    const uint8_t symbols[4] = {};
    EXPECT_TRUE(BuildHuffmanTable(std::vector<uint8_t>{1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}.data(), symbols, table));
    EXPECT_FALSE(BuildHuffmanTable(std::vector<uint8_t>{1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}.data(), symbols, table));
    EXPECT_FALSE(BuildHuffmanTable(std::vector<uint8_t>{3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}.data(), symbols, table));
}

// Every shortened copy of each sample and copies with one byte changed:
// Unsupported, or Decoded with every row; never a fault (ASan watches).
TEST(JpegReader, DamagedFilesGiveUnsupportedOrAWholePicture) {
    for (const char* sample : kSamples) {
        SCOPED_TRACE(sample);
        const std::vector<uint8_t> good = ReadPicture(sample);
        int cutDecoded = 0;
        for (size_t length = 0; length < good.size(); ++length) {
            const std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<ptrdiff_t>(length));
            PictureSink sink;
            const PictureRead read = Decode(cut, sink);
            EXPECT_NE(PictureRead::Stopped, read) << length;
            if (read == PictureRead::Decoded) ++cutDecoded;
        }
        EXPECT_LE(cutDecoded, 2) << "only the end-of-picture marker may go";
        for (size_t at = 0; at < good.size(); ++at) {
            std::vector<uint8_t> changed = good;
            changed[at] ^= static_cast<uint8_t>(1u << (at % 8));
            PictureSink sink;
            const PictureRead read = Decode(changed, sink);
            EXPECT_NE(PictureRead::Stopped, read) << at;
            if (read == PictureRead::Decoded) {
                EXPECT_EQ(sink.height, sink.rows) << at;
            }
        }
    }
}

TEST(JpegReader, StopsWhenTheSinkRefuses) {
    const std::vector<uint8_t> bytes = ReadPicture("ycc420_restarts.jpg");
    for (uint32_t stopAt : {0u, 1u, 17u}) {
        PictureSink sink;
        sink.stopAt = stopAt;
        EXPECT_EQ(PictureRead::Stopped, Decode(bytes, sink));
        EXPECT_EQ(stopAt, sink.rows);
    }
}

}  // namespace
