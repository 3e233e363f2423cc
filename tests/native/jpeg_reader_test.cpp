#include "pictures/jpeg_reader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "jpeg_test_writer.h"
#include "picture_test_support.h"
#include "pictures/jpeg_entropy.h"

namespace {

PictureRead Decode(const std::vector<uint8_t>& bytes, KeptRows& sink) {
    MemoryBytes source(bytes);
    return ReadJpeg(source, sink);
}

// Small photographic crops, 37 x 21 or near (no whole number of MCUs
// either way), written by ImageMagick at each sampling, one with restart
// markers, two with flat areas, one Adobe RGB; and a pixel checkerboard at
// quality 100 with the standard tables: long codes, runs of 16 zeros, the
// last coefficient. ImageMagick's own decodes of them, committed beside
// them, are the expected pixels.
const struct Sample {
    const char* name;
    uint32_t width, height;
    bool grey;
} kSamples[] = {
    {"grey", 37, 21, true},    {"checkerboard", 16, 16, true},     {"ycc444", 37, 21, false}, {"ycc422", 36, 21, false},
    {"ycc440", 37, 21, false}, {"ycc420_restarts", 37, 21, false}, {"ycc411", 38, 21, false}, {"rgb", 37, 21, false},
};

std::vector<uint32_t> ExpectedPixels(const Sample& sample) {
    const std::vector<uint8_t> bytes = SampleBytes(sample.name + std::string(sample.grey ? ".gray" : ".rgb"));
    std::vector<uint32_t> pixels;
    for (size_t i = 0; i < bytes.size(); i += sample.grey ? 1 : 3)
        pixels.push_back(sample.grey ? bytes[i] * 0x010101u
                                     : uint32_t{bytes[i]} << 16 | bytes[i + 1] << 8 | bytes[i + 2]);
    return pixels;
}

// Where the first marker `code` is.
size_t MarkerOffset(const std::vector<uint8_t>& bytes, uint8_t code) {
    for (size_t i = 0; i + 1 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == code) return i;
    ADD_FAILURE() << "no marker " << int{code};
    return 0;
}

TEST(JpegReader, DecodesWhatImageMagickDecodesWithinTwoLevels) {
    std::vector<std::pair<Sample, std::vector<uint8_t>>> cases;
    for (const Sample& sample : kSamples) cases.push_back({sample, SampleBytes(sample.name + std::string(".jpg"))});
    // Greyscale with sampling factors other than 1 x 1 means the same picture.
    cases.push_back(cases.front());
    cases.back().second[MarkerOffset(cases.back().second, 0xC0) + 11] = 0x22;
    for (const auto& [sample, bytes] : cases) {
        SCOPED_TRACE(sample.name);
        KeptRows sink;
        ASSERT_EQ(PictureRead::Decoded, Decode(bytes, sink));
        EXPECT_EQ(sample.width, sink.width);
        EXPECT_EQ(sample.height, sink.height);
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
        EXPECT_LE(worst, 2) << "pixel " << worstAt % sample.width << "," << worstAt / sample.width << ": expected "
                            << std::hex << expected[worstAt] << ", decoded " << sink.pixels[worstAt];
    }
}

std::vector<uint32_t> DecodedPixels(const std::vector<uint8_t>& bytes) {
    KeptRows sink;
    EXPECT_EQ(PictureRead::Decoded, Decode(bytes, sink));
    return sink.pixels;
}

// Blocks of a 16 x 16 component, few coefficients each so that samples
// seldom reach the limits: every AC size from 1 to 10 with both signs and
// runs of zeros, and in each block a value of size 8.
std::vector<std::array<int, 64>> VariedBlocks(int seed) {
    std::vector<std::array<int, 64>> blocks(4);
    const auto value = [](int size, int pick) {
        const int magnitude = (1 << (size - 1)) + pick % (1 << (size - 1));
        return pick % 2 ? -magnitude : magnitude;
    };
    for (int b = 0; b < 4; ++b) {
        std::array<int, 64>& block = blocks[static_cast<size_t>(b)];
        block.fill(0);
        block[0] = (b - 2) * 60 + seed * 7;
        block[static_cast<size_t>(1 + (b * 5 + seed) % 20)] = value(8, b * 37 + seed * 11);
        for (int i = 0; i < 3; ++i)
            block[static_cast<size_t>(22 + (b * 13 + i * 17 + seed) % 42)] =
                value(1 + (b * 3 + i + seed) % 10, b + i * 29);
    }
    return blocks;
}

// The same coefficients under differently shaped AC tables decode alike:
// codes short enough that code and value fit one look-up (1 or 2 bits
// before a value of 7 or 8 bits) against 8-bit codes, which never do.
TEST(JpegReader, DecodesTheSameCoefficientsAlikeWhateverTheCodeLengths) {
    TestJpeg plain;
    for (int seed = 0; seed < 3; ++seed) plain.blocks.push_back(VariedBlocks(seed));
    plain.ids = {1, 2, 3};
    const std::vector<uint32_t> expected = DecodedPixels(WriteTestJpeg(plain));
    const struct {
        uint8_t symbol;
        int length;
    } shapes[] = {{0x08, 1}, {0x18, 1}, {0x07, 2}, {0x07, 1}, {0x0A, 1}};
    for (const auto& shape : shapes) {
        SCOPED_TRACE(testing::Message() << "symbol " << std::hex << int{shape.symbol} << ", " << shape.length
                                        << " bits");
        TestJpeg shaped = plain;
        shaped.ac = TestAcCode(9, shape.symbol, shape.length);
        EXPECT_EQ(expected, DecodedPixels(WriteTestJpeg(shaped)));
    }
}

// Three components are RGB or YCbCr as the reference library decides: a
// JFIF marker means YCbCr; else an Adobe marker's transform says (0: RGB);
// else components named R, G and B are RGB. RGB is each component decoded
// on its own as grey.
TEST(JpegReader, TellsRgbFromYccAsTheReferenceLibraryDoes) {
    TestJpeg ycc;
    for (int seed = 0; seed < 3; ++seed) ycc.blocks.push_back(VariedBlocks(seed * 5));
    ycc.ids = {1, 2, 3};
    const std::vector<uint32_t> yccPixels = DecodedPixels(WriteTestJpeg(ycc));
    std::vector<uint32_t> rgbPixels(yccPixels.size());
    for (size_t c = 0; c < 3; ++c) {
        TestJpeg grey;
        grey.blocks = {ycc.blocks[c]};
        const std::vector<uint32_t> samples = DecodedPixels(WriteTestJpeg(grey));
        ASSERT_EQ(rgbPixels.size(), samples.size());
        for (size_t i = 0; i < samples.size(); ++i) rgbPixels[i] |= (samples[i] & 0xFF) << (16 - 8 * c);
    }
    ASSERT_NE(yccPixels, rgbPixels);
    const struct {
        bool jfif;
        int adobeTransform;
        bool namedRgb;
        bool rgb;
    } cases[] = {
        {true, 0, false, false}, {true, -1, true, false}, {false, 1, true, false}, {false, 2, false, false},
        {false, 0, false, true}, {false, -1, true, true}, {false, 0, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "JFIF " << c.jfif << ", Adobe transform " << c.adobeTransform
                                        << ", named RGB " << c.namedRgb);
        TestJpeg marked = ycc;
        marked.jfif = c.jfif;
        marked.adobeTransform = c.adobeTransform;
        if (c.namedRgb) marked.ids = {'R', 'G', 'B'};
        EXPECT_EQ(c.rgb ? rgbPixels : yccPixels, DecodedPixels(WriteTestJpeg(marked)));
    }
}

// Codings left to the system's decoder, and headers out of range (patched
// into a good file at a distance from a marker: SOF0 C0, DHT C4, SOS DA):
// Unsupported before the sink hears of them.
TEST(JpegReader, RefusesOtherCodingsAndBadHeadersBeforeTheFirstRow) {
    const struct {
        const char* what;
        const char* sample;
        uint8_t marker;  // 0: the file as it is
        size_t at;
        std::vector<uint8_t> patch;
    } cases[] = {
        {"arithmetic coding", "arithmetic.jpg", 0, 0, {}},
        {"CMYK", "cmyk.jpg", 0, 0, {}},
        {"12-bit samples", "ycc444.jpg", 0xC0, 4, {12}},
        {"no height", "ycc444.jpg", 0xC0, 5, {0, 0}},
        {"too wide", "ycc444.jpg", 0xC0, 7, {0xFF, 0xFF}},
        {"luma 2x2, chroma 3x1", "ycc444.jpg", 0xC0, 11, {0x22, 0, 2, 0x31}},
        {"18 blocks an MCU", "ycc444.jpg", 0xC0, 11, {0x44}},
        {"fifth quantization table", "ycc444.jpg", 0xC0, 12, {4}},
        {"DC difference of 12 bits", "ycc444.jpg", 0xC4, 21, {12}},
        {"luma thrice in the scan", "ycc444.jpg", 0xDA, 7, {1, 0x11, 1}},
        {"a scan of coefficients 0 to 62", "ycc444.jpg", 0xDA, 12, {62}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> bytes = SampleBytes(c.sample);
        if (c.marker) std::copy(c.patch.begin(), c.patch.end(), bytes.begin() + MarkerOffset(bytes, c.marker) + c.at);
        KeptRows sink;
        EXPECT_EQ(PictureRead::Unsupported, Decode(bytes, sink));
        EXPECT_EQ(0xDEADBEEFu, sink.width);
    }
}

// Huffman tables from a DHT segment's counts of codes per length: no more
// codes than a length has room for, none of all ones, at most 256; the
// prefixes of longer codes have no entry in the look-up table.
TEST(JpegReader, TakesOnlyHuffmanTablesThatArePrefixCodes) {
    const uint8_t symbols[257] = {7, 8};
    const auto counts = [](std::initializer_list<std::pair<int, uint8_t>> lengths) {
        std::vector<uint8_t> counts(16);
        for (const auto& [length, count] : lengths) counts[static_cast<size_t>(length - 1)] = count;
        return counts;
    };
    HuffmanTable table;
    EXPECT_FALSE(BuildHuffmanTable(counts({{1, 3}}).data(), symbols, table));
    EXPECT_FALSE(BuildHuffmanTable(counts({{1, 1}, {2, 2}}).data(), symbols, table));
    EXPECT_FALSE(BuildHuffmanTable(counts({{15, 2}, {16, 255}}).data(), symbols, table));
    ASSERT_TRUE(BuildHuffmanTable(counts({{1, 1}, {10, 1}}).data(), symbols, table));
    EXPECT_EQ(1 << 8 | 7, table.fast[255]);  // code 0
    EXPECT_EQ(0, table.fast[256]);           // 1000000000 is longer
}

// A code no table has ends the block; a restart marker is found whether or
// not the bits before it already reached it, and only right after them.
TEST(JpegReader, EntropyCodedDataEndsAtBadCodesAndTakesOnlyAMarkerAfterAnInterval) {
    HuffmanTable dc, ac;
    const uint8_t oneCode[16] = {1}, symbol[1] = {0};  // "0": DC of size 0, or the end of the block
    ASSERT_TRUE(BuildHuffmanTable(oneCode, symbol, dc) && BuildHuffmanTable(oneCode, symbol, ac));
    const uint16_t quant[64] = {1};
    int16_t block[64] = {};
    int predictor = 0;
    const std::vector<uint8_t> onesAfterDc = {0x7F, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00};
    MemoryBytes source(onesAfterDc);
    JpegInput input(source);
    EXPECT_EQ(-1, JpegBits(input).DecodeBlock(dc, ac, quant, predictor, block));

    for (const auto& [bytes, marker] :
         {std::pair<std::vector<uint8_t>, int>{{0xFF, 0xFF, 0xD3}, 0xD3}, {{0x12, 0xFF, 0xD3}, -1}}) {
        MemoryBytes markerSource(bytes);
        JpegInput markerInput(markerSource);
        EXPECT_EQ(marker, JpegBits(markerInput).EndInterval());
    }
}

// Every shortened copy of each sample and copies with one byte changed:
// Unsupported, or Decoded with every row; never a fault (ASan watches).
TEST(JpegReader, DamagedFilesGiveUnsupportedOrAWholePicture) {
    for (const Sample& sample : kSamples) {
        SCOPED_TRACE(sample.name);
        const std::vector<uint8_t> good = SampleBytes(sample.name + std::string(".jpg"));
        int cutDecoded = 0;
        for (size_t length = 0; length < good.size(); ++length) {
            const std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<ptrdiff_t>(length));
            KeptRows sink;
            const PictureRead read = Decode(cut, sink);
            EXPECT_NE(PictureRead::Stopped, read) << length;
            if (read == PictureRead::Decoded) ++cutDecoded;
        }
        EXPECT_LE(cutDecoded, 2) << "only the end-of-picture marker may go";
        for (size_t at = 0; at < good.size(); ++at) {
            std::vector<uint8_t> changed = good;
            changed[at] ^= static_cast<uint8_t>(1u << (at % 8));
            KeptRows sink;
            const PictureRead read = Decode(changed, sink);
            EXPECT_NE(PictureRead::Stopped, read) << at;
            if (read == PictureRead::Decoded) {
                EXPECT_EQ(sink.height, sink.rows) << at;
            }
        }
    }
}

TEST(JpegReader, StopsWhenTheSinkRefuses) {
    const std::vector<uint8_t> bytes = SampleBytes("ycc420_restarts.jpg");
    for (uint32_t stopAt : {0u, 1u, 17u}) {
        KeptRows sink;
        sink.rowsAllowed = stopAt;
        EXPECT_EQ(PictureRead::Stopped, Decode(bytes, sink));
        EXPECT_EQ(stopAt, sink.rows);
    }
}

}  // namespace
