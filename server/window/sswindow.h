// The window tree: window records, the window table, the root window, the
// desktop work area, clip regions and exposure (Draw events).
//
// Every window is a rectangle in absolute screen coordinates, clipped by its
// parent and covered by the mapped siblings stacked above it. Each mapped
// window keeps two clip regions: where it or its descendants can show (clip
// with children) and where its own contents show (clip without children:
// the former less its mapped children). Windows never receive drawing
// directly; pixmap-to-window copies clip to the window's clip without
// children through SS_ClipToWindow. All of it runs on the main loop thread.
#pragma once

#include <cstdint>
#include <vector>

#include "render/drawable.h"
#include "window/ssregion.h"

struct SSClient;
struct SSPixmap;

enum SSWindowFlag : uint32_t {
    WIN_MAPPED = 1u << 0,        // shown when all ancestors are mapped too ("viewable")
    WIN_TOPWINDOW = 1u << 1,     // an application top window
    WIN_DESKTOP = 1u << 2,       // not clipped to the work area; never cleared
    WIN_WIDGETPOP = 1u << 3,     // stored for the client only
    WIN_WIDGET = 1u << 4,        // receives Draw events
    WIN_CLIENTEXPOSED = 1u << 5, // stored for the client only
    WIN_BACKCOLOR = 1u << 6,     // the background is backColor
    WIN_BACKPIXMAP = 1u << 7,    // the background is backPixmap
};

struct SSWindow {
    SSDrawable d;                  // pixels = the screen image, id, absolute x/y, size, depth, line length, kind
    SSWindow* parent;              // null only for the root
    SSWindow* prevSibling;         // sibling directly above
    SSWindow* nextSibling;         // sibling directly below
    SSWindow* firstChild;          // topmost child
    SSWindow* lastChild;           // bottom-most child
    SSRegion* clipWithChildren;    // null until first computed
    SSRegion* clipWithoutChildren; // null until first computed
    SSRegion* frame;               // one box: the absolute rectangle
    SSRegion* shape;               // absolute shape, replaces the frame when present
    SSClient* owner;               // null for the root
    int32_t relX, relY;            // position relative to the parent
    uint32_t flags;                // SSWindowFlag bits
    uint32_t backColor;
    SSPixmap* backPixmap;
    SSWindow* transientOwner;          // the window this one is transient for
    std::vector<SSWindow*> transients; // windows transient for this one, in raise order
    // The clips are what SS_ComputeClip gives for the tree as it is now;
    // cleared for every window whose clips a change leaves behind.
    bool clipFresh;
};

// The root: identifier 0 (requests name it with 0), never in the table.
extern SSWindow* g_rootWindow;
inline SSWindow* SS_RootWindow() { return g_rootWindow; }
// The desktop work area that top-level windows without the desktop flag are
// clipped to.
extern SSRect g_desktopArea;
// Set at start-up, cleared by the first map of a desktop top-level window,
// which then has every window repainted.
extern bool g_repaintAll;

// Creates the root window and the window table.
void SS_InitWindows();

// Destroys every window that the connection created and repaints what they
// uncover.
void SS_DestroyClientWindows(SSClient* client);

// The rotation changed: the root takes the new screen size, clips are
// recomputed and every window is exposed.
void SS_WindowsRotated();

// The window with this identifier, or null (0 and unknown identifiers).
SSWindow* SS_FindWindow(uint32_t id);
// Next window after `x` in pre-order within `top`'s subtree, null after the
// last; children are entered only when `enter`. Walks without recursion, as
// a hostile client can nest windows deeply.
SSWindow* SS_NextInSubtree(SSWindow* x, SSWindow* top, bool enter);

inline bool SS_Mapped(const SSWindow* w) { return (w->flags & WIN_MAPPED) != 0; }
// The window and all its ancestors are mapped.
bool SS_Viewable(const SSWindow* w);
// The first mapped child of the root from the top, or null.
SSWindow* SS_TopmostMappedChild();
// The region that stands for the window in clipping and hit testing: its
// shape when it has one, else its frame.
const SSRegion* SS_BaseRegion(const SSWindow* w);

// ---- Window operations (the request handlers call these) -------------------------

// Creates an unmapped window on top of its parent's children (the root when
// parentId is 0 or unknown); width or height <= 0 make it 1 x 1. Null for
// identifier 0.
SSWindow* SS_CreateWindow(SSClient* owner, uint32_t id, uint32_t parentId, int32_t x, int32_t y, int32_t width,
                          int32_t height, uint32_t backColor, uint8_t kindByte);
