#include "area_reducer.h"

#include <algorithm>

// The source axis is scaled by targetSize and the target axis by
// sourceSize, so that both run from 0 to sourceSize * targetSize in whole
// units: source pixel i covers [i * t, (i + 1) * t), target pixel j covers
// [j * s, (j + 1) * s). As t <= s when shrinking, a source pixel touches at
// most two target pixels; when enlarging, a target pixel lies within at
// most two source pixels, and the same two-way split of each source pixel
// still describes it, because every target pixel's weights then sum to s
// all the same.

std::vector<AreaReducer::Span> AreaReducer::Spans(uint32_t sourceSize, uint32_t targetSize) {
    std::vector<Span> spans;
    if (targetSize > sourceSize) return spans;  // enlarging: see AddRow
    spans.reserve(sourceSize);
    for (uint32_t i = 0; i < sourceSize; ++i) {
        const uint64_t start = uint64_t{i} * targetSize;
        const uint32_t first = static_cast<uint32_t>(start / sourceSize);
        const uint64_t firstEnd = uint64_t{first + 1} * sourceSize;
        const uint64_t end = start + targetSize;
        spans.push_back({first, static_cast<uint32_t>((end <= firstEnd ? end : firstEnd) - start)});
    }
    return spans;
}

AreaReducer::AreaReducer(uint32_t sourceWidth, uint32_t sourceHeight, uint32_t targetWidth, uint32_t targetHeight)
    : sourceWidth_(sourceWidth),
      sourceHeight_(sourceHeight),
      targetWidth_(targetWidth),
      targetHeight_(targetHeight),
      columns_(Spans(sourceWidth, targetWidth)),
      rows_(Spans(sourceHeight, targetHeight)),
      rowSums_(size_t{targetWidth} * 3),
      nextRowSums_(size_t{targetWidth} * 3),
      columnSums_(size_t{targetWidth} * 3),
      target_(size_t{targetWidth} * targetHeight) {
    if (!sourceWidth || !sourceHeight || !targetWidth || !targetHeight) sourceHeight_ = rowsTaken_ = 0;
}

namespace {

uint32_t Channel(uint32_t pixel, int channel) { return pixel >> (8 * channel) & 0xFF; }

// The source coordinate whose pixel covers the centre of target pixel j:
// enlarging repeats source pixels, as every stretch does.
uint32_t NearestSource(uint32_t j, uint32_t sourceSize, uint32_t targetSize) {
    return static_cast<uint32_t>((uint64_t{j} * 2 + 1) * sourceSize / (uint64_t{targetSize} * 2));
}

}  // namespace

void AreaReducer::AddRow(const uint32_t* row) {
    if (rowsTaken_ >= sourceHeight_) return;
    const uint32_t y = rowsTaken_++;

    // Across: each target column's weighted sum of this row, each column's
    // weights adding up to sourceWidth.
    std::fill(columnSums_.begin(), columnSums_.end(), 0u);
    if (columns_.empty()) {
        for (uint32_t j = 0; j < targetWidth_; ++j) {
            const uint32_t pixel = row[NearestSource(j, sourceWidth_, targetWidth_)];
            for (int c = 0; c < 3; ++c) columnSums_[j * 3 + c] = Channel(pixel, c) * sourceWidth_;
        }
    } else {
        for (uint32_t i = 0; i < sourceWidth_; ++i) {
            const Span span = columns_[i];
            const uint32_t rest = targetWidth_ - span.inFirst;
            for (int c = 0; c < 3; ++c) {
                const uint32_t value = Channel(row[i], c);
                columnSums_[span.first * 3 + c] += value * span.inFirst;
                if (rest) columnSums_[(span.first + 1) * 3 + c] += value * rest;
            }
        }
    }

    // Down: the same split between target rows; a target row is finished
    // when the source row that reaches its lower edge has been added.
    if (rows_.empty()) {
        for (uint32_t j = 0; j < targetHeight_; ++j) {
            if (NearestSource(j, sourceHeight_, targetHeight_) != y) continue;
            for (size_t k = 0; k < rowSums_.size(); ++k) rowSums_[k] = uint64_t{columnSums_[k]} * sourceHeight_;
            FinishTargetRow(j);
        }
        return;
    }
    const Span span = rows_[y];
    const uint32_t rest = targetHeight_ - span.inFirst;
    for (size_t k = 0; k < rowSums_.size(); ++k) {
        rowSums_[k] += uint64_t{columnSums_[k]} * span.inFirst;
        nextRowSums_[k] += uint64_t{columnSums_[k]} * rest;
    }
    const bool lastOfItsRow = y + 1 == sourceHeight_ || rows_[y + 1].first != span.first;
    if (!lastOfItsRow) return;
    FinishTargetRow(span.first);
    rowSums_.swap(nextRowSums_);  // the spill into the next row; the finished sums, cleared, take its place
}

void AreaReducer::FinishTargetRow(uint32_t targetRow) {
    const uint64_t weight = uint64_t{sourceWidth_} * sourceHeight_;
    uint32_t* out = &target_[size_t{targetRow} * targetWidth_];
    for (uint32_t j = 0; j < targetWidth_; ++j) {
        uint32_t pixel = 0;
        for (int c = 0; c < 3; ++c)
            pixel |= static_cast<uint32_t>((rowSums_[j * 3 + c] + weight / 2) / weight) << (8 * c);
        out[j] = pixel;
    }
    std::fill(rowSums_.begin(), rowSums_.end(), 0u);
}
