// The common controls of the dialogs, registered before a dialog opens.
// Where the manifest's dependency is honoured (XP and later) the library
// is its sixth version, which draws every control of the dialogs, buttons
// included, in the system's visual style.
#pragma once

#include <windows.h>

// Registers the classes the dialogs use: by InitCommonControlsEx where the
// library has it (4.70 and later), the whole first set otherwise.
void InitDialogControls();
