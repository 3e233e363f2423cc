// Three kinds of decoder feed one reduction: whichever reads the file
// hands its rows, a row or a band at a time, to an AreaReducer, so that
// neither a second full-size copy of the picture nor the moiré of a plain
// stretch ever appears. The saver's own readers come first: they hold a
// few rows where the system's decoders hold the whole picture, and read
// PNG files on systems whose decoders do not.
#include "picture_loader.h"

#include <ole2.h>
#include <olectl.h>
#include <wincodec.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <new>

#include "pictures/area_reducer.h"
#include "pictures/picture_readers.h"
#include "win32/bitmap_format.h"
#include "win32/library_entry.h"
#include "win32/scoped_handles.h"

namespace {

// Rows are read in bands of about this many bytes: small beside any
// picture worth shrinking, large enough that a band costs little.
constexpr uint32_t kBandBytes = 1 << 20;

volatile bool imagingComponentHidden = false;

bool Cancelled(const volatile LONG* cancelled) { return cancelled && *cancelled; }

// Fills `rows` (sourceWidth pixels each, top-down) with source rows
// first.. first + count - 1; false when the decoder fails.
using BandReader = std::function<bool(uint32_t first, uint32_t count, uint32_t* rows)>;

bool ReduceInBands(uint32_t sourceWidth, uint32_t sourceHeight, uint32_t width, uint32_t height,
                   const BandReader& readBand, std::vector<uint32_t>& pixels, const volatile LONG* cancelled) {
    if (!sourceWidth || !sourceHeight) return false;
    const uint32_t bandRows = std::max<uint32_t>(1, std::min(sourceHeight, kBandBytes / 4 / sourceWidth));
    std::vector<uint32_t> band(size_t{sourceWidth} * bandRows);
    AreaReducer reducer(sourceWidth, sourceHeight, width, height);
    for (uint32_t first = 0; first < sourceHeight; first += bandRows) {
        if (Cancelled(cancelled)) return false;
        const uint32_t count = std::min(bandRows, sourceHeight - first);
        if (!readBand(first, count, band.data())) return false;
        for (uint32_t row = 0; row < count; ++row) reducer.AddRow(&band[size_t{row} * sourceWidth]);
    }
    pixels.swap(reducer.Target());
    return true;
}

// ---- The saver's own readers ----

// A file's bytes through calls every system has: the ANSI open (the wide
// one is a stub on the 95 family), SetFilePointer (its Ex form came after
// NT 4.0).
class FileBytes : public ByteSource {
public:
    explicit FileBytes(const char* path)
        : file_(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr)) {}
    ~FileBytes() override {
        if (opened()) CloseHandle(file_);
    }
    bool opened() const { return file_ != INVALID_HANDLE_VALUE; }
    size_t Read(void* into, size_t count) override {
        DWORD got = 0;
        const DWORD asked = static_cast<DWORD>(std::min<size_t>(count, 1u << 30));
        return ReadFile(file_, into, asked, &got, nullptr) ? got : 0;
    }
    bool Seek(uint64_t offset) override {
        LONG high = static_cast<LONG>(offset >> 32);
        SetLastError(NO_ERROR);  // a position whose low half is all ones is no failure
        const DWORD low = SetFilePointer(file_, static_cast<LONG>(offset & 0xFFFFFFFF), &high, FILE_BEGIN);
        return low != INVALID_SET_FILE_POINTER || GetLastError() == NO_ERROR;
    }
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

private:
    HANDLE file_;
};

// Reduces the rows as they come, into a reduction made once the picture's
// size is known; a cancel stops the reader at the next row (or, where a
// reader gathers a picture before its rows, at its next step).
class ReducingSink : public RowSink {
public:
    ReducingSink(uint32_t width, uint32_t height, const volatile LONG* cancelled)
        : width_(width), height_(height), cancelled_(cancelled) {}
    bool Start(uint32_t sourceWidth, uint32_t sourceHeight) override {
        if (Cancelled(cancelled_)) return false;
        reducer_.reset(new AreaReducer(sourceWidth, sourceHeight, width_, height_));
        return true;
    }
    bool Row(const uint32_t* pixels) override {
        if (Cancelled(cancelled_)) return false;
        reducer_->AddRow(pixels);
        return true;
    }
    // A reader that can give the picture reduced gives it no smaller than
    // this; the reduction takes it the rest of the way.
    void ShownSize(uint32_t& width, uint32_t& height) const override {
        width = width_;
        height = height_;
    }
    bool Continue() override { return !Cancelled(cancelled_); }
    void TakeTarget(std::vector<uint32_t>& pixels) { pixels.swap(reducer_->Target()); }

private:
    uint32_t width_, height_;
    const volatile LONG* cancelled_;
    std::unique_ptr<AreaReducer> reducer_;
};

