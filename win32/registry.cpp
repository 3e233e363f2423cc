#include "registry.h"

#include <cstdint>
#include <cstring>

LONG QueryFourBytes(HKEY key, const char* name, void* place) {
    uint32_t value = 0;
    DWORD size = sizeof value;
    LONG status = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    if (status == ERROR_SUCCESS) std::memcpy(place, &value, sizeof value);
    return status;
}
