// The real saver end to end, as copies of zorv.scr beside the doubles of
// the system's libraries: "zorv98.scr" poses as Windows 98, "zorvnt.scr"
// keeps Wine's NT version. Wine has an MPR.DLL of its own; a per-program
// DllOverrides setting has the copies prefer the one beside them (an
// override in this program's environment would not reach them: Wine
// starts a child with its parent's Unix environment, not the Windows one).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "password_fixture.h"
#include "saver_harness.h"
#include "test_support.h"

namespace {

const char kPosed98[] = "zorv98.scr";
const char kPlainNT[] = "zorvnt.scr";
const DWORD kMinusOne = 0xFFFFFFFF;

// A scratch folder holding both copies and the doubles under the system's
// names: with or without their entries.
std::string SaverFolder(bool withEntries) {
    std::string folder = ScratchFolder() + "\\";
    const std::string built = OwnFolder();
    CopyFileA(SaverPath().c_str(), (folder + kPosed98).c_str(), FALSE);
    CopyFileA(SaverPath().c_str(), (folder + kPlainNT).c_str(), FALSE);
    CopyFileA((built + (withEntries ? "PASSWORD.CPL" : "password_without_entry.cpl")).c_str(),
              (folder + "PASSWORD.CPL").c_str(), FALSE);
    CopyFileA((built + (withEntries ? "MPR.DLL" : "mpr_without_entry.dll")).c_str(), (folder + "MPR.DLL").c_str(),
              FALSE);
    const AppDefault changeLibraryBesideTheProgram = {"DllOverrides", "mpr", "native,builtin"};
    WriteAppDefaults(kPosed98, {kWindows98, kUnmanagedWindows, changeLibraryBesideTheProgram});
    WriteAppDefaults(kPlainNT, {kUnmanagedWindows, changeLibraryBesideTheProgram});
    return folder;
}

std::string Command(const std::string& folder, const char* program, const std::string& tail) {
    return "\"" + folder + program + "\" " + tail;
}

DWORD RunningStateSeenFromOutside() { return RunProcess("\"" + OwnFolder() + "saver_running_probe.exe\"", 20000); }

HWND WaitForFullScreenSaver() {
    HWND window = nullptr;
    PumpUntil([&] { return (window = FindWindowA("WindowsScreenSaverClass", "Screen Saver")) != nullptr; }, 10000);
    PumpMessagesFor(100);
    return window;
}

struct PasswordProcessTest : PasswordTest {};

TEST_F(PasswordProcessTest, TheSaverRunningStateIsSetWhileAProtectedSaverRuns) {
    const std::string folder = SaverFolder(true);
    SetPasswordSwitch(1);
    WriteRecordNumber(kProviderRecordKey, kAnswerValue, 1);
    RunningProcess saver(Command(folder, kPosed98, "/s"));
    ASSERT_TRUE(WaitForFullScreenSaver());
    EXPECT_EQ(1u, RunningStateSeenFromOutside());
    EXPECT_EQ(1u, ProviderRecord(kLoadsValue));
    EXPECT_EQ(0u, ProviderRecord(kCallsValue));

    PressKey(VK_SHIFT);
    EXPECT_EQ(0u, saver.WaitForExit(15000));
    EXPECT_EQ(1u, ProviderRecord(kCallsValue));
    EXPECT_EQ(1u, ProviderRecord(kRunningWhenAskedValue));
    EXPECT_EQ(1u, ProviderRecord(kFreesValue));
    EXPECT_EQ(0u, RunningStateSeenFromOutside());
}

TEST_F(PasswordProcessTest, OnTheNTFamilyTheSwitchIsIgnored) {
    const std::string folder = SaverFolder(true);
    SetPasswordSwitch(1);
    RunningProcess saver(Command(folder, kPlainNT, "/s"));
    ASSERT_TRUE(WaitForFullScreenSaver());
    EXPECT_EQ(0u, RunningStateSeenFromOutside());
    PressKey(VK_SHIFT);
    EXPECT_EQ(0u, saver.WaitForExit(15000));
    EXPECT_EQ(0u, ProviderRecord(kLoadsValue));
    EXPECT_EQ(0u, ProviderRecord(kCallsValue));
}

TEST_F(PasswordProcessTest, AProviderWithoutTheEntryIsFreedAtOnceAndNeverAsked) {
    const std::string folder = SaverFolder(false);
    SetPasswordSwitch(1);
    RunningProcess saver(Command(folder, kPosed98, "/s"));
    ASSERT_TRUE(WaitForFullScreenSaver());
    EXPECT_EQ(1u, ProviderRecord(kLoadsValue));
    EXPECT_EQ(1u, ProviderRecord(kFreesValue));
    EXPECT_EQ(0u, RunningStateSeenFromOutside());
    PressKey(VK_SHIFT);
    EXPECT_EQ(0u, saver.WaitForExit(15000));
    EXPECT_EQ(0u, ProviderRecord(kCallsValue));
}

TEST_F(PasswordProcessTest, ChangingThePasswordCallsTheSystemsEntryForTheSaver) {
    const std::string folder = SaverFolder(true);
    HWND owner = CreateWindowA("STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 80, 60, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(owner);
    SetForegroundWindow(owner);
    PumpMessagesFor(50);
    HWND given = CreateWindowA("STATIC", "given", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    const std::string givenNumber = std::to_string(reinterpret_cast<UINT_PTR>(given));

    struct Case {
        std::string tail;
        HWND expectedOwner;
    } cases[] = {
        {"/a " + givenNumber, given},
        {"-A   " + givenNumber, given},
        {"/a", owner},    // no handle: the foreground window
        {"/a 0", owner},
        {"/a:" + givenNumber, owner},  // only blanks may precede the handle
    };
    DWORD calls = 0, loads = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tail);
        EXPECT_EQ(0u, RunProcess(Command(folder, kPosed98, c.tail), 20000));
        EXPECT_EQ(++calls, ChangeRecord(kCallsValue));
        EXPECT_EQ("SCRSAVE", ChangeRecordText(kProviderNameValue));
        EXPECT_EQ(reinterpret_cast<UINT_PTR>(c.expectedOwner), ChangeRecord(kOwnerValue));
        EXPECT_EQ(0u, ChangeRecord(kReserved1Value));
        EXPECT_EQ(0u, ChangeRecord(kReserved2Value));
        // Loaded for the call and freed again before the program ends.
        EXPECT_EQ(++loads, ChangeRecord(kLoadsValue));
        EXPECT_EQ(loads, ChangeRecord(kFreesValue));
    }
    DestroyWindow(given);
    DestroyWindow(owner);
}

TEST_F(PasswordProcessTest, AChangeLibraryWithoutTheEntryIsFreedAndTheModeStillEndsWithZero) {
    const std::string folder = SaverFolder(false);
    EXPECT_EQ(0u, RunProcess(Command(folder, kPosed98, "/a"), 20000));
    EXPECT_EQ(1u, ChangeRecord(kLoadsValue));
    EXPECT_EQ(1u, ChangeRecord(kFreesValue));
    EXPECT_EQ(0u, ChangeRecord(kCallsValue));
}

TEST_F(PasswordProcessTest, OnTheNTFamilyChangingThePasswordEndsWithMinusOneAndLoadsNothing) {
    const std::string folder = SaverFolder(true);
    EXPECT_EQ(kMinusOne, RunProcess(Command(folder, kPlainNT, "/a"), 20000));
    EXPECT_EQ(0u, ChangeRecord(kLoadsValue));
    EXPECT_EQ(0u, ChangeRecord(kCallsValue));
}

}  // namespace
