// Password protection on the 95/98 family, this program posing as Windows
// 98: in process (RunSaver on a thread, with the provider's double beside
// this program) and end to end (copies of zorv.scr beside the doubles).
// The doubles note under kRecords how they were loaded and called.
#include "tests/win/saver_window/saver_harness.h"

#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "host/password.h"
#include "host/saver_window.h"

namespace {

const char kRecords[] = "Software\\ZorvTest";
const char kDesktop[] = "Control Panel\\Desktop";
const char kSwitch[] = "ScreenSaveUsePassword";
const UINT kAutoPlay = RegisterWindowMessageA("QueryCancelAutoPlay");

DWORD Record(const char* name) {
    DWORD value = 0;
    ReadDword(kRecords, name, value);
    return value;
}

std::string OwnFolder() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    return std::string(path, PathFindFileNameA(path));
}

// Wine's per-program settings, read when a program starts.
void AppDefault(const std::string& program, const char* name, const char* value, const std::string& subkey = "") {
    WriteBinary(("Software\\Wine\\AppDefaults\\" + program + subkey).c_str(), name, value,
                static_cast<DWORD>(std::strlen(value) + 1), REG_SZ);
}

// The first run writes the poses and runs this program again. Wine has an
// MPR.DLL of its own: the saver's copies take the one beside them. Run
// with "probe", this program ends with the saver-running state: Wine lets
// a process read that shared state once and then keeps its own copy.
struct PoseAsWindows98 : ::testing::Environment {
    void SetUp() override {
        const std::string command = GetCommandLineA();
        if (command.find(" probe") != std::string::npos) ExitProcess(SaverRunningState());
        for (const char* copy : {"zorv98.scr", "zorvnt.scr"}) AppDefault(copy, "mpr", "native", "\\DllOverrides");
        AppDefault("zorv98.scr", "Version", "win98");
        if ((GetVersion() & 0x80000000) || command.find(" posed98") != std::string::npos) return;
        AppDefault("password_tests.exe", "Version", "win98");
        std::fflush(stdout);
        ExitProcess(RunProcess(command + " posed98", 110000));
    }
};
const ::testing::Environment* const pose = ::testing::AddGlobalTestEnvironment(new PoseAsWindows98);

// The clock of the 200 ms pause: each read takes the next reading, the last repeats.
std::vector<DWORD> clockReadings;
size_t clockNext = 0;
DWORD WINAPI ScriptedClock() { return clockReadings[std::min(clockNext++, clockReadings.size() - 1)]; }

struct PasswordTest : ::testing::Test {
    CleanSettingsKey cleanSettings;
    void SetUp() override {
        ASSERT_TRUE(GetVersion() & 0x80000000) << "the per-program Version=win98 setting did not take";
        TearDown();
        ResetHost(1);
        WriteDword(kDesktop, kSwitch, 1);
    }
    void TearDown() override {
        verifyTickCount = GetTickCount;
        RegDeleteKeyA(HKEY_CURRENT_USER, kRecords);
        SHDeleteValueA(HKEY_CURRENT_USER, kDesktop, kSwitch);
        BOOL previous;
        SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, FALSE, &previous, 0);
    }
    void UseClock(std::vector<DWORD> readings) {
        clockReadings = std::move(readings);
        clockNext = 0;
        verifyTickCount = ScriptedClock;
    }
};

