#include "picture_fuzz_entry.h"

#include <cstring>
#include <memory>

#include "pictures/area_reducer.h"
#include "pictures/memory_bytes.h"
#include "pictures/picture_readers.h"

namespace {

// A screen's worth of pixels is beside the point here; a small target
// keeps every run quick while the reduction still sees every row.
constexpr uint32_t kTargetWidth = 64, kTargetHeight = 48;

// The saver's reducing sink, counting what it is given.
class CountingReducer : public RowSink {
public:
    bool Start(uint32_t width, uint32_t height) override {
        ++starts_;
        height_ = height;
        reducer_ = std::make_unique<AreaReducer>(width, height, kTargetWidth, kTargetHeight);
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
    bool Kept(PictureRead read) const {
        if (read == PictureRead::Stopped || rowBeforeStart_ || starts_ > 1) return false;
        return read != PictureRead::Decoded || (starts_ == 1 && rows_ == height_ && reducer_->Complete());
    }

private:
    std::unique_ptr<AreaReducer> reducer_;
    int starts_ = 0;
    uint32_t height_ = 0, rows_ = 0;
    bool rowBeforeStart_ = false;
};

}  // namespace

bool ReadPictureLikeTheSaver(const uint8_t* bytes, size_t size) {
    MemoryBytes source(bytes, size);
    CountingReducer sink;
    return sink.Kept(ReadOwnPicture(source, sink));
}

bool StartsLikeFormat(const char* patterns, const uint8_t* bytes, size_t size) {
    for (const OwnPictureFormat* format = OwnPictureFormatsBegin(); format != OwnPictureFormatsEnd(); ++format)
        if (std::strncmp(format->patterns, patterns, std::strlen(patterns)) == 0)
            return size >= format->signatureBytes && std::memcmp(bytes, format->signature, format->signatureBytes) == 0;
    return false;
}
