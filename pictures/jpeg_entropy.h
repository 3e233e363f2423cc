// The entropy-coded part of a sequential Huffman JPEG: code tables, the
// bit stream between markers, and the coefficients of one 8x8 block.
#pragma once

#include <cstdint>

#include "jpeg_input.h"

// Codes of up to this many bits are found by one table look-up; longer
// ones (rare: the most frequent symbols get the short codes) by length.
constexpr int kHuffmanFastBits = 9;

struct HuffmanTable {
    // (length << 8) | symbol for every code of kHuffmanFastBits or fewer,
    // indexed by the next kHuffmanFastBits bits; 0 where a code is longer.
    uint16_t fast[1 << kHuffmanFastBits];
    // For AC tables: where the next kHuffmanFastBits bits hold a whole
    // coefficient (code and value), (value << 8) | (zeros before << 4) |
    // bits used; else 0. A 1-bit code of size 8 leaves a value of up to
    // 255, which with its 8 bits below needs more than 16.
    int32_t fastCoefficient[1 << kHuffmanFastBits];
    // For the longer codes, by length: the largest code (-1: none), and what
    // turns a code into an index of `symbols`.
    int32_t maxCode[17];
    int32_t symbolOffset[17];
    uint8_t symbols[256];
};

// Builds the canonical code from a DHT segment's 16 counts (codes of each
// length) and their symbols. False when the counts describe no prefix code
// (too many codes of some length, or a code of all ones).
bool BuildHuffmanTable(const uint8_t counts[16], const uint8_t* symbols, HuffmanTable& table);

// The natural (row-major) index of each coefficient in zigzag order.
extern const uint8_t kJpegZigzag[64];

// Reads the bits of one scan, taking 0xFF00 for 0xFF and stopping at a
// marker. Past a marker or the file's end it gives zero bits, so that a
// block never reads beyond its data; Overran() then says the data ran out.
class JpegBits {
public:
    explicit JpegBits(JpegInput& input) : input_(input) {}

    // Decodes one block's coefficients into `block` (zero on entry, natural
    // order, multiplied by `quant`, which is in zigzag order), updating the
    // component's DC predictor; the DC table's sizes go up to 11. Returns the zigzag index of the last
    // coefficient read (0: only DC), or -1 on a code no table has or
    // coefficients past the block's end.
    int DecodeBlock(const HuffmanTable& dc, const HuffmanTable& ac, const uint16_t quant[64], int& predictor,
                    int16_t block[64]);

    // The pieces a progressive scan is made of: a symbol of `table` (-1 on
    // a code it lacks), a value of `size` bits (1 to 15) as its signed
    // meaning, and `count` bits (0 to 15) as they are.
    int DecodeSymbol(const HuffmanTable& table);
    int Receive(int size);
    int Bits(int count) {
        if (count == 0) return 0;
        if (count_ < count) Fill();
        const int value = static_cast<int>(bits_ >> (32 - count));
        bits_ <<= count;
        count_ -= count;
        return value;
    }

    // Passes over what is left of a scan, restart markers included, and
    // returns the code of the marker after it (another value when none).
    int SkipScan();

    // True once the decoding used bits the scan does not have.
    bool Overran() const { return padding_ > count_; }

    // Ends a restart interval: drops the bits left of its last byte and
    // returns the code of the marker that follows (another value when none
    // follows), ready for the next interval's data.
    int EndInterval();

private:
    uint32_t NextByte();
    void Fill() {
        while (count_ <= 24) {
            bits_ |= NextByte() << (24 - count_);
            count_ += 8;
        }
    }

    JpegInput& input_;
    uint32_t bits_ = 0;  // the next bit is the top one
    int count_ = 0;      // bits held in bits_
    int padding_ = 0;    // zero bits put at the end of bits_ past the data
    int marker_ = -1;    // the marker that ended the data, -1 while none
};

inline int JpegBits::DecodeSymbol(const HuffmanTable& table) {
    Fill();
    const uint16_t entry = table.fast[bits_ >> (32 - kHuffmanFastBits)];
    if (entry) {
        const int length = entry >> 8;
        bits_ <<= length;
        count_ -= length;
        return entry & 0xFF;
    }
    for (int length = kHuffmanFastBits + 1; length <= 16; ++length) {
        const int32_t code = static_cast<int32_t>(bits_ >> (32 - length));
        // The code is no shorter one's prefix, so it is at least this
        // length's first code: at most maxCode, it is one of this length's.
        if (code <= table.maxCode[length]) {
            bits_ <<= length;
            count_ -= length;
            return table.symbols[code + table.symbolOffset[length]];
        }
    }
    return -1;
}

// The next `size` bits (1 to 15) as a signed value: values below half the
// range stand for the negative ones.
inline int JpegBits::Receive(int size) {
    if (count_ < size) Fill();
    const int value = static_cast<int>(bits_ >> (32 - size));
    bits_ <<= size;
    count_ -= size;
    return value < 1 << (size - 1) ? value - (1 << size) + 1 : value;
}
