#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bmp_file.h"
#include "fogpuff_tool.h"
#include "random.h"

namespace {

PixelSurface Pattern(int32_t width, int32_t height) {
    PixelSurface image(width, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) image.Set(x, y, uint32_t(x * 40 + y) | uint32_t(y * 7) << 8 | uint32_t(x ^ y) << 16);
    return image;
}

TEST(BmpFile, RoundTripsEveryRowPadding) {
    for (int32_t width : {1, 2, 3, 4, 5}) {
        const PixelSurface image = Pattern(width, 3);
        const std::vector<uint8_t> data = EncodeBmp(image);
        PixelSurface back;
        std::string error;
        EXPECT_EQ(54 + 3 * ((width * 3 + 3) / 4 * 4), int(data.size())) << "width " << width;
        EXPECT_EQ(image.Get(0, 2) >> 16 & 0xFF, data[54]) << "bottom-up, blue first: width " << width;
        EXPECT_TRUE(DecodeBmp(data.data(), data.size(), back, error) && back == image) << "width " << width << error;
    }
}

TEST(BmpFile, RefusesWhatItCannotReadAndSurvivesMangledFiles) {
    const struct {
        size_t at;  // where to put the value; SIZE_MAX: cut the file to `value` bytes
        uint32_t value;
        const char* message;
    } cases[] = {
        {SIZE_MAX, 0, "not a BMP"}, {SIZE_MAX, 40, "not a BMP"}, {SIZE_MAX, 94, "truncated"}, {0, 0x4D41, "not a BMP"},
        {28, 32, "24-bit"},         {30, 1, "24-bit"},           {26, 0x00180002, "24-bit"},  {18, 0, "size"},
        {22, 0x80000000u, "size"},  {18, 100000, "size"},        {10, 0xFFFFFFF0u, "truncated"}, {10, 20, "truncated"},
        {14, 12, "header"},         {14, 0xFFFFFFFFu, "header"},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> data = EncodeBmp(Pattern(4, 4));
        if (c.at == SIZE_MAX) data.resize(c.value);
        for (int i = 0; c.at != SIZE_MAX && i < 4; ++i) data[c.at + i] = static_cast<uint8_t>(c.value >> (8 * i));
        PixelSurface image;
        std::string error;
        EXPECT_FALSE(DecodeBmp(data.data(), data.size(), image, error)) << c.at << " = " << c.value;
        EXPECT_NE(std::string::npos, error.find(c.message)) << c.at << " = " << c.value << ": " << error;
    }
    SRand(1234);
    for (int trial = 0; trial < 20000; ++trial) {
        std::vector<uint8_t> data = EncodeBmp(Pattern(9, 6));
        for (int i = Rand() % 4; i >= 0; --i) data[Rand() % 54] = static_cast<uint8_t>(Rand());
        if (Rand() % 4 == 0) data.resize(Rand() % data.size());
        PixelSurface image;
        std::string error;
        const bool read = DecodeBmp(data.data(), data.size(), image, error);
        ASSERT_TRUE(read ? image.Width() > 0 && image.Height() > 0 : !error.empty()) << "trial " << trial;
    }
}

const std::vector<const char*> kBase = {"in.bmp", "out.bmp", "--path", "buffer", "--x", "-5", "--y", "7", "--radius", "99",
                                        "--density", "10", "--power", "1.5", "--mix", "1", "--seed", "4294967295"};

// kBase less the option `drop` and its value, plus `add`.
bool Parse(const char* drop, std::vector<const char*> add, FogPuffArgs& args, std::string& error) {
    std::vector<const char*> argv{"fogpuff"};
    for (size_t i = 0; i < kBase.size(); i += drop && std::string(kBase[i]) == drop ? 2 : 1)
        if (!drop || std::string(kBase[i]) != drop) argv.push_back(kBase[i]);
    argv.insert(argv.end(), add.begin(), add.end());
    return ParseFogPuffArgs(static_cast<int>(argv.size()), argv.data(), args, error);
}

TEST(FogPuffArgs, ReadsEveryOptionAndSpeltOutOddPowers) {
    FogPuffArgs args;
    std::string error;
    ASSERT_TRUE(Parse(nullptr, {"--count", "3"}, args, error)) << error;
    EXPECT_TRUE(args.input == "in.bmp" && args.output == "out.bmp" && args.path == PuffPath::Buffer);
    EXPECT_TRUE(args.x == -5 && args.y == 7 && args.radius == 99 && args.settings.density == 10);
    EXPECT_TRUE(args.settings.power == 1.5 && args.settings.mixPix == 1u && args.seed == 4294967295u && args.count == 3u);
    for (const char* power : {"nan", "-inf", "-3", "1e30", ".5"})
        EXPECT_TRUE(Parse("--power", {"--power", power}, args, error)) << power << ": " << error;
}

TEST(FogPuffArgs, RefusesBadArgumentsWithAMessage) {
    const struct {
        const char* drop;
        std::vector<const char*> add;
        const char* message;
    } cases[] = {
        {"--path", {"--path", "pixel"}, "bad value for --path"},    {"--x", {"--x", "2147483648"}, "bad value for --x"},
        {"--radius", {"--radius", "3.5"}, "bad value for --radius"}, {"--radius", {"--radius", ""}, "bad value"},
        {"--radius", {"--radius", " 3"}, "bad value"},              {"--density", {"--density", "0x10"}, "bad value"},
        {"--power", {"--power", "1,5"}, "bad value for --power"},   {"--mix", {"--mix", "2"}, "bad value for --mix"},
        {"--seed", {"--seed", "-1"}, "bad value for --seed"},       {"--seed", {"--seed", "4294967296"}, "bad value"},
        {nullptr, {"--count"}, "missing value for --count"},        {nullptr, {"--colour", "1"}, "unknown option"},
        {nullptr, {"third.bmp"}, "unexpected argument"},            {nullptr, {"--x", "9"}, "given twice"},
        {"--path", {}, "missing option --path"},  {"--x", {}, "missing option --x"},         {"--y", {}, "missing option --y"},
        {"--mix", {}, "missing option --mix"},    {"--radius", {}, "missing option --radius"}, {"--seed", {}, "missing option --seed"},
        {"--power", {}, "missing option --power"}, {"--density", {}, "missing option --density"},
    };
    for (const auto& c : cases) {
        FogPuffArgs args;
        std::string error;
        EXPECT_FALSE(Parse(c.drop, c.add, args, error)) << c.message;
        EXPECT_NE(std::string::npos, error.find(c.message)) << c.message << ": " << error;
    }
}

}  // namespace
