// Window records, the window table, the root window and the operations that
// change the tree: creation, destruction, stacking, mapping, geometry and
// the per-window settings.
#include "window/sswindow.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "core/idtable.h"
#include "render/apollo.h"
#include "render/sspixmap.h"
#include "window/routing_state.h"

SSWindow* g_rootWindow = nullptr;
SSRect g_desktopArea = {0, 0, 0, 0};
bool g_repaintAll = true;

namespace {

// Coordinates and sizes from clients are limited to this magnitude, and
// absolute positions to kPositionLimit, so that sums of them (a box's far
// edge, a subtree moved many times) stay far inside 32 bits.
constexpr int64_t kCoordLimit = 1 << 24;
constexpr int64_t kPositionLimit = 1 << 26;

int32_t Limit(int64_t v, int64_t limit) { return int32_t(std::max(-limit, std::min(limit, v))); }
int32_t ClientCoord(int64_t v) { return Limit(v, kCoordLimit); }
int32_t Position(int64_t v) { return Limit(v, kPositionLimit); }

// ---- The window table ------------------------------------------------------

SSIdTable<SSWindow> s_windows;
int s_backPixmapUsers = 0; // windows whose background pixmap is set

void TableInsert(SSWindow* w) { s_windows.Insert(w->d.id, w); }

// Removes this window's own entry (another window may share its identifier).
void TableRemove(SSWindow* w) { s_windows.Remove(w->d.id, w); }

// ---- Links --------------------------------------------------------------------

void Unlink(SSWindow* w) {
    SSWindow* p = w->parent;
    if (!p) return;
    if (w->prevSibling)
        w->prevSibling->nextSibling = w->nextSibling;
    else if (p->firstChild == w)
        p->firstChild = w->nextSibling;
    if (w->nextSibling)
        w->nextSibling->prevSibling = w->prevSibling;
    else if (p->lastChild == w)
        p->lastChild = w->prevSibling;
    w->prevSibling = w->nextSibling = nullptr;
}

void LinkFirst(SSWindow* w) {
    SSWindow* p = w->parent;
    w->prevSibling = nullptr;
    w->nextSibling = p->firstChild;
    if (p->firstChild) p->firstChild->prevSibling = w;
    p->firstChild = w;
    if (!p->lastChild) p->lastChild = w;
}

// Links `w` (unlinked) directly above its sibling `below`.
void LinkAbove(SSWindow* w, SSWindow* below) {
    SSWindow* p = w->parent;
    w->nextSibling = below;
    w->prevSibling = below->prevSibling;
    if (below->prevSibling)
        below->prevSibling->nextSibling = w;
    else
        p->firstChild = w;
    below->prevSibling = w;
}

void RebuildFrame(SSWindow* w) {
    SSRegion* frame = SS_RectRegion(SSRect{w->d.x, w->d.y, w->d.width, w->d.height});
    SS_FreeRegion(w->frame);
    w->frame = frame;
}

// Moves the window and all its descendants by (dx, dy) in absolute terms,
// rebuilding frames and offsetting shapes; relative positions stay.
void MoveSubtree(SSWindow* w, int32_t dx, int32_t dy) {
    for (SSWindow* x = w; x; x = SS_NextInSubtree(x, w, true)) {
        x->d.x = Position(int64_t(x->d.x) + dx);
        x->d.y = Position(int64_t(x->d.y) + dy);
        RebuildFrame(x);
        if (x->shape) SS_OffsetRegion(x->shape, dx, dy);
    }
}

// Both directions of the transient relation are cut, whatever the flags, so
// that no list or owner pointer outlives a window.
void DetachTransients(SSWindow* w) {
    for (SSWindow* t : w->transients)
        t->transientOwner = nullptr;
    w->transients.clear();
    w->transients.shrink_to_fit();
    if (SSWindow* owner = w->transientOwner) {
        auto& list = owner->transients;
        list.erase(std::remove(list.begin(), list.end(), w), list.end());
        w->transientOwner = nullptr;
    }
}

void SetBackPixmapField(SSWindow* w, SSPixmap* p) {
    if (w->backPixmap) --s_backPixmapUsers;
    w->backPixmap = p;
    if (p) ++s_backPixmapUsers;
}

// Frees the record; the window is already unlinked, forgotten and out of the
// table.
void Release(SSWindow* w) {
    SetBackPixmapField(w, nullptr);
    SS_FreeRegion(w->clipWithChildren);
    SS_FreeRegion(w->clipWithoutChildren);
    SS_FreeRegion(w->frame);
    SS_FreeRegion(w->shape);
    delete w;
}

// Forgotten by the routing state, out of the transient lists and the table,
// then freed. Every window that goes away passes here.
void Discard(SSWindow* w) {
    SS_ForgetWindow(w);
    DetachTransients(w);
    TableRemove(w);
    Release(w);
}

// Destroys every descendant of `w`, deepest first.
void DestroyDescendants(SSWindow* w) {
    SSWindow* x = w->firstChild;
    while (x) {
        if (x->firstChild) {
            x = x->firstChild;
            continue;
        }
        SSWindow* parent = x->parent;
        SSWindow* next = x->nextSibling;
        Unlink(x);
        Discard(x);
        x = next ? next : (parent == w ? nullptr : parent);
    }
}

SSWindow* NewRecord() {
    SSWindow* w = new SSWindow();
    w->d.pixels = g_screen ? g_screen->screenBuffer : nullptr;
    w->d.bitsPerPixel = g_screen ? uint32_t(g_screen->depth) : 8;
    w->d.bytesPerLine = g_screen ? uint32_t(g_screen->width) : 0;
    w->backColor = 0x1F;
    w->flags = WIN_BACKCOLOR;
    return w;
}

uint32_t BytesPerLine(const SSWindow* w) {
    return uint32_t(uint64_t(w->d.bitsPerPixel) * uint64_t(std::max(w->d.width, 0)) / 8);
}

void SetRootGeometry() {
    SSWindow* root = g_rootWindow;
    root->d.width = g_screen ? SS_ScreenWidth() : 0;
    root->d.height = g_screen ? SS_ScreenHeight() : 0;
    SSRect full = {0, 0, root->d.width, root->d.height};
    for (SSRegion** r : {&root->frame, &root->clipWithChildren, &root->clipWithoutChildren}) {
        SS_FreeRegion(*r);
        *r = SS_RectRegion(full);
    }
}

// The topmost mapped top-level window, for the refresh policy's rule on
// copies into a window that is not on top.
uint32_t TopmostForRefresh() {
    SSWindow* w = SS_TopmostMappedChild();
    return w ? w->d.id : 0;
}

void ExposeTopmostForRefresh() {
    if (SSWindow* w = SS_TopmostMappedChild()) SS_ExposeAll(w);
}

} // namespace

