// The six requests that draw straight onto the screen image, in logical
// coordinates through the rotation mapping, unclipped by windows. Pixels
// outside the logical screen are not written.
#include <algorithm>

#include "core/handlers.h"
#include "render/apollo.h"
#include "render/primitives.h"

namespace {

bool OnScreen(int64_t x, int64_t y) {
    return g_screen && x >= 0 && y >= 0 && x < SS_ScreenWidth() && y < SS_ScreenHeight();
}

void SetPixel(int64_t x, int64_t y, uint8_t v) {
    if (OnScreen(x, y)) *ScreenPixelAddress(int32_t(x), int32_t(y)) = v;
}

void XorPixel(int64_t x, int64_t y, uint8_t v) {
    if (OnScreen(x, y)) *ScreenPixelAddress(int32_t(x), int32_t(y)) ^= v;
}

// op(pixel) for every screen pixel of the box [x1, x2] x [y1, y2], cut to
// the screen; empty when an end is before its start. False when no pixel
// of the box is on the screen.
template <class Op> bool ForBox(int64_t x1, int64_t y1, int64_t x2, int64_t y2, Op op) {
    if (!g_screen) return false;
    x1 = std::max<int64_t>(x1, 0);
    y1 = std::max<int64_t>(y1, 0);
    x2 = std::min<int64_t>(x2, SS_ScreenWidth() - 1);
    y2 = std::min<int64_t>(y2, SS_ScreenHeight() - 1);
    for (int64_t y = y1; y <= y2; ++y)
        for (int64_t x = x1; x <= x2; ++x)
            op(*ScreenPixelAddress(int32_t(x), int32_t(y)));
    return x1 <= x2 && y1 <= y2;
}

void XorBox(int64_t x1, int64_t y1, int64_t x2, int64_t y2, uint8_t v) {
    ForBox(x1, y1, x2, y2, [v](uint8_t& p) { p ^= v; });
}

void Dirty(int64_t x, int64_t y, int64_t w, int64_t h) {
    auto c = [](int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    MarkDirty(c(x), c(y), c(w), c(h));
}

void XorHLines(int64_t x1, int64_t x2, int64_t y, int64_t t, uint8_t v) {
    XorBox(x1, y, x2, y + t - 1, v);
    Dirty(x1, y, x2 - x1, t);
}

void XorVLines(int64_t x, int64_t y1, int64_t y2, int64_t t, uint8_t v) {
    XorBox(x, y1, x + t - 1, y2, v);
    Dirty(x, y1, t, y2 - y1);
}

struct ScreenArgs {
    proto::ArgReader r;
    bool bad = false;
    ScreenArgs(const uint8_t* msg, uint32_t length) : r(msg, length, 8) {}
    int64_t i() {
        int32_t v = r.s32();
        if (v > kMaxCoord || v < -kMaxCoord) bad = true;
        return v;
    }
    uint8_t pixel() { return uint8_t(r.u32()); }
};

void PointOnScreen(const uint8_t* msg, uint32_t length, bool exclusiveOr) {
    ScreenArgs a(msg, length);
    int64_t x = a.i(), y = a.i();
    uint8_t v = a.pixel();
    if (a.bad || !g_screen) return;
    exclusiveOr ? XorPixel(x, y, v) : SetPixel(x, y, v);
    Dirty(x, y, 1, 1);
}

} // namespace

void HandleDrawPointScreen(SSClient*, const uint8_t* msg, uint32_t length) { PointOnScreen(msg, length, false); }

void HandleDrawPointXorScreen(SSClient*, const uint8_t* msg, uint32_t length) { PointOnScreen(msg, length, true); }

void HandleFillRectScreen(SSClient*, const uint8_t* msg, uint32_t length) {
    ScreenArgs a(msg, length);
    int64_t x = a.i(), y = a.i(), w = a.i(), h = a.i();
    uint8_t v = a.pixel();
    if (a.bad || !g_screen || w < 1 || h < 1) return;
    if (ForBox(x, y, x + w - 1, y + h - 1, [v](uint8_t& p) { p = v; })) Dirty(x, y, w, h);
}

void HandleDrawWHLineXorScreen(SSClient*, const uint8_t* msg, uint32_t length) {
    ScreenArgs a(msg, length);
    int64_t x1 = a.i(), x2 = a.i(), y = a.i(), t = a.i();
    uint8_t v = a.pixel();
    if (a.bad || !g_screen) return;
    XorHLines(x1, x2, y, t, v);
}

void HandleDrawWVLineXorScreen(SSClient*, const uint8_t* msg, uint32_t length) {
    ScreenArgs a(msg, length);
    int64_t x = a.i(), y1 = a.i(), y2 = a.i(), t = a.i();
    uint8_t v = a.pixel();
    if (a.bad || !g_screen) return;
    XorVLines(x, y1, y2, t, v);
}

void HandleDrawWRectXorScreen(SSClient*, const uint8_t* msg, uint32_t length) {
    ScreenArgs a(msg, length);
    int64_t x = a.i(), y = a.i(), w = a.i(), h = a.i(), t = a.i();
    uint8_t v = a.pixel();
    if (a.bad || !g_screen || w == 0 || h == 0 || t == 0) return;
    const int64_t sw = SS_ScreenWidth(), sh = SS_ScreenHeight();
    int64_t x0 = std::max<int64_t>(x, 0), w1 = w + std::min<int64_t>(x, 0);
    int64_t y0 = std::max<int64_t>(y, 0), h1 = h + std::min<int64_t>(y, 0);
    if (w1 <= 0 || h1 <= 0) return;
    int64_t xr = w1 > sw - x0 ? sw - t : x0 + w1 - t;
    int64_t yb = y0 + std::min(h1, sh - y0);
    XorHLines(x0, xr, y0, t, v);
    XorHLines(x0, xr, yb - t, t, v);
    XorVLines(x0, y0 + t, yb - t - 1, t, v);
    XorVLines(xr, y0, yb - 1, t, v);
}
