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
#include <cctype>
#include <functional>
#include <memory>
#include <new>
#include <string>

#include "pictures/area_reducer.h"
#include "pictures/picture_readers.h"
#include "win32/library_entry.h"

namespace {

// Rows are read in bands of about this many bytes: small beside any
// picture worth shrinking, large enough that a band costs little.
constexpr uint32_t kBandBytes = 1 << 20;

volatile bool imagingComponentHidden = false;

template <class Interface>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() {
        if (object_) object_->Release();
    }
    Interface** place() { return &object_; }
    void** placeAsVoid() { return reinterpret_cast<void**>(&object_); }
    Interface* operator->() const { return object_; }
    Interface* get() const { return object_; }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;

private:
    Interface* object_ = nullptr;
};

struct OleString {
    BSTR text;
    explicit OleString(const wchar_t* wide) : text(SysAllocString(wide)) {}
    ~OleString() { SysFreeString(text); }
};

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

// ---- The imaging component ----

bool CreateImagingFactory(ComRef<IWICImagingFactory>& factory) {
    if (imagingComponentHidden) return false;
    // Systems before it simply have no such class registered.
    return SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                      factory.placeAsVoid()));
}

enum class Outcome { Decoded, Failed, UnknownFormat };

Outcome DecodeWithImagingComponent(IWICImagingFactory* factory, const wchar_t* path, uint32_t width,
                                   uint32_t height, std::vector<uint32_t>& pixels, const volatile LONG* cancelled) {
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

// A memory device context like the screen's, deleted when it goes.
struct ScreenLikeDC {
    HDC dc = CreateCompatibleDC(nullptr);
    ~ScreenLikeDC() {
        if (dc) DeleteDC(dc);
    }
};

// A top-down 32-bit DIB section selected into a memory device context of
// its own; the bitmap it replaced goes back before both are deleted.
class PixelCanvas {
public:
    PixelCanvas(uint32_t width, uint32_t height) {
        BITMAPINFO format = {};
        format.bmiHeader = {sizeof format.bmiHeader, static_cast<LONG>(width), -static_cast<LONG>(height), 1, 32,
                            BI_RGB, 0, 0, 0, 0, 0};
        bitmap_ = CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits_, nullptr, 0);
        kept_ = memory_.dc && bitmap_ ? SelectObject(memory_.dc, bitmap_) : nullptr;
    }
    ~PixelCanvas() {
        if (ready()) SelectObject(memory_.dc, kept_);
        if (bitmap_) DeleteObject(bitmap_);
    }
    bool ready() const { return kept_ != nullptr && kept_ != HGDI_ERROR; }
    HDC dc() const { return memory_.dc; }
    const uint32_t* bits() const { return static_cast<const uint32_t*>(bits_); }
    PixelCanvas(const PixelCanvas&) = delete;
    PixelCanvas& operator=(const PixelCanvas&) = delete;

private:
    ScreenLikeDC memory_;  // declared first: deleted last
    HBITMAP bitmap_ = nullptr;
    void* bits_ = nullptr;
    HGDIOBJ kept_ = nullptr;
};

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
        BITMAPINFO format = {};
        format.bmiHeader = {sizeof format.bmiHeader, static_cast<LONG>(sourceWidth), static_cast<LONG>(sourceHeight),
                            1, 32, BI_RGB, 0, 0, 0, 0, 0};
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
    PixelCanvas canvas(width, height);
    if (!canvas.ready()) return false;
    PatBlt(canvas.dc(), 0, 0, width, height, WHITENESS);  // what a metafile leaves uncovered
    if (SetStretchBltMode(canvas.dc(), HALFTONE)) SetBrushOrgEx(canvas.dc(), 0, 0, nullptr);
    // HIMETRIC runs bottom-up: start at the top edge, go down by the height.
    picture->Render(canvas.dc(), 0, 0, width, height, 0, pictureHeight, pictureWidth, -pictureHeight, nullptr);
    GdiFlush();
    pixels.assign(canvas.bits(), canvas.bits() + size_t{width} * height);
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

// ---- Filters ----

