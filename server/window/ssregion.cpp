// Banded region algebra. Intersect, subtract and union share one sweep: both
// operands are walked band by band from the top; a vertical interval covered
// by one operand only runs that operand's non-overlap step (copy or drop its
// spans), an interval covered by both runs the operation's overlap step on
// the two bands' x spans. Each band produced is coalesced with the band above
// it at once, so the result is in banded form without a second pass.
#include "window/ssregion.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

SSBox* AllocBoxes(int32_t n) {
    void* p = malloc(sizeof(SSBox) * size_t(n));
    if (!p) {
        fprintf(stderr, "winserver: out of memory for %d region boxes\n", n);
        abort();
    }
    return static_cast<SSBox*>(p);
}

SSBox* ReallocBoxes(SSBox* boxes, int32_t n) {
    void* p = realloc(boxes, sizeof(SSBox) * size_t(n));
    if (!p) {
        fprintf(stderr, "winserver: out of memory for %d region boxes\n", n);
        abort();
    }
    return static_cast<SSBox*>(p);
}

int32_t Clamp32(int64_t v) { return v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : int32_t(v); }

const SSBox kNoBox = {0, 0, 0, 0};

#ifndef NDEBUG
void CheckRegion(const SSRegion* r, const char* op) {
    const char* why = nullptr;
    if (!SS_RegionValid(r, &why)) {
        fprintf(stderr, "winserver: region broken after %s: %s\n", op, why);
        abort();
    }
}
#else
inline void CheckRegion(const SSRegion*, const char*) {}
#endif

// A reusable array in which sweeps build their result before it is copied
// into the operand: most results fit the operand's own array, so the hot path
// of clip computation allocates nothing.
struct Scratch {
    SSBox* boxes = nullptr;
    int32_t size = 0;
    ~Scratch() { free(boxes); }
};
thread_local Scratch t_scratch;

// The box array being built by a sweep, with the start of the last band
// produced (for coalescing).
struct Builder {
    SSBox* boxes;
    int32_t size;
    int32_t count;
    int32_t lastBand; // index of the first box of the last band, -1 before any
    Scratch* scratch; // the array's owner when it is the scratch array

    // A fresh array of its own (mask conversion).
    explicit Builder(int32_t initial)
        : boxes(AllocBoxes(initial)), size(initial), count(0), lastBand(-1), scratch(nullptr) {}
    // The scratch array, grown to at least `initial` boxes.
    Builder(Scratch* s, int32_t initial) : count(0), lastBand(-1), scratch(s) {
        if (s->size < initial) {
            s->boxes = ReallocBoxes(s->boxes, initial);
            s->size = initial;
        }
        boxes = s->boxes;
        size = s->size;
    }

    void Add(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
        boxes[count++] = SSBox{x1, y1, x2, y2};
        if (count >= size - 1) {
            size *= 2;
            boxes = ReallocBoxes(boxes, size);
            if (scratch) {
                scratch->boxes = boxes;
                scratch->size = size;
            }
        }
    }

    // The boxes from `bandStart` on are one complete band: merge it into the
    // band above when that band touches it and has the same spans.
    void EndBand(int32_t bandStart) {
        if (count == bandStart) return; // nothing produced
        if (lastBand >= 0) {
            int32_t prevLen = bandStart - lastBand;
            int32_t curLen = count - bandStart;
            SSBox* prev = boxes + lastBand;
            SSBox* cur = boxes + bandStart;
            if (prevLen == curLen && prev[0].y2 == cur[0].y1) {
                bool same = true;
                for (int32_t i = 0; i < curLen && same; ++i)
                    same = prev[i].x1 == cur[i].x1 && prev[i].x2 == cur[i].x2;
                if (same) {
                    for (int32_t i = 0; i < prevLen; ++i)
                        prev[i].y2 = cur[i].y2;
                    count = bandStart;
                    return;
                }
            }
        }
        lastBand = bandStart;
    }

    // Hands an array of its own to `r`, shrinking it when more than half is
    // unused.
    void Finish(SSRegion* r) {
        if (count < size / 2) {
            if (count > 0) {
                boxes = ReallocBoxes(boxes, count);
                size = count;
            } else {
                free(boxes);
                boxes = AllocBoxes(1);
                size = 1;
            }
        }
        free(r->boxes);
        r->boxes = boxes;
        r->size = size;
        r->count = count;
        boxes = nullptr;
    }

