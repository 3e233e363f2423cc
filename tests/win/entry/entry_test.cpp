// The real zorv.scr started with command tails that select no runnable
// mode, or a preview without a parent it can use: each must end at once
// with exit code -1 and show nothing. (A password change outside the
// 95/98 family is among the password tests.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace {

TEST(Entry, TailsThatSelectNoRunnableModeEndWithMinusOne) {
    HWND parent = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(parent);
    const std::string handle = std::to_string(reinterpret_cast<UINT_PTR>(parent));
    const std::vector<std::string> tails = {"/x", "/\xe4", "/p", "/p 0", "/p 4294967295", "/p:" + handle,
                                            "/l:" + handle, "/p\t" + handle};
    for (const std::string& tail : tails)
        EXPECT_EQ(0xFFFFFFFFu, RunProcess("\"" + SaverPath() + "\" " + tail, 20000)) << tail;
    DestroyWindow(parent);
}

}  // namespace
