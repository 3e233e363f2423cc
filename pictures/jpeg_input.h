// The bytes of a JPEG file through a buffer, one at a time: the reader
// takes its segments and its entropy-coded data byte by byte, and a call
// per byte to the source would cost more than the decoding.
#pragma once

#include <cstddef>
#include <cstdint>

#include "picture_stream.h"

class JpegInput {
public:
    explicit JpegInput(ByteSource& source) : source_(source) {}
    JpegInput(const JpegInput&) = delete;
    JpegInput& operator=(const JpegInput&) = delete;

    // The next byte, or -1 at the end of the file (and ever after).
    int Byte() { return next_ < end_ ? buffer_[next_++] : Refill(); }
    // A big-endian 16-bit value, or -1 at the end of the file.
    int Word() {
        const int high = Byte();
        const int low = Byte();
        return high < 0 || low < 0 ? -1 : high << 8 | low;
    }
    // Reads `count` bytes into `into`; false when the file ends first.
    bool Take(uint8_t* into, size_t count) {
        for (size_t i = 0; i < count; ++i) {
            const int byte = Byte();
            if (byte < 0) return false;
            into[i] = static_cast<uint8_t>(byte);
        }
        return true;
    }
    // Passes over `count` bytes; false when the file ends first.
    bool Skip(size_t count) {
        while (count > 0) {
            if (next_ == end_) {
                if (Refill() < 0) return false;
                --count;  // the byte Refill returned
                continue;
            }
            const size_t step = end_ - next_ < count ? end_ - next_ : count;
            next_ += step;
            count -= step;
        }
        return true;
    }

private:
    int Refill() {
        if (ended_) return -1;
        next_ = 0;
        end_ = source_.Read(buffer_, sizeof buffer_);
        if (end_ > sizeof buffer_) end_ = sizeof buffer_;  // a source that claims more than it was asked for
        if (end_ == 0) {
            ended_ = true;
            return -1;
        }
        return buffer_[next_++];
    }

    ByteSource& source_;
    uint8_t buffer_[16384];
    size_t next_ = 0, end_ = 0;
    bool ended_ = false;
};