    // Copies the scratch result into `r`'s array, which is replaced only
    // when too small or more than half unused (an empty result keeps one box).
    void FinishCopy(SSRegion* r) {
        if (count > r->size || count < r->size / 2) {
            int32_t want = count > 0 ? count : 1;
            free(r->boxes);
            r->boxes = AllocBoxes(want);
            r->size = want;
        }
        if (count) memcpy(r->boxes, boxes, sizeof(SSBox) * size_t(count));
        r->count = count;
    }
};

int32_t BandEnd(const SSBox* b, int32_t i, int32_t n) {
    int32_t y1 = b[i].y1;
    while (i < n && b[i].y1 == y1)
        ++i;
    return i;
}

// Copies the spans of one band limited to rows [top, bot).
void CopySpans(Builder& out, const SSBox* b, int32_t from, int32_t to, int32_t top, int32_t bot) {
    for (int32_t i = from; i < to; ++i)
        out.Add(b[i].x1, top, b[i].x2, bot);
}

void OverlapIntersect(Builder& out, const SSBox* a, int32_t ai, int32_t ae, const SSBox* b, int32_t bi, int32_t be,
                      int32_t top, int32_t bot) {
    while (ai < ae && bi < be) {
        int32_t x1 = std::max(a[ai].x1, b[bi].x1);
        int32_t x2 = std::min(a[ai].x2, b[bi].x2);
        if (x1 < x2) out.Add(x1, top, x2, bot);
        if (a[ai].x2 < b[bi].x2)
            ++ai;
        else if (b[bi].x2 < a[ai].x2)
            ++bi;
        else {
            ++ai;
            ++bi;
        }
    }
}

void OverlapUnion(Builder& out, const SSBox* a, int32_t ai, int32_t ae, const SSBox* b, int32_t bi, int32_t be,
                  int32_t top, int32_t bot) {
    bool open = false;
    int32_t cx1 = 0, cx2 = 0;
    while (ai < ae || bi < be) {
        const SSBox* next;
        if (bi >= be || (ai < ae && a[ai].x1 <= b[bi].x1))
            next = &a[ai++];
        else
            next = &b[bi++];
        if (open && next->x1 <= cx2) { // overlapping or touching: extend
            cx2 = std::max(cx2, next->x2);
        } else {
            if (open) out.Add(cx1, top, cx2, bot);
            cx1 = next->x1;
            cx2 = next->x2;
            open = true;
        }
    }
    if (open) out.Add(cx1, top, cx2, bot);
}

void OverlapSubtract(Builder& out, const SSBox* a, int32_t ai, int32_t ae, const SSBox* b, int32_t bi, int32_t be,
                     int32_t top, int32_t bot) {
    for (; ai < ae; ++ai) {
        int32_t left = a[ai].x1, right = a[ai].x2;
        while (bi < be && b[bi].x2 <= left)
            ++bi; // spans wholly left of this one
        for (int32_t k = bi; left < right && k < be && b[k].x1 < right; ++k) {
            if (b[k].x1 > left) out.Add(left, top, b[k].x1, bot);
            left = std::max(left, b[k].x2);
        }
        if (left < right) out.Add(left, top, right, bot);
    }
}

enum class Op { Intersect, Subtract, Union };

void ExtentsFromBoxes(SSRegion* r) {
    if (r->count == 0) {
        r->extents = kNoBox;
        return;
    }
    SSBox e = {r->boxes[0].x1, r->boxes[0].y1, r->boxes[0].x2, r->boxes[r->count - 1].y2};
    for (int32_t i = 1; i < r->count; ++i) {
        e.x1 = std::min(e.x1, r->boxes[i].x1);
        e.x2 = std::max(e.x2, r->boxes[i].x2);
    }
    r->extents = e;
}

