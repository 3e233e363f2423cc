// The real zorv.scr started with command tails that select no runnable
// mode: each must end at once with exit code -1 and show nothing.
#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace {

const DWORD kMinusOne = 0xFFFFFFFF;

DWORD RunSaverWith(const std::string& tail) { return RunProcess("\"" + SaverPath() + "\" " + tail, 20000); }

TEST(Entry, TailsThatSelectNoModeEndWithMinusOne) {
    for (const char* tail : {"/x", "q", "/\ts", "1", "/\xe4"}) EXPECT_EQ(kMinusOne, RunSaverWith(tail)) << tail;
}

TEST(Entry, PreviewWithoutAUsableParentEndsWithMinusOne) {
    HWND parent = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(parent);
    std::string handle = std::to_string(reinterpret_cast<UINT_PTR>(parent));
    for (std::string tail : {std::string("/p"), std::string("/p 0"), std::string("/p 4294967295"), "/p:" + handle, "/l:" + handle, "/p\t" + handle})
        EXPECT_EQ(kMinusOne, RunSaverWith(tail)) << tail;
    DestroyWindow(parent);
}

TEST(Entry, PasswordChangeOutsideThe9xFamilyEndsWithMinusOne) {
    EXPECT_EQ(kMinusOne, RunSaverWith("/a"));
    EXPECT_EQ(kMinusOne, RunSaverWith("-A 12345"));
}

}  // namespace
