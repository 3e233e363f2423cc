// PaintRandomImage and mode 2: a picture from the image list stretched over
// the window, or the desktop painting when no picture can be drawn.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "core/settings_values.h"
#include "fog/backgrounds.h"
#include "fog/fog_engine.h"
#include "fog_test_window.h"

namespace {

std::string PicturePath(const char* name) {
    std::string path = std::string("Z:") + ZORV_TEST_PICTURES + "/" + name;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

const COLORREF kQuadrants[4] = {kRed, kGreen, kBlue, kWhite};

struct RandomImageTest : ::testing::Test {
    CleanSettingsKey clean;
    std::string folder = ScratchFolder();
    HWND window = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 300, 100, nullptr, nullptr, nullptr, nullptr);
    Canvas surface{300, 100};
    int32_t savedMode = theFog.BackgroundMode;

    RandomImageTest() {
        CoInitialize(nullptr);  // as the saver window's creation does
        surface.Fill(kMagenta);
    }
    ~RandomImageTest() override {
        theFog.BackgroundMode = savedMode;
        DestroyWindow(window);
    }

    std::string Solid(const char* name, COLORREF colour) {
        std::string path = folder + "\\" + name;
        EXPECT_TRUE(WriteSolidBmp(path, 8, 8, colour));
        return path;
    }

    // What mode 1 paints into a fresh surface of the window's size.
    void ExpectDesktopPainting() {
        Canvas desktop(300, 100);
        desktop.Fill(kMagenta);
        theFog.BackgroundMode = DesktopBackground;
        PaintBackground(window, desktop.dc());
        EXPECT_EQ(0, desktop.Count(kMagenta));
        EXPECT_EQ(0, surface.Differences(desktop)) << "mode 2 must fall back to the desktop painting";
    }
};

TEST_F(RandomImageTest, DrawsThePictureUprightStretchedOverTheWholeWindow) {
    std::string bmp = folder + "\\quadrants.bmp";
    ASSERT_TRUE(WriteQuadrantBmp(bmp, 40, 30, kQuadrants));
    const struct {
        std::string path;
        int tolerance;
    } pictures[] = {{bmp, 0}, {PicturePath("quadrants.png"), 0}, {PicturePath("quadrants.jpg"), 24}};
    for (const auto& picture : pictures) {
        CleanSettingsKey fresh;
        ASSERT_TRUE(StoreImageList({picture.path}));
        surface.Fill(kMagenta);
        theFog.BackgroundMode = RandomImage;
        PaintBackground(window, surface.dc());
        // A 40 x 30 picture on a 300 x 100 window: distorted, never cropped or letter-boxed.
        const struct {
            int x, y;
            COLORREF colour;
        } probes[] = {{0, 0, kRed},      {70, 25, kRed},    {299, 0, kGreen},  {230, 25, kGreen},
                      {0, 99, kBlue},    {70, 75, kBlue},   {299, 99, kWhite}, {230, 75, kWhite}};
        for (const auto& probe : probes) {
            COLORREF seen = surface.Pixel(probe.x, probe.y);
            EXPECT_TRUE(ColoursNear(probe.colour, seen, picture.tolerance))
                << picture.path << " at " << probe.x << "," << probe.y << ": " << ColourText(seen) << " instead of "
                << ColourText(probe.colour);
        }
        EXPECT_EQ(0, surface.Count(kMagenta)) << picture.path;
    }
}

TEST_F(RandomImageTest, NothingDrawableFallsBackToTheDesktopPainting) {
    const std::string red = Solid("red.bmp", kRed);
    const std::string notAPicture = folder + "\\text.bmp";
    WriteBinary("SOFTWARE\\Zorv", "unused", "x", 1, REG_SZ);  // the settings key exists in every case
    {
        HANDLE file = CreateFileA(notAPicture.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written;
        WriteFile(file, "not a picture at all", 20, &written, nullptr);
        CloseHandle(file);
    }
    const struct {
        const char* what;
        std::function<void()> prepare;
    } cases[] = {
        {"no image key", [] {}},
        {"a key without values", [] { CreateEmptyImageKey(); }},
        {"a gap where the pick falls", [&] { StoreImageEntry("1", red + '\0'); }},  // one value, not named 0
        {"a file that is gone", [&] { StoreImageList({folder + "\\gone.bmp"}); }},
        {"a file that is no picture", [&] { StoreImageList({notAPicture}); }},
        {"an empty path", [] { StoreImageList({""}); }},
        {"a path longer than 260 bytes", [&] { StoreImageEntry("0", std::string(261, 'a')); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RegDeleteKeyA(HKEY_CURRENT_USER, kImagesKeyPath);
        c.prepare();
        surface.Fill(kMagenta);
        EXPECT_FALSE(theFog.PaintRandomImage(window, surface.dc()));
        EXPECT_EQ(300 * 100, surface.Count(kMagenta)) << "nothing is drawn";
        theFog.BackgroundMode = RandomImage;
        PaintBackground(window, surface.dc());
        ExpectDesktopPainting();
    }
}

// A path padded with "\." steps to exactly 260 bytes names the same file.
std::string PaddedTo260(const std::string& path) {
    std::string padded = path.substr(0, 2);  // the drive
    while (padded.size() + 2 + (path.size() - 2) <= 260) padded += "\\.";
    padded += path.substr(2);
    if (padded.size() < 260) padded.insert(2, 260 - padded.size(), '\\');  // doubled separators are harmless
    return padded;
}

// Whether the registry hands back this value whole in 260 bytes. Wine's
// refuses a REG_SZ of 260 bytes without a zero (it wants room to add one).
bool RegistryHandsBack260(const char* name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kImagesKeyPath, 0, KEY_READ, &key) != 0) return false;
    char data[260];
    DWORD size = sizeof data;
    LONG status = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

TEST_F(RandomImageTest, APathOfExactly260BytesWithoutAZeroIsUsedWhole) {
    const std::string red = Solid("red.bmp", kRed);
    const std::string padded = PaddedTo260(red);
    ASSERT_EQ(260u, padded.size());
    const struct {
        const char* what;
        std::string data;
        DWORD type;
    } cases[] = {
        {"REG_BINARY without a zero", padded, REG_BINARY},
        {"a path that ends before the data does", red + '\0' + std::string(259 - red.size(), 'x'), REG_BINARY},
        {"REG_SZ without its zero", padded, REG_SZ},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RegDeleteKeyA(HKEY_CURRENT_USER, kImagesKeyPath);
        ASSERT_TRUE(StoreImageEntry("0", c.data, c.type));
        surface.Fill(kMagenta);
        const bool readable = RegistryHandsBack260("0");
        if (c.type == REG_BINARY) {
            ASSERT_TRUE(readable);
        }
        EXPECT_EQ(readable, theFog.PaintRandomImage(window, surface.dc()));
        EXPECT_EQ(300 * 100, surface.Count(readable ? kRed : kMagenta));
    }
}

TEST_F(RandomImageTest, PicksEveryEntryByItsHexadecimalName) {
    // Seventeen entries, named 0..9, a..f and 10; only the last is green.
    std::vector<std::string> list(16, Solid("red.bmp", kRed));
    list.push_back(Solid("green.bmp", kGreen));
    ASSERT_TRUE(StoreImageList(list));
    int greens = 0;
    for (int call = 0; call < 200; ++call) {
        surface.Fill(kMagenta);
        ASSERT_TRUE(theFog.PaintRandomImage(window, surface.dc())) << "call " << call;
        COLORREF seen = surface.Pixel(150, 50);
        ASSERT_TRUE(seen == kRed || seen == kGreen) << ColourText(seen);
        greens += seen == kGreen;
        Sleep(3);  // the pick follows the clock
    }
    EXPECT_GT(greens, 0) << "entry 16 (\"10\") was never picked in 200 calls";
    EXPECT_LT(greens, 100);
}

}  // namespace