TEST_F(PasswordTest, ARefusedCloseKeepsTheSaverWithItsFogStoppedAndTheCursorHidden) {
    UseClock({1000});
    SaverRun run;
    EXPECT_EQ(TRUE, run.Received({WM_NCCREATE}).at(0).running);  // set before the window existed

    // A close while the cursor has moved and three timer messages wait: the
    // provider refuses (having shown the cursor), the saver hides the
    // cursor again, two of the timers never reach the window, and the
    // reference follows the cursor, so its move (an input message, read
    // after the posted ones) closes nothing.
    run.Forget();
    HCURSOR afterRefusal = LoadCursorA(nullptr, IDC_ARROW);
    run.RunHere([&] {
        SetCursorPos(kStart.x + 10, kStart.y);
        for (WPARAM timer = 0; timer < 3; ++timer) PostMessageA(run.window, WM_TIMER, timer, 0);
        SendMessageA(run.window, WM_CLOSE, 0, 0);
        afterRefusal = GetCursor();
    });
    EXPECT_TRUE(SameSequence({{WM_CLOSE, 0, 0}, {VerifyRequest, 0, 0}, {WM_TIMER, 2}},
                             run.Await({WM_CLOSE, VerifyRequest, WM_TIMER, WM_DESTROY}, 3)));
    EXPECT_EQ(nullptr, afterRefusal);
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(run.window), Record("ProviderOwner"));
    EXPECT_EQ(1u, Record("ProviderRunningWhenAsked"));

    // A move beyond the reference closes once, however many messages report
    // it. AutoPlay is cancelled while a password guards. Both closes come
    // within 200 ms of the question and are refused unasked.
    run.Forget();
    run.RunHere([&run] {
        SetCursorPos(kStart.x + 20, kStart.y);
        for (int report = 0; report < 2; ++report) SendMessageA(run.window, WM_MOUSEMOVE, 0, 0);
    });
    run.Settle();
    SendMessageA(run.window, kAutoPlay, 0, 0);
    const std::vector<Msg> refusedUnasked = {{WM_CLOSE, 0, 0}, {kAutoPlay, 0, 1}, {WM_CLOSE, 0, 0}};
    EXPECT_TRUE(SameSequence(refusedUnasked, run.Await({kAutoPlay, WM_CLOSE, VerifyRequest}, 3)));
}

// Each close reads the clock, and each question's end once more: close 1
// asks (1000 to 1300), close 2 at 1499 is refused unasked, close 3 at 1500
// asks (ending 16 ms before the tick count wraps), close 4 comes 199 ms
// later across the wrap and is refused unasked, close 5 at 200 ms asks.
// Close 6 asks long after, and a key and another close arrive while the
// provider asks: that close is refused unasked.
TEST_F(PasswordTest, AfterARefusalTheProviderRestsFor200MillisecondsAcrossTheTickWrapAndWhileItAsks) {
    UseClock({1000, 1300, 1499, 1500, 0xFFFFFFF0, 0xFFFFFFF0 + 199u, 0xFFFFFFF0 + 200u, 0xFFFFFFF0 + 200u, 5000});
    SaverRun run;
    run.Forget();
    for (int close = 1; close <= 5; ++close) SendMessageA(run.window, WM_CLOSE, 0, 0);
    WriteDword(kRecords, "AskMs", 300);
    SendMessageA(run.window, WM_CLOSE, 0, 0);
    const Msg c = {WM_CLOSE, 0, 0}, v = {VerifyRequest, 0, 0}, key = {WM_KEYDOWN, 'A'};
    EXPECT_TRUE(SameSequence({c, v, c, c, v, c, c, v, c, v, key, c},
                             run.Await({WM_CLOSE, VerifyRequest, WM_KEYDOWN, WM_DESTROY}, 12)));
}

DWORD RunningStateSeenFromOutside() { return RunProcess("\"" + OwnFolder() + "password_tests.exe\" probe", 20000); }

// Each row runs a program to its end: a full-screen run ends on a key,
// and the switch and the provider decide whether it asks; the saver-running
// state as a fresh process sees it. What the doubles noted: the provider's
// loads, calls and frees (before the program ends); the change entry's
// loads, frees, calls, whether the provider was "SCRSAVE", the reserved
// arguments and the owner.
std::string Noted() {
    std::string text;
    for (const char* name : {"ProviderLoads", "ProviderCalls", "ProviderFrees", "ChangeLoads", "ChangeFrees",
                             "ChangeCalls", "ChangeProviderIsScrsave", "ChangeReserved", "ChangeOwner"})
        text += std::to_string(Record(name)) + " ";
    return text;
}

