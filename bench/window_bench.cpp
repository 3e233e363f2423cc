// fogpuff_bench.exe: the Windows build's figures of the fog puff.
//  - whole FogPuffBuffer calls at the largest size the settings allow
//    (radius 99, Density 10, Power 2.0) on a real window, and the share of
//    that time spent outside the puff's arithmetic;
//  - a few pixel-path puffs;
//  - last, the buffer puff's arithmetic as this build runs it, beside its
//    straightforward version and its floor (puff_measure.h): once with the
//    kernel this processor and system get, once with the x87 kernel that
//    processors or systems without SSE2 get.
#include <windows.h>

#include <cstdio>

#include "fog/fog_engine.h"
#include "puff_measure.h"
#include "win32/processor_features.h"

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int kWindowPuffs = 40;

template <class Puff>
double MillisecondsPerPuff(int puffs, Puff puff) {
    const double start = puff_measure::NowNanoseconds();
    for (int i = 0; i < puffs; ++i) puff(i);
    GdiFlush();
    return (puff_measure::NowNanoseconds() - start) / 1e6 / puffs;
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

const char* KernelName(PuffKernel kernel) { return kernel == PuffKernel::Sse2 ? "SSE2" : "x87"; }

void MeasureOnWindow(HDC dc) {
    const int32_t radius = puff_measure::kRadius;
    theFog.Density = 10;
    theFog.Power = 2.0;
    std::printf("%d x %d window, %d puffs each, centres across the window; kernel: %s\n", kWidth, kHeight, kWindowPuffs,
                KernelName(BufferPuffKernel()));
    const PuffSquare square = ComputePuffSquare(2.0, radius);
    std::vector<uint8_t> buffer(square.BufferBytes(), 0x80);
    for (uint32_t mix : {0u, 1u}) {
        theFog.MixPix = mix;
        SRand(1);
        const double whole = MillisecondsPerPuff(kWindowPuffs, [&](int i) {
            theFog.FogPuffBuffer(dc, 150 + (i * 97) % (kWidth - 300), 150 + (i * 61) % (kHeight - 300), radius);
        });
        const PuffPlan plan = MakePuffPlan({10, 2.0, mix}, radius);
        SRand(1);
        const double arithmetic = MillisecondsPerPuff(
            kWindowPuffs, [&](int) { PuffBuffer(buffer.data(), square, plan, mix != 0, BufferPuffKernel()); });
        std::printf(
            "FogPuffBuffer r99 d10 p2.0 %s: %.2f ms per puff, of which %.2f ms (%.0f%%) outside the arithmetic\n",
            mix ? "mix" : "overwrite", whole, whole - arithmetic, 100.0 * (whole - arithmetic) / whole);
    }
    theFog.MixPix = 1;
    const double pixels = MillisecondsPerPuff(2, [&](int i) { theFog.FogPuffPixels(dc, 300 + 200 * i, 300, radius); });
    std::printf("FogPuffPixels r99 d10 p2.0 mix: %.2f ms per puff\n", pixels);
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
    MeasureOnWindow(dc);
    ReleaseDC(window, dc);
    DestroyWindow(window);

    const puff_measure::Figures found = puff_measure::MeasurePuff(true, BufferPuffKernel());
    const puff_measure::Figures x87 = puff_measure::MeasurePuff(true, PuffKernel::Portable);
    std::printf(
        "windows puff r99 d10 p2.0 mix: straightforward %.2f ns/point, optimized %.2f ns/point, floor %.2f ns/point\n",
        found.straightforward, found.optimized, found.floor);
    std::printf("windows puff r99 d10 p2.0 mix, x87 only: optimized %.2f ns/point\n", x87.optimized);
    return 0;
}
