// The formats come from whoever reads them here: the saver's own readers
// everywhere, then the imaging component's decoders as it lists them, or
// where it is missing, the formats the OLE picture loader knows.
#include "picture_filter.h"

#include <windows.h>

#include <wincodec.h>

#include <cctype>
#include <iterator>
#include <string>
#include <vector>

#include "fog/picture_loader.h"
#include "pictures/picture_readers.h"
#include "win32/scoped_handles.h"

namespace {

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

const char* PictureFileFilter() {
    // Made once per decoder, on the dialog's thread.
    static std::string filters[2];
    const bool imaging = AvailablePictureDecoder() == PictureDecoder::ImagingComponent;
    std::string& filter = filters[imaging ? 0 : 1];
    if (!filter.empty()) return filter.c_str();
    std::vector<FilterEntry> entries;
    ComRef<IWICImagingFactory> factory;
    if (imaging && CreateImagingFactory(factory)) entries = ImagingComponentEntries(factory.get());
    const bool olePictures = OlePictureLoaderPresent();
    if (entries.empty() && olePictures) entries.assign(std::begin(kOleEntries), std::end(kOleEntries));
    for (const OwnPictureFormat* own = OwnPictureFormatsBegin(); own != OwnPictureFormatsEnd(); ++own)
        AddUnlisted(entries, {own->description, own->patterns});
    if (olePictures) entries.push_back(kMetafileEntry);  // only the OLE loader reads these
    filter = FilterOf(entries);
    return filter.c_str();
}
