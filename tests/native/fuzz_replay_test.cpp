// The fuzz targets' seeds (the sample pictures) and every input saved in
// fuzz/regressions, through the targets' own entry under the sanitizers:
// a fault the fuzzers once found stays found without clang or libFuzzer.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "picture_test_support.h"
#include "pictures/fuzz/picture_fuzz_entry.h"

namespace {

TEST(FuzzReplay, EverySeedAndSavedInputKeepsTheReadersWord) {
    size_t replayed = 0;
    for (const char* folder : {ZORV_SAMPLE_PICTURES, ZORV_FUZZ_REGRESSIONS}) {
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (!entry.is_regular_file()) continue;
            const std::vector<uint8_t> bytes = FileBytes(entry.path().string());
            EXPECT_TRUE(ReadPictureLikeTheSaver(bytes.data(), bytes.size())) << entry.path();
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 80u);  // the folders were found
}

}  // namespace
