#include "picture_readers.h"

#include <cstring>
#include <iterator>

#include "bmp_reader.h"
#include "jpeg_reader.h"
#include "png_reader.h"

namespace {

// A reader joins with one line here.
const OwnPictureFormat kFormats[] = {
    {"JPEG File Interchange Format (*.jpg;*.jpeg)", "*.jpg;*.jpeg;*.jpe;*.jfif", "\xFF\xD8\xFF", 3, ReadJpeg},
    {"Portable Network Graphics (*.png)", "*.png", "\x89PNG\r\n\x1A\n", 8, ReadPng},
    {"Windows Bitmap (*.bmp;*.dib)", "*.bmp;*.dib", "BM", 2, ReadBmp},
};

}  // namespace

const OwnPictureFormat* OwnPictureFormatsBegin() { return std::begin(kFormats); }
const OwnPictureFormat* OwnPictureFormatsEnd() { return std::end(kFormats); }

PictureRead ReadOwnPicture(ByteSource& source, RowSink& sink) {
    char start[16];
    size_t got = 0;
    for (size_t read; got < sizeof start && (read = source.Read(start + got, sizeof start - got)) != 0;) got += read;
    if (!source.Seek(0)) return PictureRead::Unsupported;
    for (const OwnPictureFormat& format : kFormats)
        if (got >= format.signatureBytes && std::memcmp(start, format.signature, format.signatureBytes) == 0)
            return format.read(source, sink);
    return PictureRead::Unsupported;
}
