// LoadSettings and SaveSettings against Wine's real registry.
#include <gtest/gtest.h>

#include "fog/fog_engine.h"
#include "test_support.h"

namespace {

const char kKey[] = "SOFTWARE\\Zorv";
const char* const kNames[] = {"Density", "Power", "MixPix", "Ray", "BackgroundMode", "Delay", "Timeout"};
const BYTE kEightBytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};

struct SettingsTest : ::testing::Test {
    CleanSettingsKey clean;
    FogEngine fog;  // a fresh record; the saver's own is theFog

    void StoreAll(const DWORD (&values)[7]) {
        for (int i = 0; i < 7; ++i) {
            ASSERT_TRUE(WriteDword(kKey, kNames[i], values[i]));
        }
    }
    // The seven settings in storage order, Power in hundredths.
    std::vector<double> Loaded() const {
        return {double(fog.Density), fog.Power * 100, double(fog.MixPix), double(fog.Ray),
                double(fog.BackgroundMode), double(fog.Delay), double(fog.Timeout)};
    }
    void Scribble() {
        fog.Density = fog.Ray = fog.BackgroundMode = fog.Delay = fog.Timeout = 0x5EADBEEF;
        fog.MixPix = 0xDEADBEEF;
        fog.Power = -123.0;
    }
};

TEST_F(SettingsTest, LoadKeepsTheDefaultsFromTheFirstValueItCannotRead) {
    // Wine poses as the NT family: the default background is the desktop's.
    const std::vector<double> defaults = {10, 100, 1, 50, 1, 0, -1};
    const struct {
        const char* name;
        int valuesStored;           // the first n of the seven, as DWORDs
        const char* oddValue;       // then this one replaced by...
        const void* oddData;
        DWORD oddSize, oddType;
        LONG status;
        std::vector<double> expected;
    } cases[] = {
        {"no key", 0, nullptr, nullptr, 0, 0, ERROR_SUCCESS, defaults},
        {"all seven", 7, nullptr, nullptr, 0, 0, ERROR_SUCCESS, {7, 150, 0, 33, 2, 250, 600}},
        {"only four", 4, nullptr, nullptr, 0, 0, ERROR_FILE_NOT_FOUND, {7, 150, 0, 33, 1, 0, -1}},
        {"none, only another value", 0, "Images", "C:\\a.jpg", 9, REG_SZ, ERROR_SUCCESS, defaults},  // as never saved
        {"only the last", 0, "Timeout", kEightBytes, 4, REG_DWORD, ERROR_FILE_NOT_FOUND, defaults},
        {"Ray longer than 4 bytes", 7, "Ray", kEightBytes, 8, REG_BINARY, ERROR_MORE_DATA, {7, 150, 0, 50, 1, 0, -1}},
        {"Ray of another type", 7, "Ray", "M\0\0", 4, REG_SZ, ERROR_SUCCESS, {7, 150, 0, 'M', 2, 250, 600}},
    };
    for (const auto& c : cases) {
        DeleteSettingsKey();
        const DWORD stored[7] = {7, 150, 0, 33, 2, 250, 600};
        for (int i = 0; i < c.valuesStored; ++i) {
            ASSERT_TRUE(WriteDword(kKey, kNames[i], stored[i]));
        }
        if (c.oddValue) {
            ASSERT_TRUE(WriteBinary(kKey, c.oddValue, c.oddData, c.oddSize, c.oddType));
        }
        Scribble();
        EXPECT_EQ(c.status, fog.LoadSettings(nullptr, nullptr)) << c.name;
        EXPECT_EQ(c.expected, Loaded()) << c.name;
        EXPECT_EQ(1u, fog.IsNT) << c.name;
    }
}

TEST_F(SettingsTest, LoadMeasuresTheDrawWindowAndTheScreen) {
    HWND window = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 123, 45, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(0, fog.LoadSettings(GetDesktopWindow(), window));
    EXPECT_EQ(GetDesktopWindow(), fog.RefreshWindow);
    EXPECT_EQ(window, fog.DrawWindow);
    EXPECT_EQ(123, fog.Width);
    EXPECT_EQ(45, fog.Height);
    EXPECT_EQ(1u, fog.TrueColor);  // the test display has 24 bits
    DestroyWindow(window);
}

TEST_F(SettingsTest, SaveCreatesTheKeyAndLoadGivesBackWhatWasSaved) {
    fog.Density = 6;
    fog.Power = 1.75;
    fog.MixPix = 0;
    fog.Ray = 90;
    fog.BackgroundMode = 2;
    fog.Delay = 1999;
    fog.Timeout = -1;
    EXPECT_EQ(0, fog.SaveSettings());
    const DWORD expected[7] = {6, 175, 0, 90, 2, 1999, 0xFFFFFFFF};
    for (int i = 0; i < 7; ++i) {
        DWORD stored = 0xDEADBEEF;
        EXPECT_TRUE(ReadDword(kKey, kNames[i], stored)) << kNames[i];
        EXPECT_EQ(expected[i], stored) << kNames[i];
    }
    Scribble();
    EXPECT_EQ(0, fog.LoadSettings(nullptr, nullptr));
    EXPECT_EQ((std::vector<double>{6, 175, 0, 90, 2, 1999, -1}), Loaded());
}

TEST_F(SettingsTest, EveryStoredPowerAndEverySliderPowerSurvivesASave) {
    StoreAll({5, 0, 1, 50, 1, 0, 0xFFFFFFFF});
    DWORD saved = 0xDEADBEEF;
    for (DWORD stored = 0; stored <= 200; ++stored) {
        ASSERT_TRUE(WriteDword(kKey, "Power", stored));
        ASSERT_EQ(0, fog.LoadSettings(nullptr, nullptr));
        ASSERT_EQ(0, fog.SaveSettings());
        ASSERT_TRUE(ReadDword(kKey, "Power", saved));
        EXPECT_EQ(stored, saved) << "loaded as " << fog.Power;
    }
    for (int position = 0; position <= 100; ++position) {
        fog.Power = position * 0.01 + 1.0;  // what the Blur slider sets
        ASSERT_EQ(0, fog.SaveSettings());
        ASSERT_TRUE(ReadDword(kKey, "Power", saved));
        EXPECT_EQ(DWORD(100 + position), saved) << "slider position " << position;
    }
}

}  // namespace
