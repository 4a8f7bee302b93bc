#include "fuzz_target.h"

namespace fuzz {

namespace {

// A function-local table: targets register from static initialisers whose
// order against this file's is not fixed.
std::vector<Target>& Table() {
    static std::vector<Target> table;
    return table;
}

} // namespace

bool Register(const char* name, Entry entry) {
    Table().push_back(Target{name, entry});
    return true;
}

const std::vector<Target>& Targets() { return Table(); }

} // namespace fuzz