// Decoded and Stopped settle the matter; Unsupported leaves the file to the
// system's decoders, the file closed and the reduction gone by then.
PictureRead DecodeWithOwnReaders(const char* path, uint32_t width, uint32_t height, std::vector<uint32_t>& pixels,
                                 const volatile LONG* cancelled) {
    FileBytes file(path);
    if (!file.opened()) return PictureRead::Unsupported;
    ReducingSink sink(width, height, cancelled);
    const PictureRead read = ReadOwnPicture(file, sink);
    if (read == PictureRead::Decoded) sink.TakeTarget(pixels);
    return read;
}

}  // namespace

// ---- The imaging component ----

bool CreateImagingFactory(ComRef<IWICImagingFactory>& factory) {
    if (imagingComponentHidden) return false;
    // Systems before it simply have no such class registered.
    return SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                      factory.placeAsVoid()));
}

namespace {

enum class Outcome { Decoded, Failed, UnknownFormat };

Outcome DecodeWithImagingComponent(IWICImagingFactory* factory, const wchar_t* path, uint32_t width, uint32_t height,
                                   std::vector<uint32_t>& pixels, const volatile LONG* cancelled) {
    ComRef<IWICBitmapDecoder> decoder;
    const HRESULT opened = factory->CreateDecoderFromFilename(path, nullptr, GENERIC_READ,
                                                              WICDecodeMetadataCacheOnDemand, decoder.place());
    if (opened == WINCODEC_ERR_COMPONENTNOTFOUND) return Outcome::UnknownFormat;
    ComRef<IWICBitmapFrameDecode> frame;
    ComRef<IWICFormatConverter> converter;
    UINT sourceWidth = 0, sourceHeight = 0;
    if (FAILED(opened) || FAILED(decoder->GetFrame(0, frame.place())) ||
        FAILED(factory->CreateFormatConverter(converter.place())) ||
        FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)) ||
        FAILED(converter->GetSize(&sourceWidth, &sourceHeight)))
        return Outcome::Failed;
    const BandReader readBand = [&](uint32_t first, uint32_t count, uint32_t* rows) {
        const WICRect band = {0, static_cast<INT>(first), static_cast<INT>(sourceWidth), static_cast<INT>(count)};
        const UINT stride = sourceWidth * 4;
        return SUCCEEDED(converter->CopyPixels(&band, stride, stride * count, reinterpret_cast<BYTE*>(rows)));
    };
    return ReduceInBands(sourceWidth, sourceHeight, width, height, readBand, pixels, cancelled) ? Outcome::Decoded
                                                                                                : Outcome::Failed;
}

// ---- The OLE picture loader ----

// A bitmap picture's own pixels, read in bands (bottom-up, as GDI counts
// its scan lines) and reduced like any other source.
bool ReduceOleBitmap(IPicture* picture, uint32_t width, uint32_t height, std::vector<uint32_t>& pixels,
                     const volatile LONG* cancelled) {
    OLE_HANDLE handle = 0;
    BITMAP shape = {};
    if (FAILED(picture->get_Handle(&handle)) ||
        !GetObjectA(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)), sizeof shape, &shape))
        return false;
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle));
    const uint32_t sourceWidth = shape.bmWidth, sourceHeight = shape.bmHeight;
    ScreenLikeDC reader;
    if (!reader.dc) return false;
    const BandReader readBand = [&](uint32_t first, uint32_t count, uint32_t* rows) {
        BITMAPINFO format = BitmapFormat(sourceWidth, sourceHeight);
        const UINT lowestScan = sourceHeight - first - count;
        if (GetDIBits(reader.dc, bitmap, lowestScan, count, rows, &format, DIB_RGB_COLORS) != static_cast<int>(count))
            return false;
        for (uint32_t top = 0, bottom = count - 1; top < bottom; ++top, --bottom)
            std::swap_ranges(rows + size_t{top} * sourceWidth, rows + size_t{top + 1} * sourceWidth,
                             rows + size_t{bottom} * sourceWidth);
        return true;
    };
    return ReduceInBands(sourceWidth, sourceHeight, width, height, readBand, pixels, cancelled);
}

