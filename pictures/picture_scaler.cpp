#include "picture_scaler.h"

#include <cstddef>

#include "area_reducer.h"

namespace {

constexpr uint32_t kWeightOne = 256;  // weights in 1/256 of a pixel

// Where target pixel j's centre falls between two source pixels: the left
// one, the right one (the same at the edges) and the right one's weight.
struct Sample {
    uint32_t near, far, farWeight;
};

// Centres are aligned, so the picture neither shifts nor loses its edges:
// target centre (j + 0.5) * s / t lies at source coordinate (that - 0.5),
// counted here in units of 1 / (2t) of a source pixel.
std::vector<Sample> Samples(uint32_t sourceSize, uint32_t targetSize) {
    std::vector<Sample> samples(targetSize);
    const int64_t unit = int64_t{2} * targetSize;
    const int64_t last = int64_t{sourceSize - 1} * unit;
    for (uint32_t j = 0; j < targetSize; ++j) {
        int64_t position = (int64_t{2} * j + 1) * sourceSize - targetSize;
        if (position < 0) position = 0;
        if (position > last) position = last;
        const uint32_t near = static_cast<uint32_t>(position / unit);
        const uint32_t far = near + 1 < sourceSize ? near + 1 : near;
        samples[j] = {near, far, static_cast<uint32_t>((position % unit) * kWeightOne / unit)};
    }
    return samples;
}

uint32_t Channel(uint32_t pixel, int channel) { return pixel >> (8 * channel) & 0xFF; }

uint32_t Blend(uint32_t a, uint32_t b, uint32_t c, uint32_t d, const Sample& x, const Sample& y) {
    uint32_t pixel = 0;
    for (int channel = 0; channel < 3; ++channel) {
        const uint32_t top = Channel(a, channel) * (kWeightOne - x.farWeight) + Channel(b, channel) * x.farWeight;
        const uint32_t bottom = Channel(c, channel) * (kWeightOne - x.farWeight) + Channel(d, channel) * x.farWeight;
        const uint32_t sum = top * (kWeightOne - y.farWeight) + bottom * y.farWeight;
        pixel |= ((sum + kWeightOne * kWeightOne / 2) / (kWeightOne * kWeightOne)) << (8 * channel);
    }
    return pixel;
}

std::vector<uint32_t> Interpolate(const std::vector<uint32_t>& pixels, uint32_t width, uint32_t height,
                                  uint32_t targetWidth, uint32_t targetHeight) {
    const std::vector<Sample> columns = Samples(width, targetWidth), rows = Samples(height, targetHeight);
    std::vector<uint32_t> target(std::size_t{targetWidth} * targetHeight);
    uint32_t* out = target.data();
    for (const Sample& y : rows) {
        const uint32_t* nearRow = &pixels[std::size_t{y.near} * width];
        const uint32_t* farRow = &pixels[std::size_t{y.far} * width];
        for (const Sample& x : columns)
            *out++ = Blend(nearRow[x.near], nearRow[x.far], farRow[x.near], farRow[x.far], x, y);
    }
    return target;
}

}  // namespace

std::vector<uint32_t> ScalePicture(const std::vector<uint32_t>& pixels, uint32_t width, uint32_t height,
                                   uint32_t targetWidth, uint32_t targetHeight) {
    if (!width || !height || !targetWidth || !targetHeight || pixels.size() < std::size_t{width} * height) return {};
    if (targetWidth > width || targetHeight > height)
        return Interpolate(pixels, width, height, targetWidth, targetHeight);
    AreaReducer reducer(width, height, targetWidth, targetHeight);
    for (uint32_t y = 0; y < height; ++y) reducer.AddRow(&pixels[std::size_t{y} * width]);
    return reducer.Target();
}
