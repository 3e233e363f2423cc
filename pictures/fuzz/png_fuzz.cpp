// libFuzzer target: the PNG reader, through the saver's entry.
#include <cstdlib>

#include "picture_fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    if (!StartsLikeFormat("*.png", bytes, size)) return -1;  // another reader's: not kept in the corpus
    if (!ReadPictureLikeTheSaver(bytes, size)) std::abort();
    return 0;
}
