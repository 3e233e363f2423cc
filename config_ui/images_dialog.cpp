// The Background Images dialog: the list box is the working copy of the
// stored list; only OK writes it back.
#include "images_dialog.h"

#include <commdlg.h>

#include <string>

#include "../core/image_list.h"
#include "../core/settings_values.h"
#include "../fog/picture_loader.h"
#include "../host/host_state.h"
#include "../resources/resource.h"
#include "../win32/scoped_handles.h"

namespace {

constexpr DWORD kOpenFlags =
    OFN_EXPLORER | OFN_NONETWORKBUTTON | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_ALLOWMULTISELECT;
static_assert(kOpenFlags == 0xA1A00, "the file dialog's flags");

constexpr DWORD kFileBufferBytes = 4096;

const char* CharNextStep(const char* position) { return CharNextA(position); }

LRESULT ToList(HWND dialog, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendDlgItemMessageA(dialog, IDC_IMAGES_LIST, message, wParam, lParam);
}

void AppendEntry(HWND dialog, const char* path) { ToList(dialog, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path)); }

std::string EntryText(HWND dialog, int index) {
    LRESULT length = ToList(dialog, LB_GETTEXTLEN, index);
    if (length <= 0) return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    length = ToList(dialog, LB_GETTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return text;
}

LONG CountValues(HKEY key, DWORD& count) {
    return RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                            nullptr, nullptr);
}

// ---------------------------------------------------------------- handlers

// Lists the stored values in the order the key enumerates them; a value
// that does not fit an entry's buffer ends the listing.
INT_PTR OnInitDialog(HWND dialog) {
    RegistryKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kImagesKeyPath, 0, KEY_READ, key.place()) != ERROR_SUCCESS) return FALSE;
    DWORD count = 0;
    if (CountValues(key.get(), count) != ERROR_SUCCESS) return FALSE;
    for (DWORD i = 0; i < count; ++i) {
        char name[kImagePathBufferBytes];
        DWORD nameSize = sizeof name;
        char data[kImagePathBufferBytes + 1] = {};  // room for a zero after unterminated data
        DWORD dataSize = kImagePathBufferBytes;
        if (RegEnumValueA(key.get(), i, name, &nameSize, nullptr, nullptr, reinterpret_cast<BYTE*>(data),
                          &dataSize) != ERROR_SUCCESS)
            break;
        AppendEntry(dialog, data);
    }
    return TRUE;
}

// Writes entry i under the name of i, then deletes the names that a
// longer earlier list left behind. An empty list is stored too: it clears
// the stored one, so that the user can empty the list.
INT_PTR OnOk(HWND dialog) {
    RegistryKey key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kImagesKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                        nullptr, key.place(), nullptr) != ERROR_SUCCESS)
        return FALSE;
    const int entries = static_cast<int>(ToList(dialog, LB_GETCOUNT));
    for (int i = 0; i < entries; ++i) {
        std::string path = EntryText(dialog, i);
        if (RegSetValueExA(key.get(), ImageValueName(i).c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(path.c_str()), static_cast<DWORD>(path.size() + 1)) !=
            ERROR_SUCCESS)
            return FALSE;
    }
    DWORD stored = 0;
    if (CountValues(key.get(), stored) != ERROR_SUCCESS) return FALSE;
    for (DWORD i = entries > 0 ? entries : 0; i < stored; ++i)
        RegDeleteValueA(key.get(), ImageValueName(i).c_str());  // a failed deletion is ignored
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
    if (!GetOpenFileNameA(&request)) return TRUE;

    // A joined path too long for an entry is left out; the others are added.
    OpenFileSelection selection = ParseOpenFileSelection(buffer, sizeof buffer, CharNextStep);
    for (const std::string& path : selection.paths) AppendEntry(dialog, path.c_str());
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
    return TRUE;
}

INT_PTR OnCommand(HWND dialog, WPARAM wParam) {
    switch (LOWORD(wParam)) {
    case IDOK:              return OnOk(dialog);
    case IDCANCEL:          return OnCancel(dialog);
    case IDC_IMAGES_ADD:    return OnAdd(dialog);
    case IDC_IMAGES_REMOVE: return OnRemove(dialog);
    default:                return FALSE;  // the list box's notifications
    }
}

}  // namespace

INT_PTR CALLBACK ImagesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: return OnInitDialog(dialog);
    case WM_COMMAND:    return OnCommand(dialog, wParam);
    default:            return FALSE;
    }
}