// ---- Table and tree queries ---------------------------------------------------------

SSWindow* SS_NextInSubtree(SSWindow* x, SSWindow* top, bool enter) {
    if (enter && x->firstChild) return x->firstChild;
    while (x != top && !x->nextSibling)
        x = x->parent;
    return x == top ? nullptr : x->nextSibling;
}

SSWindow* SS_FindWindow(uint32_t id) { return s_windows.Find(id); }

int SS_WindowCount() { return s_windows.Count(); }

bool SS_Viewable(const SSWindow* w) {
    for (; w; w = w->parent)
        if (!SS_Mapped(w)) return false;
    return true;
}

SSWindow* SS_TopmostMappedChild() {
    if (!g_rootWindow) return nullptr;
    for (SSWindow* c = g_rootWindow->firstChild; c; c = c->nextSibling)
        if (SS_Mapped(c)) return c;
    return nullptr;
}

const SSRegion* SS_BaseRegion(const SSWindow* w) { return w->shape ? w->shape : w->frame; }

// ---- Start-up, rotation, teardown -----------------------------------------------------

void SS_InitWindows() {
    if (g_rootWindow) return;
    SSWindow* root = NewRecord();
    root->d.kind = DRAWABLE_ROOT;
    root->backColor = 0xC0;
    root->flags = WIN_MAPPED | WIN_BACKCOLOR;
    g_rootWindow = root;
    SetRootGeometry();
    SS_ComputeClip(root);
    g_desktopArea = SSRect{0, 0, root->d.width, root->d.height};
    g_repaintAll = true;
    SS_SetRefreshWindowHooks(TopmostForRefresh, ExposeTopmostForRefresh);
}

