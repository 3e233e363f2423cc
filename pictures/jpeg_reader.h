// The saver's own JPEG reader: Huffman-coded files, sequential (baseline
// and extended) or progressive, of 8-bit greyscale or three-component
// pictures (YCbCr, or RGB as an Adobe marker or the components' names say).
// A sequential file is decoded one row of MCUs at a time, so that only a
// few rows of the picture are ever held. A progressive one is gathered in
// a store of coefficients within a fixed budget, as many of each block's
// as the sink's shown size needs (all where they fit), and then given as
// rows at 1/1, 1/2, 1/4 or 1/8 of its size, the least reduced that stays
// at least the shown size; one the budget cannot hold is refused.
// Arithmetic-coded, lossless, hierarchical, 12-bit and four-component
// files, and sequential files whose first scan holds only some components,
// give Unsupported before the sink hears of the picture; a damaged or
// cut-off file gives Unsupported, a sequential one possibly after some rows.
#pragma once

#include <cstddef>

#include "picture_stream.h"

// What a progressive picture's coefficients may take.
constexpr size_t kJpegCoefficientBudget = size_t{64} << 20;

PictureRead ReadJpeg(ByteSource& source, RowSink& sink);
// The same with another budget (for tests).
PictureRead ReadJpegWithin(ByteSource& source, RowSink& sink, size_t coefficientBudget);
