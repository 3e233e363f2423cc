// fogpuff_bench.exe: whole FogPuffBuffer calls at the largest size the
// settings allow (radius 99, Density 10, Power 2.0) on a real window, in
// milliseconds per puff; beside them the puff's arithmetic alone on a
// buffer as this build runs it, and a few pixel-path puffs.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "core/fog_buffer.h"
#include "fog/fog_engine.h"
#include "host/saver_main.h"

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int32_t kRadius = 99;

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

template <class Puff>
double MillisecondsPerPuff(int puffs, Puff puff) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < puffs; ++i) puff(i);
    GdiFlush();
    QueryPerformanceCounter(&end);
    return Milliseconds(start, end) / puffs;
}

void PaintStripes(HDC dc) {
    for (int x = 0; x < kWidth; x += 8) {
        HBRUSH brush = CreateSolidBrush(RGB(x & 255, (x * 3) & 255, 255 - (x & 255)));
        RECT stripe = {x, 0, x + 8, kHeight};
        FillRect(dc, &stripe, brush);
        DeleteObject(brush);
    }
}

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

}  // namespace

int main() {
    SetDoublePrecision();
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "FogPuffBench";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "FogPuffBench", "fogpuff bench", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight,
                                  nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!window) {
        std::fprintf(stderr, "fogpuff_bench: cannot create a window\n");
        return 1;
    }
    PumpMessages();
    HDC dc = GetDC(window);
    PaintStripes(dc);

    theFog.Density = 10;
    theFog.Power = 2.0;
    const int puffs = 40;
    std::printf("%d x %d window, %d puffs each, centres across the window\n", kWidth, kHeight, puffs);
    for (uint32_t mix : {0u, 1u}) {
        theFog.MixPix = mix;
        SRand(1);
        const double perPuff = MillisecondsPerPuff(puffs, [&](int i) {
            theFog.FogPuffBuffer(dc, 150 + (i * 97) % (kWidth - 300), 150 + (i * 61) % (kHeight - 300), kRadius);
        });
        std::printf("FogPuffBuffer r99 d10 p2.0 %s: %.2f ms per puff\n", mix ? "mix" : "overwrite", perPuff);
    }

    // The arithmetic alone, as this build (i686, x87) runs it.
    const PuffSquare square = ComputePuffSquare(2.0, kRadius);
    std::vector<uint8_t> buffer(square.BufferBytes(), 0x80);
    for (uint32_t mix : {0u, 1u}) {
        const PuffPlan plan = MakePuffPlan({10, 2.0, mix}, kRadius);
        const double perPuff = MillisecondsPerPuff(puffs, [&](int) { PuffBuffer(buffer.data(), square, plan, mix != 0); });
        std::printf("buffer puff alone r99 d10 p2.0 %s: %.2f ms per puff (%.1f ns per point)\n", mix ? "mix" : "overwrite",
                    perPuff, perPuff * 1e6 / (double(plan.radius) * double(plan.pointsPerRing)));
    }

    theFog.MixPix = 1;
    const double pixels = MillisecondsPerPuff(2, [&](int i) { theFog.FogPuffPixels(dc, 300 + 200 * i, 300, kRadius); });
    std::printf("FogPuffPixels r99 d10 p2.0 mix: %.2f ms per puff\n", pixels);

    ReleaseDC(window, dc);
    DestroyWindow(window);
    return 0;
}
