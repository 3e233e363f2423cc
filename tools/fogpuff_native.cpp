// fogpuff, native: draws fog puffs on a BMP with the in-memory surface.
#include "lab/fogpuff_tool.h"

int main(int argc, char** argv) {
    return RunFogPuffTool(argc, argv, [](PixelSurface& image, const FogPuffArgs& args, std::string&) {
        for (uint32_t i = 0; i < args.count; ++i) {
            if (args.path == PuffPath::Pixels)
                PuffPixelsOnSurface(image, args.x, args.y, args.radius, args.settings);
            else
                PuffBufferOnSurface(image, args.x, args.y, args.radius, args.settings);
        }
        return true;
    });
}
