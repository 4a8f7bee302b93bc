// The bit map that hands out timer identifiers. Identifiers are 1 + the index
// of their bit. One bit is always reserved ahead of the caller: a request
// returns the bit reserved by the previous request and then reserves the next
// free one, so an identifier that was just freed is not handed out again at
// once unless it is the nearest free one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace gui {

class TimeoutIdMap {
public:
    static constexpr int kInitialIds = 1024; // 128 bytes
    static constexpr int kGrowIds = 32;      // grown whenever fewer than this are free

    TimeoutIdMap();

    // The next identifier (>= 1). Returns 0 only when no bit can be reserved
    // (the map could not grow); the caller decides what to do then.
    int Get();
    // Releases an identifier. Identifiers out of range, not in use, or the one
    // reserved ahead (never handed out) are ignored. Returns 0 when released.
    int Free(int id);

    bool InUse(int id) const;
    int Capacity() const { return int(bits_.size()) * 8; }
    int CountInUse() const { return inUse_; }
    // Index of the bit reserved ahead, or -1 before the first request.
    int ReservedBit() const { return reserved_; }
    // Where the search that last failed started (0 or the lowered identifier).
    int LastFailedSearchStart() const { return failedFrom_; }

private:
    bool Test(int bit) const { return (bits_[size_t(bit) >> 3] >> (bit & 7)) & 1; }
    void Set(int bit) { bits_[size_t(bit) >> 3] |= uint8_t(1u << (bit & 7)); }
    void Clear(int bit) { bits_[size_t(bit) >> 3] &= uint8_t(~(1u << (bit & 7))); }
    // First clear bit in [from, to), or -1.
    int FindClear(int from, int to) const;
    // Reserves a free bit searching from `from` to the end, then from 0;
    // returns its index or -1.
    int Reserve(int from);

    std::vector<uint8_t> bits_;
    int inUse_ = 0;
    int reserved_ = -1;
    int failedFrom_ = -1;
};

} // namespace gui
