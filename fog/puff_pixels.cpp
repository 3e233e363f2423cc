// The pixel path: one GetPixel and one SetPixel (two reads when blending)
// per point, straight on the caller's surface.
#include "puff_pixels.h"

#include "core/fog_puff.h"
#include "fog_engine.h"

namespace {

// The surface as the puff's arithmetic sees it: a read off the surface
// gives CLR_INVALID, all bits set, exactly the failure value it expects.
struct DeviceSurface {
    HDC dc;
    uint32_t Get(int32_t x, int32_t y) const { return GetPixel(dc, x, y); }
    void Set(int32_t x, int32_t y, uint32_t colour) const { SetPixel(dc, x, y, colour); }
};

}  // namespace

void BlendPixel(HDC surface, int32_t x, int32_t y, COLORREF colour) {
    DeviceSurface device{surface};
    BlendSurfacePixel(device, x, y, colour);
}

void FogEngine::FogPuffPixels(HDC surface, int32_t x, int32_t y, int32_t radius) {
    const PuffSettings settings{Density, Power, MixPix};
    DeviceSurface device{surface};
    PuffPixels(device, x, y, MakePuffPlan(settings, radius), settings.mixPix != 0);
}
