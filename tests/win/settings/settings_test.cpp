// LoadSettings and SaveSettings against Wine's real registry.
#include <gtest/gtest.h>

#include "fog/fog_engine.h"
#include "test_support.h"

namespace {

const char kKey[] = "SOFTWARE\\Zorv";

struct SettingsTest : ::testing::Test {
    CleanSettingsKey clean;
    FogEngine fog;  // a fresh record; the saver's own is theFog

    void StoreAll(DWORD density, DWORD power, DWORD mixPix, DWORD ray, DWORD mode, DWORD delay, DWORD timeout) {
        ASSERT_TRUE(WriteDword(kKey, "Density", density));
        ASSERT_TRUE(WriteDword(kKey, "Power", power));
        ASSERT_TRUE(WriteDword(kKey, "MixPix", mixPix));
        ASSERT_TRUE(WriteDword(kKey, "Ray", ray));
        ASSERT_TRUE(WriteDword(kKey, "BackgroundMode", mode));
        ASSERT_TRUE(WriteDword(kKey, "Delay", delay));
        ASSERT_TRUE(WriteDword(kKey, "Timeout", timeout));
    }

    // Sets every setting to a marker that no default equals.
    void Scribble() {
        fog.Density = fog.Ray = fog.BackgroundMode = fog.Delay = fog.Timeout = 0x5EADBEEF;
        fog.MixPix = 0xDEADBEEF;
        fog.Power = -123.0;
    }

    void ExpectLoadDefaults(int from) {
        // The fields of the value at `from` (1-based, in storage order) and after keep the defaults.
        if (from <= 1) { EXPECT_EQ(10, fog.Density); }
        if (from <= 2) { EXPECT_EQ(1.0, fog.Power); }
        if (from <= 3) { EXPECT_EQ(1u, fog.MixPix); }
        if (from <= 4) { EXPECT_EQ(50, fog.Ray); }
        if (from <= 5) { EXPECT_EQ(fog.IsNT ? 1 : 0, fog.BackgroundMode); }
        if (from <= 6) { EXPECT_EQ(0, fog.Delay); }
        if (from <= 7) { EXPECT_EQ(-1, fog.Timeout); }
    }
};

TEST_F(SettingsTest, MissingKeyLoadsTheDefaultsWithoutError) {
    Scribble();
    EXPECT_EQ(0, fog.LoadSettings(nullptr, nullptr));
    EXPECT_EQ(1u, fog.IsNT);  // Wine poses as the NT family unless told otherwise
    ExpectLoadDefaults(1);
}

TEST_F(SettingsTest, LoadReadsAllSevenValuesAndMeasuresTheWindow) {
    StoreAll(7, 150, 0, 33, 2, 250, 600);
    HWND window = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 123, 45, nullptr, nullptr, nullptr, nullptr);
    HWND other = GetDesktopWindow();
    Scribble();
    EXPECT_EQ(0, fog.LoadSettings(other, window));
    EXPECT_EQ(other, fog.RefreshWindow);
    EXPECT_EQ(window, fog.DrawWindow);
    EXPECT_EQ(123, fog.Width);
    EXPECT_EQ(45, fog.Height);
    EXPECT_EQ(1u, fog.TrueColor);  // the test display has 24 bits
    EXPECT_EQ(7, fog.Density);
    EXPECT_EQ(1.5, fog.Power);
    EXPECT_EQ(0u, fog.MixPix);
    EXPECT_EQ(33, fog.Ray);
    EXPECT_EQ(2, fog.BackgroundMode);
    EXPECT_EQ(250, fog.Delay);
    EXPECT_EQ(600, fog.Timeout);
    DestroyWindow(window);
}

TEST_F(SettingsTest, PartialKeyLoadsWhatIsThereAndReportsTheMissingValue) {
    ASSERT_TRUE(WriteDword(kKey, "Density", 3));
    ASSERT_TRUE(WriteDword(kKey, "Power", 120));
    ASSERT_TRUE(WriteDword(kKey, "MixPix", 0));
    ASSERT_TRUE(WriteDword(kKey, "Ray", 20));
    Scribble();
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, fog.LoadSettings(nullptr, nullptr));
    EXPECT_EQ(3, fog.Density);
    EXPECT_EQ(1.2, fog.Power);
    EXPECT_EQ(0u, fog.MixPix);
    EXPECT_EQ(20, fog.Ray);
    ExpectLoadDefaults(5);
}

