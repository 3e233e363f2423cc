// PaintBackground by mode: the desktop as the system paints it, a picture
// from the image list (the desktop when none can be drawn), or nothing.
// (The screen copy of mode 0 is the layout test's.)
#include "fog/backgrounds.h"
#include "fog/fog_engine.h"
#include "tests/win/worker/fog_test_window.h"

namespace {

// Mode 2, and its fall back to the desktop painting whenever no picture
// can be drawn; any other mode paints nothing. (Mode 1 on every monitor,
// and on the whole window without monitor functions, is the layout test's.)
TEST(PaintBackground, EveryOtherModePaintsItsSource) {
    CleanSettingsKey clean;
    CoInitialize(nullptr);  // as the saver window's creation does
    const std::string folder = ScratchFolder(), bmp = folder + "\\quadrants.bmp";
    ASSERT_TRUE(WriteBmp(bmp, kRed, kGreen, kBlue, kWhite));
    HWND window = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 300, 100, nullptr, nullptr, nullptr, nullptr);
    Canvas desktop(1, 1), surface(300, 100);
    PaintDesktop(desktop.dc());  // Wine's paints one colour, without wallpaper
    enum Shows { Picture, Desktop, Nothing };
    const struct {
        const char* what;
        int32_t mode;
        const char* name;   // of the one image entry
        std::string entry;  // its data; no entry when empty
        Shows shows;
    } cases[] = {
        {"a picture", RandomImage, "0", bmp + '\0', Picture},
        {"260 bytes without a zero", RandomImage, "0",  // the same file, with doubled separators
         bmp.substr(0, 2) + std::string(260 - bmp.size(), '\\') + bmp.substr(2), Picture},
        {"a key without values", RandomImage, "0", "", Desktop},
        {"a gap in the list", RandomImage, "1", bmp + '\0', Desktop},
        {"a missing file", RandomImage, "0", folder + "\\gone.bmp", Desktop},
        {"mode 3", 3, "0", "", Nothing},
        {"mode -1", -1, "0", "", Nothing},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RegDeleteKeyA(HKEY_CURRENT_USER, kImagesKeyPath);
        RegistryKey key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, kImagesKeyPath, key.place()));
        if (!c.entry.empty()) WriteBinary(kImagesKeyPath, c.name, c.entry.data(), c.entry.size(), REG_BINARY);
        surface.Fill(kMagenta);
        theFog.BackgroundMode = c.mode;
        PaintBackground(window, surface.dc());
        if (c.shows == Picture)
            ExpectQuadrants(surface.Surface(), 0);
        else
            EXPECT_EQ(300 * 100, surface.Count(c.shows == Desktop ? desktop.Pixel(0, 0) : kMagenta));
    }
}

}  // namespace
