#include "image_list.h"

#include <algorithm>

#include "random.h"

namespace {

// The string at `position`, cut at its zero byte or at the buffer's end.
std::string StringAt(const char* position, const char* end) {
    const char* stop = position;
    while (stop < end && *stop) ++stop;
    return std::string(position, stop);
}

bool EndsWithBackslash(const std::string& text, CharStep next) {
    const char* position = text.c_str();
    const char* last = nullptr;
    while (*position) {
        last = position;
        position = next(position);
    }
    return last && *last == '\\';
}

void Keep(OpenFileSelection& selection, std::string path) {
    (FitsImageEntry(path) ? selection.paths : selection.tooLong).push_back(std::move(path));
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

char FoldCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(FoldCase(x)) < static_cast<unsigned char>(FoldCase(y));
    });
}

}  // namespace

std::string ImageValueName(uint32_t index) {
    static const char kDigits[] = "0123456789abcdef";
    char reversed[8];
    int count = 0;
    do {
        reversed[count++] = kDigits[index & 0xF];
        index >>= 4;
    } while (index);
    std::string name;
    while (count) name += reversed[--count];
    return name;
}

bool ParseImageValueName(const std::string& name, uint32_t& index) {
    if (name.empty() || name.size() > 8 || (name.size() > 1 && name[0] == '0')) return false;
    uint32_t value = 0;
    for (char c : name) {
        const int digit = HexDigitValue(c);
        if (digit < 0) return false;
        value = value << 4 | static_cast<uint32_t>(digit);
    }
    index = value;
    return true;
}

std::vector<std::size_t> ImageListingOrder(const std::vector<std::string>& names) {
    struct Key {
        bool isEntry;
        uint32_t index;
        std::size_t position;
    };
    std::vector<Key> keys;
    for (std::size_t i = 0; i < names.size(); ++i) {
        uint32_t index = 0;
        const bool isEntry = ParseImageValueName(names[i], index);
        keys.push_back(Key{isEntry, index, i});
    }
    std::stable_sort(keys.begin(), keys.end(), [&names](const Key& a, const Key& b) {
        if (a.isEntry != b.isEntry) return a.isEntry;
        if (a.isEntry) return a.index < b.index;
        return LessIgnoringCase(names[a.position], names[b.position]);
    });
    std::vector<std::size_t> order;
    for (const Key& key : keys) order.push_back(key.position);
    return order;
}

bool IsStoredEntryName(const std::string& name, std::size_t count) {
    uint32_t index = 0;
    return ParseImageValueName(name, index) && index < count;
}

OpenFileSelection ParseOpenFileSelection(const char* buffer, std::size_t size, CharStep next) {
    OpenFileSelection selection;
    const char* end = buffer + size;
    std::string first = StringAt(buffer, end);
    if (first.empty()) return selection;

    const char* position = buffer + first.size() + 1;
    if (position >= end || !*position) {  // one file: its full path
        Keep(selection, first);
        return selection;
    }
    const std::string separator = EndsWithBackslash(first, next) ? "" : "\\";
    while (position < end && *position) {
        std::string name = StringAt(position, end);
        position += name.size() + 1;
        Keep(selection, first + separator + name);
    }
    return selection;
}

std::vector<uint32_t> PickImageIndices(uint32_t count, std::size_t picks) {
    std::vector<uint32_t> indices;
    if (count == 0) return indices;
    for (std::size_t i = 0; i < picks; ++i) {
        uint32_t index = static_cast<uint32_t>(Rand()) % count;
        const bool everyEntryShown = indices.size() >= count;
        for (uint32_t step = 0; !everyEntryShown && step < count; ++step, index = (index + 1) % count)
            if (std::find(indices.begin(), indices.end(), index) == indices.end()) break;
        indices.push_back(index);
    }
    return indices;
}
