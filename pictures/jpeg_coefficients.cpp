#include "jpeg_coefficients.h"

#include "jpeg_entropy.h"

void JpegCoefficients::Allocate(uint32_t blocksAcross, uint32_t blocksDown, int kept) {
    across_ = blocksAcross;
    down_ = blocksDown;
    perBlock_ = static_cast<size_t>(kept * kept);
    int slot = 0;
    for (int k = 0; k < 64; ++k) {
        const int natural = kJpegZigzag[k], row = natural / 8, column = natural % 8;
        if (row >= kept || column >= kept) {
            slots_[k] = -1;
            continue;
        }
        // (The DC coefficient comes first, in slot 0.)
        slots_[k] = static_cast<int8_t>(slot);
        natural_[slot] = static_cast<int8_t>(natural);
        zigzagOf_[slot] = static_cast<uint8_t>(k);
        ++slot;
    }
    const size_t blocks = size_t{blocksAcross} * blocksDown;
    values_.assign(blocks * perBlock_, 0);
    if (kept > 1) nonzero_.assign(blocks, 0);
}

void JpegCoefficients::Dequantize(uint32_t x, uint32_t y, const uint16_t quant[64], int16_t block[64]) const {
    for (int i = 0; i < 64; ++i) block[i] = 0;
    const int16_t* values = &values_[(size_t{y} * across_ + x) * perBlock_];
    for (size_t slot = 0; slot < perBlock_; ++slot) {
        // Within the range the inverse DCT takes; true coefficients stay far inside it.
        const int product = values[slot] * quant[zigzagOf_[slot]];
        block[natural_[slot]] = static_cast<int16_t>(product < -16384 ? -16384 : product > 16383 ? 16383 : product);
    }
}
