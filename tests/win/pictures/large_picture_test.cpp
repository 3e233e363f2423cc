// The saver with a picture that takes seconds to decode: the fog waits for
// the picture, the first one and every fresh one, input ends the saver at
// once, and a close leaves nothing behind.
#include <gtest/gtest.h>

#include <psapi.h>

#include "core/settings_values.h"
#include "fog/fog_engine.h"
#include "fog/picture_preparer.h"
#include "host/saver_effect.h"
#include "host/saver_window.h"
#include "large_pictures.h"
#include "tests/win/worker/fog_test_window.h"

namespace {

constexpr UINT kEdge = 8000;  // as large as a photograph gets: about 2 s to decode here

DWORD WINAPI RunFullScreenSaver(LPVOID) { return static_cast<DWORD>(RunSaver(nullptr)); }

// Under Wine the handle and GDI counts read 0; what a decode left behind
// shows in the memory the process holds.
SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    return memory.PagefileUsage;
}

// A full-screen run in this process, with a refresh due every second: no
// puff before the picture is on the screen, none while a fresh one
// decodes; a key during that decode ends the saver's thread within 100 ms,
// and once the abandoned decode has stopped nothing it took is left.
TEST(LargePictureTest, TheFogWaitsForEveryPictureAndAKeyDuringADecodeEndsTheSaverAtOnce) {
    CleanSettingsKey clean;
    const std::string picture = ScratchFolder() + "\\large.png";
    CoInitialize(nullptr);  // for the writer
    ASSERT_TRUE(WriteLargePng(picture, kEdge) && StoreImage(picture));
    StoreSettings(RandomImage, 0, 0, 100, 200);
    host.instance = GetModuleHandleA(nullptr);
    const SIZE_T before = PrivateBytes();
    HANDLE saver = CreateThread(nullptr, 0, RunFullScreenSaver, nullptr, 0, nullptr);
    HWND window = nullptr;
    // The window shows before its creation has made the worker.
    ASSERT_TRUE(PumpUntil(
        [&] { return (window = FindWindowA(kSaverClassName, kFullScreenTitle)) && theFog.WorkerThread; }, 10000));
    HANDLE worker = DuplicateOf(theFog.WorkerThread);
    PumpMessagesFor(300);
    ASSERT_EQ(1, PictureThreadsRunning()) << "the picture is not being decoded";
    ASSERT_EQ(0u, theFog.BackgroundPainted) << "the picture came too soon for this test";
    EXPECT_TRUE(ThreadIsHeld(worker)) << "the fog started before the picture";
    CloseHandle(worker);

    ASSERT_TRUE(PumpUntil([] { return theFog.BackgroundPainted != 0; }, 20000)) << "the picture never came";
    ASSERT_TRUE(PumpUntil([] { return theFog.BackgroundPainted == 0; }, 5000)) << "no refresh";
    const PixelSurface refreshBegun = WindowSurface(window, 320, 240);
    PumpMessagesFor(300);
    ASSERT_EQ(0u, theFog.BackgroundPainted) << "the fresh picture came too soon for this test";
    EXPECT_TRUE(refreshBegun == WindowSurface(window, 320, 240)) << "puffs landed on the background being replaced";

    const DWORD start = GetTickCount();
    PostMessageA(window, WM_KEYDOWN, VK_SHIFT, 0);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(saver, 5000)) << "the saver did not end";
    EXPECT_LT(GetTickCount() - start, 100u) << "from the key to the end of the saver's thread";
    CloseHandle(saver);

    ASSERT_TRUE(PumpUntil([] { return PictureThreadsRunning() == 0; }, 20000)) << "the decode never stopped";
    // The run itself leaves 3 to 4 MB in Wine's heaps; a decoder left
    // holding this picture would add 192 MB.
    EXPECT_LT(PrivateBytes(), before + (16 << 20)) << "from " << before << " bytes";
    CoUninitialize();
}

}  // namespace
