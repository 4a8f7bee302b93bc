// Clip regions: what each window shows, recomputed only for the windows a
// change can affect (the parent, the changed window's subtree and the
// siblings below it), parents always before their children.
#include <cstdint>

#include "window/sswindow.h"

bool g_clipIncremental = true;

namespace {

void MarkSubtree(SSWindow* top) {
    for (SSWindow* x = top; x; x = SS_NextInSubtree(x, top, true))
        x->clipFresh = false;
}

// Copies `src` into `*dst`, creating the region when absent.
void Assign(SSRegion** dst, const SSRegion* src) {
    if (*dst)
        SS_CopyRegion(*dst, src);
    else
        *dst = SS_DupRegion(src);
}

} // namespace

void SS_ComputeClip(SSWindow* w) {
    if (!SS_Mapped(w)) return;
    Assign(&w->clipWithChildren, SS_BaseRegion(w));
    SSRegion* with = w->clipWithChildren;

    if (w->parent && w->parent == g_rootWindow && !(w->flags & WIN_DESKTOP)) {
        SSRegion* area = SS_RectRegion(g_desktopArea);
        SS_IntersectRegion(with, area);
        SS_FreeRegion(area);
    }
    if (w->parent) {
        // A parent that was never computed (never mapped) shows nothing.
        if (w->parent->clipWithChildren)
            SS_IntersectRegion(with, w->parent->clipWithChildren);
        else
            SS_EmptyRegion(with);
    }
    for (SSWindow* s = w->prevSibling; s && !SS_RegionEmpty(with); s = s->prevSibling)
        if (SS_Mapped(s)) SS_SubtractRegion(with, SS_BaseRegion(s));

    // The same region less the mapped children.
    Assign(&w->clipWithoutChildren, with);
    SSRegion* without = w->clipWithoutChildren;
    for (SSWindow* c = w->firstChild; c && !SS_RegionEmpty(without); c = c->nextSibling)
        if (SS_Mapped(c)) SS_SubtractRegion(without, SS_BaseRegion(c));
    w->clipFresh = true;
}

void SS_UpdateClipsFrom(SSWindow* w) {
    if (!w || !w->parent) return;
    SSWindow* parent = w->parent;
    SS_ComputeClip(parent);
    // Pre-order from w through its subtree and the siblings below it; only
    // mapped windows' children are entered.
    for (SSWindow* x = w; x; x = SS_NextInSubtree(x, parent, SS_Mapped(x)))
        SS_ComputeClip(x);
}

void SS_MarkClipsStale(SSWindow* w) {
    if (w->parent) w->parent->clipFresh = false;
    MarkSubtree(w);
    for (SSWindow* s = w->nextSibling; s; s = s->nextSibling)
        MarkSubtree(s);
}

void SS_MarkAllClipsStale() {
    if (g_rootWindow) MarkSubtree(g_rootWindow);
}

namespace {

// True when every clip that SS_UpdateClipsFrom(w) would redo, apart from w's
// own subtree, is known to be what it would give again.
bool LevelFresh(SSWindow* w) {
    SSWindow* p = w->parent;
    bool fresh = g_clipIncremental && SS_Viewable(p) && p->clipFresh;
    for (SSWindow* x = p->firstChild; x && fresh;) {
        if (x == w || !SS_Mapped(x)) {
            x = SS_NextInSubtree(x, p, false);
            continue;
        }
        fresh = x->clipFresh;
        x = SS_NextInSubtree(x, p, true);
    }
    return fresh;
}

// The siblings from `first` down to `last` (null: to the bottom) now lie
// under the mapped window w: they lose w's base region, and so do their
// descendants, whose clips lie within theirs.
void TakeBaseFrom(const SSWindow* w, SSWindow* first, const SSWindow* last) {
    const SSRegion* base = SS_BaseRegion(w);
    if (SS_RegionEmpty(base)) return;
    for (SSWindow* s = first; s; s = s->nextSibling) {
        for (SSWindow* x = s; x;) {
            bool touched =
                SS_Mapped(x) && x->clipWithChildren && SS_BoxesOverlap(x->clipWithChildren->extents, base->extents);
            if (touched) {
                SS_SubtractRegion(x->clipWithChildren, base);
                SS_SubtractRegion(x->clipWithoutChildren, base);
            }
            x = SS_NextInSubtree(x, s, touched);
        }
        if (s == last) break;
    }
}

void ComputeSubtree(SSWindow* w) {
    for (SSWindow* x = w; x; x = SS_NextInSubtree(x, w, SS_Mapped(x)))
        SS_ComputeClip(x);
}

} // namespace

void SS_UpdateClipsAfterRaise(SSWindow* w, SSWindow* lastPassed) {
    if (!w->parent) return;
    if (!LevelFresh(w)) {
        SS_UpdateClipsFrom(w);
        return;
    }
    // Only the windows w passed change; the others keep their clips.
    if (SS_Mapped(w) && lastPassed) TakeBaseFrom(w, w->nextSibling, lastPassed);
    ComputeSubtree(w);
}

void SS_UpdateClipsAfterMap(SSWindow* w) {
    SSWindow* p = w->parent;
    if (!p) return;
    if (!SS_Mapped(w) || !LevelFresh(w)) {
        SS_UpdateClipsFrom(w);
        return;
    }
    // The parent shows less of itself, the siblings below lose w's base,
    // the siblings above do not change.
    const SSRegion* base = SS_BaseRegion(w);
    if (p->clipWithoutChildren && !SS_RegionEmpty(base)) SS_SubtractRegion(p->clipWithoutChildren, base);
    TakeBaseFrom(w, w->nextSibling, nullptr);
    ComputeSubtree(w);
}

SSRegion* SS_ClipToWindow(SSWindow* w, SSRect rect) {
    if (!w || !w->clipWithoutChildren || !SS_Viewable(w)) return nullptr;
    if (rect.width < 1 || rect.height < 1) return nullptr;
    // Absolute coordinates, kept inside 32 bits whatever the client asked.
    auto clamp = [](int64_t v) { return int32_t(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v); };
    int64_t x1 = int64_t(w->d.x) + rect.x, y1 = int64_t(w->d.y) + rect.y;
    SSRegion* r = SS_BoxRegion(SSBox{clamp(x1), clamp(y1), clamp(x1 + rect.width), clamp(y1 + rect.height)});
    SS_IntersectRegion(r, w->clipWithoutChildren);
    if (SS_RegionEmpty(r)) {
        SS_FreeRegion(r);
        return nullptr;
    }
    return r;
}
