#include "fogpuff_tool.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bmp_file.h"
#include "core/random.h"

const char kFogPuffUsage[] =
    "usage: fogpuff IN.bmp OUT.bmp --path pixels|buffer --x X --y Y --radius R\n"
    "               --density D --power P --mix 0|1 --seed S [--count N]\n";

namespace {

bool StartsLikeANumber(const char* text) {
    const char* digits = (*text == '-') ? text + 1 : text;
    return (*digits >= '0' && *digits <= '9') || (*digits == '.' && digits[1] >= '0' && digits[1] <= '9');
}

bool ParseInteger(const char* text, int64_t low, int64_t high, int64_t& value) {
    if (!StartsLikeANumber(text) || std::strlen(text) > 20) return false;
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(text, &end, 10);
    if (errno != 0 || *end != '\0' || parsed < low || parsed > high) return false;
    value = parsed;
    return true;
}

// Decimal numbers, and "nan", "inf" and "-inf" spelt out: the puff copes
// with them, and spelling them here keeps the C runtimes from disagreeing.
bool ParseDouble(const char* text, double& value) {
    if (std::strcmp(text, "nan") == 0) return value = std::nan(""), true;
    if (std::strcmp(text, "inf") == 0) return value = HUGE_VAL, true;
    if (std::strcmp(text, "-inf") == 0) return value = -HUGE_VAL, true;
    if (!StartsLikeANumber(text) || std::strspn(text, "0123456789.eE+-") != std::strlen(text)) return false;
    char* end = nullptr;
    value = std::strtod(text, &end);
    return *end == '\0';
}

struct Option {
    const char* name;
    bool required;
    bool (*apply)(const char* text, FogPuffArgs& args);
};

template <class Field>
bool SetInteger(const char* text, int64_t low, int64_t high, Field& field) {
    int64_t value;
    if (!ParseInteger(text, low, high, value)) return false;
    field = static_cast<Field>(value);
    return true;
}

const Option kOptions[] = {
    {"--path", true,
     [](const char* text, FogPuffArgs& args) {
         if (std::strcmp(text, "pixels") == 0)
             args.path = PuffPath::Pixels;
         else if (std::strcmp(text, "buffer") == 0)
             args.path = PuffPath::Buffer;
         else
             return false;
         return true;
     }},
    {"--x", true, [](const char* text, FogPuffArgs& args) { return SetInteger(text, INT32_MIN, INT32_MAX, args.x); }},
    {"--y", true, [](const char* text, FogPuffArgs& args) { return SetInteger(text, INT32_MIN, INT32_MAX, args.y); }},
    {"--radius", true,
     [](const char* text, FogPuffArgs& args) { return SetInteger(text, INT32_MIN, INT32_MAX, args.radius); }},
    {"--density", true,
     [](const char* text, FogPuffArgs& args) { return SetInteger(text, INT32_MIN, INT32_MAX, args.settings.density); }},
    {"--power", true, [](const char* text, FogPuffArgs& args) { return ParseDouble(text, args.settings.power); }},
    {"--mix", true, [](const char* text, FogPuffArgs& args) { return SetInteger(text, 0, 1, args.settings.mixPix); }},
    {"--seed", true, [](const char* text, FogPuffArgs& args) { return SetInteger(text, 0, UINT32_MAX, args.seed); }},
    {"--count", false,
     [](const char* text, FogPuffArgs& args) { return SetInteger(text, 0, kMaxFogPuffCount, args.count); }},
};
constexpr size_t kOptionCount = sizeof kOptions / sizeof kOptions[0];

}  // namespace

bool ParseFogPuffArgs(int argc, const char* const* argv, FogPuffArgs& args, std::string& error) {
    FogPuffArgs parsed;
    bool seen[kOptionCount] = {};
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        const char* word = argv[i];
        if (std::strncmp(word, "--", 2) != 0) {
            if (files == 2) {
                error = std::string("unexpected argument: ") + word;
                return false;
            }
            (files++ == 0 ? parsed.input : parsed.output) = word;
            continue;
        }
        size_t index = 0;
        while (index < kOptionCount && std::strcmp(word, kOptions[index].name) != 0) ++index;
        if (index == kOptionCount) {
            error = std::string("unknown option: ") + word;
            return false;
        }
        if (seen[index]) {
            error = std::string("option given twice: ") + word;
            return false;
        }
        if (i + 1 >= argc) {
            error = std::string("missing value for ") + word;
            return false;
        }
        const char* value = argv[++i];
        if (!kOptions[index].apply(value, parsed)) {
            error = std::string("bad value for ") + word + ": " + value;
            return false;
        }
        seen[index] = true;
    }
    if (files < 2) {
        error = files == 0 ? "missing input and output files" : "missing output file";
        return false;
    }
    for (size_t index = 0; index < kOptionCount; ++index) {
        if (kOptions[index].required && !seen[index]) {
            error = std::string("missing option ") + kOptions[index].name;
            return false;
        }
    }
    args = parsed;
    return true;
}

int RunFogPuffTool(int argc, const char* const* argv, const PuffDrawer& draw) {
    FogPuffArgs args;
    std::string error;
    if (!ParseFogPuffArgs(argc, argv, args, error)) {
        std::fprintf(stderr, "fogpuff: %s\n%s", error.c_str(), kFogPuffUsage);
        return 2;
    }
    PixelSurface image;
    if (!ReadBmpFile(args.input, image, error)) {
        std::fprintf(stderr, "fogpuff: %s\n", error.c_str());
        return 1;
    }
    SRand(args.seed);
    if (!draw(image, args, error) || !WriteBmpFile(args.output, image, error)) {
        std::fprintf(stderr, "fogpuff: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