// The shared sweep; both operands are non-empty. `b` may be `a`.
void RegionOp(SSRegion* a, const SSRegion* b, Op op) {
    const SSBox* ab = a->boxes;
    const int32_t na = a->count;
    const SSBox* bb = b->boxes;
    const int32_t nb = b->count;
    const SSBox aExt = a->extents, bExt = b->extents;
    const bool keepA = op != Op::Intersect;
    const bool keepB = op == Op::Union;

    Builder out(&t_scratch, 2 * std::max(na, nb));
    int32_t ia = 0, ib = 0;
    int32_t y = std::min(ab[0].y1, bb[0].y1); // rows above y are done

    while (ia < na && ib < nb) {
        const int32_t aEnd = BandEnd(ab, ia, na), bEnd = BandEnd(bb, ib, nb);
        const int32_t aTop = std::max(ab[ia].y1, y), bTop = std::max(bb[ib].y1, y);
        const int32_t aBot = ab[ia].y2, bBot = bb[ib].y2;
        const int32_t bandStart = out.count;
        if (aTop < bTop) { // only a here
            int32_t bot = std::min(aBot, bTop);
            if (keepA) CopySpans(out, ab, ia, aEnd, aTop, bot);
            y = bot;
        } else if (bTop < aTop) { // only b here
            int32_t bot = std::min(bBot, aTop);
            if (keepB) CopySpans(out, bb, ib, bEnd, bTop, bot);
            y = bot;
        } else {
            int32_t bot = std::min(aBot, bBot);
            switch (op) {
            case Op::Intersect: OverlapIntersect(out, ab, ia, aEnd, bb, ib, bEnd, aTop, bot); break;
            case Op::Subtract: OverlapSubtract(out, ab, ia, aEnd, bb, ib, bEnd, aTop, bot); break;
            case Op::Union: OverlapUnion(out, ab, ia, aEnd, bb, ib, bEnd, aTop, bot); break;
            }
            y = bot;
        }
        out.EndBand(bandStart);
        if (aBot <= y) ia = aEnd;
        if (bBot <= y) ib = bEnd;
    }
    // What is left of one operand lies below everything of the other.
    if (keepA) {
        while (ia < na) {
            const int32_t aEnd = BandEnd(ab, ia, na);
            const int32_t bandStart = out.count;
            CopySpans(out, ab, ia, aEnd, std::max(ab[ia].y1, y), ab[ia].y2);
            out.EndBand(bandStart);
            ia = aEnd;
        }
    }
    if (keepB) {
        while (ib < nb) {
            const int32_t bEnd = BandEnd(bb, ib, nb);
            const int32_t bandStart = out.count;
            CopySpans(out, bb, ib, bEnd, std::max(bb[ib].y1, y), bb[ib].y2);
            out.EndBand(bandStart);
            ib = bEnd;
        }
    }

    out.FinishCopy(a); // `b` may share a's array: it is read no more
    if (op == Op::Union) {
        a->extents = SSBox{std::min(aExt.x1, bExt.x1), std::min(aExt.y1, bExt.y1), std::max(aExt.x2, bExt.x2),
                           std::max(aExt.y2, bExt.y2)};
    } else {
        ExtentsFromBoxes(a);
    }
}

bool BoxContains(const SSBox& outer, const SSBox& inner) {
    return outer.x1 <= inner.x1 && outer.y1 <= inner.y1 && outer.x2 >= inner.x2 && outer.y2 >= inner.y2;
}

void MakeEmpty(SSRegion* r) {
    r->count = 0;
    r->extents = kNoBox;
}

} // namespace

SSRegion* SS_CreateRegion() {
    SSRegion* r = static_cast<SSRegion*>(malloc(sizeof(SSRegion)));
    if (!r) {
        fprintf(stderr, "winserver: out of memory for a region\n");
        abort();
    }
    r->size = 1;
    r->count = 0;
    r->boxes = AllocBoxes(1);
    r->extents = kNoBox;
    return r;
}

SSRegion* SS_BoxRegion(SSBox box) {
    SSRegion* r = SS_CreateRegion();
    if (box.x2 > box.x1 && box.y2 > box.y1) {
        r->boxes[0] = box;
        r->count = 1;
        r->extents = box;
    }
    return r;
}

SSRegion* SS_RectRegion(SSRect rect) {
    if (rect.width < 1 || rect.height < 1) return SS_CreateRegion();
    return SS_BoxRegion(
        SSBox{rect.x, rect.y, Clamp32(int64_t(rect.x) + rect.width), Clamp32(int64_t(rect.y) + rect.height)});
}

SSRegion* SS_DupRegion(const SSRegion* src) {
    SSRegion* r = static_cast<SSRegion*>(malloc(sizeof(SSRegion)));
    if (!r) {
        fprintf(stderr, "winserver: out of memory for a region\n");
        abort();
    }
    r->size = std::max(src->count, 1);
    r->count = src->count;
    r->boxes = AllocBoxes(r->size);
    if (src->count) memcpy(r->boxes, src->boxes, sizeof(SSBox) * size_t(src->count));
    r->extents = src->extents;
    return r;
}

