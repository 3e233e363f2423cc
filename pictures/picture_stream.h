// What the saver's own picture readers share: they take a file's bytes a
// piece at a time and hand the picture on a row at a time, so that however
// large the picture, only a few rows of it are ever held.
#pragma once

#include <cstddef>
#include <cstdint>

// The bytes of one file.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Up to `count` bytes into `into`, from where the last read or seek
    // ended; the number read, 0 at the end of the file or on an error.
    virtual size_t Read(void* into, size_t count) = 0;
    // Moves to `offset` bytes from the file's start; false when it cannot.
    virtual bool Seek(uint64_t offset) = 0;
};

// Where a reader puts the picture: its size once, then every row, top row
// first, as 32-bit pixels 0x00RRGGBB (the top byte is ignored).
class RowSink {
public:
    virtual ~RowSink() = default;
    // False refuses the picture (too large, say): the reader stops.
    virtual bool Start(uint32_t width, uint32_t height) = 0;
    // `width` pixels. False stops the reader (a close, say).
    virtual bool Row(const uint32_t* pixels) = 0;

    // The size the picture will be shown at, so that a reader that can give
    // it reduced (a JPEG's blocks at 1/2, 1/4 or 1/8) gives no more than
    // that needs; 0 x 0 when every pixel is wanted.
    virtual void ShownSize(uint32_t& width, uint32_t& height) const { width = height = 0; }
    // Asked between long steps that give no rows (the scans of a
    // progressive JPEG). False stops the reader.
    virtual bool Continue() { return true; }
};

enum class PictureRead {
    Decoded,      // every row went to the sink
    Unsupported,  // not this reader's format, a variant it does not read, or a damaged file
    Stopped,      // the sink refused the picture or asked to stop
};