// Icons and metafiles draw themselves at the target size; HALFTONE, where
// the system has it (not the 95/98 family), keeps a bitmap whose pixels
// cannot be read from aliasing.
bool RenderOlePicture(IPicture* picture, uint32_t width, uint32_t height, std::vector<uint32_t>& pixels) {
    OLE_XSIZE_HIMETRIC pictureWidth = 0;
    OLE_YSIZE_HIMETRIC pictureHeight = 0;
    if (FAILED(picture->get_Width(&pictureWidth)) || FAILED(picture->get_Height(&pictureHeight))) return false;
    DibCanvas canvas(nullptr, TopDownBitmapFormat(width, height));
    if (!canvas.ready()) return false;
    PatBlt(canvas.dc(), 0, 0, width, height, WHITENESS);  // what a metafile leaves uncovered
    if (SetStretchBltMode(canvas.dc(), HALFTONE)) SetBrushOrgEx(canvas.dc(), 0, 0, nullptr);
    // HIMETRIC runs bottom-up: start at the top edge, go down by the height.
    picture->Render(canvas.dc(), 0, 0, width, height, 0, pictureHeight, pictureWidth, -pictureHeight, nullptr);
    GdiFlush();
    const auto* bits = static_cast<const uint32_t*>(canvas.bits());
    pixels.assign(bits, bits + size_t{width} * height);
    return true;
}

// The OLE picture loader came to the automation library after the first
// releases of the 95 family and NT 4.0, where it may be missing: then no
// picture file can be read there, and the desktop background shows.
using OleLoadPicturePathProc = HRESULT(WINAPI*)(LPOLESTR path, LPUNKNOWN caller, DWORD reserved, OLE_COLOR clear,
                                                REFIID interfaceId, LPVOID* picture);

OleLoadPicturePathProc OlePictureLoader() {
    return LibraryEntry<OleLoadPicturePathProc>(GetModuleHandleA("OLEAUT32.DLL"), "OleLoadPicturePath");
}

bool DecodeWithOlePicture(const wchar_t* path, uint32_t width, uint32_t height, std::vector<uint32_t>& pixels,
                          const volatile LONG* cancelled) {
    const OleLoadPicturePathProc loadPicturePath = OlePictureLoader();
    if (!loadPicturePath) return false;
    OleString olePath(path);
    if (!olePath.text) return false;
    ComRef<IPicture> picture;
    if (FAILED(loadPicturePath(olePath.text, nullptr, 0, static_cast<OLE_COLOR>(-1), IID_IPicture,
                               picture.placeAsVoid())) ||
        !picture.get())
        return false;
    SHORT type = PICTYPE_UNINITIALIZED;
    picture->get_Type(&type);
    if (type == PICTYPE_BITMAP && ReduceOleBitmap(picture.get(), width, height, pixels, cancelled)) return true;
    if (Cancelled(cancelled)) return false;
    return RenderOlePicture(picture.get(), width, height, pixels);
}

// The imaging component, or where it is missing or knows no such format,
// the OLE picture loader.
bool DecodeWithSystem(const char* path, uint32_t width, uint32_t height, std::vector<uint32_t>& pixels,
                      const volatile LONG* cancelled) {
    wchar_t widePath[MAX_PATH + 1];
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, MAX_PATH + 1) == 0) return false;
    ComRef<IWICImagingFactory> factory;
    Outcome outcome = Outcome::UnknownFormat;
    if (CreateImagingFactory(factory))
        outcome = DecodeWithImagingComponent(factory.get(), widePath, width, height, pixels, cancelled);
    return outcome == Outcome::Decoded ||
           (outcome == Outcome::UnknownFormat && DecodeWithOlePicture(widePath, width, height, pixels, cancelled));
}

}  // namespace

PictureDecoder AvailablePictureDecoder() {
    ComRef<IWICImagingFactory> factory;
    return CreateImagingFactory(factory) ? PictureDecoder::ImagingComponent : PictureDecoder::OlePicture;
}

void PretendImagingComponentMissing(bool missing) { imagingComponentHidden = missing; }

bool OlePictureLoaderPresent() { return OlePictureLoader() != nullptr; }

bool DecodePictureAt(const char* path, uint32_t width, uint32_t height, std::vector<uint32_t>& pixels,
                     const volatile LONG* cancelled) {
    pixels.clear();
    if (!width || !height) return false;
    bool decoded = false;
    try {
        const PictureRead ownRead = DecodeWithOwnReaders(path, width, height, pixels, cancelled);
        decoded = ownRead == PictureRead::Unsupported ? DecodeWithSystem(path, width, height, pixels, cancelled)
                                                      : ownRead == PictureRead::Decoded;
    } catch (const std::bad_alloc&) {
        decoded = false;  // too large for the memory at hand: as if unreadable
    }
    if (!decoded || Cancelled(cancelled)) {
        std::vector<uint32_t>().swap(pixels);
        return false;
    }
    return true;
}
