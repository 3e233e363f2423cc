#include "jpeg_idct.h"

#include <algorithm>
#include <cmath>

// The Loeffler-Ligtenberg-Moschytz factorisation: 12 multiplications per
// 8 points. Constants are cosines scaled by 2^13; the first (column) pass
// keeps 2 extra bits of precision, the second (row) pass removes them and
// the 8 * sqrt(2) * sqrt(2) scale of the two passes.

namespace {

constexpr int kConstBits = 13;
constexpr int kPass1Bits = 2;

constexpr int32_t k0_298631336 = 2446;
constexpr int32_t k0_390180644 = 3196;
constexpr int32_t k0_541196100 = 4433;
constexpr int32_t k0_765366865 = 6270;
constexpr int32_t k0_899976223 = 7373;
constexpr int32_t k1_175875602 = 9633;
constexpr int32_t k1_501321110 = 12299;
constexpr int32_t k1_847759065 = 15137;
constexpr int32_t k1_961570560 = 16069;
constexpr int32_t k2_053119869 = 16819;
constexpr int32_t k2_562915447 = 20995;
constexpr int32_t k3_072711026 = 25172;

// Division by 2^bits, rounded. (An arithmetic shift: a right shift of a
// negative value.)
inline int32_t Descale(int32_t value, int bits) { return (value + (int32_t{1} << (bits - 1))) >> bits; }

// The even and odd halves of one 8-point transform, scaled by 2^13: the
// outputs are even[i] + odd[i] and even[i] - odd[i] at positions i and 7 - i.
struct Halves {
    int32_t even[4], odd[4];
};

inline Halves Transform(int32_t in0, int32_t in1, int32_t in2, int32_t in3, int32_t in4, int32_t in5, int32_t in6,
                        int32_t in7) {
    Halves h;
    int32_t z1 = (in2 + in6) * k0_541196100;
    const int32_t t2 = z1 - in6 * k1_847759065;
    const int32_t t3 = z1 + in2 * k0_765366865;
    const int32_t t0 = (in0 + in4) * (int32_t{1} << kConstBits);
    const int32_t t1 = (in0 - in4) * (int32_t{1} << kConstBits);
    h.even[0] = t0 + t3;
    h.even[3] = t0 - t3;
    h.even[1] = t1 + t2;
    h.even[2] = t1 - t2;

    z1 = in7 + in1;
    int32_t z2 = in5 + in3;
    int32_t z3 = in7 + in3;
    int32_t z4 = in5 + in1;
    const int32_t z5 = (z3 + z4) * k1_175875602;
    z1 *= -k0_899976223;
    z2 *= -k2_562915447;
    z3 = z3 * -k1_961570560 + z5;
    z4 = z4 * -k0_390180644 + z5;
    h.odd[3] = in7 * k0_298631336 + z1 + z3;
    h.odd[2] = in5 * k2_053119869 + z2 + z4;
    h.odd[1] = in3 * k3_072711026 + z2 + z3;
    h.odd[0] = in1 * k1_501321110 + z1 + z4;
    return h;
}

// Keeps a damaged file's values within the range the second pass takes
// without overflow; true data stays well inside it.
inline int32_t Bound(int32_t value) { return std::clamp(value, int32_t{-16384}, int32_t{16383}); }

// A sample from a centred value: 128 added, then limited to 0..255 by one
// look-up. True data strays at most a few hundred past either end; values
// of a damaged file beyond that wrap around harmlessly.
struct SampleRange {
    uint8_t limited[1024];
    constexpr SampleRange() : limited() {
        for (int i = 0; i < 1024; ++i) limited[i] = static_cast<uint8_t>(i < 256 ? i : i < 640 ? 255 : 0);
    }
};
constexpr SampleRange kSampleRange;

inline uint8_t Sample(int32_t value) { return kSampleRange.limited[(value + 128) & 1023]; }

}  // namespace

