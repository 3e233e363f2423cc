// How many default puffs (Density 10, Power 1.00, mixing, radii below 50,
// the buffer path) halve the mean brightness of a picture, per megapixel,
// on windows from a display-settings preview to a 4K screen; and the
// half-life that the fog's pace ceiling gives each. Drawn in memory with
// the saver's own arithmetic, as fast as it goes.
//   fog_pace_bench [WxH ...]
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "fog_cycle.h"
#include "fog_pace.h"
#include "pixel_surface.h"
#include "random.h"

namespace {

constexpr PuffSettings kDefaults{10, 1.0, 1};
constexpr int32_t kDefaultRay = 50;

// Soft shapes and fine grain around a mean of about 0.49, like a photograph.
PixelSurface MakePicture(int32_t width, int32_t height) {
    PixelSurface picture(width, height);
    SRand(7);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const double u = static_cast<double>(x) / width, v = static_cast<double>(y) / height;
            const double shape = 0.5 + 0.3 * std::sin(9.0 * u + 2.0) * std::cos(7.0 * v - 1.0);
            uint32_t colour = 0;
            for (int channel = 0; channel < 3; ++channel) {
                const double level = 255.0 * (shape + 0.08 * channel - 0.08) + (Rand() % 41) - 20;
                colour |= static_cast<uint32_t>(std::lround(std::fmin(255.0, std::fmax(0.0, level)))) << (8 * channel);
            }
            picture.Set(x, y, colour);
        }
    return picture;
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
// interpolated between the samples taken every thousandth of that.
double PuffsPerMegapixelToHalve(int32_t width, int32_t height, double& start) {
    PixelSurface picture = MakePicture(width, height);
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
    std::vector<std::pair<int, int>> sizes = {{152, 112}, {640, 480}, {1024, 768}, {1920, 1080}, {3840, 2160}};
    if (argc > 1) sizes.clear();
    for (int i = 1; i < argc; ++i) {
        int width = 0, height = 0;
        if (std::sscanf(argv[i], "%dx%d", &width, &height) == 2 && width > 0 && height > 0)
            sizes.push_back({width, height});
    }
    std::printf("pace ceiling: %u puffs a second a megapixel\n", kPuffsPerSecondPerMegapixel);
    for (const auto& size : sizes) {
        double start = 0;
        const double perMegapixel = PuffsPerMegapixelToHalve(size.first, size.second, start);
        const double megapixels = size.first * static_cast<double>(size.second) / 1e6;
        const double puffsPerSecond =
            kPuffsPerSecondPerMegapixel * static_cast<double>(PaceArea(size.first, size.second, kDefaultRay)) / 1e6;
        std::printf("%dx%d: brightness %.3f halved after %.0f puffs a megapixel; at the ceiling (%.1f puffs/s) a "
                    "half-life of %.0f s\n",
                    size.first, size.second, start, perMegapixel, puffsPerSecond,
                    perMegapixel * megapixels / puffsPerSecond);
        std::fflush(stdout);
    }
    return 0;
}
