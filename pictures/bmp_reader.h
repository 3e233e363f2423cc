// BMP files, read a band of rows at a time, whichever way up they are
// stored: uncompressed 1-, 4-, 8-, 16-, 24- and 32-bit pixels, with colour
// masks for 16 and 32 bits, after a core (12-byte) or Windows (40-byte and
// later) header. Mask channels narrower than 8 bits repeat their bits to
// fill 8 (5-bit 31 gives 255), wider ones give their top 8; alpha is
// dropped, as the system's imaging component gives 32-bit BGR. Run-length
// and embedded JPEG or PNG pixels, and pictures wider or taller than
// kMaxBmpReadEdge, are Unsupported (the system's decoders read those).
#pragma once

#include <cstdint>

#include "picture_stream.h"

constexpr uint32_t kMaxBmpReadEdge = 65535;

PictureRead ReadBmp(ByteSource& source, RowSink& sink);
