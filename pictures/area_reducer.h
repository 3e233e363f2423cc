// Shrinks (or enlarges) a picture to a given size by area averaging: every
// target pixel is the mean of the source area it covers, weighted by how
// much of each source pixel lies inside it. A fine pattern becomes its
// average tone instead of the moiré that dropping pixels gives. Rows come
// in one at a time, so only the target and one row of sums are held,
// however large the source.
#pragma once

#include <cstdint>
#include <vector>

class AreaReducer {
public:
    // Pixels are 32-bit values whose low three bytes are the channels (the
    // top byte is ignored on input and zero on output); rows run top-down.
    // Sizes of 0 give an empty target that takes no rows.
    AreaReducer(uint32_t sourceWidth, uint32_t sourceHeight, uint32_t targetWidth, uint32_t targetHeight);

    // The next source row, sourceWidth pixels. Rows beyond sourceHeight
    // are ignored.
    void AddRow(const uint32_t* row);
    bool Complete() const { return rowsTaken_ == sourceHeight_; }
    // targetWidth * targetHeight pixels, top-down; whole once Complete().
    const std::vector<uint32_t>& Target() const { return target_; }
    std::vector<uint32_t>& Target() { return target_; }

private:
    // Where one source pixel falls on the target's axis: the first target
    // pixel it touches, and how much of it lies in that one (the rest lies
    // in the next), in units of 1 / targetSize of a source pixel.
    struct Span {
        uint32_t first;
        uint32_t inFirst;
    };
    static std::vector<Span> Spans(uint32_t sourceSize, uint32_t targetSize);
    void FinishTargetRow(uint32_t targetRow);

    uint32_t sourceWidth_, sourceHeight_, targetWidth_, targetHeight_;
    std::vector<Span> columns_, rows_;
    std::vector<uint64_t> rowSums_, nextRowSums_;  // three channels per target column
    std::vector<uint32_t> columnSums_;             // of the current source row
    std::vector<uint32_t> target_;
    uint32_t rowsTaken_ = 0;
};
