// The Background Images dialog from its real template: the stored list,
// files chosen in the real file-open dialog, Remove and OK.
#include <dlgs.h>

#include <algorithm>
#include <map>

#include "config_ui/images_dialog.h"
#include "core/image_list.h"
#include "resources/resource.h"
#include "tests/win/config_dialog/dialog_driver.h"

namespace {

const char kImagesKey[] = "SOFTWARE\\Zorv\\Images";
using Values = std::map<std::string, std::string>;  // name -> path

// A value other than one terminated REG_SZ shows with its type in front;
// names in lowercase, as the registry compares them.
Values StoredValues() {
    Values values;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kImagesKey, 0, KEY_READ, &key) != 0) return values;
    std::string name(2000, '\0'), data(2000, '\0');
    DWORD nameSize = name.size(), dataSize = data.size(), type = 0;
    for (DWORD i = 0;
         RegEnumValueA(key, i, &name[0], &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &dataSize) == 0;
         ++i, nameSize = name.size(), dataSize = data.size()) {
        const std::string text(data.c_str());
        const bool plain = type == REG_SZ && text.size() + 1 == dataSize;
        CharLowerA(&name[0]);
        values[name.c_str()] = (plain ? "" : "(type " + std::to_string(type) + ") ") + text;
    }
    RegCloseKey(key);
    return values;
}

void Store(const char* name, const std::string& text, DWORD type = REG_SZ) {
    ASSERT_TRUE(WriteBinary(kImagesKey, name, text.c_str(), text.size() + 1, type)) << name;
}

struct ImagesDialogTest : DialogTest {
    std::vector<std::string> Listed() const {
        std::vector<std::string> entries;
        for (int i = 0; i < SendDlgItemMessageA(dialog, IDC_IMAGES_LIST, LB_GETCOUNT, 0, 0); ++i) {
            char text[2000] = {};
            SendDlgItemMessageA(dialog, IDC_IMAGES_LIST, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            entries.push_back(text);
        }
        return entries;
    }
    // The horizontal extent against the widest entry in the list's font:
    // it must show all of it, with no more than a little room to spare.
    ::testing::AssertionResult ExtentFitsWidest() const {
        HWND list = GetDlgItem(dialog, IDC_IMAGES_LIST);
        HDC surface = GetDC(list);
        HGDIOBJ kept = SelectObject(surface, reinterpret_cast<HGDIOBJ>(SendMessageA(list, WM_GETFONT, 0, 0)));
        SIZE widest = {}, size = {};
        for (const std::string& entry : Listed())
            if (GetTextExtentPoint32A(surface, entry.c_str(), entry.size(), &size) && size.cx > widest.cx)
                widest = size;
        ReleaseDC(list, (SelectObject(surface, kept), surface));
        const LRESULT extent = SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0);
        if (extent >= widest.cx && extent <= widest.cx + 20) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "extent " << extent << " for a widest entry of " << widest.cx << " pixels";
    }
    void Remove(const std::vector<int>& entries) {
        for (int entry : entries) SendDlgItemMessageA(dialog, IDC_IMAGES_LIST, LB_SETSEL, TRUE, entry);
        ClickControl(dialog, IDC_IMAGES_REMOVE);
    }
};

// Whatever the registry's enumeration order ("10" before "2" as text),
// every text value is listed once: entries by index, whatever their length
// or case, then the other names. OK stores exactly that list under 0..n-1,
// each value's type and text as they were; after a removal the rest move
// up and the names past the end go; an emptied list is stored too.
TEST_F(ImagesDialogTest, EveryStoredTextIsListedOnceInIndexOrderAndOkStoresTheListAsShown) {
    const DWORD number = 7;  // holds no path: not listed, and removed
    ASSERT_TRUE(WriteBinary(kImagesKey, "number", &number, sizeof number, REG_DWORD));
    Store("note", "C:\\by hand.jpg");
    Store("expanding", "%P%\\x.jpg", REG_EXPAND_SZ);
    std::vector<std::string> listed, types;  // each type as StoredValues shows it
    for (uint32_t i = 0; i <= 0x11; ++i) {
        if (i == 5) continue;  // a gap
        const std::string path = i == 3      ? std::string(300, 'L')
                                 : i == 0x10 ? "C:\\" + std::string(257, 'j')
                                             : "C:\\p\\" + std::to_string(i) + ".jpg";
        Store(i == 0xC ? "C" : ImageValueName(i).c_str(), path);  // "C" is entry 12 too
        listed.push_back(path), types.push_back("");
    }
    listed.insert(listed.end(), {"%P%\\x.jpg", "C:\\by hand.jpg"});
    types.insert(types.end(), {"(type 2) ", ""});
    for (std::vector<int> removed : {std::vector<int>{}, {1, 3, 18}, {}}) {  // the third time: all
        ASSERT_TRUE(Open(IDD_IMAGES, ImagesDialogProc));
        EXPECT_EQ(listed, Listed()) << removed.size() << " to remove";
        for (size_t i = 0; listed.size() == 16 && i < listed.size(); ++i) removed.push_back(i);
        Remove(removed);
        for (auto i = removed.rbegin(); i != removed.rend(); ++i) {
            listed.erase(listed.begin() + *i);
            types.erase(types.begin() + *i);
        }
        Close(IDOK);
        Values stored;
        for (size_t i = 0; i < listed.size(); ++i) stored[ImageValueName(i)] = types[i] + listed[i];
        EXPECT_EQ(stored, StoredValues()) << removed.size() << " removed";
    }
}

