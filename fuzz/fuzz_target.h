// Fuzz targets: each fuzz/<name>_fuzz.cpp defines one entry with
// EINK_FUZZ_TARGET(<name>). The same entry runs under libFuzzer (one binary
// per file, scripts/fuzz.sh) and in the ordinary test run, which replays
// every file of fuzz/corpus/<name>/ through it under the sanitizer build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace fuzz {

using Entry = int (*)(const uint8_t* data, size_t size);

struct Target {
    const char* name;
    Entry entry;
};

// Adds a target to the table; always true (used to run at static
// initialisation).
bool Register(const char* name, Entry entry);
// Every target linked into this program, in registration order.
const std::vector<Target>& Targets();

} // namespace fuzz

#define EINK_FUZZ_TARGET(name)                                                                                         \
    static int FuzzOne_##name(const uint8_t* data, size_t size);                                                       \
    [[maybe_unused]] static const bool kFuzzRegistered_##name = ::fuzz::Register(#name, FuzzOne_##name);               \
    static int FuzzOne_##name(const uint8_t* data, size_t size)
