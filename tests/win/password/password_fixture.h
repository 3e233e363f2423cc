// What the password tests share: the doubles' records, the user's
// password switch, a clock for the 200 ms pause, and this program posing
// as Windows 98.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "doubles/double_record.h"
#include "saver_harness.h"

constexpr char kDesktopKeyPath[] = "Control Panel\\Desktop";
constexpr char kUsePasswordValue[] = "ScreenSaveUsePassword";

// The switch as the user's desktop settings hold it.
void SetPasswordSwitch(DWORD type, const void* data, DWORD size);
void SetPasswordSwitch(DWORD on);
void RemovePasswordSwitch();

DWORD ProviderRecord(const char* name);
DWORD ChangeRecord(const char* name);
std::string ChangeRecordText(const char* name);

// The clock VerifyPassword reads: each read takes the next of the given
// values (the last one repeats).
void UseClock(std::vector<DWORD> readings);

// The registry, the saver-running state and the clock as a fresh 95/98
// system has them, before and after each test.
struct PasswordTest : ::testing::Test {
    CleanSettingsKey cleanSettings;
    void SetUp() override;
    void TearDown() override;
};

// This program's folder, where the doubles are built.
std::string OwnFolder();
