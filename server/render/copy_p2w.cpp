// Pixmap-to-window copies: the only way pixels reach the screen image from a
// client. CopyAreaP2W clips to the window's visible region and follows the
// rotation mapping; CopyAreaP2WNormal and CopyAreaP2WLeft are the unclipped
// whole-pixmap forms of the device's landscape views.
#include <algorithm>
#include <cstring>

#include "core/handlers.h"
#include "core/server.h"
#include "platform/einkroot.h"
#include "platform/rows.h"
#include "protocol/protocol.h"
#include "render/apollo.h"
#include "render/copy.h"
#include "render/sspixmap.h"
#include "window/ssregion.h"
#include "window/sswindow.h"

long long g_lastLargeCopyMs = 0;

namespace {

// Class-3 windows (notice dialogs) only ever show this area.
constexpr SSRect kNoticeArea = {130, 220, 370, 200};
constexpr int64_t kLargeCopy = 400;

struct P2WArgs {
    SSPixmap* src;
    SSWindow* win;
    SSPixmap* mask;
    SSCopyArea area;
};

bool ReadP2W(const uint8_t* msg, uint32_t length, P2WArgs* out) {
    proto::ArgReader r(msg, length);
    out->src = SS_FindPixmap(r.u32());
    uint32_t winId = r.u32();
    out->win = winId == 0 ? SS_RootWindow() : SS_FindWindow(winId);
    out->mask = SS_FindPixmap(r.u32());
    out->area.sx = r.s32(), out->area.sy = r.s32(), out->area.w = r.s32(), out->area.h = r.s32();
    out->area.dx = r.s32(), out->area.dy = r.s32();
    return out->src && out->src->d.pixels && out->win;
}

// The child of the root that holds `w`; null for the root itself.
SSWindow* TopLevelOf(SSWindow* w) {
    SSWindow* root = SS_RootWindow();
    if (w == root) return nullptr;
    while (w->parent && w->parent != root)
        w = w->parent;
    return w;
}

// Pixels a source row can give: drawing treats pixmaps as one byte per
// pixel, and a row never holds more than its bytes.
int64_t SourceWidth(const SSPixmap* p) { return std::min<int64_t>(p->d.width, p->d.bytesPerLine); }

// Copies the absolute screen box [x1, x2) x [y1, y2) from the source pixel
// (x1 + ox, y1 + oy) onward, through the rotation mapping. The box is cut
// to the logical screen first.
void CopyBoxToScreen(const SSPixmap* src, int64_t x1, int64_t y1, int64_t x2, int64_t y2, int64_t ox, int64_t oy) {
    x1 = std::max<int64_t>(x1, 0), y1 = std::max<int64_t>(y1, 0);
    x2 = std::min<int64_t>(x2, SS_ScreenWidth()), y2 = std::min<int64_t>(y2, SS_ScreenHeight());
    // ...and to the source.
    x1 = std::max(x1, -ox), y1 = std::max(y1, -oy);
    x2 = std::min(x2, SourceWidth(src) - ox), y2 = std::min(y2, int64_t(src->d.height) - oy);
    if (x1 >= x2 || y1 >= y2) return;
    const int64_t stride = g_screen->width;
    // Step between successive pixels of a logical row in the ScreenBuffer.
    int64_t step = 1;
    switch (g_rotateMode) {
    case 1: step = -stride; break;
    case 2: step = -1; break;
    case 3: step = stride; break;
    default: break;
    }
    const int64_t n = x2 - x1;
    if (step == 1) {
        uint8_t* d = ScreenPixelAddress(int32_t(x1), int32_t(y1));
        const ptrdiff_t dstStride = y2 - y1 > 1 ? ScreenPixelAddress(int32_t(x1), int32_t(y1 + 1)) - d : 0;
        eink::CopyRows(d, dstStride, src->d.pixels + (y1 + oy) * src->d.bytesPerLine + (x1 + ox), src->d.bytesPerLine,
                       size_t(n), size_t(y2 - y1));
        return;
    }
    for (int64_t y = y1; y < y2; ++y) {
        const uint8_t* s = src->d.pixels + (y + oy) * src->d.bytesPerLine + (x1 + ox);
        uint8_t* d = ScreenPixelAddress(int32_t(x1), int32_t(y));
        for (int64_t i = 0; i < n; ++i, d += step)
            *d = s[i];
    }
}

void MarkWholeScreen() { MarkDirty(0, 0, SS_ScreenWidth(), SS_ScreenHeight()); }

void CopyMasked(const P2WArgs& a, const SSCopyArea& c) {
    const SSRegion* mask = SS_PixmapMaskRegion(a.mask);
    SSWindow* w = a.win;
    if (!mask || !w->clipWithoutChildren) return;
    SSRegion* r = SS_DupRegion(mask);
    SS_OffsetRegion(r, w->d.x, w->d.y);
    SS_IntersectRegion(r, w->clipWithoutChildren);
    int64_t rx1 = w->d.x + c.dx, ry1 = w->d.y + c.dy, rx2 = rx1 + c.w, ry2 = ry1 + c.h;
    int64_t ox = c.sx - c.dx - w->d.x, oy = c.sy - c.dy - w->d.y;
    for (int32_t i = 0; i < r->count; ++i) {
        const SSBox& b = r->boxes[i];
        CopyBoxToScreen(a.src, std::max<int64_t>(b.x1, rx1), std::max<int64_t>(b.y1, ry1), std::min<int64_t>(b.x2, rx2),
                        std::min<int64_t>(b.y2, ry2), ox, oy);
    }
    SS_FreeRegion(r);
}

} // namespace

