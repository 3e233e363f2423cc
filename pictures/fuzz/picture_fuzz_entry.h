// One file's bytes through the saver's own readers as the saver reads a
// picture: the readers' common entry, which picks a reader by the first
// bytes, and a sink that tells the size it shows the picture at and
// reduces the rows to it as they come; a JPEG is read again besides,
// shown smaller still within small coefficient budgets.
// The fuzz targets and the native tests' replay of the saved inputs both
// go through here.
#pragma once

#include <cstddef>
#include <cstdint>

// True when the readers kept their word: a picture they call Decoded gave
// its size once and then exactly its every row, and nothing asked them to
// stop, so they never say they stopped. Memory faults are the sanitizers'
// to catch.
bool ReadPictureLikeTheSaver(const uint8_t* bytes, size_t size);

// True when `bytes` start with the signature of the reader whose file
// patterns begin with `patterns` ("*.png"): each fuzz target keeps to its
// own reader.
bool StartsLikeFormat(const char* patterns, const uint8_t* bytes, size_t size);
