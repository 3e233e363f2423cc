#include "command_line.h"

namespace {

bool IsBlankOrControl(unsigned char byte) { return byte != 0 && byte <= 0x20; }

const char* SkipBlanks(const char* position) {
    while (*position == ' ') ++position;
    return position;
}

}  // namespace

const char* NextByte(const char* position) { return *position ? position + 1 : position; }

const char* SkipProgramPath(const char* commandLine, CharStep next) {
    const char* position = commandLine;
    auto byteAt = [&position] { return static_cast<unsigned char>(*position); };
    if (byteAt() == '"') {
        do {
            position = next(position);
        } while (byteAt() != 0 && byteAt() != '"');
        if (byteAt() == '"') position = next(position);
    } else if (byteAt() > 0x20) {
        while (byteAt() > 0x20) position = next(position);
    }
    while (IsBlankOrControl(byteAt())) position = next(position);
    return position;
}

uint32_t ParseDecimal(const char* position) {
    uint32_t value = 0;
    for (; *position >= '0' && *position <= '9'; ++position)
        value = value * 10u + static_cast<uint32_t>(*position - '0');
    return value;
}

ModeRequest ParseModeRequest(const char* tail) {
    ModeRequest request;
    const char* position = tail;
    for (;; ++position) {
        // Compared as a signed character: 0x80 and above are negative here
        // and so match no row.
        signed char byte = static_cast<signed char>(*position);
        switch (byte) {
        case 0:
            request.mode = SaverMode::Configure;
            return request;
        case ' ':
        case '-':
        case '/':
            continue;
        case 'S':
        case 's':
            request.mode = SaverMode::Saver;
            return request;
        case 'P':
        case 'p':
        case 'L':
        case 'l':
            request.mode = SaverMode::Preview;
            request.argument = SkipBlanks(position + 1);
            return request;
        case 'C':
        case 'c':
            request.mode = SaverMode::ConfigureOwned;
            if (position[1] == ':') {
                request.hasOwnerHandle = true;
                request.ownerHandle = ParseDecimal(position + 2);
            }
            return request;
        case 'A':
        case 'a':
            request.mode = SaverMode::ChangePassword;
            request.argument = SkipBlanks(position + 1);
            return request;
        default:
            request.mode = SaverMode::Invalid;
            return request;
        }
    }
}
