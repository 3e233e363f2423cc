// The Background Images dialog from its real template: the stored list,
// the file-open dialog answered with files made here, Remove, OK, Cancel.
#include <windows.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "config_ui/images_dialog.h"
#include "dialog_driver.h"
#include "resources/resource.h"
#include "test_support.h"

namespace {

const char kImagesKey[] = "SOFTWARE\\Zorv\\Images";
using Values = std::map<std::string, std::string>;  // name -> data

Values StoredValues() {
    Values values;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kImagesKey, 0, KEY_READ, &key) != 0) return values;
    for (DWORD i = 0;; ++i) {
        char name[300], data[300];
        DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize) != 0) break;
        EXPECT_EQ(DWORD(REG_SZ), type) << name;
        values[name] = std::string(data, dataSize ? dataSize - 1 : 0);
        EXPECT_EQ(values[name].size() + 1, dataSize) << name << ": the text and its zero byte";
    }
    RegCloseKey(key);
    return values;
}

void StoreValues(const Values& values) {
    for (const auto& value : values)
        WriteBinary(kImagesKey, value.first.c_str(), value.second.c_str(), static_cast<DWORD>(value.second.size() + 1),
                    REG_SZ);
}

std::string Describe(const Values& values) {
    std::string text;
    for (const auto& value : values) text += "  " + value.first + " = " + value.second + "\n";
    return text.empty() ? "  (none)\n" : text;
}

std::vector<std::string> ListedEntries(HWND dialog) {
    std::vector<std::string> entries;
    LRESULT count = SendDlgItemMessageA(dialog, IDC_IMAGES_LIST, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[600] = {};
        SendDlgItemMessageA(dialog, IDC_IMAGES_LIST, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        entries.push_back(text);
    }
    return entries;
}

std::string MakeFile(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file) {
        std::fputs("not really a picture", file);
        std::fclose(file);
    }
    return path;
}

