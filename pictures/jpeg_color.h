// The last steps of a JPEG's rows: components sampled at less than the
// full resolution brought up to it, and the components made 0x00RRGGBB.
#pragma once

#include <cstdint>

// One picture row of a component, `width` samples. `row` is the component
// row that holds it, `inWidth` samples; a component row covers `hRatio`
// picture columns per sample and `vRatio` picture rows. Halved resolution
// (ratio 2 across, down or both) is interpolated with weights 3/4 and 1/4
// of the nearest samples, as libjpeg does by default; for that `neighbour`
// is the component row above when `lower` is false (the upper of the
// row's two picture rows), else the one below. Other ratios repeat samples.
void UpsampleRow(const uint8_t* row, const uint8_t* neighbour, bool lower, int hRatio, int vRatio, uint32_t inWidth,
                 uint8_t* out, uint32_t width);

// True when a row at this ratio needs `neighbour`.
inline bool UpsamplingBlendsRows(int hRatio, int vRatio) { return vRatio == 2 && hRatio <= 2; }

// YCbCr as JFIF defines it, in libjpeg's 16-bit fixed point.
class YccToRgb {
public:
    YccToRgb();
    void Convert(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint32_t* pixels, uint32_t width) const;

private:
    int32_t redFromCr_[256], blueFromCb_[256], greenFromCb_[256], greenFromCr_[256];
};

void GreyToPixels(const uint8_t* grey, uint32_t* pixels, uint32_t width);
void RgbToPixels(const uint8_t* red, const uint8_t* green, const uint8_t* blue, uint32_t* pixels, uint32_t width);