void SS_ResetWindows() {
    if (g_rootWindow) {
        DestroyDescendants(g_rootWindow);
        Release(g_rootWindow);
        g_rootWindow = nullptr;
    }
    SS_ResetRoutingState();
    SS_InitWindows();
}

void SS_WindowsRotated() {
    if (!g_rootWindow) return;
    SS_MarkAllClipsStale();
    SetRootGeometry();
    g_desktopArea.width = g_rootWindow->d.width;
    g_desktopArea.height = g_rootWindow->d.height;
    if (g_rootWindow->firstChild)
        SS_UpdateClipsFrom(g_rootWindow->firstChild);
    else
        SS_ComputeClip(g_rootWindow);
    SS_ExposeAll(g_rootWindow);
}

void SS_DestroyClientWindows(SSClient* client) {
    if (!client || !g_rootWindow) return;
    // Every window of the connection leaves the table and the routing state.
    std::vector<SSWindow*> owned;
    s_windows.ForEach([&](SSWindow* w) {
        if (w->owner == client) owned.push_back(w);
    });
    for (SSWindow* w : owned) {
        SS_ForgetWindow(w);
        TableRemove(w);
    }
    // Then each subtree that the connection's windows head is destroyed:
    // top-level windows, and also windows nested in another client's window,
    // which would otherwise stay in the tree with an owner that is gone. One
    // walk of the tree that does not enter the subtrees found.
    std::vector<SSWindow*> heads;
    for (SSWindow* x = g_rootWindow->firstChild; x;) {
        bool head = x->owner == client;
        if (head) heads.push_back(x);
        x = SS_NextInSubtree(x, g_rootWindow, !head);
    }
    for (SSWindow* w : heads)
        SS_DestroyWindow(w);

    SSWindow* top = SS_TopmostMappedChild();
    g_topWindow = top;
    g_focusWindow = top;
    g_activeTopLevel = top;
}

// ---- Window operations ----------------------------------------------------------------

SSWindow* SS_CreateWindow(SSClient* owner, uint32_t id, uint32_t parentId, int32_t x, int32_t y, int32_t width,
                          int32_t height, uint32_t backColor, uint8_t kindByte) {
    if (id == 0 || !g_rootWindow) return nullptr; // 0 could never be named again
    SSWindow* parent = SS_FindWindow(parentId);
    if (!parent) parent = g_rootWindow;
    if (width <= 0 || height <= 0) width = height = 1;

    SSWindow* w = NewRecord();
    w->d.id = id;
    w->relX = ClientCoord(x);
    w->relY = ClientCoord(y);
    w->d.x = Position(int64_t(parent->d.x) + w->relX);
    w->d.y = Position(int64_t(parent->d.y) + w->relY);
    w->d.width = ClientCoord(width);
    w->d.height = ClientCoord(height);
    w->d.kind = kindByte == 1 ? DRAWABLE_WINDOW1 : kindByte == 3 ? DRAWABLE_WINDOW3 : DRAWABLE_WINDOW2;
    w->owner = owner;
    w->parent = parent;
    LinkFirst(w);
    RebuildFrame(w);
    TableInsert(w);
    SS_SetBackColor(w, backColor);
    return w;
}