void SS_DestroyWindow(SSWindow* w);
void SS_RaiseWindow(SSWindow* w);
void SS_MapWindow(SSWindow* w, bool noExpose);
void SS_UnmapWindow(SSWindow* w, bool noExpose);
void SS_MoveWindow(SSWindow* w, int32_t dx, int32_t dy, bool noExpose);
void SS_ResizeWindow(SSWindow* w, int32_t width, int32_t height);
void SS_MoveResizeWindow(SSWindow* w, int32_t x, int32_t y, int32_t width, int32_t height, bool noExpose);
// Makes `w` transient for `owner` (moving it out of a former owner's list).
void SS_SetTransient(SSWindow* w, SSWindow* owner);
// Shape from a 1-bit pixmap mask placed at (x, y) in the window; a pixmap
// that is no usable mask removes the shape. Clips are not recomputed.
void SS_SetShape(SSWindow* w, const SSPixmap* mask, int32_t x, int32_t y);
void SS_SetDesktop(SSWindow* w, int32_t x, int32_t y, int32_t width, int32_t height);
void SS_SetBackColor(SSWindow* w, uint32_t colour);
void SS_SetBackPixmap(SSWindow* w, SSPixmap* pixmap);
// A pixmap is going away: windows drop it as their background.
void SS_ForgetPixmap(const SSPixmap* pixmap);

// ---- Clipping -------------------------------------------------------------------------

// Recomputes the window's two clip regions from its base region, the work
// area, its parent's clip with children and its mapped siblings above and
// children. Unmapped windows keep whatever they had.
void SS_ComputeClip(SSWindow* w);
// Recomputes the parent, the window and its subtree, and every sibling below
// it with theirs (children only of mapped windows). Nothing for the root.
void SS_UpdateClipsFrom(SSWindow* w);

// After a raise of `w` past its siblings down to `lastPassed` (null when it
// was already on top): the same clips as SS_UpdateClipsFrom(w), obtained by
// taking w's base region out of the windows it passed and recomputing w's
// subtree, when every other clip of the level is fresh; else by
// SS_UpdateClipsFrom(w).
void SS_UpdateClipsAfterRaise(SSWindow* w, SSWindow* lastPassed);
// After w was mapped: the same clips as SS_UpdateClipsFrom(w), by taking w's
// base region out of its parent's own part and of the siblings below it when
// the level is fresh.
void SS_UpdateClipsAfterMap(SSWindow* w);
// A change of `w` left clips behind without recomputing them: the parent's,
// those of w's subtree and of the siblings below it with their subtrees.
void SS_MarkClipsStale(SSWindow* w);
void SS_MarkAllClipsStale();
// False makes every raise recompute in full (tests compare both ways).
extern bool g_clipIncremental;

// Where a copy into `rect` (window coordinates) may write on the screen: a
// new region of absolute screen boxes (each box to be copied separately),
// the rectangle less everything that covers the window or lies outside what
// it shows, children included. Null when nothing may be written: the window
// is null, not viewable, has no clip yet, or the result is empty. The caller
// frees the region with SS_FreeRegion.
SSRegion* SS_ClipToWindow(SSWindow* w, SSRect rect);

// ---- Exposure ---------------------------------------------------------------------------

enum SSExposeMode { EXPOSE_MAP, EXPOSE_UNMAP, EXPOSE_RESIZE, EXPOSE_MOVE, EXPOSE_MOVE_RESIZE };

// One Draw event to the window's owner when `r` is not empty and the window
// has the widget flag; windows without it clear the copy-in-progress flag
// instead. Unless "/home/refresh.txt" holds a non-zero value, the screen is
// then reported dirty.
void SS_SendDraw(SSWindow* w, const SSRegion* r);
// Draw events for a change of `w` that affected `r` (see the modes).
void SS_ExposeChange(SSWindow* w, const SSRegion* r, SSExposeMode mode);
// Draw events to every visible window of the subtree; nothing when `s` is
// not mapped.
void SS_ExposeAll(SSWindow* s);

// Back to the start-up state: every window released, a fresh root (tests).
void SS_ResetWindows();
// Number of windows in the table (tests and diagnostics).
int SS_WindowCount();
