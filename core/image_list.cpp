#include "image_list.h"

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
    if (path.size() > kMaxImagePathBytes) {
        ++selection.leftOut;
        return;
    }
    selection.paths.push_back(std::move(path));
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
