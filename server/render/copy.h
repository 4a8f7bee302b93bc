// Area copies between pixmaps and from pixmaps to windows.
#pragma once

#include <cstdint>

struct SSPixmap;

// A copy request's rectangle: source corner, size, destination corner.
struct SSCopyArea {
    int64_t sx, sy, w, h, dx, dy;
};

// Clips a copy against a source of srcW x srcH and a destination of
// dstW x dstH: negative corners shorten the copy and move the other corner,
// the size is cut at both far edges. False when nothing remains (or a size
// is not positive, or a corner lies at or past its far edge).
bool SS_ClipCopy(int64_t srcW, int64_t srcH, int64_t dstW, int64_t dstH, SSCopyArea* area);

// CopyAreaP2P: plain copy, through the mask's region (source coordinates)
// when a mask is given.
void SS_CopyPixmapArea(const SSPixmap* src, SSPixmap* dst, SSPixmap* mask, SSCopyArea area);

// CopyAreaP2P2: the whole source scaled to fit the destination, centred,
// then the whole destination dithered. Depth 8 only.
void SS_ScaleToFit(const SSPixmap* src, SSPixmap* dst);

// Time (NowMs) of the last pixmap-to-window copy larger than 400 x 400.
extern long long g_lastLargeCopyMs;
