#include "jpeg_color.h"

#include <algorithm>

namespace {

// Interpolates across: each input value gives two samples, weighted 3:1
// towards the value itself and its nearer neighbour (the edge values
// repeated past the ends), then shifted down by `shift` with the given
// rounding for the left and the right one.
template <typename Column>
void Widen(Column column, uint32_t inWidth, int shift, int leftBias, int rightBias, uint8_t* out, uint32_t width) {
    int previous = column(0), current = previous;
    const uint32_t pairs = width / 2;  // inWidth is at least (width + 1) / 2
    for (uint32_t i = 0; i < pairs; ++i, out += 2) {
        const int next = i + 1 < inWidth ? column(i + 1) : current;
        out[0] = static_cast<uint8_t>((current * 3 + previous + leftBias) >> shift);
        out[1] = static_cast<uint8_t>((current * 3 + next + rightBias) >> shift);
        previous = current;
        current = next;
    }
    if (width % 2) out[0] = static_cast<uint8_t>((current * 3 + previous + leftBias) >> shift);
}

}  // namespace

void UpsampleRow(const uint8_t* row, const uint8_t* neighbour, bool lower, int hRatio, int vRatio, uint32_t inWidth,
                 uint8_t* out, uint32_t width) {
    if (UpsamplingBlendsRows(hRatio, vRatio) && hRatio == 1) {
        const int bias = lower ? 2 : 1;
        for (uint32_t x = 0; x < width; ++x) out[x] = static_cast<uint8_t>((row[x] * 3 + neighbour[x] + bias) >> 2);
    } else if (UpsamplingBlendsRows(hRatio, vRatio)) {
        Widen([=](uint32_t i) { return row[i] * 3 + neighbour[i]; }, inWidth, 4, 8, 7, out, width);
    } else if (hRatio == 2 && vRatio == 1) {
        Widen([=](uint32_t i) { return int{row[i]}; }, inWidth, 2, 1, 2, out, width);
    } else {
        for (uint32_t x = 0; x < width; ++x) out[x] = row[x / static_cast<uint32_t>(hRatio)];
    }
}

YccToRgb::YccToRgb() {
    constexpr int32_t kHalf = 1 << 15;
    for (int i = 0; i < 256; ++i) {
        const int32_t centred = i - 128;
        redFromCr_[i] = (91881 * centred + kHalf) >> 16;    // 1.40200
        blueFromCb_[i] = (116130 * centred + kHalf) >> 16;  // 1.77200
        greenFromCr_[i] = -46802 * centred;                 // 0.71414
        greenFromCb_[i] = -22554 * centred + kHalf;         // 0.34414
    }
}

namespace {

// 0..255 by one look-up for values from -256 to 511: a luma sample plus
// the largest chroma term stays within that.
struct ChannelRange {
    uint8_t limited[768];
    constexpr ChannelRange() : limited() {
        for (int i = 0; i < 768; ++i) limited[i] = static_cast<uint8_t>(i < 256 ? 0 : i < 512 ? i - 256 : 255);
    }
};
constexpr ChannelRange kChannelRange;

}  // namespace

void YccToRgb::Convert(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint32_t* pixels, uint32_t width) const {
    for (uint32_t x = 0; x < width; ++x) {
        const uint8_t* limited = kChannelRange.limited + 256 + y[x];
        const uint32_t red = limited[redFromCr_[cr[x]]];
        const uint32_t green = limited[(greenFromCb_[cb[x]] + greenFromCr_[cr[x]]) >> 16];
        const uint32_t blue = limited[blueFromCb_[cb[x]]];
        pixels[x] = red << 16 | green << 8 | blue;
    }
}

void GreyToPixels(const uint8_t* grey, uint32_t* pixels, uint32_t width) {
    for (uint32_t x = 0; x < width; ++x) pixels[x] = grey[x] * 0x010101u;
}

void RgbToPixels(const uint8_t* red, const uint8_t* green, const uint8_t* blue, uint32_t* pixels, uint32_t width) {
    for (uint32_t x = 0; x < width; ++x) pixels[x] = uint32_t{red[x]} << 16 | uint32_t{green[x]} << 8 | blue[x];
}
