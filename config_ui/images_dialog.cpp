// The Background Images dialog: the list box is the working copy of the
// stored list; only OK writes it back.
#include "images_dialog.h"

#include <commdlg.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/image_list.h"
#include "core/settings_values.h"
#include "host/saver_effect.h"
#include "picture_filter.h"
#include "resources/resource.h"
#include "win32/ansi_text.h"
#include "win32/scoped_handles.h"

namespace {

constexpr DWORD kOpenFlags =
    OFN_EXPLORER | OFN_NONETWORKBUTTON | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_ALLOWMULTISELECT;
static_assert(kOpenFlags == 0xA1A00, "the file dialog's flags");

constexpr DWORD kFileBufferBytes = 4096;

// Registry value names are at most 16383 characters; a buffer grows this
// many times before a value counts as unreadable.
constexpr int kMaxBufferGrowths = 8;

constexpr char kTooLongCaption[] = "Background Images";
constexpr char kTooLongText[] =
    "The saver can only open pictures whose full path has at most 259 characters. "
    "These were not added:\n\n";

LRESULT ToList(HWND dialog, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendDlgItemMessageA(dialog, IDC_IMAGES_LIST, message, wParam, lParam);
}

// The entry's item data is the type its value is stored with: an entry
// stored as REG_EXPAND_SZ goes back as one.
void AppendEntry(HWND dialog, const char* path, DWORD type = REG_SZ) {
    const LRESULT index = ToList(dialog, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path));
    if (index >= 0) ToList(dialog, LB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(type));
}

DWORD EntryType(HWND dialog, int index) {
    return ToList(dialog, LB_GETITEMDATA, index) == REG_EXPAND_SZ ? REG_EXPAND_SZ : REG_SZ;
}

std::string EntryText(HWND dialog, int index) {
    LRESULT length = ToList(dialog, LB_GETTEXTLEN, index);
    if (length <= 0) return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    length = ToList(dialog, LB_GETTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return text;
}

int EntryCount(HWND dialog) { return static_cast<int>(ToList(dialog, LB_GETCOUNT)); }

// Without a horizontal extent the list box has nothing to scroll: the
// widest entry, in the list's own font, plus one average character so that
// its last letter is not cut by the border.
void FitHorizontalExtent(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_IMAGES_LIST);
    WindowDC surface(list);
    if (!surface.get()) return;
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageA(list, WM_GETFONT, 0, 0));
    HGDIOBJ kept = font ? SelectObject(surface.get(), font) : nullptr;
    LONG widest = 0;
    for (int i = 0, count = EntryCount(dialog); i < count; ++i) {
        const std::string text = EntryText(dialog, i);
        SIZE size = {0, 0};
        if (GetTextExtentPoint32A(surface.get(), text.c_str(), static_cast<int>(text.size()), &size) &&
            size.cx > widest)
            widest = size.cx;
    }
    TEXTMETRICA metrics = {};
    if (widest > 0 && GetTextMetricsA(surface.get(), &metrics)) widest += metrics.tmAveCharWidth;
    if (kept) SelectObject(surface.get(), kept);
    SendMessageA(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest), 0);
}

struct StoredValue {
    std::string name;
    std::string text;  // up to the first zero byte
    DWORD type;
};

bool IsTextType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

// Value `index` of the key, with buffers grown until it fits; false when
// the enumeration is over or the value cannot be read. With `withData`
// false only the name is read.
bool ReadValueAt(HKEY key, DWORD index, bool withData, StoredValue& value) {
    std::string name(kImagePathBufferBytes, '\0');
    std::string data(withData ? kImagePathBufferBytes : 0, '\0');
    for (int growths = 0; growths <= kMaxBufferGrowths; ++growths) {
        DWORD nameSize = static_cast<DWORD>(name.size());
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD type = REG_NONE;
        const LONG status =
            RegEnumValueA(key, index, &name[0], &nameSize, nullptr, &type,
                          withData ? reinterpret_cast<BYTE*>(&data[0]) : nullptr, withData ? &dataSize : nullptr);
        if (status == ERROR_MORE_DATA) {  // a short name buffer is not told its size: double both
            name.resize(name.size() * 2);
            if (withData) data.resize(std::max<size_t>(data.size() * 2, dataSize + 1));
            continue;
        }
        if (status != ERROR_SUCCESS) return false;
        value.name.assign(name.c_str(), std::min<size_t>(nameSize, name.size()));
        const size_t filled = std::min<size_t>(dataSize, data.size());
        value.text.assign(data.data(), std::find(data.data(), data.data() + filled, '\0'));
        value.type = type;
        return true;
    }
    return false;
}

std::vector<StoredValue> ReadValues(HKEY key, bool withData) {
    std::vector<StoredValue> values;
    StoredValue value;
    for (DWORD i = 0; ReadValueAt(key, i, withData, value); ++i) values.push_back(value);
    return values;
}