void HandleCopyAreaP2W(SSClient*, const uint8_t* msg, uint32_t length) {
    P2WArgs a;
    if (!ReadP2W(msg, length, &a) || !g_screen || SS_UpdateLocked()) return;
    SSWindow* top = TopLevelOf(a.win);
    SS_SetAwaitedWindow(top ? top->d.id : 0);
    if (SS_LongWait() && top && top != SS_TopmostMappedChild()) return;
    if (a.area.w > kLargeCopy && a.area.h > kLargeCopy) g_lastLargeCopyMs = SS_NowMs();
    SSWindow* w = a.win;
    if (!SS_Viewable(w) || !w->clipWithoutChildren || SS_RegionEmpty(w->clipWithoutChildren)) return;
    SSCopyArea c = a.area;
    if (!SS_ClipCopy(SourceWidth(a.src), a.src->d.height, w->d.width, w->d.height, &c)) return;
    if (a.mask) return CopyMasked(a, c);

    SS_SetCopyInProgress(true);
    SSRect dest = {int32_t(c.dx), int32_t(c.dy), int32_t(c.w), int32_t(c.h)};
    if (w->d.kind == DRAWABLE_WINDOW3) {
        // Notice dialogs show only their notice area; the source keeps the
        // request's alignment, so the area is also cut to the copy.
        int32_t x1 = std::max(dest.x, kNoticeArea.x), y1 = std::max(dest.y, kNoticeArea.y);
        int32_t x2 = std::min(dest.x + dest.width, kNoticeArea.x + kNoticeArea.width);
        int32_t y2 = std::min(dest.y + dest.height, kNoticeArea.y + kNoticeArea.height);
        dest = SSRect{x1, y1, x2 - x1, y2 - y1};
    }
    if (SSRegion* r = SS_ClipToWindow(w, dest)) {
        int64_t ox = c.sx - c.dx - w->d.x, oy = c.sy - c.dy - w->d.y;
        for (int32_t i = 0; i < r->count; ++i) {
            const SSBox& b = r->boxes[i];
            CopyBoxToScreen(a.src, b.x1, b.y1, b.x2, b.y2, ox, oy);
            if (g_refreshFileValue != 0) MarkDirty(b.x1, b.y1, b.x2 - b.x1, b.y2 - b.y1);
        }
        SS_FreeRegion(r);
    }
    // With the refresh-file value 0 every copy that gets this far reports
    // the whole screen, also one whose area lies wholly under other windows.
    if (g_refreshFileValue == 0) MarkWholeScreen();
    if (c.w > kLargeCopy && c.h > kLargeCopy) g_lastLargeCopyMs = SS_NowMs();
    SS_SetCopyInProgress(false);
}

