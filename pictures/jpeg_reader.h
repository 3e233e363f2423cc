// The saver's own JPEG reader: sequential Huffman-coded files (baseline
// and extended) of 8-bit greyscale or three-component pictures (YCbCr, or
// RGB as an Adobe marker or the components' names say), decoded one row
// of MCUs at a time, so that only a few rows of the picture are ever held.
// Progressive, arithmetic-coded, lossless, 12-bit and four-component
// files, and files whose first scan holds only some components, give
// Unsupported before the sink hears of the picture; a damaged or cut-off
// file gives Unsupported, possibly after some rows.
#pragma once

#include "picture_stream.h"

PictureRead ReadJpeg(ByteSource& source, RowSink& sink);
