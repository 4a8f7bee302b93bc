// Pixmap-to-pixmap copies: plain (optionally through a 1-bit mask), scaled to
// fit and dithered, and plain then dithered.
#include <algorithm>
#include <cstring>

#include "core/handlers.h"
#include "platform/rows.h"
#include "protocol/protocol.h"
#include "render/copy.h"
#include "render/dither.h"
#include "render/sspixmap.h"
#include "window/ssregion.h"

bool SS_ClipCopy(int64_t srcW, int64_t srcH, int64_t dstW, int64_t dstH, SSCopyArea* a) {
    if (srcW <= 0 || srcH <= 0 || dstW <= 0 || dstH <= 0 || a->w <= 0 || a->h <= 0) return false;
    if (a->sx >= srcW || a->sy >= srcH || a->dx >= dstW || a->dy >= dstH) return false;
    if (a->sx < 0) a->dx -= a->sx, a->w += a->sx, a->sx = 0;
    if (a->sy < 0) a->dy -= a->sy, a->h += a->sy, a->sy = 0;
    if (a->dx < 0) a->sx -= a->dx, a->w += a->dx, a->dx = 0;
    if (a->dy < 0) a->sy -= a->dy, a->h += a->dy, a->dy = 0;
    a->w = std::min({a->w, srcW - a->sx, dstW - a->dx});
    a->h = std::min({a->h, srcH - a->sy, dstH - a->dy});
    return a->w > 0 && a->h > 0;
}

// Rows of (depth x w) / 8 bytes, each cut to both rows' ends.
static void CopyBytes(const SSPixmap* src, SSPixmap* dst, int64_t sx, int64_t sy, int64_t w, int64_t h, int64_t dx,
                      int64_t dy) {
    int64_t sOff = sx * src->depth / 8, dOff = dx * src->depth / 8;
    int64_t n =
        std::min({w * src->depth / 8, int64_t(src->d.bytesPerLine) - sOff, int64_t(dst->d.bytesPerLine) - dOff});
    if (n <= 0 || sOff < 0 || dOff < 0) return;
    const uint8_t* s = src->d.pixels + sy * src->d.bytesPerLine + sOff;
    uint8_t* d = dst->d.pixels + dy * dst->d.bytesPerLine + dOff;
    if (src == dst && dy == sy) {
        // Each row onto itself, shifted.
        for (int64_t r = 0; r < h; ++r)
            memmove(d + r * dst->d.bytesPerLine, s + r * src->d.bytesPerLine, size_t(n));
    } else if (src == dst && dy > sy) {
        // Within one pixmap a copy downward goes bottom row first, so that no
        // source row is overwritten before it is read.
        const int64_t last = h - 1, stride = int64_t(src->d.bytesPerLine);
        eink::CopyRows(d + last * stride, -stride, s + last * stride, -stride, size_t(n), size_t(h));
    } else {
        eink::CopyRows(d, dst->d.bytesPerLine, s, src->d.bytesPerLine, size_t(n), size_t(h));
    }
}

void SS_CopyPixmapArea(const SSPixmap* src, SSPixmap* dst, SSPixmap* mask, SSCopyArea a) {
    if (!src || !dst || !src->d.pixels || !dst->d.pixels) return;
    if (!SS_ClipCopy(src->d.width, src->d.height, dst->d.width, dst->d.height, &a)) return;
    const SSRegion* region = mask ? SS_PixmapMaskRegion(mask) : nullptr;
    if (!region) return CopyBytes(src, dst, a.sx, a.sy, a.w, a.h, a.dx, a.dy);
    // The mask is read in source coordinates.
    for (int32_t i = 0; i < region->count; ++i) {
        const SSBox& b = region->boxes[i];
        int64_t x1 = std::max<int64_t>(b.x1, a.sx), y1 = std::max<int64_t>(b.y1, a.sy);
        int64_t x2 = std::min<int64_t>(b.x2, a.sx + a.w), y2 = std::min<int64_t>(b.y2, a.sy + a.h);
        if (x1 >= x2 || y1 >= y2) continue;
        CopyBytes(src, dst, x1, y1, x2 - x1, y2 - y1, a.dx + (x1 - a.sx), a.dy + (y1 - a.sy));
    }
}

static void DitherPixmap(SSPixmap* p) {
    if (p->depth == 8) DitherImage(p->d.pixels, p->d.width, p->d.height, p->d.bytesPerLine);
}

void SS_ScaleToFit(const SSPixmap* src, SSPixmap* dst) {
    if (!src || !dst || !src->d.pixels || !dst->d.pixels || src->depth != 8 || dst->depth != 8) return;
    int32_t sw = src->d.width, sh = src->d.height, dw = dst->d.width, dh = dst->d.height;
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
    double scale = std::min(double(dw) / sw, double(dh) / sh);
    int32_t tw = int32_t(sw * scale), th = int32_t(sh * scale);
    tw = std::min(tw, dw), th = std::min(th, dh);
    if (tw > 0 && th > 0) {
        int32_t ox = std::max(0, (dw - tw) / 2), oy = std::max(0, (dh - th) / 2);
        ScaleImage(src->d.pixels, sw, sh, src->d.bytesPerLine, dst->d.pixels + int64_t(oy) * dst->d.bytesPerLine + ox,
                   tw, th, dst->d.bytesPerLine);
    }
    DitherPixmap(dst);
}

namespace {

struct P2PArgs {
    SSPixmap* src;
    SSPixmap* dst;
    SSPixmap* mask;
    SSCopyArea area;
};

bool ReadP2P(const uint8_t* msg, uint32_t length, P2PArgs* out) {
    proto::ArgReader r(msg, length);
    out->src = SS_FindPixmap(r.u32());
    out->dst = SS_FindPixmap(r.u32());
    out->mask = SS_FindPixmap(r.u32());
    out->area.sx = r.s32(), out->area.sy = r.s32(), out->area.w = r.s32(), out->area.h = r.s32();
    out->area.dx = r.s32(), out->area.dy = r.s32();
    return out->src && out->dst;
}

} // namespace

void HandleCopyAreaP2P(SSClient*, const uint8_t* msg, uint32_t length) {
    P2PArgs a;
    if (ReadP2P(msg, length, &a)) SS_CopyPixmapArea(a.src, a.dst, a.mask, a.area);
}

void HandleCopyAreaP2P2(SSClient*, const uint8_t* msg, uint32_t length) {
    P2PArgs a;
    if (ReadP2P(msg, length, &a)) SS_ScaleToFit(a.src, a.dst);
}

void HandleCopyAreaP2P3(SSClient*, const uint8_t* msg, uint32_t length) {
    P2PArgs a;
    if (!ReadP2P(msg, length, &a)) return;
    SSCopyArea clipped = a.area;
    if (!SS_ClipCopy(a.src->d.width, a.src->d.height, a.dst->d.width, a.dst->d.height, &clipped)) return;
    SS_CopyPixmapArea(a.src, a.dst, a.mask, a.area);
    DitherPixmap(a.dst);
}
