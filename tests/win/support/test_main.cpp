// main() of every test program that runs under Wine.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "host/host_state.h"
#include "win32/processor_features.h"

int main(int argc, char** argv) {
    SetDoublePrecision();
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
    host.instance = GetModuleHandleA(nullptr);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
