#include "processor_features.h"

#include <windows.h>
#include <float.h>

#include "library_entry.h"

namespace {

// Not in the 95 family's KERNEL32.
using IsProcessorFeaturePresentProc = BOOL(WINAPI*)(DWORD feature);
constexpr DWORD kSse2Feature = 10;  // PF_XMMI64_INSTRUCTIONS_AVAILABLE

}  // namespace

bool SystemRunsSse2() {
    const auto isPresent =
        LibraryEntry<IsProcessorFeaturePresentProc>(GetModuleHandleA("KERNEL32.DLL"), "IsProcessorFeaturePresent");
    return isPresent && isPresent(kSse2Feature);
}

void SetDoublePrecision() { _controlfp(_PC_53, _MCW_PC); }