// Everything but the names 0..count-1 that OK has just written: the names
// of a longer earlier list, and values of other names, which were listed
// and are now stored under an index. Names are gathered first: deleting
// while enumerating would skip values.
void DeleteAllButEntries(HKEY key, size_t count) {
    for (const StoredValue& value : ReadValues(key, false))
        if (!IsStoredEntryName(value.name, count))
            RegDeleteValueA(key, value.name.c_str());  // a failed deletion is ignored
}

void ShowTooLong(HWND dialog, const std::vector<std::string>& paths) {
    std::string text = kTooLongText;
    for (const std::string& path : paths) text += path + "\n";
    MessageBoxA(dialog, text.c_str(), kTooLongCaption, MB_OK | MB_ICONWARNING);
}

// ---------------------------------------------------------------- handlers

// Every text value is listed once, whatever its length: entries by index,
// then the values of other names, which OK stores as entries. Values of
// other types hold no path: they are not listed, and OK removes them with
// everything else that is not the list.
INT_PTR OnInitDialog(HWND dialog) {
    RegistryKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kImagesKeyPath, 0, KEY_READ, key.place()) != ERROR_SUCCESS) return TRUE;
    std::vector<StoredValue> values = ReadValues(key.get(), true);
    values.erase(std::remove_if(values.begin(), values.end(), [](const StoredValue& v) { return !IsTextType(v.type); }),
                 values.end());
    std::vector<std::string> names;
    for (const StoredValue& value : values) names.push_back(value.name);
    for (size_t position : ImageListingOrder(names))
        AppendEntry(dialog, values[position].text.c_str(), values[position].type);
    FitHorizontalExtent(dialog);
    return TRUE;
}

// Writes entry i under the name of i, then deletes every other value, so
// that the key holds exactly the list shown. An empty list is stored too:
// it clears the stored one, so that the user can empty the list. A failed
// write leaves the dialog open and deletes nothing.
INT_PTR OnOk(HWND dialog) {
    RegistryKey key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kImagesKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                        nullptr, key.place(), nullptr) != ERROR_SUCCESS)
        return FALSE;
    const int entries = EntryCount(dialog);
    for (int i = 0; i < entries; ++i) {
        std::string path = EntryText(dialog, i);
        if (RegSetValueExA(key.get(), ImageValueName(i).c_str(), 0, EntryType(dialog, i),
                           reinterpret_cast<const BYTE*>(path.c_str()),
                           static_cast<DWORD>(path.size() + 1)) != ERROR_SUCCESS)
            return FALSE;
    }
    DeleteAllButEntries(key.get(), entries > 0 ? static_cast<size_t>(entries) : 0);
    EndDialog(dialog, 0);
    return TRUE;
}

INT_PTR OnCancel(HWND dialog) {
    EndDialog(dialog, 0);
    return TRUE;
}

INT_PTR OnAdd(HWND dialog) {
    // Offered two bytes short, so the list always ends in two zero bytes.
    char buffer[kFileBufferBytes] = {};
    OPENFILENAMEA request = {};
    request.lStructSize = OPENFILENAME_SIZE_VERSION_400A;  // 76: the form every system knows
    request.hwndOwner = dialog;
    request.hInstance = host.instance;
    request.lpstrFilter = PictureFileFilter();  // what the picture loader in use reads
    request.lpstrFile = buffer;
    request.nMaxFile = kFileBufferBytes - 2;
    request.Flags = kOpenFlags;
    if (!imagesOpenFileDialog(&request)) return TRUE;

    // A path the saver could not open is refused, by name; the others are added.
    OpenFileSelection selection = ParseOpenFileSelection(buffer, sizeof buffer, CharNextStep);
    for (const std::string& path : selection.paths) AppendEntry(dialog, path.c_str());
    FitHorizontalExtent(dialog);
    if (!selection.tooLong.empty()) ShowTooLong(dialog, selection.tooLong);
    return TRUE;
}

// The count is read anew at every step: deleting entry i moves the next
// one up to i.
INT_PTR OnRemove(HWND dialog) {
    for (int i = 0; i < static_cast<int>(ToList(dialog, LB_GETCOUNT));) {
        if (ToList(dialog, LB_GETSEL, i) > 0)
            ToList(dialog, LB_DELETESTRING, i);
        else
            ++i;
    }
    FitHorizontalExtent(dialog);
    return TRUE;
}

INT_PTR OnCommand(HWND dialog, WPARAM wParam) {
    // clang-format off
    switch (LOWORD(wParam)) {
    case IDOK:              return OnOk(dialog);
    case IDCANCEL:          return OnCancel(dialog);
    case IDC_IMAGES_ADD:    return OnAdd(dialog);
    case IDC_IMAGES_REMOVE: return OnRemove(dialog);
    default:                return FALSE;  // the list box's notifications
    }
    // clang-format on
}

}  // namespace

OpenFileDialogProc imagesOpenFileDialog = GetOpenFileNameA;

INT_PTR CALLBACK ImagesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    // clang-format off
    switch (message) {
    case WM_INITDIALOG: return OnInitDialog(dialog);
    case WM_COMMAND:    return OnCommand(dialog, wParam);
    default:            return FALSE;
    }
    // clang-format on
}
