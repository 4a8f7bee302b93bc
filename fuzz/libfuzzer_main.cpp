// The libFuzzer entry of a fuzz binary: each binary links exactly one target.
#include "fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzz::Targets().front().entry(data, size);
}
