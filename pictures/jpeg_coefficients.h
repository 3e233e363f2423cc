// The coefficients of one component of a progressive JPEG, held from its
// first scan to the last, when the blocks are turned into samples. A
// picture shown at half its size or less needs only each block's lowest
// frequencies, so the store may keep the top-left `kept` x `kept` of them
// (8: all). Of every coefficient it keeps whether it is nonzero: that is
// what a refinement scan needs to know to read its bits right (of those
// not kept, all it needs), and it lets the scan go straight to them. A
// store of the DC coefficients alone needs no AC scan, and no such bits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// One block in a store: what a scan reads and changes. Coefficients are
// numbered in zigzag order, as the scans send them, and hold the values
// the scans give (not yet multiplied by the quantization factors).
class CoefficientBlock {
public:
    CoefficientBlock(int16_t* values, uint64_t* nonzero, const int8_t* slots)
        : values_(values), nonzero_(nonzero), slots_(slots) {}

    // Bit k for coefficient k (the DC one aside).
    uint64_t Nonzero() const { return *nonzero_; }
    bool IsNonzero(int k) const { return (*nonzero_ >> k & 1) != 0; }
    // An AC coefficient, zero until now.
    void Set(int k, int value) {
        if (slots_[k] >= 0) values_[slots_[k]] = static_cast<int16_t>(value);
        if (value) *nonzero_ |= uint64_t{1} << k;
    }
    // A refinement's correction bit for a coefficient already nonzero: its
    // magnitude grows by `bit` unless it has that bit already.
    void Refine(int k, int bit) {
        if (slots_[k] < 0) return;
        int16_t& value = values_[slots_[k]];
        if (value & bit) return;
        value = static_cast<int16_t>(value >= 0 ? value + bit : value - bit);
    }
    int16_t Dc() const { return values_[0]; }
    void SetDc(int value) { values_[0] = static_cast<int16_t>(value); }

private:
    int16_t* values_;
    uint64_t* nonzero_;
    const int8_t* slots_;
};

class JpegCoefficients {
public:
    // What one block costs at each number of coefficients kept a side.
    static size_t BytesPerBlock(int kept) { return 2 * static_cast<size_t>(kept * kept) + (kept > 1 ? 8 : 0); }

    // Room for the blocks, all zero.
    void Allocate(uint32_t blocksAcross, uint32_t blocksDown, int kept);
    uint32_t BlocksAcross() const { return across_; }
    uint32_t BlocksDown() const { return down_; }

    CoefficientBlock Block(uint32_t x, uint32_t y) {
        const size_t index = size_t{y} * across_ + x;
        return CoefficientBlock(&values_[index * perBlock_], nonzero_.empty() ? nullptr : &nonzero_[index], slots_);
    }
    // The block's kept coefficients multiplied by `quant` (zigzag order),
    // in natural order; the rest zero.
    void Dequantize(uint32_t x, uint32_t y, const uint16_t quant[64], int16_t block[64]) const;

private:
    uint32_t across_ = 0, down_ = 0;
    size_t perBlock_ = 64;
    int8_t slots_[64] = {};      // where coefficient k sits among a block's values; -1 when not kept
    int8_t natural_[64] = {};    // the natural index of each value
    uint8_t zigzagOf_[64] = {};  // the zigzag index of each value
    std::vector<int16_t> values_;
    std::vector<uint64_t> nonzero_;
};