TEST_F(SettingsTest, ValueLongerThanFourBytesEndsTheLoad) {
    StoreAll(4, 130, 0, 40, 2, 100, 90);
    const BYTE eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_TRUE(WriteBinary(kKey, "Ray", eight, sizeof eight, REG_BINARY));
    Scribble();
    EXPECT_EQ(ERROR_MORE_DATA, fog.LoadSettings(nullptr, nullptr));
    EXPECT_EQ(4, fog.Density);
    EXPECT_EQ(1.3, fog.Power);
    EXPECT_EQ(0u, fog.MixPix);
    ExpectLoadDefaults(4);
}

TEST_F(SettingsTest, FourBytesOfAnotherTypeCountAsANumber) {
    StoreAll(4, 130, 0, 40, 2, 100, 90);
    const BYTE ray[4] = {77, 0, 0, 0};
    ASSERT_TRUE(WriteBinary(kKey, "Ray", ray, sizeof ray, REG_BINARY));
    const char delay[4] = {'9', 0, 0, 0};  // REG_SZ "9": bytes 0x39 0 0 0
    ASSERT_TRUE(WriteBinary(kKey, "Delay", delay, sizeof delay, REG_SZ));
    EXPECT_EQ(0, fog.LoadSettings(nullptr, nullptr));
    EXPECT_EQ(77, fog.Ray);
    EXPECT_EQ(0x39, fog.Delay);
}

TEST_F(SettingsTest, SaveCreatesTheKeyAndWritesAllSevenValues) {
    fog.Density = 6;
    fog.Power = 1.75;
    fog.MixPix = 0;
    fog.Ray = 90;
    fog.BackgroundMode = 2;
    fog.Delay = 1999;
    fog.Timeout = -1;
    EXPECT_EQ(0, fog.SaveSettings());
    const struct {
        const char* name;
        DWORD value;
    } expected[] = {{"Density", 6}, {"Power", 175},         {"MixPix", 0},          {"Ray", 90},
                    {"BackgroundMode", 2}, {"Delay", 1999}, {"Timeout", 0xFFFFFFFF}};
    for (const auto& value : expected) {
        DWORD stored = 0xDEADBEEF;
        EXPECT_TRUE(ReadDword(kKey, value.name, stored)) << value.name;
        EXPECT_EQ(value.value, stored) << value.name;
    }
    Scribble();
    EXPECT_EQ(0, fog.LoadSettings(nullptr, nullptr));
    EXPECT_EQ(-1, fog.Timeout);
    EXPECT_EQ(1.75, fog.Power);
}

TEST_F(SettingsTest, EveryStoredPowerFrom0To200SurvivesLoadAndSave) {
    StoreAll(5, 0, 1, 50, 1, 0, 0xFFFFFFFF);
    for (DWORD stored = 0; stored <= 200; ++stored) {
        ASSERT_TRUE(WriteDword(kKey, "Power", stored));
        ASSERT_EQ(0, fog.LoadSettings(nullptr, nullptr));
        ASSERT_EQ(0, fog.SaveSettings());
        DWORD saved = 0xDEADBEEF;
        ASSERT_TRUE(ReadDword(kKey, "Power", saved));
        EXPECT_EQ(stored, saved) << "loaded as " << fog.Power;
    }
}

TEST_F(SettingsTest, EverySliderPowerIsSavedAsAWholeNumberOfHundredths) {
    for (int position = 0; position <= 100; ++position) {
        fog.Power = position * 0.01 + 1.0;  // what the Blur slider sets
        ASSERT_EQ(0, fog.SaveSettings());
        DWORD saved = 0xDEADBEEF;
        ASSERT_TRUE(ReadDword(kKey, "Power", saved));
        EXPECT_EQ(DWORD(100 + position), saved) << "slider position " << position;
    }
}

}  // namespace