void SS_DestroyWindow(SSWindow* w) {
    if (!w || w == g_rootWindow) return;
    // The top window is kept through the unmap, which hands it (and with it
    // the activation and the focus) to the next top window as UnmapWindow
    // does; only what the unmap leaves pointing here is forgotten after it.
    SSWindow* top = g_topWindow;
    SS_ForgetWindow(w);
    g_topWindow = top;
    SS_UnmapWindow(w, false);
    DetachTransients(w);
    DestroyDescendants(w);
    Unlink(w);
    TableRemove(w);
    SS_ForgetWindow(w); // unmapping may have made it the focus again
    Release(w);
}

void SS_RaiseWindow(SSWindow* w) {
    SSWindow* p = w->parent;
    if (!p || !p->firstChild) return;

    SSWindow* passed = nullptr; // the lowest sibling that w passes on its way up
    if (p->firstChild == w) {
        // Already on top: the links stay, clips and exposure still run.
    } else if (p == g_rootWindow && w->transientOwner) {
        auto& list = w->transientOwner->transients;
        if (list.empty() || list.back() == w) return;
        SSWindow* last = list.back();
        list.erase(std::remove(list.begin(), list.end(), w), list.end());
        list.push_back(w);
        if (last->parent == p) {
            // The previous last may lie below: then w goes down.
            bool down = false;
            for (SSWindow* s = w->nextSibling; s && !down; s = s->nextSibling)
                down = s == last;
            // The windows it passes now show more and need new clips too;
            // the uncovered area is where w showed before and shows no more.
            SSWindow* from = down ? w->nextSibling : w;
            SSRegion* before = down && w->clipWithChildren ? SS_DupRegion(w->clipWithChildren) : nullptr;
            Unlink(w);
            LinkAbove(w, last);
            SS_UpdateClipsFrom(from);
            if (before) {
                // Draw events go only to windows whose own visible part
                // meets it, as after an unmap; w itself shows none of it.
                if (w->clipWithChildren) SS_SubtractRegion(before, w->clipWithChildren);
                SS_ExposeChange(w, before, EXPOSE_UNMAP);
                SS_FreeRegion(before);
            }
            SS_ExposeChange(w, w->clipWithChildren, EXPOSE_MAP);
            return;
        }
        passed = w->prevSibling;
        Unlink(w);
        LinkFirst(w); // the previous last transient lives elsewhere: a plain raise
    } else if (p == g_rootWindow && (w->flags & WIN_TOPWINDOW) && !w->transients.empty()) {
        SSWindow* t = w->transients.back();
        if (!t || p->firstChild == t) return;
        bool tAbove = false;
        if (t->parent == p)
            for (SSWindow* s = w->prevSibling; s && !tAbove; s = s->prevSibling)
                tAbove = s == t;
        if (tAbove) {
            // The block from w (bottom) up to t (top) goes to the top as it is.
            SSWindow* above = t->prevSibling; // not null: t is not the first child
            SSWindow* below = w->nextSibling;
            above->nextSibling = below;
            if (below)
                below->prevSibling = above;
            else
                p->lastChild = above;
            t->prevSibling = nullptr;
            w->nextSibling = p->firstChild;
            p->firstChild->prevSibling = w;
            p->firstChild = t;
            SS_UpdateClipsFrom(t);
            for (SSWindow* x = t; x; x = x->nextSibling) {
                SS_ExposeChange(x, x->clipWithChildren, EXPOSE_MAP);
                if (x == w) break;
            }
            return;
        }
        // The last transient is not a sibling above the window: a plain raise.
        passed = w->prevSibling;
        Unlink(w);
        LinkFirst(w);
    } else {
        passed = w->prevSibling;
        Unlink(w);
        LinkFirst(w);
    }
    SS_UpdateClipsAfterRaise(w, passed);
    SS_ExposeChange(w, w->clipWithChildren, EXPOSE_MAP);
}

namespace {

// The topmost mapped child of the root with the top-window flag.
SSWindow* TopmostMappedTopWindow() {
    for (SSWindow* c = g_rootWindow->firstChild; c; c = c->nextSibling)
        if (SS_Mapped(c) && (c->flags & WIN_TOPWINDOW)) return c;
    return nullptr;
}

} // namespace