void SS_CopyRegion(SSRegion* dst, const SSRegion* src) {
    if (dst == src) return;
    if (dst->size < src->count) {
        dst->boxes = ReallocBoxes(dst->boxes, src->count);
        dst->size = src->count;
    }
    if (src->count) memcpy(dst->boxes, src->boxes, sizeof(SSBox) * size_t(src->count));
    dst->count = src->count;
    dst->extents = src->extents;
}

void SS_FreeRegion(SSRegion* r) {
    if (!r) return;
    free(r->boxes);
    free(r);
}

void SS_EmptyRegion(SSRegion* r) {
    if (r->size > 1) {
        free(r->boxes);
        r->boxes = AllocBoxes(1);
        r->size = 1;
    }
    MakeEmpty(r);
}

void SS_IntersectRegion(SSRegion* a, const SSRegion* b) {
    if (a->count == 0 || b->count == 0 || !SS_BoxesOverlap(a->extents, b->extents)) {
        MakeEmpty(a);
        return;
    }
    if (a == b || (b->count == 1 && BoxContains(b->extents, a->extents))) return;
    if (a->count == 1 && BoxContains(a->extents, b->extents)) {
        SS_CopyRegion(a, b);
        return;
    }
    RegionOp(a, b, Op::Intersect);
    CheckRegion(a, "intersect");
}

void SS_SubtractRegion(SSRegion* a, const SSRegion* b) {
    if (a->count == 0 || b->count == 0 || !SS_BoxesOverlap(a->extents, b->extents)) return;
    if (b->count == 1 && BoxContains(b->extents, a->extents)) {
        MakeEmpty(a);
        return;
    }
    RegionOp(a, b, Op::Subtract);
    CheckRegion(a, "subtract");
}

void SS_UnionRegion(SSRegion* a, const SSRegion* b) {
    if (b->count == 0 || a == b) return;
    if (a->count == 0 || (b->count == 1 && BoxContains(b->extents, a->extents))) {
        SS_CopyRegion(a, b);
        return;
    }
    if (a->count == 1 && BoxContains(a->extents, b->extents)) return;
    RegionOp(a, b, Op::Union);
    CheckRegion(a, "union");
}

void SS_UnionRect(SSRegion* a, SSRect rect) {
    if (rect.width < 1 || rect.height < 1) return;
    SSBox box = {rect.x, rect.y, Clamp32(int64_t(rect.x) + rect.width), Clamp32(int64_t(rect.y) + rect.height)};
    if (box.x2 <= box.x1 || box.y2 <= box.y1) return;
    SSRegion one = {1, 1, &box, box};
    SS_UnionRegion(a, &one);
}

void SS_XorRegion(SSRegion* a, const SSRegion* b) {
    if (a == b) {
        MakeEmpty(a);
        return;
    }
    SSRegion* aOnly = SS_DupRegion(a);
    SS_SubtractRegion(aOnly, b);
    SSRegion* bOnly = SS_DupRegion(b);
    SS_SubtractRegion(bOnly, a);
    SS_UnionRegion(aOnly, bOnly);
    std::swap(*a, *aOnly); // a takes the result, aOnly the old boxes
    SS_FreeRegion(aOnly);
    SS_FreeRegion(bOnly);
}

void SS_OffsetRegion(SSRegion* r, int32_t dx, int32_t dy) {
    if (r->count == 0 || (dx == 0 && dy == 0)) return;
    bool saturated = false;
    auto move = [&saturated](int32_t v, int32_t d) {
        int64_t wide = int64_t(v) + d;
        int32_t clamped = Clamp32(wide);
        saturated |= clamped != wide;
        return clamped;
    };
    for (int32_t i = 0; i < r->count; ++i) {
        SSBox& b = r->boxes[i];
        b = SSBox{move(b.x1, dx), move(b.y1, dy), move(b.x2, dx), move(b.y2, dy)};
    }
    const SSBox e = r->extents;
    r->extents = SSBox{move(e.x1, dx), move(e.y1, dy), move(e.x2, dx), move(e.y2, dy)};
    if (!saturated) return;
    // Only absurd client coordinates reach the edge of the range; boxes may
    // have been flattened there, so rebuild the region from what is left.
    SSRegion* rebuilt = SS_CreateRegion();
    for (int32_t i = 0; i < r->count; ++i) {
        SSBox b = r->boxes[i];
        if (b.x1 >= b.x2 || b.y1 >= b.y2) continue;
        SSRegion one = {1, 1, &b, b};
        SS_UnionRegion(rebuilt, &one);
    }
    std::swap(*r, *rebuilt);
    SS_FreeRegion(rebuilt);
}

