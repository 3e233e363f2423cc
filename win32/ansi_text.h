// Text in the system's ANSI code page, where one character may take two
// bytes (the double-byte code pages of East Asian systems).
#pragma once

// The character after the one at `position`, as the system counts them.
const char* CharNextStep(const char* position);
