// Progressive JPEGs in the saver's own reader: ImageMagick's files (see
// make-samples.py) against ImageMagick's decode of them, whole and reduced
// from a store that keeps only some coefficients; the writer's files with
// restart intervals and runs of empty blocks against the same coefficients
// sent sequentially; the budget; stops; damaged files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "jpeg_test_writer.h"
#include "picture_test_support.h"
#include "pictures/jpeg_coefficients.h"
#include "pictures/jpeg_reader.h"

namespace {

PictureRead Decode(const std::vector<uint8_t>& bytes, KeptRows& sink, size_t budget = kJpegCoefficientBudget) {
    MemoryBytes source(bytes);
    return ReadJpegWithin(source, sink, budget);
}

// The largest difference of a channel between two pictures of one size,
// and the mean over the pixels of each one's largest.
int WorstDifference(const std::vector<uint32_t>& expected, const std::vector<uint32_t>& actual,
                    double* mean = nullptr) {
    EXPECT_EQ(expected.size(), actual.size());
    int worst = 0;
    double sum = 0;
    for (size_t i = 0; i < expected.size() && i < actual.size(); ++i) {
        int pixelWorst = 0;
        for (int shift = 0; shift < 24; shift += 8)
            pixelWorst =
                std::max(pixelWorst, std::abs(int(expected[i] >> shift & 255) - int(actual[i] >> shift & 255)));
        worst = std::max(worst, pixelWorst);
        sum += pixelWorst;
    }
    if (mean) *mean = expected.empty() ? 0 : sum / static_cast<double>(expected.size());
    return worst;
}

// The tolerances of a reduced decode (see ReducedFromPartOfTheCoefficients)
// are the measured differences rounded up.
const struct Sample {
    const char* name;
    bool grey;
    uint32_t hMax, vMax;  // luma's sampling factors
    int reducedWorst;
    double reducedMean;
} kSamples[] = {
    {"progressive-ycc420", false, 2, 2, 28, 5.5},
    {"progressive-ycc422", false, 2, 1, 34, 14},
    {"progressive-ycc444", false, 1, 1, 22, 4},
    {"progressive-grey", true, 1, 1, 20, 2.5},
};

struct Expected {
    uint32_t width = 0, height = 0;
    std::vector<uint32_t> pixels;
};

Expected ImageMagickDecode(const Sample& sample) {
    Expected expected;
    EXPECT_TRUE(ReadExpected(std::string(ZORV_SAMPLE_PICTURES) + "/" + sample.name + (sample.grey ? ".pgm" : ".ppm"),
                             expected.width, expected.height, expected.pixels));
    return expected;
}

// What the reader's store takes for a sample keeping `kept` x `kept` of a
// luma block: chroma at half the resolution both ways keeps twice that
// where it can and is `doubled`.
size_t StoreBytes(const Sample& sample, const Expected& picture, int kept, bool doubled = true) {
    const size_t mcusAcross = (picture.width + 8 * sample.hMax - 1) / (8 * sample.hMax);
    const size_t mcusDown = (picture.height + 8 * sample.vMax - 1) / (8 * sample.vMax);
    const bool twice = doubled && sample.hMax == sample.vMax && kept < 8 && kept * sample.hMax <= 8;
    const int chromaKept = twice ? kept * sample.hMax : kept;
    return mcusAcross * mcusDown *
           (sample.hMax * sample.vMax * JpegCoefficients::BytesPerBlock(kept) +
            (sample.grey ? 0 : 2 * JpegCoefficients::BytesPerBlock(chromaKept)));
}

// The mean of each `reduction` x `reduction` square of the picture (the
// last ones cut at its edges), as the blocks reduced cover it.
std::vector<uint32_t> SquareMeans(const Expected& picture, uint32_t reduction) {
    std::vector<uint32_t> means;
    for (uint32_t top = 0; top < picture.height; top += reduction)
        for (uint32_t left = 0; left < picture.width; left += reduction) {
            uint32_t sums[3] = {}, count = 0;
            for (uint32_t y = top; y < std::min(picture.height, top + reduction); ++y)
                for (uint32_t x = left; x < std::min(picture.width, left + reduction); ++x, ++count)
                    for (int c = 0; c < 3; ++c)
                        sums[c] += picture.pixels[size_t{y} * picture.width + x] >> (8 * c) & 255;
            uint32_t mean = 0;
            for (int c = 0; c < 3; ++c) mean |= (sums[c] + count / 2) / count << (8 * c);
            means.push_back(mean);
        }
    return means;
}

TEST(JpegProgressive, DecodesWhatImageMagickDecodesWithinTwoLevels) {
    for (const Sample& sample : kSamples) {
        SCOPED_TRACE(sample.name);
        const Expected expected = ImageMagickDecode(sample);
        KeptRows sink;
        ASSERT_EQ(PictureRead::Decoded, Decode(SampleBytes(sample.name + std::string(".jpg")), sink));
        EXPECT_EQ(expected.width, sink.width);
        EXPECT_EQ(expected.height, sink.height);
        EXPECT_LE(WorstDifference(expected.pixels, sink.pixels), 2);
    }
}

// Shown at 1/2, 1/4 or 1/8 of its size or less, a picture whose
// coefficients do not all fit the budget keeps the lowest 4 x 4, 2 x 2 or
// 1 x 1 of each block and comes out at that size. Against the means of
// ImageMagick's decode over the squares each reduced sample covers, these
// 70 x 46 photographs differ (channel levels, worst / mean over pixels):
//   grey, 4:4:4 and 4:2:0: 16-25 / 1.1-4.9; the worst at sharp edges, which
//     the higher frequencies not kept add to, and in the blocks cut by the
//     picture's edge, whose means the encoder's padding enters;
//   4:2:2: 30-32 / 5.9-13: its chroma, at half the resolution across only,
//     is reduced with luma and interpolated at the smaller size, where a
//     chroma sample spans 4 to 16 pixels of the picture.
// On a larger picture shown at screen size, a block spans far less of it
// and the differences are smaller: a 2400 x 1600 fractal, shown at
// 1024 x 768, 600 x 400 and 300 x 200 after the same area reduction, 3 to 8
// levels at worst and 0.5 to 1.0 on average (all coefficients kept: 0). Where the budget is short
// of 4:2:0's chroma kept twice over, it is kept as luma is (and
// interpolated); a store a byte over the budget even so is refused
// before the first row.
TEST(JpegProgressive, ReducedFromPartOfTheCoefficientsWithinTheStatedTolerance) {
    for (const Sample& sample : kSamples) {
        const Expected expected = ImageMagickDecode(sample);
        const std::vector<uint8_t> bytes = SampleBytes(sample.name + std::string(".jpg"));
        for (uint32_t reduction : {2u, 4u, 8u}) {
            SCOPED_TRACE(testing::Message() << sample.name << " at 1/" << reduction);
            KeptRows sink;
            sink.shownWidth = (expected.width + reduction - 1) / reduction;
            sink.shownHeight = (expected.height + reduction - 1) / reduction;
            const size_t store = StoreBytes(sample, expected, static_cast<int>(8 / reduction));
            ASSERT_EQ(PictureRead::Decoded, Decode(bytes, sink, store));
            ASSERT_EQ(sink.shownWidth, sink.width);
            ASSERT_EQ(sink.shownHeight, sink.height);
            double mean = 0;
            const int worst = WorstDifference(SquareMeans(expected, reduction), sink.pixels, &mean);
            EXPECT_LE(worst, sample.reducedWorst);
            EXPECT_LE(mean, sample.reducedMean);

            const size_t smallest = StoreBytes(sample, expected, static_cast<int>(8 / reduction), false);
            KeptRows smaller = sink;
            smaller.pixels.clear();
            EXPECT_EQ(PictureRead::Decoded, Decode(bytes, smaller, smallest));
            EXPECT_EQ(sink.width, smaller.width);
            if (smallest < store) {
                EXPECT_GT(WorstDifference(SquareMeans(expected, reduction), smaller.pixels), worst);
            }
            KeptRows refusing = sink;
            refusing.width = refusing.height = 0xDEADBEEF;
            EXPECT_EQ(PictureRead::Unsupported, Decode(bytes, refusing, smallest - 1));
            EXPECT_EQ(0xDEADBEEFu, refusing.width);
        }
    }
}

// Coefficients that fit the budget are all kept whatever the shown size:
// the rows come at full size, for the sink to reduce.
TEST(JpegProgressive, KeepsEveryCoefficientWhereTheyFit) {
    const Sample& sample = kSamples[0];
    const Expected expected = ImageMagickDecode(sample);
    KeptRows sink;
    sink.shownWidth = sink.shownHeight = 1;
    ASSERT_EQ(PictureRead::Decoded,
              Decode(SampleBytes(sample.name + std::string(".jpg")), sink, StoreBytes(sample, expected, 8)));
    EXPECT_EQ(expected.width, sink.width);
    EXPECT_LE(WorstDifference(expected.pixels, sink.pixels), 2);
}

// Blocks of a picture with empty ones among them (runs of ends of blocks,
// across restart intervals too).
TestJpeg PictureWithEmptyBlocks(size_t components) {
    TestJpeg picture;
    picture.width = 45;
    picture.height = 27;
    picture.ids.clear();
    for (size_t c = 0; c < components; ++c) {
        picture.ids.push_back(static_cast<uint8_t>(c + 1));
        std::vector<std::array<int, 64>> blocks(6 * 4);
        for (size_t b = 0; b < blocks.size(); ++b) {
            blocks[b].fill(0);
            blocks[b][0] = static_cast<int>((b * 29 + c * 7) % 90) - 45;
            if (b % 5 == 1 || b % 7 == 3) continue;  // empty beyond DC
            for (size_t k = 1 + (b + c) % 9; k < 64; k += 3 + (k + b) % 11)
                blocks[b][k] = static_cast<int>((k * 13 + b * 5 + c) % 41) - 20;
        }
        picture.blocks.push_back(blocks);
    }
    return picture;
}

// Spectral selection with and without restart intervals decodes as the
// same coefficients sent in one sequential scan; and reduced to 1/8 from
// the DC coefficients alone (the AC scans passed over, restart markers and
// all), as those sent in one progressive scan.
TEST(JpegProgressive, ScansWithRestartsAndRunsOfEmptyBlocksAddUpToTheSequentialPicture) {
    const auto reduced = [](const std::vector<uint8_t>& bytes) {
        KeptRows sink;
        sink.shownWidth = 6;
        sink.shownHeight = 4;
        EXPECT_EQ(PictureRead::Decoded, Decode(bytes, sink, 1000));
        EXPECT_EQ(6u, sink.width);
        return sink.pixels;
    };
    for (size_t components : {1u, 3u}) {
        const TestJpeg sequential = PictureWithEmptyBlocks(components);
        KeptRows expected;
        ASSERT_EQ(PictureRead::Decoded, Decode(WriteTestJpeg(sequential), expected));
        TestJpeg plain = sequential;
        plain.progressive = true;
        plain.bands = {{1, 63}};
        const std::vector<uint32_t> expectedReduced = reduced(WriteTestJpeg(plain));
        for (int interval : {0, 1, 5}) {
            for (const auto& bands : {std::vector<std::pair<int, int>>{{1, 63}},
                                      std::vector<std::pair<int, int>>{{1, 2}, {3, 20}, {21, 63}}}) {
                SCOPED_TRACE(testing::Message() << components << " components, restart interval " << interval << ", "
                                                << bands.size() << " bands");
                TestJpeg progressive = sequential;
                progressive.progressive = true;
                progressive.restartInterval = interval;
                progressive.bands = bands;
                KeptRows sink;
                ASSERT_EQ(PictureRead::Decoded, Decode(WriteTestJpeg(progressive), sink));
                EXPECT_EQ(expected.pixels, sink.pixels);
                EXPECT_EQ(expectedReduced, reduced(WriteTestJpeg(progressive)));
            }
        }
    }
}

// A close never waits for the decode: the sink is asked between scans and
// between rows of blocks of a scan, and stops the reader before it starts
// the rows; a stop in the rows ends them there.
TEST(JpegProgressive, StopsWhenTheSinkSaysSo) {
    const std::vector<uint8_t> bytes = SampleBytes("progressive-ycc420.jpg");
    KeptRows counting;
    ASSERT_EQ(PictureRead::Decoded, Decode(bytes, counting));
    ASSERT_GT(counting.continues, 10u);
    for (uint32_t allowed : {1u, 2u, counting.continues / 2, counting.continues}) {
        KeptRows sink;
        sink.continuesAllowed = allowed;
        EXPECT_EQ(PictureRead::Stopped, Decode(bytes, sink)) << allowed;
        EXPECT_EQ(allowed, sink.continues);
        EXPECT_EQ(0xDEADBEEFu, sink.width);
    }
    for (uint32_t stopAt : {0u, 1u, 17u}) {
        KeptRows sink;
        sink.rowsAllowed = stopAt;
        EXPECT_EQ(PictureRead::Stopped, Decode(bytes, sink));
        EXPECT_EQ(stopAt, sink.rows);
    }
}

// Every shortened copy and copies with one bit changed, whole and
// reduced: Unsupported, or Decoded with every row; never a fault (ASan
// and UBSan watch). A progressive file gives no row before its end.
TEST(JpegProgressive, DamagedFilesGiveUnsupportedOrAWholePicture) {
    std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
    for (const char* name : {"progressive-ycc420", "progressive-grey"})
        files.push_back({name, SampleBytes(name + std::string(".jpg"))});
    TestJpeg restarts = PictureWithEmptyBlocks(3);
    restarts.progressive = true;
    restarts.restartInterval = 5;
    files.push_back({"restarts", WriteTestJpeg(restarts)});
    for (const auto& [name, good] : files) {
        SCOPED_TRACE(name);
        for (size_t at = 0; at < good.size(); ++at) {
            const std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<ptrdiff_t>(at));
            std::vector<uint8_t> changed = good;
            changed[at] ^= static_cast<uint8_t>(1u << (at % 8));
            for (const auto& damaged : {cut, changed}) {
                KeptRows sink;
                sink.keep = 0;
                sink.shownWidth = at % 2 ? 9 : 0;
                sink.shownHeight = at % 2 ? 6 : 0;
                const PictureRead read = Decode(damaged, sink, at % 3 ? kJpegCoefficientBudget : 4000);
                ASSERT_NE(PictureRead::Stopped, read) << at;
                if (read == PictureRead::Decoded)
                    EXPECT_EQ(sink.height, sink.rows) << at;
                else
                    EXPECT_EQ(0u, sink.rows) << at;
            }
        }
    }
}

}  // namespace
