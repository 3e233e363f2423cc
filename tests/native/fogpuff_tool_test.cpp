#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
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

void PutU32(std::vector<uint8_t>& data, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) data[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

TEST(BmpFile, RoundTripsEveryRowPadding) {
    for (int32_t width : {1, 2, 3, 4, 5, 7}) {
        const PixelSurface image = Pattern(width, 3);
        const std::vector<uint8_t> data = EncodeBmp(image);
        const size_t rowBytes = (width * 3 + 3) / 4 * 4;
        EXPECT_EQ(54 + 3 * rowBytes, data.size()) << "width " << width;
        // Bottom-up: the first stored row is the picture's last one; blue first.
        EXPECT_EQ(image.Get(0, 2) >> 16 & 0xFF, data[54]) << "width " << width;
        EXPECT_EQ(image.Get(0, 2) & 0xFF, data[56]) << "width " << width;
        PixelSurface back;
        std::string error;
        ASSERT_TRUE(DecodeBmp(data.data(), data.size(), back, error)) << error;
        EXPECT_TRUE(back == image) << "width " << width;
    }
}

TEST(BmpFile, ReadsTopDownFilesAndLongerHeaders) {
    const PixelSurface image = Pattern(5, 4);
    std::vector<uint8_t> bottomUp = EncodeBmp(image);
    const size_t rowBytes = 16;
    // Top-down: negative height, rows in picture order.
    std::vector<uint8_t> topDown(bottomUp.begin(), bottomUp.begin() + 54);
    PutU32(topDown, 22, static_cast<uint32_t>(-4));
    for (int row = 3; row >= 0; --row)
        topDown.insert(topDown.end(), bottomUp.begin() + 54 + row * rowBytes, bottomUp.begin() + 54 + (row + 1) * rowBytes);
    // A 124-byte header, as some painters write.
    std::vector<uint8_t> longHeader(bottomUp.begin(), bottomUp.begin() + 54);
    longHeader.insert(longHeader.end(), 84, 0);
    PutU32(longHeader, 10, 14 + 124);
    PutU32(longHeader, 14, 124);
    longHeader.insert(longHeader.end(), bottomUp.begin() + 54, bottomUp.end());
    for (const auto& data : {topDown, longHeader}) {
        PixelSurface back;
        std::string error;
        ASSERT_TRUE(DecodeBmp(data.data(), data.size(), back, error)) << error;
        EXPECT_TRUE(back == image);
    }
}

TEST(BmpFile, RefusesWhatItCannotRead) {
    const std::vector<uint8_t> good = EncodeBmp(Pattern(4, 4));
    const struct {
        const char* what;
        size_t at;  // where to put the value; SIZE_MAX: cut the file to `value` bytes
        uint32_t value;
        const char* message;
    } cases[] = {
        {"empty", SIZE_MAX, 0, "not a BMP"},
        {"header only", SIZE_MAX, 40, "not a BMP"},
        {"truncated pixels", SIZE_MAX, 54 + 40, "truncated"},
        {"magic", 0, 0x4D41, "not a BMP"},
        {"32 bits", 28, 32, "24-bit"},
        {"run-length", 30, 1, "24-bit"},
        {"two planes", 26, 0x00180002, "24-bit"},
        {"zero width", 18, 0, "size"},
        {"zero height", 22, 0, "size"},
        {"most negative height", 22, 0x80000000u, "size"},
        {"huge", 18, 100000, "size"},
        {"too many pixels", 22, 16384, "size"},
        {"offset past the end", 10, 0xFFFFFFF0u, "truncated"},
        {"offset inside the header", 10, 20, "truncated"},
        {"short header", 14, 12, "header"},
        {"header past the end", 14, 0xFFFFFFFFu, "header"},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> data = good;
        if (c.at == SIZE_MAX)
            data.resize(c.value);
        else
            PutU32(data, c.at, c.value);
        if (std::string(c.what) == "too many pixels") PutU32(data, 18, 16384);
        PixelSurface image;
        std::string error;
        EXPECT_FALSE(DecodeBmp(data.data(), data.size(), image, error)) << c.what;
        EXPECT_NE(std::string::npos, error.find(c.message)) << c.what << ": " << error;
    }
}

TEST(BmpFile, SurvivesMangledFiles) {
    const std::vector<uint8_t> good = EncodeBmp(Pattern(9, 6));
    SRand(1234);
    int accepted = 0;
    for (int trial = 0; trial < 20000; ++trial) {
        std::vector<uint8_t> data = good;
        const int changes = 1 + Rand() % 4;
        for (int i = 0; i < changes; ++i) data[Rand() % 54] = static_cast<uint8_t>(Rand());
        if (Rand() % 4 == 0) data.resize(Rand() % data.size());
        PixelSurface image;
        std::string error;
        if (DecodeBmp(data.data(), data.size(), image, error)) {
            ++accepted;
            ASSERT_GT(image.Width(), 0);
            ASSERT_GT(image.Height(), 0);
        } else {
            ASSERT_FALSE(error.empty());
        }
    }
    EXPECT_GT(accepted, 0);  // harmless changes (resolution, colour counts) still read
}

std::vector<const char*> Argv(std::initializer_list<const char*> words) {
    std::vector<const char*> argv{"fogpuff"};
    argv.insert(argv.end(), words);
    return argv;
}

TEST(FogPuffArgs, ReadsEveryOptionInAnyOrder) {
    const auto argv = Argv({"--seed", "4294967295", "in.bmp", "--path", "buffer", "--x", "-5", "--y", "7", "--radius",
                            "99", "--density", "10", "--power", "1.5", "--mix", "1", "out.bmp", "--count", "3"});
    FogPuffArgs args;
    std::string error;
    ASSERT_TRUE(ParseFogPuffArgs(static_cast<int>(argv.size()), argv.data(), args, error)) << error;
    EXPECT_EQ("in.bmp", args.input);
    EXPECT_EQ("out.bmp", args.output);
    EXPECT_EQ(PuffPath::Buffer, args.path);
    EXPECT_EQ(-5, args.x);
    EXPECT_EQ(7, args.y);
    EXPECT_EQ(99, args.radius);
    EXPECT_EQ(10, args.settings.density);
    EXPECT_EQ(1.5, args.settings.power);
    EXPECT_EQ(1u, args.settings.mixPix);
    EXPECT_EQ(4294967295u, args.seed);
    EXPECT_EQ(3u, args.count);
}

TEST(FogPuffArgs, RefusesBadArgumentsWithAMessage) {
    const std::vector<const char*> base = {"in.bmp", "out.bmp", "--path", "pixels", "--x", "1", "--y", "2", "--radius", "3",
                                           "--density", "4", "--power", "1.0", "--mix", "0", "--seed", "5"};
    const struct {
        const char* option;  // replaced value, or an extra word when value is null
        const char* value;
        const char* message;
    } cases[] = {
        {"--path", "pixel", "bad value for --path"},   {"--x", "2147483648", "bad value for --x"},
        {"--y", "-2147483649", "bad value for --y"},   {"--radius", "3.5", "bad value for --radius"},
        {"--radius", "", "bad value for --radius"},    {"--radius", " 3", "bad value for --radius"},
        {"--density", "0x10", "bad value for --density"}, {"--power", "1,5", "bad value for --power"},
        {"--power", "0x1p3", "bad value for --power"}, {"--mix", "2", "bad value for --mix"},
        {"--seed", "-1", "bad value for --seed"},      {"--seed", "4294967296", "bad value for --seed"},
        {"--count", nullptr, "missing value for --count"}, {"--colour", nullptr, "unknown option"},
        {"third.bmp", nullptr, "unexpected argument"}, {"--x", nullptr, "given twice"},
    };
    for (const auto& c : cases) {
        std::vector<const char*> argv{"fogpuff"};
        argv.insert(argv.end(), base.begin(), base.end());
        if (c.value) {
            for (size_t i = 1; i + 1 < argv.size(); ++i)
                if (std::string(argv[i]) == c.option) argv[i + 1] = c.value;
            if (std::string(c.option) == "--count") argv.insert(argv.end(), {"--count", c.value});
        } else {
            argv.push_back(c.option);
            if (std::string(c.option) == "--x") argv.push_back("9");
        }
        FogPuffArgs args;
        std::string error;
        EXPECT_FALSE(ParseFogPuffArgs(static_cast<int>(argv.size()), argv.data(), args, error)) << c.option;
        EXPECT_NE(std::string::npos, error.find(c.message)) << c.option << ": " << error;
    }
    // Each required option, left out.
    for (const char* option : {"--path", "--x", "--y", "--radius", "--density", "--power", "--mix", "--seed"}) {
        std::vector<const char*> argv{"fogpuff"};
        for (size_t i = 0; i < base.size(); ++i) {
            if (std::string(base[i]) == option) {
                ++i;
                continue;
            }
            argv.push_back(base[i]);
        }
        FogPuffArgs args;
        std::string error;
        EXPECT_FALSE(ParseFogPuffArgs(static_cast<int>(argv.size()), argv.data(), args, error)) << option;
        EXPECT_EQ(std::string("missing option ") + option, error);
    }
}

TEST(FogPuffArgs, AcceptsSpeltOutOddPowers) {
    for (const char* power : {"nan", "inf", "-inf", "-3", "1e30", ".5"}) {
        const auto argv = Argv({"a", "b", "--path", "pixels", "--x", "1", "--y", "2", "--radius", "3", "--density", "4",
                                "--power", power, "--mix", "0", "--seed", "5"});
        FogPuffArgs args;
        std::string error;
        EXPECT_TRUE(ParseFogPuffArgs(static_cast<int>(argv.size()), argv.data(), args, error)) << power << ": " << error;
    }
}

TEST(FogPuffArgs, SurvivesRandomWords) {
    const char* words[] = {"--path", "--x", "--y", "--radius", "--density", "--power", "--mix", "--seed", "--count",
                           "pixels", "buffer", "0", "1", "-1", "99999999999999999999999", "nan", "", "--", "-", "a.bmp"};
    SRand(77);
    for (int trial = 0; trial < 20000; ++trial) {
        std::vector<const char*> argv{"fogpuff"};
        const int count = Rand() % 24;
        for (int i = 0; i < count; ++i) argv.push_back(words[Rand() % (sizeof words / sizeof words[0])]);
        FogPuffArgs args;
        std::string error;
        if (!ParseFogPuffArgs(static_cast<int>(argv.size()), argv.data(), args, error)) {
            ASSERT_FALSE(error.empty());
        }
    }
}

std::string TempPath(const char* name) { return ::testing::TempDir() + "fogpuff_test_" + name; }

int RunTool(std::vector<const char*> words) {
    std::vector<const char*> argv{"fogpuff"};
    argv.insert(argv.end(), words.begin(), words.end());
    return RunFogPuffTool(static_cast<int>(argv.size()), argv.data(), [](PixelSurface& image, const FogPuffArgs& args, std::string&) {
        for (uint32_t i = 0; i < args.count; ++i) PuffBufferOnSurface(image, args.x, args.y, args.radius, args.settings);
        return true;
    });
}

TEST(FogPuffTool, ReadsDrawsAndWritesOrSaysWhy) {
    const std::string in = TempPath("in.bmp"), out = TempPath("out.bmp"), bad = TempPath("bad.bmp");
    std::string error;
    ASSERT_TRUE(WriteBmpFile(in, Pattern(40, 30), error)) << error;
    std::ofstream(bad) << "BM but not really";
    const std::vector<const char*> options = {"--path", "buffer", "--x", "20", "--y", "15", "--radius", "12",
                                              "--density", "10", "--power", "2", "--mix", "1", "--seed", "9"};
    auto with = [&](const std::string& input, const std::string& output) {
        std::vector<const char*> words{input.c_str(), output.c_str()};
        words.insert(words.end(), options.begin(), options.end());
        return words;
    };
    EXPECT_EQ(0, RunTool(with(in, out)));
    PixelSurface drawn, expected = Pattern(40, 30);
    ASSERT_TRUE(ReadBmpFile(out, drawn, error)) << error;
    SRand(9);
    PuffBufferOnSurface(expected, 20, 15, 12, {10, 2.0, 1});
    EXPECT_TRUE(drawn == expected);
    EXPECT_TRUE(drawn != Pattern(40, 30));

    EXPECT_EQ(1, RunTool(with(bad, out)));
    EXPECT_EQ(1, RunTool(with(TempPath("missing.bmp"), out)));
    EXPECT_EQ(1, RunTool(with(in, TempPath("no/such/folder/out.bmp"))));
    EXPECT_EQ(2, RunTool({in.c_str(), out.c_str()}));
    std::remove(in.c_str());
    std::remove(out.c_str());
    std::remove(bad.c_str());
}

}  // namespace
