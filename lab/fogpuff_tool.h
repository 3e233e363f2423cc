// The fogpuff tool's arguments and run, shared by the native build and the
// Windows one; each build supplies only how the puffs get drawn.
//   fogpuff IN.bmp OUT.bmp --path pixels|buffer --x X --y Y --radius R
//           --density D --power P --mix 0|1 --seed S [--count N]
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "pixel_surface.h"

enum class PuffPath { Pixels, Buffer };

constexpr uint32_t kMaxFogPuffCount = 1000000;

struct FogPuffArgs {
    std::string input;
    std::string output;
    PuffPath path = PuffPath::Pixels;
    int32_t x = 0;
    int32_t y = 0;
    int32_t radius = 0;
    PuffSettings settings{0, 0.0, 0};
    uint32_t seed = 0;
    uint32_t count = 1;
};

extern const char kFogPuffUsage[];

// false with a one-line message in error for anything missing, repeated,
// unknown or out of range.
bool ParseFogPuffArgs(int argc, const char* const* argv, FogPuffArgs& args, std::string& error);

// Draws args.count puffs on the picture; the generator is already seeded.
// false with a message when the platform could not draw.
using PuffDrawer = std::function<bool(PixelSurface& image, const FogPuffArgs& args, std::string& error)>;

// Parses, reads, seeds, draws, writes. Exit code 0, or 1 after a message on
// stderr (2 for bad arguments, with the usage).
int RunFogPuffTool(int argc, const char* const* argv, const PuffDrawer& draw);
