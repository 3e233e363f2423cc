// Start-up and the command-line modes.
#pragma once

#include <windows.h>

// The program's entry: cuts the command tail, runs SaverMain and ends the
// process with its result. Never returns.
[[noreturn]] void SaverEntry();

// The command tail of a whole command line: the program path skipped
// character by character (CharNextA), then the blanks after it.
const char* CommandTailOf(const char* commandLine);

// Records the instance and the platform family, picks the mode from the
// tail and returns the mode's result (the process exit code).
int SaverMain(HINSTANCE instance, const char* tail);

int RunPreview(const char* handleText);
int RunConfigure(HWND parent);
int PrepareConfigDialog(HINSTANCE instance);
int RunChangePassword(const char* handleText);
