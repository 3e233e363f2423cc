#include "saver_main.h"

#include "core/command_line.h"
#include "fault_guard.h"
#include "password.h"
#include "resources/resource.h"
#include "saver_effect.h"
#include "saver_window.h"
#include "win32/ansi_text.h"
#include "win32/common_controls.h"
#include "win32/dpi_awareness.h"
#include "win32/platform.h"
#include "win32/processor_features.h"

namespace {

HWND WindowFromNumber(uint32_t number) { return reinterpret_cast<HWND>(static_cast<UINT_PTR>(number)); }

// A handle given on the command line, or the foreground window when it is
// missing, zero or no window.
HWND OwnerOrForeground(bool given, uint32_t number) {
    HWND owner = WindowFromNumber(number);
    if (given && owner && IsWindow(owner)) return owner;
    return GetForegroundWindow();
}

int RunModeRequest(const ModeRequest& request) {
    switch (request.mode) {
    case SaverMode::Configure:
        return RunConfigure(nullptr);
    case SaverMode::ConfigureOwned:
        return RunConfigure(OwnerOrForeground(request.hasOwnerHandle, request.ownerHandle));
    case SaverMode::Saver:
        RequestDpiAwareness();
        return RunSaver(nullptr);
    case SaverMode::Preview:
        RequestDpiAwareness();
        return RunPreview(request.argument);
    case SaverMode::ChangePassword:
        return host.isWin9x ? RunChangePassword(request.argument) : -1;
    case SaverMode::Invalid:
        break;
    }
    return -1;
}

}  // namespace

const char* CommandTailOf(const char* commandLine) { return SkipProgramPath(commandLine, CharNextStep); }

void SaverEntry() {
    SetDoublePrecision();
    int result = SaverMain(GetModuleHandleA(nullptr), CommandTailOf(GetCommandLineA()));
    ExitProcess(static_cast<UINT>(result));
}

int SaverMain(HINSTANCE instance, const char* tail) {
    host.instance = instance;
    host.isWin9x = CurrentPlatformFamily() == PlatformFamily::Windows9x ? 1 : 0;
    ModeRequest request = ParseModeRequest(tail);
    return RunInFaultGuard([&request] { return RunModeRequest(request); });
}

int RunPreview(const char* handleText) {
    HWND parent = WindowFromNumber(ParseDecimal(handleText));
    if (!parent || !IsWindow(parent)) return -1;
    return RunSaver(parent);
}

int PrepareConfigDialog(HINSTANCE) { return 1; }

int RunConfigure(HWND parent) {
    if (!PrepareConfigDialog(host.instance)) return 0;
    InitDialogControls();
    return static_cast<int>(DialogBoxParamA(host.instance, MAKEINTRESOURCEA(IDD_CONFIG), parent, ConfigDialogProc, 0));
}

int RunChangePassword(const char* handleText) {
    uint32_t number = ParseDecimal(handleText);
    ChangePassword(OwnerOrForeground(number != 0, number));
    return 0;
}
