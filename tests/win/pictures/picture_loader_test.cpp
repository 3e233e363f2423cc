// The picture loader on both of its paths: every format its file filter
// offers decodes upright and stretched, nothing that cannot be read comes
// back as a picture, a fine pattern shrinks to its tone, and the saver's
// own readers take the formats they know before the system's decoders.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "config_ui/picture_filter.h"
#include "fog/picture_loader.h"
#include "lab/bmp_file.h"
#include "large_pictures.h"
#include "tests/win/worker/fog_test_window.h"

namespace {

const struct {
    const char* what;
    bool imagingComponentMissing;
} kDecoders[] = {{"imaging component", false}, {"OLE picture loader", true}};

struct PictureLoaderTest : ::testing::Test {
    void SetUp() override { CoInitialize(nullptr); }
    void TearDown() override {
        PretendImagingComponentMissing(false);
        CoUninitialize();
    }
    std::string folder = ScratchFolder();
};

// The four quadrants as GDI draws them into an enhanced metafile.
bool WriteQuadrantsEmf(const std::string& path) {
    HDC recorder = CreateEnhMetaFileA(nullptr, path.c_str(), nullptr, nullptr);
    if (!recorder) return false;
    const std::pair<RECT, COLORREF> quadrants[] = {
        {{0, 0, 20, 15}, kRed}, {{20, 0, 40, 15}, kGreen}, {{0, 15, 20, 30}, kBlue}, {{20, 15, 40, 30}, kWhite}};
    for (const auto& quadrant : quadrants) {
        HBRUSH brush = CreateSolidBrush(quadrant.second);
        FillRect(recorder, &quadrant.first, brush);
        DeleteObject(brush);
    }
    DeleteEnhMetaFile(CloseEnhMetaFile(recorder));
    return true;
}

PixelSurface AsSurface(const std::vector<uint32_t>& pixels, int width, int height) {
    PixelSurface surface(width, height);
    for (int i = 0; i < width * height; ++i) surface.Set(i % width, i / width, ColourFromBufferValue(pixels[i]));
    return surface;
}

TEST_F(PictureLoaderTest, ReadsEveryOfferedFormatUprightAndStretchedAndShrinksAFinePatternToItsTone) {
    const std::string pictures = "Z:" ZORV_TEST_PICTURES "/", bmp = folder + "\\quadrants.bmp",
                      emf = folder + "\\quadrants.emf", text = folder + "\\not-a-picture.jpg",
                      checks = folder + "\\checks.bmp";
    ASSERT_TRUE(WriteBmp(bmp, kRed, kGreen, kBlue, kWhite));
    ASSERT_TRUE(WriteQuadrantsEmf(emf));
    std::ofstream(text) << "no picture here";
    PixelSurface pattern(600, 450);
    for (int y = 0; y < 450; ++y)
        for (int x = 0; x < 600; ++x) pattern.Set(x, y, (x + y) % 2 ? 0xFFFFFF : 0);
    std::string error;
    ASSERT_TRUE(WriteBmpFile(checks, pattern, error)) << error;
    const struct {
        const char* pattern;
        std::string path;
        int tolerance;
    } samples[] = {{"*.bmp", bmp, 0},
                   {"*.jpg", pictures + "quadrants.jpg", 24},
                   {"*.gif", pictures + "quadrants.gif", 0},
                   {"*.png", pictures + "quadrants.png", 0},
                   {"*.tif", pictures + "quadrants.tif", 0},
                   {"*.emf", emf, 0}};
    for (const auto& decoder : kDecoders) {
        SCOPED_TRACE(decoder.what);
        PretendImagingComponentMissing(decoder.imagingComponentMissing);
        EXPECT_EQ(decoder.imagingComponentMissing ? PictureDecoder::OlePicture : PictureDecoder::ImagingComponent,
                  AvailablePictureDecoder());
        const char* filter = PictureFileFilter();  // a label, then the patterns of all pictures
        const std::string offered = ";" + std::string(filter + std::strlen(filter) + 1) + ";";
        const auto offers = [&](const std::string& pattern) {
            return offered.find(";" + pattern + ";") != offered.npos;
        };
        // Windows' own OLE loader reads no TIFF (Wine's does); PNG the saver reads itself.
        for (const char* pattern : {"*.tif", "*.tiff"})
            EXPECT_EQ(!decoder.imagingComponentMissing, offers(pattern)) << pattern;
        EXPECT_TRUE(offers("*.png") && offers("*.bmp"));
        for (size_t at = 1; at < offered.size(); at = offered.find(';', at) + 1) {
            const std::string pattern = offered.substr(at - 1, offered.find(';', at) - at + 2);
            EXPECT_EQ(offered.find(pattern), offered.rfind(pattern)) << pattern << " offered twice";
        }

        for (const auto& sample : samples) {
            if (!offers(sample.pattern)) continue;
            SCOPED_TRACE(sample.pattern);
            std::vector<uint32_t> pixels;
            ASSERT_TRUE(DecodePictureAt(sample.path.c_str(), 300, 100, pixels));
            ASSERT_EQ(300u * 100u, pixels.size());
            ExpectQuadrants(AsSurface(pixels, 300, 100), sample.tolerance);
        }
        for (const std::string& unreadable : {folder + "\\gone.bmp", text}) {
            std::vector<uint32_t> pixels(1, 0xdeadbeef);
            EXPECT_FALSE(DecodePictureAt(unreadable.c_str(), 300, 100, pixels)) << unreadable;
            EXPECT_TRUE(pixels.empty());
        }
        const LONG cancelled = 1;
        std::vector<uint32_t> pixels;
        EXPECT_FALSE(DecodePictureAt(bmp.c_str(), 300, 100, pixels, &cancelled)) << "a cancelled decode";

        // One-pixel checks shrunk by 3.75: every pixel shows the mean grey,
        // where a stretch that drops pixels (as GDI's default stretch does)
        // shows black and white.
        ASSERT_TRUE(DecodePictureAt(checks.c_str(), 160, 120, pixels));
        int off = 0;
        for (uint32_t pixel : pixels)
            for (int shift : {0, 8, 16}) off += std::abs(static_cast<int>(pixel >> shift & 0xFF) - 0x80) > 16;
        EXPECT_EQ(0, off) << "channels away from the mean grey";
    }
}

// A picture of 4000 x 4000 (64 MB at 32 bits) shown at 1000 x 1000: the
// saver's own readers hold a few rows of it, on either path, where the
// system's decoders would hold all of it. A progressive JPEG of 6000 x 6000
// (144 MB) keeps the lowest coefficients of each block besides (2 x 2 of
// luma, 4 x 4 of the halved chroma) and whether each other one is
// nonzero: 20 MB.
TEST_F(PictureLoaderTest, ReadsLargeJpegPngAndBmpFilesAFewRowsAtATime) {
    const std::string png = folder + "\\large.png", bmp = folder + "\\large.bmp", jpeg = "Z:" ZORV_LARGE_JPEG;
    const std::string progressive = "Z:" ZORV_LARGE_PROGRESSIVE_JPEG;
    ASSERT_TRUE(WriteLargePng(png, 4000) && WriteLargeBmp(bmp, 4000));
    for (const auto& decoder : kDecoders) {
        SCOPED_TRACE(decoder.what);
        PretendImagingComponentMissing(decoder.imagingComponentMissing);
        for (const std::string& path : {png, bmp, jpeg, progressive}) {
            SCOPED_TRACE(path);
            const SIZE_T before = PeakMemory();
            std::vector<uint32_t> pixels;
            ASSERT_TRUE(DecodePictureAt(path.c_str(), 1000, 1000, pixels));
            const SIZE_T coefficients = path == progressive ? SIZE_T{24} << 20 : 0;
            EXPECT_LT(PeakMemory() - before, coefficients + (SIZE_T{16} << 20))
                << "more memory at the peak than a few rows take";
            // The ramp, upright: 64 at the top left, 192 at the bottom right (and a grain of 0 to 3).
            EXPECT_NEAR(0x42, static_cast<int>(pixels.front() & 0xFF), 2);
            EXPECT_NEAR(0xC1, static_cast<int>(pixels.back() & 0xFF), 2);
        }
    }
}

}  // namespace
