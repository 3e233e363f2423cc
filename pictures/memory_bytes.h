// A file's bytes already in memory, read as the picture readers read a
// file: for the tools and tests that hold a whole file, and the fuzz
// targets.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "picture_stream.h"

class MemoryBytes : public ByteSource {
public:
    MemoryBytes(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}
    explicit MemoryBytes(const std::vector<uint8_t>& bytes) : MemoryBytes(bytes.data(), bytes.size()) {}
    explicit MemoryBytes(std::vector<uint8_t>&&) = delete;  // the bytes must outlive their reading
    size_t Read(void* into, size_t count) override {
        if (count > size_ - at_) count = size_ - at_;
        if (count) std::memcpy(into, bytes_ + at_, count);
        at_ += count;
        return count;
    }
    bool Seek(uint64_t offset) override {
        if (offset > size_) return false;
        at_ = static_cast<size_t>(offset);
        return true;
    }

private:
    const uint8_t* bytes_;
    size_t size_, at_ = 0;
};
