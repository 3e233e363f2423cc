#include "jpeg_entropy.h"

const uint8_t kJpegZigzag[64] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63,
};

bool BuildHuffmanTable(const uint8_t counts[16], const uint8_t* symbols, HuffmanTable& table) {
    int total = 0;
    for (int i = 0; i < 16; ++i) total += counts[i];
    if (total > 256) return false;
    for (int i = 0; i < total; ++i) table.symbols[i] = symbols[i];
    for (uint16_t& entry : table.fast) entry = 0;

    // Canonical codes: each length's codes follow on from the last code of
    // the length before, shifted left by one.
    int32_t code = 0;
    int index = 0;
    for (int length = 1; length <= 16; ++length) {
        table.symbolOffset[length] = index - code;
        for (int i = 0; i < counts[length - 1]; ++i, ++code, ++index) {
            // A code of all ones is reserved: every code stays below it.
            if (code + 1 >= int32_t{1} << length) return false;
            if (length > kHuffmanFastBits) continue;
            const int spare = kHuffmanFastBits - length;
            const uint16_t entry = static_cast<uint16_t>(length << 8 | table.symbols[index]);
            for (int32_t fill = code << spare; fill < (code + 1) << spare; ++fill) table.fast[fill] = entry;
        }
        table.maxCode[length] = counts[length - 1] ? code - 1 : -1;
        code <<= 1;
    }
    for (int bits = 0; bits < 1 << kHuffmanFastBits; ++bits) {
        table.fastCoefficient[bits] = 0;
        const int length = table.fast[bits] >> 8, symbol = table.fast[bits] & 0xFF;
        const int zeros = symbol >> 4, size = symbol & 15;
        if (length == 0 || size == 0 || length + size > kHuffmanFastBits) continue;
        int value = bits >> (kHuffmanFastBits - length - size) & ((1 << size) - 1);
        if (value < 1 << (size - 1)) value += 1 - (1 << size);
        table.fastCoefficient[bits] = value * 256 + zeros * 16 + length + size;
    }
    return true;
}

uint32_t JpegBits::NextByte() {
    if (marker_ < 0) {
        int byte = input_.Byte();
        if (byte != 0xFF) {
            if (byte >= 0) return static_cast<uint32_t>(byte);
            marker_ = 0x100;  // the file ended: no marker, no more data (0x100 is no marker's code)
        } else {
            do byte = input_.Byte();
            while (byte == 0xFF);  // fill bytes before a marker
            if (byte == 0) return 0xFF;
            marker_ = byte < 0 ? 0x100 : byte;
        }
    }
    padding_ += 8;
    return 0;
}

namespace {
// Keeps a product of a damaged file within the range the inverse DCT
// computes without overflow; a true coefficient of 8-bit samples stays far
// inside it.
inline int16_t Dequantize(int value, int factor) {
    const int product = value * factor;
    return static_cast<int16_t>(product < -16384 ? -16384 : product > 16383 ? 16383 : product);
}
}  // namespace

int JpegBits::DecodeBlock(const HuffmanTable& dc, const HuffmanTable& ac, const uint16_t quant[64], int& predictor,
                          int16_t block[64]) {
    const int dcSize = DecodeSymbol(dc);
    if (dcSize < 0) return -1;  // (DC tables have no sizes beyond 11)
    // A damaged file may push the predictor anywhere; wrap it at 16 bits
    // as a coefficient is stored.
    predictor = static_cast<int16_t>(predictor + (dcSize ? Receive(dcSize) : 0));
    block[0] = Dequantize(predictor, quant[0]);

    int last = 0;
    for (int k = 1; k < 64;) {
        Fill();
        const int32_t fast = ac.fastCoefficient[bits_ >> (32 - kHuffmanFastBits)];
        if (fast) {
            const int length = fast & 15;
            bits_ <<= length;
            count_ -= length;
            k += fast >> 4 & 15;
            if (k > 63) return -1;
            block[kJpegZigzag[k]] = Dequantize(fast >> 8, quant[k]);
            last = k++;
            continue;
        }
        const int symbol = DecodeSymbol(ac);
        if (symbol < 0) return -1;
        const int run = symbol >> 4;
        const int size = symbol & 15;
        if (size == 0) {
            if (run != 15) break;  // end of block
            k += 16;               // sixteen zeros
            continue;
        }
        k += run;
        if (k > 63) return -1;
        block[kJpegZigzag[k]] = Dequantize(Receive(size), quant[k]);
        last = k++;
    }
    return last;
}

int JpegBits::SkipScan() {
    int marker = marker_;
    bits_ = 0;
    count_ = padding_ = 0;
    marker_ = -1;
    while (marker < 0 || (marker >= 0xD0 && marker <= 0xD7)) {
        int byte = input_.Byte();
        if (byte != 0xFF) {
            if (byte < 0) return 0x100;
            continue;
        }
        do byte = input_.Byte();
        while (byte == 0xFF);
        if (byte < 0) return 0x100;
        marker = byte == 0 ? -1 : byte;
    }
    return marker;
}

int JpegBits::EndInterval() {
    int marker = marker_;
    if (marker < 0 && input_.Byte() == 0xFF) {
        do marker = input_.Byte();
        while (marker == 0xFF);
    }
    bits_ = 0;
    count_ = padding_ = 0;
    marker_ = -1;
    return marker;
}
