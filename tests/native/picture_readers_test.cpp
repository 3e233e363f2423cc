// The saver's own PNG and BMP readers against ImageMagick's reading of the
// same sample files (tests/native/pictures, made by make-samples.py): every
// colour type, depth and layout they read, pixel for pixel; and damaged
// copies of the samples, which must end without a crash or a hang.
#include "pictures/picture_readers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "picture_test_support.h"

// An allocation sized from a damaged header field stops the tests here
// rather than passing unnoticed on a machine with memory to spare.
extern "C" const char* __asan_default_options() { return "max_allocation_size_mb=128"; }

namespace {

PictureRead Read(const std::vector<uint8_t>& bytes, KeptRows& sink) {
    MemoryBytes source(bytes);
    return ReadOwnPicture(source, sink);
}

const std::filesystem::path kPictures = ZORV_SAMPLE_PICTURES;

std::vector<std::filesystem::path> Samples() {
    std::vector<std::filesystem::path> samples;
    for (const auto& entry : std::filesystem::directory_iterator(kPictures))
        if (entry.path().extension() == ".png" || entry.path().extension() == ".bmp") samples.push_back(entry.path());
    return samples;
}

TEST(OwnPictureReaders, ReadEverySampleAsTheReferenceDecoderDoes) {
    const auto samples = Samples();
    EXPECT_EQ(32u, samples.size());
    for (const auto& sample : samples) {
        SCOPED_TRACE(sample.filename().string());
        auto expectedPath = sample;
        uint32_t width = 0, height = 0;
        std::vector<uint32_t> expected;
        if (!ReadExpected(expectedPath.replace_extension(".ppm"), width, height, expected)) {
            ASSERT_TRUE(ReadExpected(expectedPath.replace_extension(".pgm"), width, height, expected));
        }
        KeptRows sink;
        ASSERT_EQ(PictureRead::Decoded, Read(FileBytes(sample.string()), sink));
        EXPECT_EQ(width, sink.width);
        EXPECT_EQ(height, sink.height);
        ASSERT_EQ(expected.size(), sink.pixels.size());
        for (size_t i = 0; i < expected.size(); ++i)
            ASSERT_EQ(expected[i], sink.pixels[i] & 0xFFFFFF) << "pixel " << i % width << ", " << i / width;
    }
}

// A sink that refuses the picture or a row stops the reader there; bytes
// of no known format are left to others.
TEST(OwnPictureReaders, StopWhenTheSinkSaysSoAndLeaveUnknownFilesAlone) {
    for (const char* name : {"rgb8.png", "rgb8-interlaced.png", "bmp24.bmp"}) {
        SCOPED_TRACE(name);
        for (uint32_t allowed : {0u, 2u}) {
            KeptRows sink;
            sink.rowsAllowed = allowed;
            EXPECT_EQ(PictureRead::Stopped, Read(SampleBytes(name), sink));
            EXPECT_EQ(allowed, sink.rows);
        }
    }
    KeptRows sink;
    EXPECT_EQ(PictureRead::Unsupported, Read(std::vector<uint8_t>{'G', 'I', 'F', '8', '9', 'a'}, sink));
    EXPECT_EQ(PictureRead::Unsupported, Read({}, sink));
}

// Every sample cut short at every length, and with each of its bits
// flipped: read or refused, never a crash (the sanitizers watch), a hang,
// or a sink asked to stop.
TEST(OwnPictureReaders, DamagedFilesEndReadOrUnsupported) {
    const auto check = [](const std::vector<uint8_t>& damaged, size_t at) {
        KeptRows sink;
        sink.keep = 0;
        const PictureRead read = Read(damaged, sink);
        EXPECT_NE(PictureRead::Stopped, read) << "damaged at byte " << at;
        EXPECT_TRUE(read != PictureRead::Decoded || sink.rows == sink.height) << "damaged at byte " << at;
    };
    for (const auto& sample : Samples()) {
        SCOPED_TRACE(sample.filename().string());
        std::vector<uint8_t> bytes = FileBytes(sample.string());
        for (size_t i = 0; i < bytes.size(); ++i) {
            check(std::vector<uint8_t>(bytes.begin(), bytes.begin() + i), i);
            for (int bit = 0; bit < 8; ++bit) {
                bytes[i] ^= 1 << bit;
                check(bytes, i);
                bytes[i] ^= 1 << bit;
            }
        }
    }
}

}  // namespace
