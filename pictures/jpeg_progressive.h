// The blocks of one scan of a progressive JPEG: each scan sends a band of
// coefficients (the DC one, or a run of AC ones, in zigzag order), either
// their high bits ("first") or one more bit of each ("refinement"), which
// add up in the coefficient store.
#pragma once

#include "jpeg_coefficients.h"
#include "jpeg_entropy.h"

struct ProgressiveBand {
    int start = 0, end = 0;  // zigzag indexes; 0 to 0 is the DC scan
    int high = 0, low = 0;   // the bit positions before this scan and after it (0 before: a first scan)
};

class ProgressiveBlocks {
public:
    ProgressiveBlocks(JpegBits& bits, const ProgressiveBand& band) : bits_(bits), band_(band) {}

    // Each false on a code the table lacks or coefficients past the band.
    bool Dc(const HuffmanTable* dc, int& predictor, CoefficientBlock block);
    bool Ac(const HuffmanTable& ac, CoefficientBlock block) {
        return band_.high ? AcRefinement(ac, block) : AcFirst(ac, block);
    }
    // A restart interval ends, and with it any run of empty blocks.
    void Restart() { blocksLeftEmpty_ = 0; }

private:
    bool AcFirst(const HuffmanTable& ac, CoefficientBlock block);
    bool AcRefinement(const HuffmanTable& ac, CoefficientBlock block);
    // The length of a run of empty blocks that symbol run `r` starts.
    int EmptyRun(int r) { return (1 << r) + bits_.Bits(r); }

    JpegBits& bits_;
    ProgressiveBand band_;
    int blocksLeftEmpty_ = 0;  // blocks after this one that the last run of ends of blocks covers
};
