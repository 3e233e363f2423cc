// Large pictures for the loader's tests, written a band at a time so that
// the writing itself never holds them whole: a grey ramp from 64 at the
// top left to 192 at the bottom right, with a fine grain.
#pragma once

#include <windows.h>

#include <string>

// Through the imaging component, 24-bit.
bool WriteLargePng(const std::string& path, UINT edge);
// Bottom-up, 24-bit, uncompressed.
bool WriteLargeBmp(const std::string& path, UINT edge);
// The highest private bytes or working set the process has held.
SIZE_T PeakMemory();