std::string Narrow(const wchar_t* wide) {
    const int size = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return std::string();
    std::string narrow(size - 1, '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, -1, &narrow[0], size, nullptr, nullptr);
    return narrow;
}

// ".bmp,.dib" as the file dialog's "*.bmp;*.dib". Windows separates the
// extensions with commas, Wine with semicolons.
std::string PatternsOf(const std::string& extensions) {
    std::string patterns;
    size_t start = 0;
    while (start < extensions.size()) {
        size_t end = extensions.find_first_of(",;", start);
        if (end == std::string::npos) end = extensions.size();
        if (end > start) patterns += (patterns.empty() ? "*" : ";*") + extensions.substr(start, end - start);
        start = end + 1;
    }
    return patterns;
}

struct FilterEntry {
    std::string description, patterns;
};

// Read through its own string-returning entry twice: once for the size.
template <class Info, class Getter>
std::string InfoText(Info* info, Getter getter) {
    UINT size = 0;
    if (FAILED((info->*getter)(0, nullptr, &size)) || size == 0) return std::string();
    std::wstring text(size, L'\0');
    if (FAILED((info->*getter)(size, &text[0], &size))) return std::string();
    return Narrow(text.c_str());
}

std::vector<FilterEntry> ImagingComponentEntries(IWICImagingFactory* factory) {
    std::vector<FilterEntry> entries;
    ComRef<IEnumUnknown> decoders;
    if (FAILED(factory->CreateComponentEnumerator(WICDecoder, WICComponentEnumerateDefault, decoders.place())))
        return entries;
    for (;;) {
        ComRef<IUnknown> component;
        ULONG fetched = 0;
        if (decoders->Next(1, component.place(), &fetched) != S_OK || fetched != 1) break;
        ComRef<IWICBitmapDecoderInfo> info;
        if (FAILED(component->QueryInterface(IID_IWICBitmapDecoderInfo, info.placeAsVoid()))) continue;
        const std::string patterns = PatternsOf(InfoText(info.get(), &IWICBitmapDecoderInfo::GetFileExtensions));
        if (patterns.empty()) continue;
        const std::string name = InfoText(info.get(), &IWICBitmapDecoderInfo::GetFriendlyName);
        entries.push_back({(name.empty() ? patterns : name) + " (" + patterns + ")", patterns});
    }
    return entries;
}

std::string FilterOf(const std::vector<FilterEntry>& entries) {
    std::string all;
    for (const FilterEntry& entry : entries) all += (all.empty() ? "" : ";") + entry.patterns;
    std::string filter = "All picture files" + std::string(1, '\0') + all + '\0';
    for (const FilterEntry& entry : entries) filter += entry.description + '\0' + entry.patterns + '\0';
    return filter + "All files (*.*)" + '\0' + "*.*" + '\0';  // the string's own zero ends the table
}

const FilterEntry kOleEntries[] = {
    {"JPEG File interchange format (*.jpg;*.jpeg)", "*.jpg;*.jpeg;*.jpe;*.jfif"},
    {"Windows Bitmap (*.bmp)", "*.bmp;*.dib"},
    {"Graphics Interchange Format (*.gif)", "*.gif"},
    {"Icon (*.ico)", "*.ico"},
};
const FilterEntry kMetafileEntry = {"Windows Metafile (*.wmf;*.emf)", "*.wmf;*.emf"};

std::string Lowered(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Adds `candidate` unless one of its patterns is offered already: a format
// both the saver and the system read is listed once.
void AddUnlisted(std::vector<FilterEntry>& entries, const FilterEntry& candidate) {
    std::string offered = ";";
    for (const FilterEntry& entry : entries) offered += Lowered(entry.patterns) + ";";
    const std::string patterns = Lowered(candidate.patterns) + ";";
    for (size_t start = 0, end; (end = patterns.find(';', start)) != std::string::npos; start = end + 1)
        if (offered.find(";" + patterns.substr(start, end + 1 - start)) != std::string::npos) return;
    entries.push_back(candidate);
}

}  // namespace

PictureDecoder AvailablePictureDecoder() {
    ComRef<IWICImagingFactory> factory;
    return CreateImagingFactory(factory) ? PictureDecoder::ImagingComponent : PictureDecoder::OlePicture;
}

void PretendImagingComponentMissing(bool missing) { imagingComponentHidden = missing; }

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

const char* PictureFileFilter() {
    // Made once per decoder, on the dialog's thread.
    static std::string filters[2];
    const bool imaging = AvailablePictureDecoder() == PictureDecoder::ImagingComponent;
    std::string& filter = filters[imaging ? 0 : 1];
    if (!filter.empty()) return filter.c_str();
    std::vector<FilterEntry> entries;
    ComRef<IWICImagingFactory> factory;
    if (imaging && CreateImagingFactory(factory)) entries = ImagingComponentEntries(factory.get());
    const bool olePictures = OlePictureLoader() != nullptr;
    if (entries.empty() && olePictures) entries.assign(std::begin(kOleEntries), std::end(kOleEntries));
    for (const OwnPictureFormat* own = OwnPictureFormatsBegin(); own != OwnPictureFormatsEnd(); ++own)
        AddUnlisted(entries, {own->description, own->patterns});
    if (olePictures) entries.push_back(kMetafileEntry);  // only the OLE loader reads these
    filter = FilterOf(entries);
    return filter.c_str();
}