void SS_MapWindow(SSWindow* w, bool noExpose) {
    if ((w->flags & WIN_DESKTOP) && w->parent == g_rootWindow && g_repaintAll) {
        SS_ExposeAll(g_rootWindow);
        g_repaintAll = false;
    }
    if (w == g_rootWindow || SS_Mapped(w)) return;
    w->flags |= WIN_MAPPED;
    if (noExpose || !SS_Viewable(w->parent)) {
        SS_MarkClipsStale(w);
    } else {
        SS_UpdateClipsAfterMap(w);
        if ((w->flags & WIN_TOPWINDOW) && w->parent == g_rootWindow && TopmostMappedTopWindow() == w &&
            g_topWindow != w)
            g_topWindow = w;
        SS_ExposeChange(w, w->clipWithChildren, EXPOSE_MAP);
    }
    if (w->parent == g_rootWindow) {
        g_focusWindow = w;
        g_activeTopLevel = w;
    }
}

void SS_UnmapWindow(SSWindow* w, bool noExpose) {
    if (w == g_rootWindow || !SS_Mapped(w)) return;
    w->flags &= ~WIN_MAPPED;
    if (noExpose || !SS_Viewable(w->parent)) {
        SS_MarkClipsStale(w);
        return;
    }

    SSRegion* uncovered = w->clipWithChildren ? SS_DupRegion(w->clipWithChildren) : SS_CreateRegion();
    SS_UpdateClipsFrom(w);
    bool topChanged = false;
    if ((w->flags & WIN_TOPWINDOW) && w == g_topWindow) {
        SSWindow* next = nullptr;
        for (SSWindow* s = w->nextSibling; s && !next; s = s->nextSibling)
            if (SS_Mapped(s) && (s->flags & WIN_TOPWINDOW)) next = s;
        g_topWindow = next;
        topChanged = true;
        SSWindow* active = next;
        if (next)
            for (SSWindow* t : next->transients)
                if (SS_Mapped(t)) {
                    active = t;
                    break;
                }
        g_activeTopLevel = active;
    }
    SS_ExposeChange(w, uncovered, EXPOSE_UNMAP);
    SS_FreeRegion(uncovered);

    if (g_focusWindow == w) g_focusWindow = nullptr;
    if (topChanged) g_focusWindow = g_activeTopLevel;
    if (!g_focusWindow) {
        SSWindow* top = SS_TopmostMappedChild();
        g_focusWindow = top;
        g_activeTopLevel = top;
    }
}

namespace {

// After a geometry change of a viewable window: recompute, then expose the
// union of where it showed before and where it shows now.
void ExposeGeometryChange(SSWindow* w, SSExposeMode mode) {
    SSRegion* affected = w->clipWithChildren ? SS_DupRegion(w->clipWithChildren) : SS_CreateRegion();
    SS_UpdateClipsFrom(w);
    if (w->clipWithChildren) SS_UnionRegion(affected, w->clipWithChildren);
    SS_ExposeChange(w, affected, mode);
    SS_FreeRegion(affected);
}

} // namespace

void SS_MoveWindow(SSWindow* w, int32_t dx, int32_t dy, bool noExpose) {
    if (w == g_rootWindow || (dx == 0 && dy == 0)) return;
    dx = ClientCoord(dx);
    dy = ClientCoord(dy);
    w->relX = Position(int64_t(w->relX) + dx);
    w->relY = Position(int64_t(w->relY) + dy);
    MoveSubtree(w, dx, dy);
    if (!noExpose && SS_Viewable(w))
        ExposeGeometryChange(w, EXPOSE_MOVE);
    else
        SS_MarkClipsStale(w);
}

void SS_ResizeWindow(SSWindow* w, int32_t width, int32_t height) {
    if (w == g_rootWindow || (width == w->d.width && height == w->d.height)) return;
    w->d.width = ClientCoord(width);
    w->d.height = ClientCoord(height);
    w->d.bytesPerLine = BytesPerLine(w);
    RebuildFrame(w);
    if (SS_Viewable(w))
        ExposeGeometryChange(w, EXPOSE_RESIZE);
    else
        SS_MarkClipsStale(w);
}

