// The inverse DCT of one 8x8 block of a JPEG component into 8-bit samples.
#pragma once

#include <cstddef>
#include <cstdint>

// `block`: 64 dequantized coefficients in natural order, each within
// [-16384, 16383]. Rows of 8 samples go to `out`, `stride` bytes apart.
// Integer arithmetic only (the i686 build's floating point is x87), with
// the rounding of libjpeg's accurate integer method, so that a picture
// comes out as other decoders show it.
void InverseDct(const int16_t block[64], uint8_t* out, size_t stride);

// The same for a block whose only nonzero coefficient is the DC one: one
// flat tone.
void FillBlock(int dc, uint8_t* out, size_t stride);

// A block at 1/2, 1/4 or 1/8 of its size (`size` 4, 2 or 1 samples a side)
// from only its `size` x `size` lowest frequencies: the 8-point basis read
// at the centres of the larger samples, which is close to the mean of the
// samples each covers (within a few levels on photographs). `block` as for
// InverseDct; coefficients beyond the corner are not read.
void InverseDctScaled(const int16_t block[64], int size, uint8_t* out, size_t stride);
