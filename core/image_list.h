// The list of background pictures as it is stored: one value per entry
// under kImagesKeyPath, named by the entry's index, holding a full path of
// at most kMaxImagePathBytes bytes. And the selection that the file-open
// dialog hands back, turned into full paths. No platform types here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "command_line.h"  // CharStep, NextByte

// Every buffer that holds one entry is this long, its zero byte included.
constexpr std::size_t kImagePathBufferBytes = 260;
constexpr std::size_t kMaxImagePathBytes = kImagePathBufferBytes - 1;

// The value name of entry `index`: lowercase hexadecimal without prefix or
// leading zeros ("0".."9", "a".."f", "10", ...).
std::string ImageValueName(uint32_t index);

struct OpenFileSelection {
    std::vector<std::string> paths;  // in the order the dialog gave them
    std::size_t leftOut = 0;         // paths longer than kMaxImagePathBytes
};

// Reads the file-open dialog's buffer of `size` bytes: either one full path,
// or a folder followed by the names chosen in it, each ending in a zero
// byte and the list in an empty string. A folder and a name are joined
// with one backslash, none added when the folder already ends in one (a
// drive's root). A path that would not fit an entry is left out and the
// rest are kept. Never reads past `size`; `next` steps over one character
// (CharNextA on Windows, so that a trail byte is never taken for a
// backslash).
OpenFileSelection ParseOpenFileSelection(const char* buffer, std::size_t size, CharStep next = NextByte);
