// The list of background pictures as it is stored: one value per entry
// under kImagesKeyPath, named by the entry's index, holding a full path.
// The saver reads at most kMaxImagePathBytes of a path; the dialog keeps
// longer stored entries as they are but adds none. And the selection that
// the file-open dialog hands back, turned into full paths. No platform
// types here.
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

// Whether `name` is the name of an entry, and which. The registry compares
// value names without regard to case, so "A" is entry 10 just as "a" is;
// "0a", "" and names beyond 32 bits are no entry's.
bool ParseImageValueName(const std::string& name, uint32_t& index);

// The order in which stored values are listed: the entries' names by
// index, then every other name, by name without regard to case (the
// registry's own enumeration order differs between systems). Returns
// positions in `names`.
std::vector<std::size_t> ImageListingOrder(const std::vector<std::string>& names);

// Whether a value of this name stays once a list of `count` entries has
// been stored: only the names 0..count-1 do.
bool IsStoredEntryName(const std::string& name, std::size_t count);

// The entries that `picks` monitors show, one draw from the calling
// thread's generator each (value modulo count): a draw that hits an entry
// already shown takes the next one not yet shown, so that every monitor
// shows a picture of its own while the list has enough of them.
std::vector<uint32_t> PickImageIndices(uint32_t count, std::size_t picks);

inline bool FitsImageEntry(const std::string& path) { return path.size() <= kMaxImagePathBytes; }

struct OpenFileSelection {
    std::vector<std::string> paths;    // in the order the dialog gave them
    std::vector<std::string> tooLong;  // longer than kMaxImagePathBytes, in the same order
};

// Reads the file-open dialog's buffer of `size` bytes: either one full path,
// or a folder followed by the names chosen in it, each ending in a zero
// byte and the list in an empty string. A folder and a name are joined
// with one backslash, none added when the folder already ends in one (a
// drive's root). A path that would not fit an entry goes to `tooLong`;
// the rest are kept. Never reads past `size`; `next` steps over one
// character (CharNextA on Windows, so that a trail byte is never taken for
// a backslash).
OpenFileSelection ParseOpenFileSelection(const char* buffer, std::size_t size, CharStep next = NextByte);
