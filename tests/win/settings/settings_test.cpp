// LoadSettings and SaveSettings against Wine's real registry.
#include <gtest/gtest.h>

#include "fog/fog_engine.h"
#include "tests/win/support/test_support.h"

namespace {

const char kKey[] = "SOFTWARE\\Zorv";
const std::vector<DWORD> kStored = {7, 150, 0, 33, 2, 250, 600};

// The seven settings in storage order, Power in hundredths.
std::vector<double> Loaded(const FogEngine& fog) {
    return {double(fog.Density),        fog.Power * 100,   double(fog.MixPix), double(fog.Ray),
            double(fog.BackgroundMode), double(fog.Delay), double(fog.Timeout)};
}

// Every case loads over a record scribbled with other values. Wine poses
// as the NT family: the default background is the desktop's.
TEST(SettingsTest, LoadKeepsTheDefaultsFromTheFirstValueItCannotRead) {
    CleanSettingsKey clean;
    const BYTE eightBytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    const std::vector<double> defaults = {10, 100, 1, 50, 1, 0, -1};
    HWND window = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 123, 45, nullptr, nullptr, nullptr, nullptr);
    const struct {
        const char* name;
        int valuesStored;       // the first n of kStored, as DWORDs
        const char* valueName;  // then this value written with these bytes
        const void* data;
        DWORD size, type;
        LONG status;
        std::vector<double> expected;
    } cases[] = {
        {"no key", 0, nullptr, nullptr, 0, 0, ERROR_SUCCESS, defaults},
        {"all seven", 7, nullptr, nullptr, 0, 0, ERROR_SUCCESS, {7, 150, 0, 33, 2, 250, 600}},
        {"only four", 4, nullptr, nullptr, 0, 0, ERROR_FILE_NOT_FOUND, {7, 150, 0, 33, 1, 0, -1}},
        {"none, only another value", 0, "Images", "C:\\a.jpg", 9, REG_SZ, ERROR_SUCCESS, defaults},  // as never saved
        {"only the last", 0, "Timeout", eightBytes, 4, REG_DWORD, ERROR_FILE_NOT_FOUND, defaults},
        {"Ray longer than 4 bytes", 7, "Ray", eightBytes, 8, REG_BINARY, ERROR_MORE_DATA, {7, 150, 0, 50, 1, 0, -1}},
        {"Ray of another type", 7, "Ray", "M\0\0", 4, REG_SZ, ERROR_SUCCESS, {7, 150, 0, 'M', 2, 250, 600}},
    };
    for (const auto& c : cases) {
        DeleteSettingsKey();
        WriteSettings({kStored.begin(), kStored.begin() + c.valuesStored});
        if (c.valueName) WriteBinary(kKey, c.valueName, c.data, c.size, c.type);
        FogEngine fog;
        fog.Density = fog.Ray = fog.BackgroundMode = fog.Delay = fog.Timeout = 0x5EADBEEF;
        fog.MixPix = 0xDEADBEEF;
        fog.Power = -123.0;
        EXPECT_EQ(c.status, fog.LoadSettings(GetDesktopWindow(), window)) << c.name;
        EXPECT_EQ(c.expected, Loaded(fog)) << c.name;
        // Measured whatever the registry holds.
        EXPECT_TRUE(fog.IsNT == 1 && fog.TrueColor == 1 && fog.Width == 123 && fog.Height == 45) << c.name;
        EXPECT_TRUE(fog.RefreshWindow == GetDesktopWindow() && fog.DrawWindow == window) << c.name;
    }
}

// Saving creates the key; every stored Power of the dialog's range comes
// back as it went in, rounded rather than cut. (What a save writes is the
// configuration dialog test's.)
TEST(SettingsTest, SaveCreatesTheKeyAndEveryPowerSurvivesALoadAndASave) {
    CleanSettingsKey clean;
    FogEngine fog;
    EXPECT_EQ(0, fog.SaveSettings());
    DWORD saved = 0xDEADBEEF;
    for (DWORD stored = 0; stored <= 200; ++stored) {
        WriteDword(kKey, "Power", stored);
        ASSERT_EQ(0, fog.LoadSettings(nullptr, nullptr));
        ASSERT_EQ(0, fog.SaveSettings());
        EXPECT_TRUE(ReadDword(kKey, "Power", saved) && saved == stored) << "loaded as " << fog.Power;
    }
}

}  // namespace
