// The libFuzzer entry; VARDEL_FUZZ_TARGET names the reader (FuzzBmp, ...).
#include "fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vardel::fuzz::VARDEL_FUZZ_TARGET(data, size);
    return 0;
}
