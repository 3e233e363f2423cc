// The saver's command line: cutting the tail off the program path, and the
// grammar that picks one mode from the tail. No platform types here; the
// caller supplies how to step over one character (CharNextA on Windows,
// so that a double-byte character counts as one unit).
#pragma once

#include <cstdint>

using CharStep = const char* (*)(const char*);

// Steps one byte; the native stand-in for CharNextA (which also never
// steps past the terminating NUL).
const char* NextByte(const char* position);

// Skips the program path and the blanks and control bytes after it; the
// rest is the command tail. A quoted path ends at its closing quote.
const char* SkipProgramPath(const char* commandLine, CharStep next);

// Reads decimal digits in unsigned 32-bit arithmetic (wrapping modulo
// 2^32); no sign, no blanks, 0 when no digit stands at the start.
uint32_t ParseDecimal(const char* position);

enum class SaverMode {
    Configure,       // no mode letter: the dialog without an owner
    ConfigureOwned,  // C/c: owner from ":<handle>" or the foreground window
    Saver,           // S/s: full screen
    Preview,         // P/p, L/l: handle text at `argument`
    ChangePassword,  // A/a: optional owner handle text at `argument`
    Invalid,         // anything else: exit code -1
};

struct ModeRequest {
    SaverMode mode = SaverMode::Invalid;
    // Preview and ChangePassword: where the handle text starts (blanks skipped).
    const char* argument = nullptr;
    // ConfigureOwned: whether a colon followed the letter, and the number read after it.
    bool hasOwnerHandle = false;
    uint32_t ownerHandle = 0;
};

// Picks the mode from a command tail. Separators (blank, '-', '/') may
// precede the mode letter in any number; bytes of 0x80 and above match no
// letter.
ModeRequest ParseModeRequest(const char* tail);
