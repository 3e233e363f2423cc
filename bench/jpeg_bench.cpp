// The saver's own JPEG reader on a large file: the time to decode it, the
// rows only summed, and the time to decode it into a 1024 x 768 picture as
// the saver shows it (area reduction; a progressive file reduced as its
// coefficients allow first). Best of a few rounds. A progressive file whose
// coefficients do not all fit the reader's budget has no full-size decode.
//   jpeg_bench FILE.jpg
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>

#include "pictures/area_reducer.h"
#include "pictures/jpeg_reader.h"

namespace {

constexpr int kRounds = 3;

class FileSource : public ByteSource {
public:
    explicit FileSource(const char* path) : file_(std::fopen(path, "rb")) {}
    ~FileSource() override {
        if (file_) std::fclose(file_);
    }
    bool IsOpen() const { return file_ != nullptr; }
    size_t Read(void* into, size_t count) override { return std::fread(into, 1, count, file_); }
    bool Seek(uint64_t offset) override {
        return offset <= 0x7FFFFFFF && std::fseek(file_, static_cast<long>(offset), SEEK_SET) == 0;
    }

private:
    std::FILE* file_;
};

class SummingSink : public RowSink {
public:
    bool Start(uint32_t width, uint32_t height) override {
        width_ = width;
        height_ = height;
        return true;
    }
    bool Row(const uint32_t* pixels) override {
        for (uint32_t x = 0; x < width_; ++x) sum_ += pixels[x];
        return true;
    }
    uint32_t width_ = 0, height_ = 0;
    uint64_t sum_ = 0;
};

class ReducingSink : public RowSink {
public:
    bool Start(uint32_t width, uint32_t height) override {
        reducer_ = std::make_unique<AreaReducer>(width, height, 1024, 768);
        return true;
    }
    bool Row(const uint32_t* pixels) override {
        reducer_->AddRow(pixels);
        return true;
    }
    void ShownSize(uint32_t& width, uint32_t& height) const override {
        width = 1024;
        height = 768;
    }
    std::unique_ptr<AreaReducer> reducer_;
};

// The best time of kRounds decodes in milliseconds, or -1 when one fails.
template <class Sink>
double BestMilliseconds(const char* path, Sink& sink) {
    double best = 1e30;
    for (int round = 0; round < kRounds; ++round) {
        FileSource source(path);
        if (!source.IsOpen()) return -1;
        const auto start = std::chrono::steady_clock::now();
        if (ReadJpeg(source, sink) != PictureRead::Decoded) return -1;
        best =
            std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: jpeg_bench FILE.jpg\n");
        return 2;
    }
    SummingSink summing;
    const double decode = BestMilliseconds(argv[1], summing);
    ReducingSink reducing;
    const double reduce = BestMilliseconds(argv[1], reducing);
    if (reduce < 0) {
        std::fprintf(stderr, "jpeg_bench: %s is no picture the reader decodes\n", argv[1]);
        return 1;
    }
    if (decode < 0) {
        std::printf("JPEG (no full-size decode within the budget), best of %d: decode into 1024 x 768 %.0f ms\n",
                    kRounds, reduce);
        return 0;
    }
    const double pixels = double(summing.width_) * summing.height_;
    std::printf("JPEG %u x %u, best of %d: decode %.0f ms (%.1f ns/pixel), decode into 1024 x 768 %.0f ms\n",
                summing.width_, summing.height_, kRounds, decode, decode * 1e6 / pixels, reduce);
    return 0;
}
