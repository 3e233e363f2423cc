#include "jpeg_progressive.h"

bool ProgressiveBlocks::Dc(const HuffmanTable* dc, int& predictor, CoefficientBlock block) {
    if (band_.high) {
        if (bits_.Bits(1)) block.SetDc(block.Dc() | 1 << band_.low);
        return true;
    }
    const int size = bits_.DecodeSymbol(*dc);
    if (size < 0) return false;
    // A damaged file may push the predictor anywhere: wrapped at 16 bits
    // as a coefficient is stored.
    predictor = static_cast<int16_t>(predictor + (size ? bits_.Receive(size) : 0));
    block.SetDc(predictor * (1 << band_.low));
    return true;
}

bool ProgressiveBlocks::AcFirst(const HuffmanTable& ac, CoefficientBlock block) {
    if (blocksLeftEmpty_ > 0) {
        --blocksLeftEmpty_;
        return true;
    }
    for (int k = band_.start; k <= band_.end; ++k) {
        const int symbol = bits_.DecodeSymbol(ac);
        if (symbol < 0) return false;
        const int run = symbol >> 4, size = symbol & 15;
        if (size == 0) {
            if (run == 15) {
                k += 15;  // sixteen zeros, with the loop's step
                continue;
            }
            blocksLeftEmpty_ = EmptyRun(run) - 1;
            return true;
        }
        k += run;
        if (k > band_.end) return false;
        block.Set(k, bits_.Receive(size) * (1 << band_.low));
    }
    return true;
}

// Coefficients already nonzero take a correction bit each wherever the
// scan passes them; a new coefficient (of magnitude 1 << low) lands after
// `run` zero ones, those passed over in between taking their bits first.
bool ProgressiveBlocks::AcRefinement(const HuffmanTable& ac, CoefficientBlock block) {
    const int bit = 1 << band_.low;
    int k = band_.start;
    if (blocksLeftEmpty_ == 0) {
        for (; k <= band_.end; ++k) {
            const int symbol = bits_.DecodeSymbol(ac);
            if (symbol < 0) return false;
            int run = symbol >> 4;
            const int size = symbol & 15;
            int value = 0;
            if (size) {
                if (size != 1) return false;
                value = bits_.Bits(1) ? bit : -bit;
            } else if (run != 15) {
                blocksLeftEmpty_ = EmptyRun(run);  // this block's rest included
                break;
            }
            for (; k <= band_.end; ++k) {
                if (block.IsNonzero(k)) {
                    if (bits_.Bits(1)) block.Refine(k, bit);
                } else if (--run < 0) {
                    break;
                }
            }
            if (value) {
                if (k > band_.end) return false;
                block.Set(k, value);
            }
        }
    }
    if (blocksLeftEmpty_ > 0) {
        // Only the coefficients already nonzero, from k to the band's end.
        uint64_t left = k <= band_.end ? block.Nonzero() & ~uint64_t{0} << k & ~uint64_t{0} >> (63 - band_.end) : 0;
        for (; left; left &= left - 1)
            if (bits_.Bits(1)) block.Refine(__builtin_ctzll(left), bit);
        --blocksLeftEmpty_;
    }
    return true;
}
