// The Background Images dialog from its real template: the stored list,
// files chosen in the real file-open dialog, Remove, OK and Cancel.
#include <windows.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "config_ui/images_dialog.h"
#include "dialog_driver.h"
#include "resources/resource.h"
#include "test_support.h"

namespace {

const char kImagesKey[] = "SOFTWARE\\Zorv\\Images";
using Values = std::map<std::string, std::string>;  // name -> path

Values StoredValues() {
    Values values;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kImagesKey, 0, KEY_READ, &key) != 0) return values;
    char name[300], data[300];
    DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
    for (DWORD i = 0; RegEnumValueA(key, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize) == 0;
         ++i, nameSize = sizeof name, dataSize = sizeof data)
        values[name] = (type == REG_SZ && std::strlen(data) + 1 == dataSize ? "" : "(not one REG_SZ) ") + std::string(data);
    RegCloseKey(key);
    return values;
}

// Stores entries "0".."n-1", and with `note` a value of another name.
Values Stored(int n, bool note = false) {
    Values values;
    if (note) values["note"] = "not an entry";
    for (int i = 0; i < n; ++i) values[std::to_string(i)] = "C:\\p\\" + std::to_string(i) + ".jpg";
    for (const auto& v : values) WriteBinary(kImagesKey, v.first.c_str(), v.second.c_str(), v.second.size() + 1, REG_SZ);
    return values;
}

std::string MakeFile(const std::string& path) {
    CloseHandle(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    return path;
}

struct ImagesDialogTest : DialogTest {
    // Add, then in the file-open dialog: the folder, then the names in it.
    void ChooseFiles(const std::string& folder, const std::vector<std::string>& names) {
        PostMessageA(GetDlgItem(dialog, IDC_IMAGES_ADD), BM_CLICK, 0, 0);
        HWND files = WaitForDialog(thread->id, dialog);
        ASSERT_TRUE(files) << "the file-open dialog";
        Settle(files, 200);
        std::string typed;
        for (const std::string& name : names) typed += "\"" + name + "\" ";
        for (const std::string& text : {folder, typed}) {
            SetDlgItemTextA(files, cmb13, text.c_str());
            SendDlgItemMessageA(files, IDOK, BM_CLICK, 0, 0);
        }
        EXPECT_TRUE(PumpUntil([&] { return !IsWindow(files); }, 5000)) << "the file dialog closes on " << typed;
        Settle(dialog);
    }
    // A click on the first entry selects it alone; Wine's injected clicks
    // carry no Ctrl state, so the others join the selection by message.
    void Remove(const std::vector<int>& entries) {
        HWND list = GetDlgItem(dialog, IDC_IMAGES_LIST);
        RECT item = {};
        SendMessageA(list, LB_GETITEMRECT, entries[0], reinterpret_cast<LPARAM>(&item));
        ClickAt(dialog, list, item);
        for (size_t i = 1; i < entries.size(); ++i) SendMessageA(list, LB_SETSEL, TRUE, entries[i]);
        ClickControl(dialog, IDC_IMAGES_REMOVE);
    }
};

TEST_F(ImagesDialogTest, SeventeenFilesChosenTogetherAreStoredUnderHexNamesAndListedAgain) {
    const std::string folder = ScratchFolder();
    const char* hex[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "a", "b", "c", "d", "e", "f", "10"};
    std::vector<std::string> names;
    Values expected;
    for (int i = 0; i < 17; ++i) {
        names.push_back("p" + std::to_string(10 + i) + ".jpg");
        expected[hex[i]] = MakeFile(folder + "\\" + names.back());
    }
    ASSERT_TRUE(Open(IDD_IMAGES, ImagesDialogProc));
    ChooseFiles(folder, names);
    Close(IDOK);
    EXPECT_EQ(expected, StoredValues());
    ASSERT_TRUE(Open(IDD_IMAGES, ImagesDialogProc));
    EXPECT_EQ(17, SendDlgItemMessageA(dialog, IDC_IMAGES_LIST, LB_GETCOUNT, 0, 0));
}

// Chosen in a folder (joined with "\") and in a drive root (no "\" doubled);
// Cancel leaves the stored list as it was.
TEST_F(ImagesDialogTest, FilesChosenTogetherGrowTheStoredListInTheirOrder) {
    const std::string stem = "zorv-" + std::to_string(GetCurrentProcessId());
    const struct {
        std::string folder, separator;
        int stored, button;
    } cases[] = {{ScratchFolder(), "\\", 3, IDOK}, {"C:\\", "", 0, IDOK}, {ScratchFolder(), "\\", 3, IDCANCEL}};
    for (const auto& c : cases) {
        DeleteSettingsKey();
        const Values stored = Stored(c.stored);
        Values grown = stored;
        grown[std::to_string(c.stored)] = MakeFile(c.folder + c.separator + stem + "-b.png");
        grown[std::to_string(c.stored + 1)] = MakeFile(c.folder + c.separator + stem + "-a.jpg");
        ASSERT_TRUE(Open(IDD_IMAGES, ImagesDialogProc)) << c.folder;
        ChooseFiles(c.folder, {stem + "-b.png", stem + "-a.jpg"});
        Close(c.button);
        EXPECT_EQ(c.button == IDOK ? grown : stored, StoredValues()) << c.folder << ", button " << c.button;
        for (int i : {0, 1}) DeleteFileA(grown[std::to_string(c.stored + i)].c_str());
    }
}

// The remaining entries move up; the names past the end are deleted, and a
// value of another name is never touched. An emptied list is stored too.
TEST_F(ImagesDialogTest, RemovedEntriesShrinkTheStoredList) {
    const struct {
        const char* name;
        std::vector<int> removed;
        Values kept;
    } cases[] = {
        {"1 and 3 of 5", {1, 3, 5}, {{"0", "C:\\p\\0.jpg"}, {"1", "C:\\p\\2.jpg"}, {"2", "C:\\p\\4.jpg"}, {"note", "not an entry"}}},
        {"all", {0, 1, 2, 3, 4, 5}, {{"note", "not an entry"}}},
    };
    for (const auto& c : cases) {
        DeleteSettingsKey();
        Stored(5, true);  // "note" is listed last
        ASSERT_TRUE(Open(IDD_IMAGES, ImagesDialogProc)) << c.name;
        Remove(c.removed);
        Close(IDOK);
        EXPECT_EQ(c.kept, StoredValues()) << c.name;
    }
}

}  // namespace