bool SS_PointInRegion(const SSRegion* r, int32_t x, int32_t y) {
    if (r->count == 0) return false;
    const SSBox& e = r->extents;
    if (x < e.x1 || x >= e.x2 || y < e.y1 || y >= e.y2) return false;
    for (int32_t i = 0; i < r->count; ++i) {
        const SSBox& b = r->boxes[i];
        if (b.y1 > y) break; // later bands are lower still
        if (y < b.y2 && x >= b.x1 && x < b.x2) return true;
    }
    return false;
}

bool SS_RegionsEqual(const SSRegion* a, const SSRegion* b) {
    if (a->count != b->count) return false;
    for (int32_t i = 0; i < a->count; ++i) {
        const SSBox &p = a->boxes[i], &q = b->boxes[i];
        if (p.x1 != q.x1 || p.y1 != q.y1 || p.x2 != q.x2 || p.y2 != q.y2) return false;
    }
    return true;
}

SSRegion* SS_MaskToRegion(const uint8_t* bits, int32_t w, int32_t h, int32_t bytesPerRow) {
    SSRegion* r = SS_CreateRegion();
    if (!bits || w <= 0 || h <= 0 || bytesPerRow <= 0) return r;
    const int32_t cols = int32_t(std::min<int64_t>(w, int64_t(bytesPerRow) * 8));
    auto bit = [](const uint8_t* line, int32_t x) { return (line[x >> 3] >> (x & 7)) & 1; };

    Builder out(1);
    for (int32_t row = 0; row < h; ++row) {
        const uint8_t* line = bits + size_t(row) * size_t(bytesPerRow);
        const int32_t bandStart = out.count;
        int32_t x = 0;
        while (x < cols) {
            if (!bit(line, x)) { // skip clear bits, a whole byte at a time when possible
                x += ((x & 7) == 0 && line[x >> 3] == 0) ? 8 : 1;
                continue;
            }
            const int32_t start = x;
            while (x < cols && bit(line, x))
                x += ((x & 7) == 0 && line[x >> 3] == 0xFF && x + 8 <= cols) ? 8 : 1;
            out.Add(start, row, std::min(x, cols), row + 1);
            x = std::min(x, cols);
        }
        out.EndBand(bandStart);
    }
    out.Finish(r);
    ExtentsFromBoxes(r);
    CheckRegion(r, "mask conversion");
    return r;
}

bool SS_RegionValid(const SSRegion* r, const char** why) {
    auto fail = [why](const char* reason) {
        if (why) *why = reason;
        return false;
    };
    if (!r) return fail("null region");
    if (r->size < 1) return fail("size below 1");
    if (r->count < 0 || r->count > r->size) return fail("count outside 0..size");
    if (!r->boxes) return fail("no box array");
    if (r->count == 0) {
        const SSBox& e = r->extents;
        if (e.x1 || e.y1 || e.x2 || e.y2) return fail("empty region with extents");
        return true;
    }
    const SSBox* b = r->boxes;
    int32_t prevStart = -1, prevEnd = -1;
    SSBox ext = {b[0].x1, b[0].y1, b[0].x2, b[r->count - 1].y2};
    for (int32_t s = 0; s < r->count;) {
        int32_t e = s;
        while (e < r->count && b[e].y1 == b[s].y1) {
            if (b[e].x1 >= b[e].x2 || b[e].y1 >= b[e].y2) return fail("box without area");
            if (b[e].y2 != b[s].y2) return fail("band with uneven bottoms");
            if (e > s && b[e - 1].x2 >= b[e].x1) return fail("boxes of a band overlap, touch or are unsorted");
            ext.x1 = std::min(ext.x1, b[e].x1);
            ext.x2 = std::max(ext.x2, b[e].x2);
            ++e;
        }
        if (prevStart >= 0) {
            if (b[s].y1 < b[prevStart].y2) return fail("bands overlap or are unsorted");
            if (b[s].y1 == b[prevStart].y2 && e - s == prevEnd - prevStart) {
                bool same = true;
                for (int32_t i = 0; i < e - s && same; ++i)
                    same = b[s + i].x1 == b[prevStart + i].x1 && b[s + i].x2 == b[prevStart + i].x2;
                if (same) return fail("touching bands with equal spans not coalesced");
            }
        }
        prevStart = s;
        prevEnd = e;
        s = e;
    }
    const SSBox& x = r->extents;
    if (x.x1 != ext.x1 || x.y1 != ext.y1 || x.x2 != ext.x2 || x.y2 != ext.y2) return fail("wrong extents");
    return true;
}
