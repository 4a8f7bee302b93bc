// Clip regions: what each window shows, recomputed only for the windows a
// change can affect (the parent, the changed window's subtree and the
// siblings below it), parents always before their children.
#include <cstdint>

#include "window/sswindow.h"

namespace {

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
}

void SS_UpdateClipsFrom(SSWindow* w) {
    if (!w || !w->parent) return;
    SSWindow* parent = w->parent;
    SS_ComputeClip(parent);
    // Pre-order from w through its subtree and the siblings below it; only
    // mapped windows' children are entered. No recursion: trees can be deep.
    for (SSWindow* x = w; x;) {
        SS_ComputeClip(x);
        if (SS_Mapped(x) && x->firstChild) {
            x = x->firstChild;
            continue;
        }
        while (x != parent && !x->nextSibling)
            x = x->parent;
        x = (x == parent) ? nullptr : x->nextSibling;
    }
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
