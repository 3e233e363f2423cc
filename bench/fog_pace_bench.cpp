// How many default puffs (Density 10, Power 1.00, mixing, radii below 50,
// the buffer path) halve the mean brightness of a picture, per megapixel,
// on windows from a display-settings preview to a 4K screen; and the
// half-life that the fog's pace ceiling gives each. Drawn in memory with
// the saver's own arithmetic, as fast as it goes.
//   fog_pace_bench PHOTOGRAPH.ppm [WxH ...]
// The photograph (8-bit binary PPM, any size) is shown at each size as the
// saver shows a random picture, by its own area reduction. How fast a
// picture darkens depends on its detail at the size shown, so take a real
// photograph: made-up patterns either lose their detail when reduced or
// keep too much (bench/run-benchmarks.sh takes one that a Debian package
// ships).
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/fog_cycle.h"
#include "core/fog_pace.h"
#include "core/random.h"
#include "lab/pixel_surface.h"
#include "pictures/area_reducer.h"

namespace {

constexpr PuffSettings kDefaults{10, 1.0, 1};
constexpr int32_t kDefaultRay = 50;

struct Picture {
    int32_t width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0x00BBGGRR, rows top-down
};

// An 8-bit binary PPM; false when it is not one.
bool ReadPpm(const char* path, Picture& picture) {
    FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    int maximum = 0;
    const bool header = std::fscanf(file, "P6 %d %d %d", &picture.width, &picture.height, &maximum) == 3 &&
                        maximum == 255 && picture.width > 0 && picture.height > 0 && std::fgetc(file) != EOF;
    std::vector<unsigned char> bytes(header ? 3 * static_cast<size_t>(picture.width) * picture.height : 0);
    const bool read = header && std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    std::fclose(file);
    picture.pixels.resize(bytes.size() / 3);
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = bytes[3 * i] | bytes[3 * i + 1] << 8 | static_cast<uint32_t>(bytes[3 * i + 2]) << 16;
    return read;
}

PixelSurface ShowAt(const Picture& picture, int32_t width, int32_t height) {
    AreaReducer reducer(picture.width, picture.height, width, height);
    for (int32_t y = 0; y < picture.height; ++y)
        reducer.AddRow(&picture.pixels[static_cast<size_t>(y) * picture.width]);
    PixelSurface shown(width, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) shown.Set(x, y, reducer.Target()[static_cast<size_t>(y) * width + x]);
    return shown;
}

double MeanBrightness(const PixelSurface& picture) {
    double sum = 0;
    for (int32_t y = 0; y < picture.Height(); ++y)
        for (int32_t x = 0; x < picture.Width(); ++x) {
            const uint32_t colour = picture.Get(x, y);
            sum += (colour & 0xFF) + (colour >> 8 & 0xFF) + (colour >> 16 & 0xFF);
        }
    return sum / (3.0 * 255.0 * picture.Width() * picture.Height());
}

// Puffs per megapixel until the mean brightness is half what it was,
// interpolated between samples taken every 100 puffs a megapixel.
double PuffsPerMegapixelToHalve(const Picture& photograph, int32_t width, int32_t height, double& start) {
    PixelSurface picture = ShowAt(photograph, width, height);
    const double megapixels = width * static_cast<double>(height) / 1e6;
    start = MeanBrightness(picture);
    SRand(1);
    const long step = std::max(1L, std::lround(megapixels * 100));
    long puffs = 0;
    double before = start;
    for (;;) {
        for (long i = 0; i < step; ++i) {
            PuffPlace place;
            if (PickPuffPlace(kDefaultRay, width, height, place))
                PuffBufferOnSurface(picture, place.x, place.y, place.radius, kDefaults);
        }
        puffs += step;
        const double now = MeanBrightness(picture);
        if (now <= start / 2) {
            const double crossed = puffs - step * (start / 2 - now) / (before - now);
            return crossed / megapixels;
        }
        before = now;
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::pair<int, int>> sizes;
    Picture photograph;
    if (argc < 2 || !ReadPpm(argv[1], photograph)) {
        std::fprintf(stderr, "usage: fog_pace_bench PHOTOGRAPH.ppm [WxH ...] (an 8-bit binary PPM)\n");
        return 2;
    }
    for (int i = 2; i < argc; ++i) {
        int width = 0, height = 0;
        if (std::sscanf(argv[i], "%dx%d", &width, &height) == 2 && width > 0 && height > 0)
            sizes.push_back({width, height});
    }
    if (sizes.empty()) sizes = {{152, 112}, {400, 300}, {1024, 768}, {1920, 1080}, {3840, 2160}};
    std::printf("pace ceiling: %u puffs a second a megapixel\n", kPuffsPerSecondPerMegapixel);
    for (const auto& size : sizes) {
        double start = 0;
        const double perMegapixel = PuffsPerMegapixelToHalve(photograph, size.first, size.second, start);
        const double megapixels = size.first * static_cast<double>(size.second) / 1e6;
        const double puffsPerSecond =
            kPuffsPerSecondPerMegapixel * static_cast<double>(PaceArea(size.first, size.second, kDefaultRay)) / 1e6;
        std::printf(
            "%dx%d: brightness %.3f halved after %.0f puffs a megapixel; at the ceiling (%.1f puffs/s) a "
            "half-life of %.0f s\n",
            size.first, size.second, start, perMegapixel, puffsPerSecond, perMegapixel * megapixels / puffsPerSecond);
        std::fflush(stdout);
    }
    return 0;
}
