// main() of every test program that runs under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "host/saver_effect.h"
#include "win32/common_controls.h"
#include "win32/processor_features.h"

int main(int argc, char** argv) {
    SetDoublePrecision();
    InitDialogControls();
    host.instance = GetModuleHandleA(nullptr);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    // CTest names each test from the sources; one that this build compiled
    // out must not pass by running nothing.
    if (::testing::UnitTest::GetInstance()->test_to_run_count() == 0) {
        std::fprintf(stderr, "no test matched the filter\n");
        return 1;
    }
    return result;
}