void InverseDct(const int16_t block[64], uint8_t* out, size_t stride) {
    int32_t work[64];
    for (int column = 0; column < 8; ++column) {
        const int16_t* in = block + column;
        int32_t* to = work + column;
        if (!(in[8] | in[16] | in[24] | in[32] | in[40] | in[48] | in[56])) {
            const int32_t dc = Bound(in[0] * (int32_t{1} << kPass1Bits));
            for (int row = 0; row < 8; ++row) to[row * 8] = dc;
            continue;
        }
        const Halves h = Transform(in[0], in[8], in[16], in[24], in[32], in[40], in[48], in[56]);
        constexpr int kBits = kConstBits - kPass1Bits;
        for (int i = 0; i < 4; ++i) {
            to[i * 8] = Bound(Descale(h.even[i] + h.odd[i], kBits));
            to[(7 - i) * 8] = Bound(Descale(h.even[i] - h.odd[i], kBits));
        }
    }
    for (int row = 0; row < 8; ++row, out += stride) {
        const int32_t* in = work + row * 8;
        constexpr int kBits = kConstBits + kPass1Bits + 3;
        if (!(in[1] | in[2] | in[3] | in[4] | in[5] | in[6] | in[7])) {
            const uint8_t flat = Sample(Descale(in[0], kPass1Bits + 3));
            for (int i = 0; i < 8; ++i) out[i] = flat;
            continue;
        }
        const Halves h = Transform(in[0], in[1], in[2], in[3], in[4], in[5], in[6], in[7]);
        for (int i = 0; i < 4; ++i) {
            out[i] = Sample(Descale(h.even[i] + h.odd[i], kBits));
            out[7 - i] = Sample(Descale(h.even[i] - h.odd[i], kBits));
        }
    }
}

void FillBlock(int dc, uint8_t* out, size_t stride) {
    const uint8_t flat = Sample(Descale(dc * (int32_t{1} << kPass1Bits), kPass1Bits + 3));
    for (int row = 0; row < 8; ++row, out += stride)
        for (int i = 0; i < 8; ++i) out[i] = flat;
}

namespace {

// For each reduced size, the weight of frequency u in sample n: C(u) / 2 *
// cos((2n + 1) u pi / 2size), C(0) = 1 / sqrt 2, as the 8-point transform
// weighs them at the centre of the m = 8 / size samples that n covers
// (its two passes together divide by 4), times sin(m u pi / 16) / (m *
// sin(u pi / 16)), which makes it their mean; scaled by 2^13.
struct ScaledKernels {
    int32_t weight[9][4][4];  // [size][n][u]
    ScaledKernels() : weight() {
        const double pi = 3.14159265358979323846;
        for (int size = 1; size <= 4; size *= 2)
            for (int n = 0; n < size; ++n)
                for (int u = 0; u < size; ++u) {
                    const int m = 8 / size;
                    const double mean = u ? std::sin(m * u * pi / 16) / (m * std::sin(u * pi / 16)) : 1.0;
                    const double c =
                        (u ? 1.0 : std::sqrt(0.5)) / 2 * std::cos((2 * n + 1) * u * pi / (2 * size)) * mean;
                    weight[size][n][u] = static_cast<int32_t>(std::lround(c * (1 << kConstBits)));
                }
    }
};

const ScaledKernels& Kernels() {
    static const ScaledKernels kernels;
    return kernels;
}

}  // namespace

void InverseDctScaled(const int16_t block[64], int size, uint8_t* out, size_t stride) {
    const int32_t(*weight)[4] = Kernels().weight[size];
    int32_t work[4][4];  // [row][column], after the column pass
    for (int column = 0; column < size; ++column)
        for (int n = 0; n < size; ++n) {
            int32_t sum = 0;
            for (int v = 0; v < size; ++v) sum += weight[n][v] * block[v * 8 + column];
            work[n][column] = Bound(Descale(sum, kConstBits - kPass1Bits));
        }
    for (int row = 0; row < size; ++row, out += stride)
        for (int n = 0; n < size; ++n) {
            int32_t sum = 0;
            for (int u = 0; u < size; ++u) sum += weight[n][u] * work[row][u];
            out[n] = Sample(Descale(sum, kConstBits + kPass1Bits));
        }
}