// What the file-open dialog hands back in the double below: Wine's own
// dialog cannot reach a path beyond 259 bytes.
std::string chosenFiles;
BOOL WINAPI ChooseWithoutDialog(OPENFILENAMEA* request) {
    if (chosenFiles.size() > request->nMaxFile) return FALSE;
    std::copy(chosenFiles.begin(), chosenFiles.end(), request->lpstrFile);
    return TRUE;
}

// Files chosen together in the real file-open dialog follow the stored
// entry in the order chosen, each joined to its folder. A path the saver
// could not open is refused by name, and the others of the same choice are
// added. The list scrolls as far as its widest entry.
TEST_F(ImagesDialogTest, ChosenFilesGrowTheListInTheirOrderAndAPathTooLongIsRefusedByName) {
    const std::string folder = ScratchFolder();
    for (const char* name : {"\\b.png", "\\a.jpg"})
        CloseHandle(CreateFileA((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    Store("0", "C:\\short.jpg");
    ASSERT_TRUE(Open(IDD_IMAGES, ImagesDialogProc));
    EXPECT_TRUE(ExtentFitsWidest()) << "as listed";
    PostMessageA(GetDlgItem(dialog, IDC_IMAGES_ADD), BM_CLICK, 0, 0);
    HWND files = WaitForDialog(threadId, dialog);
    ASSERT_TRUE(files) << "the file-open dialog";
    Settle(files, 200);
    for (const std::string& typed : {folder, std::string("\"b.png\" \"a.jpg\"")}) {  // the folder, then the names
        SetDlgItemTextA(files, cmb13, typed.c_str());
        SendDlgItemMessageA(files, IDOK, BM_CLICK, 0, 0);
    }
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(files); }, 5000)) << "the file dialog closes";

    const std::string deep = "C:\\" + std::string(200, 'd');
    const std::string fits = std::string(259 - deep.size() - 1, 'f'), over = std::string(260 - deep.size() - 1, 'o');
    chosenFiles = deep + '\0' + fits + '\0' + over + '\0' + '\0';
    imagesOpenFileDialog = ChooseWithoutDialog;
    PostMessageA(GetDlgItem(dialog, IDC_IMAGES_ADD), BM_CLICK, 0, 0);
    HWND refusal = WaitForDialog(threadId, dialog);
    imagesOpenFileDialog = GetOpenFileNameA;
    ASSERT_TRUE(refusal) << "a message names the refused path";
    const std::string text = WindowText(GetDlgItem(refusal, 0xFFFF));
    EXPECT_NE(std::string::npos, text.find(deep + "\\" + over)) << text;
    EXPECT_EQ(std::string::npos, text.find(deep + "\\" + fits)) << text;
    SendMessageA(refusal, WM_COMMAND, IDOK, 0);
    Settle(dialog);
    const std::vector<std::string> chosen = {folder + "\\b.png", folder + "\\a.jpg", deep + "\\" + fits};
    EXPECT_EQ((std::vector<std::string>{"C:\\short.jpg", chosen[0], chosen[1], chosen[2]}), Listed());
    EXPECT_TRUE(ExtentFitsWidest()) << "with the long path added";
    Remove({3});
    EXPECT_TRUE(ExtentFitsWidest()) << "with it removed";
    Close(IDOK);
    EXPECT_EQ((Values{{"0", "C:\\short.jpg"}, {"1", chosen[0]}, {"2", chosen[1]}}), StoredValues());
}

}  // namespace
