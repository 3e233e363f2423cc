#include "large_pictures.h"

#include <psapi.h>
#include <wincodec.h>

#include <algorithm>
#include <fstream>
#include <vector>

namespace {

template <class Interface>
struct Com {
    Interface* p = nullptr;
    ~Com() {
        if (p) p->Release();
    }
};

BYTE Tone(UINT x, UINT y, UINT edge) { return static_cast<BYTE>(64 + (x + y) * 128 / (2 * edge) + ((x ^ y) & 3)); }

}  // namespace

bool WriteLargePng(const std::string& path, UINT edge) {
    Com<IWICImagingFactory> factory;
    Com<IWICStream> stream;
    Com<IWICBitmapEncoder> encoder;
    Com<IWICBitmapFrameEncode> frame;
    std::wstring widePath(path.begin(), path.end());
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(&factory.p))) ||
        FAILED(factory.p->CreateStream(&stream.p)) ||
        FAILED(stream.p->InitializeFromFilename(widePath.c_str(), GENERIC_WRITE)) ||
        FAILED(factory.p->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder.p)) ||
        FAILED(encoder.p->Initialize(stream.p, WICBitmapEncoderNoCache)) ||
        FAILED(encoder.p->CreateNewFrame(&frame.p, nullptr)) || FAILED(frame.p->Initialize(nullptr)) ||
        FAILED(frame.p->SetSize(edge, edge)) || FAILED(frame.p->SetPixelFormat(&format)))
        return false;
    const UINT bandRows = 64, stride = edge * 3;
    std::vector<BYTE> band(stride * bandRows);
    for (UINT top = 0; top < edge; top += bandRows) {
        const UINT rows = std::min(bandRows, edge - top);
        for (UINT row = 0; row < rows; ++row)
            for (UINT x = 0; x < edge; ++x)
                band[row * stride + x * 3] = band[row * stride + x * 3 + 1] = band[row * stride + x * 3 + 2] =
                    Tone(x, top + row, edge);
        if (FAILED(frame.p->WritePixels(rows, stride, rows * stride, band.data()))) return false;
    }
    return SUCCEEDED(frame.p->Commit()) && SUCCEEDED(encoder.p->Commit());
}

bool WriteLargeBmp(const std::string& path, UINT edge) {
    const DWORD stride = (edge * 3 + 3) & ~3u, pixelBytes = stride * edge;
    const DWORD headers = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    BITMAPFILEHEADER file = {0x4D42, headers + pixelBytes, 0, 0, headers};
    BITMAPINFOHEADER info = {
        sizeof info, static_cast<LONG>(edge), static_cast<LONG>(edge), 1, 24, BI_RGB, pixelBytes, 0, 0, 0, 0};
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file)
        .write(reinterpret_cast<const char*>(&info), sizeof info);
    std::vector<char> row(stride);
    for (UINT y = edge; y-- > 0;) {
        for (UINT x = 0; x < edge; ++x)
            row[x * 3] = row[x * 3 + 1] = row[x * 3 + 2] = static_cast<char>(Tone(x, y, edge));
        out.write(row.data(), stride);
    }
    return out.good();
}

SIZE_T PeakMemory() {
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    return std::max(memory.PeakPagefileUsage, memory.PeakWorkingSetSize);
}
