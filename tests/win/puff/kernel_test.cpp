// Both buffer kernels of the i686 build (x87 and SSE2) against the
// straightforward puff: the saver picks one by what the processor and the
// system allow, and either must draw the same bytes.
#include <gtest/gtest.h>

#include "../../native/puff_test_support.h"
#include "win32/processor_features.h"

namespace {

TEST(PuffKernels, EachKernelThisBuildCanRunGivesTheStraightforwardBytes) {
    EXPECT_EQ("", FirstKernelMismatch(PuffKernel::Portable, 300));
    if (SystemRunsSse2())
        EXPECT_EQ("", FirstKernelMismatch(PuffKernel::Sse2, 300));
    else
        ADD_FAILURE() << "this machine cannot run the SSE2 kernel, so it went untested";
}

}  // namespace
