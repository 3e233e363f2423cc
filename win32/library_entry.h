// Entries of libraries that exist only on some systems, looked up by name.
#pragma once

#include <windows.h>

// The export as the caller's function type, or null when it is missing.
template <class Entry>
Entry LibraryEntry(HMODULE library, const char* exportName) {
    // Through a plain function pointer: the export's type is known only to
    // the caller.
    return reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(GetProcAddress(library, exportName)));
}
