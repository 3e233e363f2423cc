#include "core/random.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(Random, FollowsTheCRuntimeSequenceFromSeedOne) {
    // The first values of the C runtime's rand() without srand, and after srand(1).
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
    std::thread fresh([&] {
        for (int value : expected) EXPECT_EQ(value, Rand());
    });
    fresh.join();
    SRand(1);
    for (int value : expected) EXPECT_EQ(value, Rand());
}

}  // namespace
