// Exposure: which windows are told to repaint (Draw events) after a window
// is mapped, unmapped, raised, moved or resized.
#include "core/server.h"
#include "protocol/protocol.h"
#include "render/apollo.h"
#include "window/sswindow.h"

namespace {

bool HasArea(const SSRegion* r) { return r && !SS_RegionEmpty(r); }

// Visits `s` and its descendants in pre-order, mapped windows only, sending
// each its own visible part; children only of windows that show something.
void VisibleWalk(SSWindow* s) {
    if (!SS_Mapped(s)) return;
    for (SSWindow* x = s; x;) {
        if (SS_Mapped(x)) {
            SS_SendDraw(x, x->clipWithoutChildren);
            x = SS_NextInSubtree(x, s, HasArea(x->clipWithChildren));
        } else {
            x = SS_NextInSubtree(x, s, false);
        }
    }
}

void SendPart(SSWindow* x, const SSRegion* r, SSRegion* scratch) {
    if (!HasArea(x->clipWithoutChildren)) return;
    SS_CopyRegion(scratch, r);
    SS_IntersectRegion(scratch, x->clipWithoutChildren);
    SS_SendDraw(x, scratch);
}

// Sends R's share to `p` and to every mapped window below it (children
// entered when their clip with children shows something), leaving out
// `skip` and its subtree.
void ExposeUnder(SSWindow* p, const SSRegion* r, SSWindow* skip) {
    if (!HasArea(p->clipWithChildren)) return;
    SSRegion* scratch = SS_CreateRegion();
    SendPart(p, r, scratch);
    for (SSWindow* x = p->firstChild; x;) {
        if (x == skip || !SS_Mapped(x)) {
            x = SS_NextInSubtree(x, p, false);
            continue;
        }
        SendPart(x, r, scratch);
        x = SS_NextInSubtree(x, p, HasArea(x->clipWithChildren));
    }
    SS_FreeRegion(scratch);
}

} // namespace

void SS_SendDraw(SSWindow* w, const SSRegion* r) {
    if (!w || !HasArea(r)) return;
    if (w->flags & WIN_WIDGET) {
        if (w->owner) {
            uint32_t length = proto::BuildWindowEvent(g_sendBuffer, proto::EV_Draw, w->d.id);
            SS_Send(w->owner, g_sendBuffer, length);
        }
    } else {
        SS_SetCopyInProgress(false);
    }
    if (g_refreshFileValue == 0) MarkDirty(0, 0, 800, 600);
}

void SS_ExposeChange(SSWindow* w, const SSRegion* r, SSExposeMode mode) {
    if (!w || !HasArea(r)) return;
    switch (mode) {
    case EXPOSE_MAP: VisibleWalk(w); break;
    case EXPOSE_UNMAP:
        if (w->parent) ExposeUnder(w->parent, r, nullptr);
        break;
    case EXPOSE_RESIZE:
    case EXPOSE_MOVE:
    case EXPOSE_MOVE_RESIZE:
        VisibleWalk(w);
        if (w->parent) ExposeUnder(w->parent, r, w);
        break;
    }
}

void SS_ExposeAll(SSWindow* s) {
    if (s) VisibleWalk(s);
}
