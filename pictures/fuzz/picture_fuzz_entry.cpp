#include "picture_fuzz_entry.h"

#include <cstring>
#include <memory>

#include "pictures/area_reducer.h"
#include "pictures/jpeg_reader.h"
#include "pictures/memory_bytes.h"
#include "pictures/picture_readers.h"

namespace {

// A screen's worth of pixels is beside the point here; a small target
// keeps every run quick while the reduction still sees every row.
constexpr uint32_t kTargetWidth = 64, kTargetHeight = 48;

// A progressive JPEG keeps only part of each block's coefficients, with
// reduced inverse DCTs, where all of them would pass the budget: with the
// saver's budget, only in pictures thousands of pixels a side. A tiny
// picture shown tinier within tiny budgets takes those paths too (a part
// of chroma doubled, a part, refused), so that the fuzzers reach them in
// every run.
constexpr uint32_t kSmallTargetWidth = 16, kSmallTargetHeight = 12;
constexpr size_t kSmallCoefficientBudgets[] = {size_t{2} << 10, size_t{8} << 10, size_t{32} << 10};

// The saver's reducing sink, counting what it is given.
class CountingReducer : public RowSink {
public:
    CountingReducer(uint32_t targetWidth, uint32_t targetHeight)
        : targetWidth_(targetWidth), targetHeight_(targetHeight) {}
    bool Start(uint32_t width, uint32_t height) override {
        ++starts_;
        height_ = height;
        reducer_ = std::make_unique<AreaReducer>(width, height, targetWidth_, targetHeight_);
        return true;
    }
    bool Row(const uint32_t* pixels) override {
        if (!reducer_) {
            rowBeforeStart_ = true;
            return true;
        }
        reducer_->AddRow(pixels);
        ++rows_;
        return true;
    }
    void ShownSize(uint32_t& width, uint32_t& height) const override {
        width = targetWidth_;
        height = targetHeight_;
    }
    bool Kept(PictureRead read) const {
        if (read == PictureRead::Stopped || rowBeforeStart_ || starts_ > 1) return false;
        return read != PictureRead::Decoded || (starts_ == 1 && rows_ == height_ && reducer_->Complete());
    }

private:
    uint32_t targetWidth_, targetHeight_;
    std::unique_ptr<AreaReducer> reducer_;
    int starts_ = 0;
    uint32_t height_ = 0, rows_ = 0;
    bool rowBeforeStart_ = false;
};

}  // namespace

bool ReadPictureLikeTheSaver(const uint8_t* bytes, size_t size) {
    MemoryBytes source(bytes, size);
    CountingReducer sink(kTargetWidth, kTargetHeight);
    if (!sink.Kept(ReadOwnPicture(source, sink))) return false;
    if (!StartsLikeFormat("*.jpg", bytes, size)) return true;
    for (const size_t budget : kSmallCoefficientBudgets) {
        MemoryBytes again(bytes, size);
        CountingReducer small(kSmallTargetWidth, kSmallTargetHeight);
        if (!small.Kept(ReadJpegWithin(again, small, budget))) return false;
    }
    return true;
}

bool StartsLikeFormat(const char* patterns, const uint8_t* bytes, size_t size) {
    for (const OwnPictureFormat* format = OwnPictureFormatsBegin(); format != OwnPictureFormatsEnd(); ++format)
        if (std::strncmp(format->patterns, patterns, std::strlen(patterns)) == 0)
            return size >= format->signatureBytes && std::memcmp(bytes, format->signature, format->signatureBytes) == 0;
    return false;
}
