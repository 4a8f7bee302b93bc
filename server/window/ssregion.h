// Regions: sets of pixels stored as y-x banded lists of rectangles.
//
// Invariant (the banded form), kept by every operation:
//  - boxes are sorted by y1, then by x1;
//  - boxes with the same y1 form a band and all share the same y2;
//  - within a band, boxes neither overlap nor touch (touching spans are one box);
//  - bands do not overlap vertically;
//  - two bands that touch vertically never have the same sequence of x spans
//    (such bands are coalesced into one).
// So equal pixel sets always have identical box lists. Builds without NDEBUG
// verify the invariant after every operation that builds boxes.
//
// Regions are created and freed explicitly; intersect, subtract, union and
// xor work in place on their first operand, which may also be the second.
#pragma once

#include <cstdint>

// One rectangle: x1, y1 inclusive, x2, y2 exclusive.
struct SSBox {
    int32_t x1, y1, x2, y2;
};

// True when the two boxes share at least one pixel.
inline bool SS_BoxesOverlap(const SSBox& a, const SSBox& b) {
    return a.x1 < b.x2 && b.x1 < a.x2 && a.y1 < b.y2 && b.y1 < a.y2;
}

// A rectangle in the form requests carry it; empty when width or height < 1.
struct SSRect {
    int32_t x, y, width, height;
};

struct SSRegion {
    int32_t size;  // boxes the array can hold, at least 1
    int32_t count; // boxes in use, 0 = empty
    SSBox* boxes;  // owned
    SSBox extents; // bounding box, all zero when empty
};

// A new empty region (an array of one box).
SSRegion* SS_CreateRegion();
// A new region of one box, or empty when width or height < 1.
SSRegion* SS_RectRegion(SSRect rect);
// A new region of one box from box coordinates, or empty when x2 <= x1 or y2 <= y1.
SSRegion* SS_BoxRegion(SSBox box);
// A new region equal to r.
SSRegion* SS_DupRegion(const SSRegion* r);
// dst := src (dst's array grows when too small); a no-op when dst == src.
void SS_CopyRegion(SSRegion* dst, const SSRegion* src);
// Releases the array and the record; null is allowed.
void SS_FreeRegion(SSRegion* r);
// Makes r empty (keeps its record, shrinks its array to one box).
void SS_EmptyRegion(SSRegion* r);

void SS_IntersectRegion(SSRegion* a, const SSRegion* b); // a := a & b
void SS_SubtractRegion(SSRegion* a, const SSRegion* b);  // a := a - b
void SS_UnionRegion(SSRegion* a, const SSRegion* b);     // a := a | b
void SS_UnionRect(SSRegion* a, SSRect rect);             // a := a | rect (empty rect: unchanged)
void SS_XorRegion(SSRegion* a, const SSRegion* b);       // a := (a - b) | (b - a)

// Moves every box and the extents; coordinates saturate at the int32 range
// rather than wrap.
void SS_OffsetRegion(SSRegion* r, int32_t dx, int32_t dy);

bool SS_PointInRegion(const SSRegion* r, int32_t x, int32_t y);
inline bool SS_RegionEmpty(const SSRegion* r) { return r->count == 0; }
// True when both hold the same pixels (equal box lists, thanks to the invariant).
bool SS_RegionsEqual(const SSRegion* a, const SSRegion* b);

// The region of the set bits of a 1-bit mask: `h` rows of `bytesPerRow`
// bytes, `w` pixels a row (at most 8 x bytesPerRow are read), bit 0 of each
// byte the leftmost of its eight pixels. Each horizontal run of set bits is a
// one-pixel-high box of the result. Empty when a size is not positive or
// `bits` is null. The caller frees the result.
SSRegion* SS_MaskToRegion(const uint8_t* bits, int32_t w, int32_t h, int32_t bytesPerRow);

// Checks the banded invariant, the extents and size >= count; on failure
// writes the reason into `why` (when not null) and returns false.
bool SS_RegionValid(const SSRegion* r, const char** why = nullptr);