void HandleCopyAreaP2WNormal(SSClient*, const uint8_t* msg, uint32_t length) {
    P2WArgs a;
    if (!ReadP2W(msg, length, &a) || !g_screen || SS_UpdateLocked()) return;
    SSWindow* w = a.win;
    if (!SS_Viewable(w)) return;
    // Rows of the whole pixmap at the window's position in the ScreenBuffer,
    // cut to it.
    const int64_t sw = g_screen->width, sh = g_screen->height;
    int64_t x1 = std::max<int64_t>(w->d.x, 0), x2 = std::min<int64_t>(int64_t(w->d.x) + SourceWidth(a.src), sw);
    int64_t y1 = std::max<int64_t>(w->d.y, 0), y2 = std::min<int64_t>(int64_t(w->d.y) + a.src->d.height, sh);
    for (int64_t y = y1; y < y2 && x1 < x2; ++y) {
        const uint8_t* s = a.src->d.pixels + (y - w->d.y) * a.src->d.bytesPerLine + (x1 - w->d.x);
        memcpy(g_screen->screenBuffer + y * sw + x1, s, size_t(x2 - x1));
    }
    MarkWholeScreen();
    SS_SetCopyInProgress(false);
}

namespace {

// One source pixel to a physical ScreenBuffer position, both checked.
struct LeftCopy {
    const SSPixmap* src;
    int64_t srcSize;
    void put(int64_t srcIndex, int64_t px, int64_t py) const {
        if (srcIndex < 0 || srcIndex >= srcSize) return;
        if (px < 0 || py < 0 || px >= g_screen->width || py >= g_screen->height) return;
        g_screen->screenBuffer[py * g_screen->width + px] = src->d.pixels[srcIndex];
    }
};

} // namespace

void HandleCopyAreaP2WLeft(SSClient*, const uint8_t* msg, uint32_t length) {
    P2WArgs a;
    if (!ReadP2W(msg, length, &a) || !g_screen || SS_UpdateLocked()) return;
    SSWindow* top = TopLevelOf(a.win);
    SS_SetAwaitedWindow(top ? top->d.id : 0);
    SSWindow* w = a.win;
    if (!SS_Viewable(w)) return;
    // The panel's portrait size; positions below are physical.
    const int64_t W = g_screen->large ? kLargePanelWidth : kStandardPanelWidth;
    const int64_t H = g_screen->large ? kLargePanelHeight : kStandardPanelHeight;
    LeftCopy out{a.src, int64_t(a.src->d.bytesPerLine) * a.src->d.height};
    if (int64_t(w->d.width) * w->d.height >= W * H) {
        if (w->d.kind == DRAWABLE_WINDOW3) { // CopyFBLeftDialog
            for (int64_t i = 0; i < 200; ++i)
                for (int64_t j = 0; j < 370; ++j)
                    out.put((200 + i) * W + 215 + j, 200 + i, 584 - j);
        } else { // CopyFBLeft
            for (int64_t i = 0; i < W; ++i)
                for (int64_t j = 0; j < H; ++j)
                    out.put(i * H + j, i, H - 1 - j);
        }
    } else { // CopyFBLeftSmall
        const int64_t pw = SourceWidth(a.src), ph = a.src->d.height, stride = a.src->d.bytesPerLine;
        for (int64_t i = 0; i < ph; ++i)
            for (int64_t j = 0; j < pw; ++j)
                out.put(i * stride + j, w->d.y + i, H - 1 - w->d.x - j);
    }
    MarkWholeScreen();
    SS_SetCopyInProgress(false);
}