TEST_F(PasswordTest, TheSwitchAndTheProviderDecideOnProtectionAndThePasswordChangeCallsTheSystemsEntry) {
    HWND foreground = CreateWindowA("STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 80, 60, nullptr, nullptr, nullptr, 0);
    SetForegroundWindow(foreground);
    const std::string given = std::to_string(reinterpret_cast<UINT_PTR>(GetDesktopWindow()));
    const std::string front = std::to_string(reinterpret_cast<UINT_PTR>(foreground));
    const struct {
        const char* name;
        const char* program;      // "zorv98.scr" poses as Windows 98; without_entry\ holds near-miss libraries
        std::vector<BYTE> value;  // none: no value
        std::string tail;
        DWORD protects, exitCode;
        std::string noted;
    } cases[] = {
        {"number 1", "zorv98.scr", {1, 0, 0, 0}, "/s", 1, 0, "1 1 1 0 0 0 0 0 0 "},
        {"number 0x1000000", "zorv98.scr", {0, 0, 0, 1}, "/s", 1, 0, "1 1 1 0 0 0 0 0 0 "},
        {"1 byte 1: the low byte of a zeroed number", "zorv98.scr", {1}, "/s", 1, 0, "1 1 1 0 0 0 0 0 0 "},
        {"number 0", "zorv98.scr", {0, 0, 0, 0}, "/s", 0, 0, "0 0 0 0 0 0 0 0 0 "},
        {"missing", "zorv98.scr", {}, "/s", 0, 0, "0 0 0 0 0 0 0 0 0 "},
        {"5 bytes: too long for the number", "zorv98.scr", {1, 0, 0, 0, 0}, "/s", 0, 0, "0 0 0 0 0 0 0 0 0 "},
        {"a provider without the entry: freed at once",
         "without_entry\\zorv98.scr",
         {1, 0, 0, 0},
         "/s",
         0,
         0,
         "1 0 1 0 0 0 0 0 0 "},
        {"NT family: the switch is ignored", "zorvnt.scr", {1, 0, 0, 0}, "/s", 0, 0, "0 0 0 0 0 0 0 0 0 "},
        {"change, owner given", "zorv98.scr", {}, "/a " + given, 0, 0, "0 0 0 1 1 1 1 0 " + given + " "},
        {"change, owner the foreground", "zorv98.scr", {}, "/a", 0, 0, "0 0 0 1 1 1 1 0 " + front + " "},
        {"change without the entry", "without_entry\\zorv98.scr", {}, "/a", 0, 0, "0 0 0 1 1 0 0 0 0 "},
        {"change on the NT family", "zorvnt.scr", {}, "/a", 0, 0xFFFFFFFF, "0 0 0 0 0 0 0 0 0 "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        const DWORD size = static_cast<DWORD>(c.value.size());
        if (size) WriteBinary(kDesktop, kSwitch, c.value.data(), size, size == 4 ? REG_DWORD : REG_BINARY);
        WriteDword(kRecords, "Answer", 1);
        RunningProcess saver("\"" + OwnFolder() + c.program + "\" " + c.tail);
        if (c.tail == "/s") {
            ASSERT_TRUE(PumpUntil([] { return FindWindowA(kSaverClassName, "Screen Saver") != nullptr; }, 10000));
            EXPECT_EQ(c.protects, RunningStateSeenFromOutside());
            EXPECT_EQ(Record("ProviderLoads") - c.protects, Record("ProviderFrees"));
            TapKey(VK_SHIFT);
        }
        EXPECT_EQ(c.exitCode, saver.WaitForExit(20000));
        EXPECT_EQ(c.noted, Noted());
        EXPECT_EQ(0u, RunningStateSeenFromOutside());
    }
}

}  // namespace
