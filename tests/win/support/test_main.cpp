// main() of every test program that runs under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include "host/host_state.h"
#include "win32/common_controls.h"
#include "win32/processor_features.h"

int main(int argc, char** argv) {
    SetDoublePrecision();
    InitDialogControls();
    host.instance = GetModuleHandleA(nullptr);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
