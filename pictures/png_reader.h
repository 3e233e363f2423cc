// PNG files, read a row at a time: every colour type and bit depth. Alpha
// and transparency are dropped (the colour channels show as stored), as
// the system's imaging component gives them in 32-bit BGR; 16-bit samples
// give their high byte. Rows of a non-interlaced picture stream through two
// row buffers and zlib's 32 KB window; an interlaced one is gathered
// whole first, so it is read only when that fits kMaxInterlacedBytes.
// The header's and the palette's checksums are verified, and the image
// data's compressed stream's: a damaged file, like one too large
// (kMaxPngEdge) or with unknown critical chunks, is Unsupported.
#pragma once

#include <cstdint>

#include "picture_stream.h"

constexpr uint32_t kMaxPngEdge = 65535;
constexpr uint64_t kMaxInterlacedBytes = uint64_t{64} << 20;

PictureRead ReadPng(ByteSource& source, RowSink& sink);
