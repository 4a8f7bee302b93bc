#include "runtime/timeout_ids.h"

namespace gui {

TimeoutIdMap::TimeoutIdMap() : bits_(kInitialIds / 8, 0) {}

int TimeoutIdMap::FindClear(int from, int to) const {
    for (int bit = from; bit < to; ++bit) {
        // Skip full bytes quickly; the map is mostly dense at its start.
        if ((bit & 7) == 0 && bit + 8 <= to && bits_[size_t(bit) >> 3] == 0xFF) {
            bit += 7;
            continue;
        }
        if (!Test(bit)) return bit;
    }
    return -1;
}

int TimeoutIdMap::Reserve(int from) {
    // Keep some room ahead so that a search practically never fails.
    if (Capacity() - inUse_ < kGrowIds) bits_.resize(bits_.size() + kGrowIds / 8, 0);
    if (from < 0 || from > Capacity()) from = 0;
    int bit = FindClear(from, Capacity());
    if (bit < 0 && from > 0) bit = FindClear(0, from);
    if (bit < 0) {
        failedFrom_ = from;
        return -1;
    }
    Set(bit);
    ++inUse_;
    return bit;
}

int TimeoutIdMap::Get() {
    if (reserved_ < 0) {
        reserved_ = Reserve(0);
        if (reserved_ < 0) return 0;
    }
    int id = reserved_ + 1;
    // The search for the next reservation starts at the returned identifier
    // lowered to a multiple of 8, so freed identifiers nearby come back soon.
    reserved_ = Reserve(id & ~7);
    if (reserved_ < 0) return 0;
    return id;
}

int TimeoutIdMap::Free(int id) {
    if (id < 1 || id > Capacity()) return -1;
    int bit = id - 1;
    if (!Test(bit) || bit == reserved_) return -1;
    Clear(bit);
    --inUse_;
    return 0;
}

bool TimeoutIdMap::InUse(int id) const { return id >= 1 && id <= Capacity() && Test(id - 1) && id - 1 != reserved_; }

} // namespace gui