void SS_MoveResizeWindow(SSWindow* w, int32_t x, int32_t y, int32_t width, int32_t height, bool noExpose) {
    if (w == g_rootWindow) return;
    x = ClientCoord(x);
    y = ClientCoord(y);
    if (x == w->relX && y == w->relY && width == w->d.width && height == w->d.height) return;
    w->d.width = ClientCoord(width);
    w->d.height = ClientCoord(height);
    w->d.bytesPerLine = BytesPerLine(w);
    int32_t dx = int32_t(int64_t(x) - w->relX), dy = int32_t(int64_t(y) - w->relY);
    w->relX = x;
    w->relY = y;
    MoveSubtree(w, dx, dy); // rebuilds the frames with the new size too
    if (!noExpose && SS_Viewable(w))
        ExposeGeometryChange(w, EXPOSE_MOVE_RESIZE);
    else
        SS_MarkClipsStale(w);
}

void SS_SetTransient(SSWindow* w, SSWindow* owner) {
    if (w == owner || w == g_rootWindow) return; // a window is never its own group
    if (w->transientOwner && w->transientOwner != owner) {
        auto& old = w->transientOwner->transients;
        old.erase(std::remove(old.begin(), old.end(), w), old.end());
    }
    w->transientOwner = owner;
    if (std::find(owner->transients.begin(), owner->transients.end(), w) == owner->transients.end())
        owner->transients.push_back(w);
}

void SS_SetShape(SSWindow* w, const SSPixmap* mask, int32_t x, int32_t y) {
    SS_MarkClipsStale(w); // the clips follow at the next recomputation
    SS_FreeRegion(w->shape);
    w->shape = nullptr;
    const SSDrawable& d = mask->d;
    if (d.kind != DRAWABLE_PIXMAP || !d.pixels || d.width <= 0 || d.height <= 0) return;
    int32_t bytesPerRow = int32_t(std::min<uint32_t>(d.bytesPerLine, INT32_MAX));
    w->shape = SS_MaskToRegion(d.pixels, d.width, d.height, bytesPerRow);
    SS_OffsetRegion(w->shape, Position(int64_t(w->d.x) + ClientCoord(x)), Position(int64_t(w->d.y) + ClientCoord(y)));
}

void SS_SetDesktop(SSWindow* w, int32_t x, int32_t y, int32_t width, int32_t height) {
    w->flags |= WIN_DESKTOP;
    SS_MarkAllClipsStale(); // every top-level window may meet the new work area
    int32_t screenW = g_rootWindow->d.width, screenH = g_rootWindow->d.height;
    g_desktopArea = SSRect{std::max(0, x), std::max(0, y), std::min(screenW, std::max(100, width)),
                           std::min(screenH, std::max(100, height))};
}

void SS_SetBackColor(SSWindow* w, uint32_t colour) {
    w->backColor = colour;
    SetBackPixmapField(w, nullptr);
    w->flags = (w->flags | WIN_BACKCOLOR) & ~WIN_BACKPIXMAP;
}

void SS_SetBackPixmap(SSWindow* w, SSPixmap* pixmap) {
    if (pixmap == w->backPixmap) return;
    SetBackPixmapField(w, pixmap);
    w->flags = (w->flags | WIN_BACKPIXMAP) & ~WIN_BACKCOLOR;
}

void SS_ForgetPixmap(const SSPixmap* pixmap) {
    if (!pixmap || s_backPixmapUsers == 0 || !g_rootWindow) return;
    if (g_rootWindow->backPixmap == pixmap) SetBackPixmapField(g_rootWindow, nullptr);
    s_windows.ForEach([pixmap](SSWindow* w) {
        if (w->backPixmap == pixmap) SetBackPixmapField(w, nullptr);
    });
}
