// The picture formats the saver reads itself, on every system, before the
// system's decoders: each recognised by the file's first bytes, whatever
// the file is called.
#pragma once

#include <cstddef>

#include "picture_stream.h"

struct OwnPictureFormat {
    const char* description;  // for the file dialog's filter, patterns included
    const char* patterns;     // "*.png": the dialog's patterns, separated by semicolons
    const char* signature;    // what the file starts with
    size_t signatureBytes;
    PictureRead (*read)(ByteSource& source, RowSink& sink);
};

const OwnPictureFormat* OwnPictureFormatsBegin();
const OwnPictureFormat* OwnPictureFormatsEnd();

// The file, from its start, through the reader its first bytes call for;
// Unsupported when they call for none.
PictureRead ReadOwnPicture(ByteSource& source, RowSink& sink);
