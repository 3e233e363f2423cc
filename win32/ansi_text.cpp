#include "ansi_text.h"

#include <windows.h>

const char* CharNextStep(const char* position) { return CharNextA(position); }