// Clicks entry `index` of the list box, which selects it alone. Further
// entries join the selection as a Ctrl+click would have them join; Wine
// delivers injected clicks without the Ctrl state, so that part is asked
// of the list box directly.
void ClickEntry(HWND dialog, int index) {
    HWND list = GetDlgItem(dialog, IDC_IMAGES_LIST);
    RECT item = {};
    SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
    POINT middle = {(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ClientToScreen(list, &middle);
    MoveMouseTo(middle);
    MouseButton(true);
    MouseButton(false);
    Settle(dialog);
    EXPECT_EQ(1, SendMessageA(list, LB_GETSELCOUNT, 0, 0)) << "entry " << index << " clicked";
    EXPECT_GT(SendMessageA(list, LB_GETSEL, index, 0), 0) << "entry " << index << " clicked";
}

void AddToSelection(HWND dialog, int index) {
    SendDlgItemMessageA(dialog, IDC_IMAGES_LIST, LB_SETSEL, TRUE, index);
}

struct ImagesDialogTest : ::testing::Test {
    CleanSettingsKey clean;
    std::unique_ptr<DialogThread> thread;
    HWND dialog = nullptr;

    void Open() {
        thread = std::make_unique<DialogThread>(IDD_IMAGES, ImagesDialogProc);
        dialog = thread->WaitForDialog();
        ASSERT_TRUE(dialog);
        EXPECT_EQ("Background Images", WindowText(dialog));
        Settle(dialog);
    }

    // The Add button's file-open dialog, as it shows.
    HWND OpenFileDialog() {
        PostMessageA(GetDlgItem(dialog, IDC_IMAGES_ADD), BM_CLICK, 0, 0);
        HWND files = WaitForDialogOf(thread->threadId(), dialog);
        if (files) Settle(files, 200);
        return files;
    }

    // The edit box of the "File name" combo box (a plain edit box in older
    // forms of the dialog).
    static HWND FileNameBox(HWND files) {
        if (HWND box = GetDlgItem(files, edt1)) return box;
        HWND combo = GetDlgItem(files, cmb13);
        HWND inner = FindWindowExA(combo, nullptr, "ComboBox", nullptr);
        return FindWindowExA(inner ? inner : combo, nullptr, "Edit", nullptr);
    }

    // Types the text into the file name box and presses Open.
    static void TypeAndOpen(HWND files, const std::string& text) {
        SendMessageA(FileNameBox(files), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SendDlgItemMessageA(files, IDOK, BM_CLICK, 0, 0);
    }

    // Goes to the folder, then chooses the names there (quoted, several at once).
    void ChooseFiles(const std::string& folder, const std::vector<std::string>& names) {
        HWND files = OpenFileDialog();
        ASSERT_TRUE(files) << "the file-open dialog";
        TypeAndOpen(files, folder);
        ASSERT_TRUE(IsWindow(files)) << "a folder only opens the folder";
        std::string typed;
        for (const std::string& name : names) typed += (names.size() > 1 ? "\"" + name + "\" " : name);
        TypeAndOpen(files, typed);
        EXPECT_TRUE(PumpUntil([&] { return !IsWindow(files); }, 5000))
            << "the file dialog closes; typed [" << typed << "]\n" << DescribeThreadWindows(thread->threadId());
        Settle(dialog);
    }

    void Press(int id) {
        ClickControl(dialog, id);
        EXPECT_EQ(0, thread->WaitForEnd()) << "the dialog ends with 0";
    }
};

TEST_F(ImagesDialogTest, SeventeenChosenFilesAreStoredUnderHexNamesAndListedAgain) {
    const std::string folder = ScratchFolder();
    std::vector<std::string> names;
    for (int i = 0; i < 17; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "p%02d.jpg", i);
        names.push_back(name);
        MakeFile(folder + "\\" + name);
    }
    Open();
    EXPECT_TRUE(ListedEntries(dialog).empty()) << "no key: an empty list";
    ChooseFiles(folder, names);
    ASSERT_EQ(17u, ListedEntries(dialog).size());
    Press(IDOK);

    const char* expectedNames[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8",
                                   "9", "a", "b", "c", "d", "e", "f", "10"};
    Values expected;
    for (int i = 0; i < 17; ++i) expected[expectedNames[i]] = folder + "\\" + names[i];
    Values stored = StoredValues();
    EXPECT_EQ(Describe(expected), Describe(stored));

    Open();
    std::vector<std::string> listed = ListedEntries(dialog);
    EXPECT_EQ(17u, listed.size());
    for (const auto& value : expected)
        EXPECT_NE(listed.end(), std::find(listed.begin(), listed.end(), value.second)) << value.second;
    Press(IDCANCEL);
}

TEST_F(ImagesDialogTest, TabVisitsTheControlsInTemplateOrderAndTheListIsNotSorted) {
    StoreValues({{"0", "C:\\z.jpg"}, {"1", "C:\\a.jpg"}});
    Open();
    HWND control = GetDlgItem(dialog, IDCANCEL);
    for (int id : {IDC_IMAGES_LIST, IDC_IMAGES_ADD, IDC_IMAGES_REMOVE, IDOK, IDCANCEL}) {
        control = GetNextDlgTabItem(dialog, control, FALSE);
        EXPECT_EQ(id, GetDlgCtrlID(control));
    }
    // Wine's registry enumerates values in the order they were written.
    EXPECT_EQ((std::vector<std::string>{"C:\\z.jpg", "C:\\a.jpg"}), ListedEntries(dialog)) << "unsorted";
    Press(IDCANCEL);
}

TEST_F(ImagesDialogTest, RemovingEntriesThatAreNotNeighboursShrinksTheStoredList) {
    StoreValues({{"0", "C:\\p\\zero.jpg"}, {"1", "C:\\p\\one.jpg"}, {"2", "C:\\p\\two.jpg"},
                 {"3", "C:\\p\\three.jpg"}, {"4", "C:\\p\\four.jpg"}, {"note", "not an entry"}});
    Open();
    std::vector<std::string> listed = ListedEntries(dialog);
    ASSERT_EQ(6u, listed.size());
    // Select the entries one and three, whatever the key's enumeration order.
    int one = static_cast<int>(std::find(listed.begin(), listed.end(), "C:\\p\\one.jpg") - listed.begin());
    int three = static_cast<int>(std::find(listed.begin(), listed.end(), "C:\\p\\three.jpg") - listed.begin());
    int note = static_cast<int>(std::find(listed.begin(), listed.end(), "not an entry") - listed.begin());
    ClickEntry(dialog, one);
    AddToSelection(dialog, three);
    AddToSelection(dialog, note);
    ClickControl(dialog, IDC_IMAGES_REMOVE);
    std::vector<std::string> kept;
    for (const std::string& entry : listed)
        if (entry != "C:\\p\\one.jpg" && entry != "C:\\p\\three.jpg" && entry != "not an entry") kept.push_back(entry);
    EXPECT_EQ(kept, ListedEntries(dialog)) << "the others stay in their order";
    Press(IDOK);

    Values expected = {{"note", "not an entry"}};  // another name is never touched
    for (size_t i = 0; i < kept.size(); ++i) expected[std::to_string(i)] = kept[i];
    EXPECT_EQ(Describe(expected), Describe(StoredValues())) << "3 and 4 deleted";
}

TEST_F(ImagesDialogTest, AddingToAStoredListGrowsItAndKeepsItsOrder) {
    StoreValues({{"0", "C:\\p\\zero.jpg"}, {"1", "C:\\p\\one.jpg"}, {"2", "C:\\p\\two.jpg"}});
    const std::string folder = ScratchFolder();
    MakeFile(folder + "\\b.png");
    MakeFile(folder + "\\a.jpg");
    Open();
    std::vector<std::string> before = ListedEntries(dialog);
    ASSERT_EQ(3u, before.size());
    ChooseFiles(folder, {"b.png", "a.jpg"});
    std::vector<std::string> after = ListedEntries(dialog);
    ASSERT_EQ(5u, after.size());
    EXPECT_EQ(before, std::vector<std::string>(after.begin(), after.begin() + 3));
    EXPECT_EQ(folder + "\\b.png", after[3]);
    EXPECT_EQ(folder + "\\a.jpg", after[4]);
    Press(IDOK);
    Values expected;
    for (size_t i = 0; i < after.size(); ++i) expected[std::to_string(i)] = after[i];
    EXPECT_EQ(Describe(expected), Describe(StoredValues()));
}

TEST_F(ImagesDialogTest, SeveralFilesInADriveRootAreJoinedWithoutADoubledBackslash) {
    char root[4] = "C:\\";
    const std::string stem = "zorv-" + std::to_string(GetCurrentProcessId());
    std::string a = MakeFile(root + stem + "-a.jpg");
    std::string b = MakeFile(root + stem + "-b.png");
    Open();
    ChooseFiles(root, {stem + "-a.jpg", stem + "-b.png"});
    EXPECT_EQ((std::vector<std::string>{a, b}), ListedEntries(dialog));
    Press(IDOK);
    EXPECT_EQ(Describe({{"0", a}, {"1", b}}), Describe(StoredValues()));
    DeleteFileA(a.c_str());
    DeleteFileA(b.c_str());
}

TEST_F(ImagesDialogTest, ASingleFileAddsItsFullPathAndAgainAddsADuplicate) {
    const std::string folder = ScratchFolder();
    const std::string path = MakeFile(folder + "\\only.bmp");
    Open();
    ChooseFiles(folder, {"only.bmp"});
    ChooseFiles(folder, {"only.bmp"});
    EXPECT_EQ((std::vector<std::string>{path, path}), ListedEntries(dialog));
    Press(IDOK);
    EXPECT_EQ(Describe({{"0", path}, {"1", path}}), Describe(StoredValues()));
}

TEST_F(ImagesDialogTest, TheFileDialogOffersThePictureFiltersAndCancelAddsNothing) {
    Open();
    HWND files = OpenFileDialog();
    ASSERT_TRUE(files);
    HWND types = GetDlgItem(files, cmb1);
    ASSERT_TRUE(types);
    const char* expected[] = {"All picture files", "JPEG File interchange format (*.jpg;*.jpeg)",
                              "Portable Network Graphics (*.png)", "Windows Bitmap (*.bmp)", "All files (*.*)"};
    ASSERT_EQ(5, SendMessageA(types, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < 5; ++i) {
        char text[100] = {};
        SendMessageA(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ(expected[i], text);
    }
    EXPECT_EQ(0, SendMessageA(types, CB_GETCURSEL, 0, 0)) << "the first pair is chosen";
    SendDlgItemMessageA(files, IDCANCEL, BM_CLICK, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(files); }, 5000));
    Settle(dialog);
    EXPECT_TRUE(ListedEntries(dialog).empty());
    Press(IDOK);
}

TEST_F(ImagesDialogTest, CancelAfterAddingAndRemovingLeavesTheStoredListUnchanged) {
    const Values stored = {{"0", "C:\\p\\zero.jpg"}, {"1", "C:\\p\\one.jpg"}, {"2", "C:\\p\\two.jpg"}};
    StoreValues(stored);
    const std::string folder = ScratchFolder();
    MakeFile(folder + "\\new.jpg");
    const struct {
        const char* name;
        void (*cancel)(HWND dialog);
    } ways[] = {
        {"Cancel button", [](HWND dialog) { ClickControl(dialog, IDCANCEL); }},
        {"Escape key", [](HWND dialog) { SetForegroundWindow(dialog); TapKey(VK_ESCAPE); }},
    };
    for (const auto& way : ways) {
        Open();
        ChooseFiles(folder, {"new.jpg"});
        ClickEntry(dialog, 0);
        ClickControl(dialog, IDC_IMAGES_REMOVE);
        EXPECT_EQ(3u, ListedEntries(dialog).size()) << way.name;
        way.cancel(dialog);
        EXPECT_EQ(0, thread->WaitForEnd()) << way.name;
        EXPECT_EQ(Describe(stored), Describe(StoredValues())) << way.name;
    }
}

// An emptied list is stored too, so that the user can clear the list.
TEST_F(ImagesDialogTest, OkOnAnEmptiedListClearsTheStoredEntriesAndCloses) {
    StoreValues({{"0", "C:\\p\\zero.jpg"}, {"1", "C:\\p\\one.jpg"}, {"note", "not an entry"}});
    Open();
    std::vector<std::string> listed = ListedEntries(dialog);
    ASSERT_EQ(3u, listed.size());
    ClickEntry(dialog, 0);
    for (int i = 1; i < 3; ++i) AddToSelection(dialog, i);
    ClickControl(dialog, IDC_IMAGES_REMOVE);
    EXPECT_TRUE(ListedEntries(dialog).empty());
    Press(IDOK);
    EXPECT_EQ(Describe({{"note", "not an entry"}}), Describe(StoredValues()));

    DeleteSettingsKey();
    Open();
    Press(IDOK);
    HKEY key;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kImagesKey, 0, KEY_READ, &key)) << "the key is made";
    RegCloseKey(key);
    EXPECT_EQ(Describe({}), Describe(StoredValues()));
}

}  // namespace
