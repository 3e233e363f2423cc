#include "common_controls.h"

#include <commctrl.h>

#include "library_entry.h"

namespace {

using InitControlsExProc = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX* classes);

// Sliders, the spin control and, in the sixth version, the styled buttons,
// edit box, static controls and list box. Versions that do not know a flag
// refuse the call, and the fallback registers all they have.
constexpr DWORD kDialogClasses = ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES;

}  // namespace

void InitDialogControls() {
    // Loaded already, through the import of InitCommonControls, in the
    // version the process's manifest chose.
    const auto initControlsEx =
        LibraryEntry<InitControlsExProc>(GetModuleHandleA("COMCTL32.DLL"), "InitCommonControlsEx");
    INITCOMMONCONTROLSEX classes = {sizeof classes, kDialogClasses};
    if (initControlsEx && initControlsEx(&classes)) return;
    InitCommonControls();
}
