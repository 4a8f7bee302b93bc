// Request handlers of the drawing requests on pixmaps: decode the body,
// look the pixmap up, call the primitive. A target that is not a drawable
// pixmap, or an argument beyond kMaxCoord, makes the request do nothing.
#include <algorithm>
#include <cmath>
#include <vector>

#include "core/handlers.h"
#include "render/primitives.h"
#include "render/sspixmap.h"

namespace {

// Reads the arguments that follow the target identifier (offset 8 on).
class Args {
public:
    Args(const uint8_t* msg, uint32_t length) : r_(msg, length, 8) {}
    int64_t i() {
        int32_t v = r_.s32();
        if (v > kMaxCoord || v < -kMaxCoord) bad_ = true;
        return v;
    }
    uint8_t pixel() { return uint8_t(r_.u32()); }
    uint32_t word() { return r_.u32(); }
    uint8_t byte() { return r_.byte(); }
    proto::Color color() { return r_.color(); }
    uint16_t u16() { return r_.u16(); }
    uint8_t raw8() { return r_.raw8(); }
    double f64() { return r_.f64(); }
    bool ok() const { return !bad_; }

private:
    proto::ArgReader r_;
    bool bad_ = false;
};

bool Target(const uint8_t* msg, SSCanvas* c) { return SS_PixmapCanvas(SS_FindPixmap(proto::GetU32(msg + 4)), c); }

SSRgb Rgb(const proto::Color& c) { return SSRgb{c.r, c.g, c.b}; }

// Outer lines only: top and left in one grey, bottom and right in another.
void OuterBox(const SSCanvas& c, int64_t x, int64_t y, int64_t w, int64_t h, uint8_t topLeft, uint8_t bottomRight) {
    PrimHSpan(c, x, x + w - 2, y, topLeft);
    PrimVSpan(c, x, y + 1, y + h - 2, topLeft);
    PrimHSpan(c, x, x + w - 1, y + h - 1, bottomRight);
    PrimVSpan(c, x + w - 1, y, y + h - 2, bottomRight);
}

// The Custom boxes with a non-zero word use it as a grey base colour for the
// shaded form; 0 selects the palette.
SSBoxColors CustomColors(uint32_t word, bool up) {
    if (word == 0) return up ? UpBoxPalette() : DownBoxPalette();
    int32_t g = int32_t(word & 0xFF);
    return up ? UpBoxShaded(SSRgb{g, g, g}) : DownBoxShaded(SSRgb{g, g, g});
}

} // namespace

#define TARGET()                                                                                                       \
    (void)client;                                                                                                      \
    SSCanvas c;                                                                                                        \
    if (!Target(msg, &c)) return;                                                                                      \
    Args a(msg, length)

// ---- Points, spans, lines -------------------------------------------------------------------

void HandleDrawPoint(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t x = a.i(), y = a.i();
    uint8_t v = a.pixel();
    if (a.ok()) PrimPoint(c, x, y, v);
}

static void PointCustom(const uint8_t* msg, uint32_t length, bool left) {
    SSCanvas c;
    if (!Target(msg, &c)) return;
    Args a(msg, length);
    int64_t x = a.i(), y = a.i();
    proto::Color col = a.color();
    if (!a.ok()) return;
    SSShades s = ShadesOf(Rgb(col));
    uint8_t first = left ? s.light : s.dark, second = left ? s.bright : s.base;
    PrimVSpan(c, x, y, y + 1, first);
    PrimVSpan(c, x + 1, y, y + 1, second);
}

void HandleDrawPointLeftCustom(SSClient*, const uint8_t* msg, uint32_t length) { PointCustom(msg, length, true); }
void HandleDrawPointRightCustom(SSClient*, const uint8_t* msg, uint32_t length) { PointCustom(msg, length, false); }

void HandleFillRect(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t x = a.i(), y = a.i(), w = a.i(), h = a.i();
    uint8_t v = a.pixel();
    if (a.ok()) PrimFillRect(c, x, y, w, h, v);
}

void HandleDrawHLine(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t x1 = a.i(), x2 = a.i(), y = a.i();
    uint8_t v = a.pixel();
    if (a.ok()) PrimHSpan(c, x1, x2, y, v);
}

void HandleDrawVLine(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t x = a.i(), y1 = a.i(), y2 = a.i();
    uint8_t v = a.pixel();
    if (a.ok()) PrimVSpan(c, x, y1, y2, v);
}

// The dotted span family: the words at 8, 12, 16 and 20, whatever the
// request's own layout names them.
static void DashH(const uint8_t* msg, uint32_t length) {
    SSCanvas c;
    if (!Target(msg, &c)) return;
    Args a(msg, length);
    int64_t x1 = a.i(), x2 = a.i(), y = a.i();
    uint8_t v = a.pixel();
    if (a.ok()) PrimDashHSpan(c, x1, x2, y, v);
}

static void DashV(const uint8_t* msg, uint32_t length) {
    SSCanvas c;
    if (!Target(msg, &c)) return;
    Args a(msg, length);
    int64_t x = a.i(), y1 = a.i(), y2 = a.i();
    uint8_t v = a.pixel();
    if (a.ok()) PrimDashVSpan(c, x, y1, y2, v);
}

void HandleDrawDashHLine(SSClient*, const uint8_t* msg, uint32_t length) { DashH(msg, length); }
void HandleDrawWHLine(SSClient*, const uint8_t* msg, uint32_t length) { DashH(msg, length); }
void HandleDrawHLineWGradient(SSClient*, const uint8_t* msg, uint32_t length) { DashH(msg, length); }
void HandleDrawHLineCustom(SSClient*, const uint8_t* msg, uint32_t length) { DashH(msg, length); }
void HandleDrawDashVLine(SSClient*, const uint8_t* msg, uint32_t length) { DashV(msg, length); }
void HandleDrawWVLine(SSClient*, const uint8_t* msg, uint32_t length) { DashV(msg, length); }
void HandleDrawVLineW(SSClient*, const uint8_t* msg, uint32_t length) { DashV(msg, length); }
void HandleDrawVLineWGradient(SSClient*, const uint8_t* msg, uint32_t length) { DashV(msg, length); }

void HandleDrawDashRect(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t x = a.i(), y = a.i(), w = a.i(), h = a.i();
    uint8_t v = a.pixel();
    if (!a.ok() || w == 0 || h == 0) return;
    PrimDashHSpan(c, x, x + w - 1, y, v);
    PrimDashHSpan(c, x, x + w - 1, y + h - 1, v);
    PrimDashVSpan(c, x, y, y + h - 1, v);
    PrimDashVSpan(c, x + w - 1, y, y + h - 1, v);
}

void HandleDrawHLineW(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t x1 = a.i(), x2 = a.i(), y = a.i(), t = a.i();
    uint8_t v = a.pixel();
    if (!a.ok() || t < 1) return;
    PrimFillBox(c, x1, y, x2, y + t - 1, v);
}

void HandleDrawLine(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t x1 = a.i(), y1 = a.i(), x2 = a.i(), y2 = a.i();
    uint8_t v = a.pixel();
    if (a.ok()) PrimLine(c, x1, y1, x2, y2, v);
}

void HandleDrawLineW(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t x1 = a.i(), y1 = a.i(), x2 = a.i(), y2 = a.i(), t = a.i();
    uint8_t v = a.pixel();
    if (a.ok()) PrimLineW(c, x1, y1, x2, y2, t, v);
}

void HandleDrawLineWPolygon(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t x1 = a.i(), y1 = a.i(), x2 = a.i(), y2 = a.i(), t = a.i();
    uint8_t v = a.pixel();
    if (a.ok()) PrimLineWPolygon(c, x1, y1, x2, y2, t, v);
}

// Point lists: n at 8, pixel at 12, n x values from 16, then n y values,
// all inside the message.
static void Polygon(const uint8_t* msg, uint32_t length, bool fill) {
    SSCanvas c;
    if (!Target(msg, &c)) return;
    int32_t n = proto::GetS32(msg + 8);
    uint8_t v = msg[12];
    if (n <= 0 || length < 16 || int64_t(n) > int64_t(length - 16) / 8) return;
    std::vector<int64_t> xs(static_cast<size_t>(n)), ys(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) {
        xs[size_t(i)] = proto::GetS32(msg + 16 + 4 * i);
        ys[size_t(i)] = proto::GetS32(msg + 16 + 4 * (n + i));
        if (std::abs(xs[size_t(i)]) > kMaxCoord || std::abs(ys[size_t(i)]) > kMaxCoord) return;
    }
    if (fill)
        PrimFillPolygon(c, xs.data(), ys.data(), n, v);
    else
        PrimPolygon(c, xs.data(), ys.data(), n, v);
}

void HandleDrawPolygon(SSClient*, const uint8_t* msg, uint32_t length) { Polygon(msg, length, false); }
void HandleFillPolygon(SSClient*, const uint8_t* msg, uint32_t length) { Polygon(msg, length, true); }

// ---- Rectangles, bands, boxes ---------------------------------------------------------------

void HandleDrawRect(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t x = a.i(), y = a.i(), w = a.i(), h = a.i();
    uint8_t v = a.pixel();
    if (a.ok()) PrimRect(c, x, y, w, h, v);
}

static void RectW(const uint8_t* msg, uint32_t length) {
    SSCanvas c;
    if (!Target(msg, &c)) return;
    Args a(msg, length);
    int64_t x = a.i(), y = a.i(), w = a.i(), h = a.i(), t = a.i();
    uint8_t v = a.pixel();
    if (a.ok()) PrimRectW(c, x, y, w, h, t, v);
}

void HandleDrawWRect(SSClient*, const uint8_t* msg, uint32_t length) { RectW(msg, length); }
void HandleDrawRectW(SSClient*, const uint8_t* msg, uint32_t length) { RectW(msg, length); }

void HandleFillRectW(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t x = a.i(), y = a.i(), w = a.i(), h = a.i(), t = a.i();
    uint8_t border = a.pixel(), fill = a.pixel();
    if (a.ok()) PrimFillRectW(c, x, y, w, h, t, border, fill);
}

// The S boxes: outer lines only, w and h above 4.
static void BoxS(const uint8_t* msg, uint32_t length, bool up, bool fill) {
    SSCanvas c;
    if (!Target(msg, &c)) return;
    Args a(msg, length);
    int64_t x = a.i(), y = a.i(), w = a.i(), h = a.i();
    uint8_t v = a.pixel();
    if (!a.ok() || w <= 4 || h <= 4) return;
    if (fill) PrimFillRect(c, x, y, w, h, v);
    const SSPalette& p = g_palette;
    OuterBox(c, x, y, w, h, up ? p.white : p.black, up ? p.black : p.white);
}

void HandleDrawUpBoxS(SSClient*, const uint8_t* msg, uint32_t length) { BoxS(msg, length, true, false); }
void HandleDrawDownBoxS(SSClient*, const uint8_t* msg, uint32_t length) { BoxS(msg, length, false, false); }
void HandleFillUpBoxS(SSClient*, const uint8_t* msg, uint32_t length) { BoxS(msg, length, true, true); }
void HandleFillDownBoxS(SSClient*, const uint8_t* msg, uint32_t length) { BoxS(msg, length, false, true); }

void HandleFillUpBox(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t x = a.i(), y = a.i(), w = a.i(), h = a.i();
    uint8_t v = a.pixel();
    if (!a.ok() || w <= 4 || h <= 4) return;
    PrimFillRect(c, x, y, w, h, v);
    PrimBox3D(c, x, y, w, h, UpBoxPalette());
}

// DrawUpBox / DrawDownBox: flag word at 24, colour record at 28.
static void Box(const uint8_t* msg, uint32_t length, bool up) {
    SSCanvas c;
    if (!Target(msg, &c)) return;
    Args a(msg, length);
    int64_t x = a.i(), y = a.i(), w = a.i(), h = a.i();
    uint32_t flag = a.word();
    proto::Color col = a.color();
    // Like every 3D box, at least 5 x 5: a 4 x 4 box would be all edges.
    if (!a.ok() || w <= 4 || h <= 4) return;
    if (flag == 0)
        PrimBox3D(c, x, y, w, h, up ? UpBoxPalette() : DownBoxPalette());
    else
        PrimBox3D(c, x, y, w, h, up ? UpBoxShaded(Rgb(col)) : DownBoxShaded(Rgb(col)));
}

void HandleDrawUpBox(SSClient*, const uint8_t* msg, uint32_t length) { Box(msg, length, true); }
void HandleDrawDownBox(SSClient*, const uint8_t* msg, uint32_t length) { Box(msg, length, false); }

static void BoxRGB(const uint8_t* msg, uint32_t length, bool up) {
    SSCanvas c;
    if (!Target(msg, &c)) return;
    Args a(msg, length);
    int64_t x = a.i(), y = a.i(), w = a.i(), h = a.i();
    proto::Color col = a.color();
    if (!a.ok() || w <= 4 || h <= 4) return;
    PrimBox3D(c, x, y, w, h, up ? UpBoxShaded(Rgb(col)) : DownBoxShaded(Rgb(col)));
}

void HandleDrawUpBoxRGB(SSClient*, const uint8_t* msg, uint32_t length) { BoxRGB(msg, length, true); }
void HandleDrawDownBoxRGB(SSClient*, const uint8_t* msg, uint32_t length) { BoxRGB(msg, length, false); }

static void BoxCustom(const uint8_t* msg, uint32_t length, bool up, bool rgb) {
    SSCanvas c;
    if (!Target(msg, &c)) return;
    Args a(msg, length);
    int64_t x = a.i(), y = a.i(), w = a.i(), h = a.i();
    SSBoxColors colors;
    if (rgb) {
        proto::Color col = a.color();
        colors = up ? UpBoxShaded(Rgb(col)) : DownBoxShaded(Rgb(col));
    } else {
        colors = CustomColors(a.word(), up);
    }
    uint8_t mask = a.byte();
    if (!a.ok() || w <= 4 || h <= 4) return;
    int64_t leftFrom = -1, innerLeftFrom = -1, innerRightFrom = -1;
    // Without the top lines the left and inner lines of the raised box reach
    // further up.
    if (up && rgb && mask != 0) leftFrom = 0, innerLeftFrom = 0, innerRightFrom = 0;
    if (up && !rgb && (mask & 1)) leftFrom = 0, innerLeftFrom = 1, innerRightFrom = 0;
    PrimBox3D(c, x, y, w, h, colors, mask, leftFrom, innerLeftFrom, innerRightFrom);
}

void HandleDrawUpBoxCustom(SSClient*, const uint8_t* msg, uint32_t length) { BoxCustom(msg, length, true, false); }
void HandleDrawDownBoxCustom(SSClient*, const uint8_t* msg, uint32_t length) { BoxCustom(msg, length, false, false); }
void HandleDrawUpBoxCustomRGB(SSClient*, const uint8_t* msg, uint32_t length) { BoxCustom(msg, length, true, true); }
void HandleDrawDownBoxCustomRGB(SSClient*, const uint8_t* msg, uint32_t length) { BoxCustom(msg, length, false, true); }

void HandleDrawHSeperator2(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t x1 = a.i(), x2 = a.i(), y = a.i();
    if (!a.ok()) return;
    PrimHSpan(c, x1, x2, y, g_palette.shadow);
    PrimHSpan(c, x1, x2, y + 1, g_palette.white);
}

void HandleDrawVSeperator2(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t x = a.i(), y1 = a.i(), y2 = a.i();
    if (!a.ok()) return;
    PrimVSpan(c, x, y1, y2, g_palette.shadow);
    PrimVSpan(c, x + 1, y1, y2, g_palette.white);
}

void HandleDrawHSeperator3D2(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t x1 = a.i(), x2 = a.i(), y = a.i();
    if (!a.ok()) return;
    const SSPalette& p = g_palette;
    PrimHSpan(c, x1 + 1, x2 - 1, y, p.white);
    PrimHSpan(c, x1 + 1, x2 - 1, y + 1, p.mid);
    PrimHSpan(c, x1, x2 - 1, y + 2, p.shadow);
    PrimVSpan(c, x1, y, y + 1, p.white);
    PrimVSpan(c, x2, y, y + 2, p.shadow);
}

void HandleDrawVSeperator3D2(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t x = a.i(), y1 = a.i(), y2 = a.i();
    if (!a.ok()) return;
    const SSPalette& p = g_palette;
    PrimVSpan(c, x, y1 + 1, y2 - 1, p.white);
    PrimVSpan(c, x + 1, y1 + 1, y2 - 1, p.mid);
    PrimVSpan(c, x + 2, y1, y2 - 1, p.shadow);
    PrimHSpan(c, x, x + 1, y1, p.white);
    PrimHSpan(c, x, x + 2, y2, p.shadow);
}

static void Arrow(const uint8_t* msg, uint32_t length, bool end) {
    SSCanvas c;
    if (!Target(msg, &c)) return;
    Args a(msg, length);
    int64_t x = a.i(), y = a.i(), w = a.i(), h = a.i();
    uint8_t v = a.pixel();
    uint8_t dir = a.byte();
    if (a.ok()) PrimSmallArrow(c, x, y, w, h, v, dir, end);
}

void HandleDrawSmallArrow(SSClient*, const uint8_t* msg, uint32_t length) { Arrow(msg, length, false); }
void HandleDrawSmallEndArrow(SSClient*, const uint8_t* msg, uint32_t length) { Arrow(msg, length, true); }

void HandleDrawCheckBox(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t x = a.i(), y = a.i();
    a.word(), a.word(); // w and h are not used: the box is always 13 x 13
    uint8_t mark = a.byte();
    uint8_t v = a.pixel();
    uint8_t noFrame = a.byte();
    if (a.ok()) PrimCheckBox(c, x, y, mark != 0, v, noFrame != 0);
}

void HandleDrawTabTitleBox(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t x = a.i(), y = a.i(), w = a.i(), h = a.i();
    uint32_t flag = a.word();
    proto::Color col = a.color();
    if (a.ok()) PrimTabTitleBox(c, x, y, w, h, flag, col);
}

// ---- Gradients ----------------------------------------------------------------------------

void HandleDrawGradientRect(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t x = a.i(), y = a.i(), w = a.i(), h = a.i();
    int32_t v[9];
    for (int32_t& e : v)
        e = a.u16();
    uint8_t dir = a.raw8(), mirror = a.raw8();
    if (!a.ok()) return;
    PrimGradientRect(c, x, y, w, h, SSRgb{v[0], v[1], v[2]}, SSRgb{v[3], v[4], v[5]}, dir != 0, mirror != 0);
}

void HandleDrawRectWGradient(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t x = a.i(), y = a.i(), w = a.i(), h = a.i(), t = a.i();
    proto::Color c1 = a.color(), c2 = a.color();
    if (a.ok()) PrimRectWGradient(c, x, y, w, h, t, c1, c2);
}

void HandleFillRectWGradient(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t x = a.i(), y = a.i(), w = a.i(), h = a.i(), t = a.i();
    proto::Color c1 = a.color(), c2 = a.color(), c3 = a.color(), c4 = a.color();
    uint8_t dir = a.raw8(), mirror = a.raw8();
    if (!a.ok() || w <= 0 || h <= 0 || t < 1) return;
    PrimRectWGradient(c, x, y, w, h, t, c1, c2);
    if (t >= std::min(w, h) / 2 || c3.pixel == c4.pixel) return;
    PrimGradientRect(c, x + t, y + t, w - 2 * t, h - 2 * t, Rgb(c3), Rgb(c4), dir != 0, mirror != 0);
}

// ---- Circles and ellipses ------------------------------------------------------------------

void HandleDrawCircle(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t cx = a.i(), cy = a.i(), r = a.i();
    proto::Color col = a.color();
    if (a.ok()) PrimCircle(c, cx, cy, r, uint8_t(col.pixel), false);
}

void HandleFillCircle(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t cx = a.i(), cy = a.i(), r = a.i();
    proto::Color col = a.color();
    if (a.ok()) PrimFillCircle(c, cx, cy, r, uint8_t(col.pixel));
}

void HandleFillCircleW(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t cx = a.i(), cy = a.i(), r = a.i(), t = a.i();
    proto::Color col = a.color();
    if (a.ok()) PrimFillCircleW(c, cx, cy, r, t, uint8_t(col.pixel));
}

void HandleFillCircleGradient(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t cx = a.i(), cy = a.i(), r = a.i();
    proto::Color c1 = a.color(), c2 = a.color();
    if (a.ok()) PrimFillCircleGradient(c, cx, cy, r, c1, c2);
}

void HandleFillCircleGradientW(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t cx = a.i(), cy = a.i(), r = a.i(), t = a.i();
    proto::Color c1 = a.color(), c2 = a.color();
    if (a.ok()) PrimFillCircleGradientW(c, cx, cy, r, t, c1, c2);
}

void HandleFillCircleGradientW2(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t cx = a.i(), cy = a.i(), r = a.i(), t = a.i();
    proto::Color c1 = a.color(), c2 = a.color(), c3 = a.color(), c4 = a.color();
    if (!a.ok()) return;
    if (t < r) {
        PrimFillCircleGradientW(c, cx, cy, r, t, c1, c2);
        PrimFillCircleGradient(c, cx, cy, r - t, c3, c4);
    } else {
        PrimFillCircleGradient(c, cx, cy, r, c3, c4);
    }
}

void HandleDrawEllipse(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t cx = a.i(), cy = a.i(), ea = a.i(), eb = a.i();
    uint8_t v = a.pixel();
    if (a.ok()) PrimEllipse(c, cx, cy, ea, eb, v, ELLIPSE_OUTLINE);
}

void HandleFillEllipse(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t cx = a.i(), cy = a.i(), ea = a.i(), eb = a.i();
    uint8_t v = a.pixel();
    if (a.ok()) PrimEllipse(c, cx, cy, ea, eb, v, ELLIPSE_FILL);
}

void HandleDrawEllipseW(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t cx = a.i(), cy = a.i(), ea = a.i(), eb = a.i(), t = a.i();
    uint8_t v = a.pixel();
    if (a.ok()) PrimEllipseW(c, cx, cy, ea, eb, t, v);
}

void HandleFillEllipseW(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t cx = a.i(), cy = a.i(), ea = a.i(), eb = a.i(), t = a.i();
    uint8_t border = a.pixel(), fill = a.pixel();
    if (a.ok()) PrimFillEllipseW(c, cx, cy, ea, eb, t, border, fill);
}

void HandleDrawEllipseWGradient(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t cx = a.i(), cy = a.i(), ea = a.i(), eb = a.i(), t = a.i();
    proto::Color c1 = a.color(), c2 = a.color();
    if (a.ok()) PrimEllipseWGradient(c, cx, cy, ea, eb, t, c1, c2);
}

void HandleFillEllipseGradient(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t cx = a.i(), cy = a.i(), ea = a.i(), eb = a.i();
    proto::Color c1 = a.color(), c2 = a.color();
    if (a.ok()) PrimFillEllipseGradient(c, cx, cy, ea, eb, c1, c2);
}

void HandleFillEllipseWGradient(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t cx = a.i(), cy = a.i(), ea = a.i(), eb = a.i(), t = a.i();
    proto::Color c1 = a.color(), c2 = a.color(), c3 = a.color(), c4 = a.color();
    if (!a.ok() || ea <= 0 || eb <= 0) return;
    if (std::min(ea, eb) > t) {
        PrimEllipseWGradient(c, cx, cy, ea, eb, t, c1, c2);
        PrimFillEllipseGradient(c, cx, cy, ea - t, eb - t, c3, c4);
    } else {
        PrimFillEllipseGradient(c, cx, cy, ea, eb, c3, c4);
    }
}

// ---- Rounded rectangles --------------------------------------------------------------------

void HandleDrawRoundRect(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t x = a.i(), y = a.i(), w = a.i(), h = a.i(), cw = a.i(), ch = a.i();
    uint8_t v = a.pixel();
    if (a.ok()) PrimRoundRect(c, x, y, w, h, cw, ch, v);
}

void HandleDrawRoundRectW(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t x = a.i(), y = a.i(), w = a.i(), h = a.i(), cw = a.i(), ch = a.i(), t = a.i();
    uint8_t v = a.pixel();
    if (a.ok()) PrimRoundRectW(c, x, y, w, h, cw, ch, t, v);
}

void HandleFillRoundRect(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t x = a.i(), y = a.i(), w = a.i(), h = a.i(), cw = a.i(), ch = a.i();
    uint8_t v = uint8_t(proto::GetU32(msg + 52)); // the pixel sits after five unused words
    if (length < 56) v = 0;
    if (a.ok()) PrimFillRoundRect(c, x, y, w, h, cw, ch, v);
}

void HandleDrawRoundRectWGradient(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t x = a.i(), y = a.i(), w = a.i(), h = a.i(), cw = a.i(), ch = a.i(), t = a.i();
    proto::Color c1 = a.color(), c2 = a.color();
    if (a.ok()) PrimRoundRectWGradient(c, x, y, w, h, cw, ch, t, c1, c2);
}

void HandleFillRoundRectWGradientBase(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t x = a.i(), y = a.i(), w = a.i(), h = a.i(), cw = a.i(), ch = a.i(), t = a.i();
    proto::Color c1 = a.color(), c2 = a.color();
    if (a.ok()) PrimFillRoundRectWGradientBase(c, x, y, w, h, cw, ch, c1, c2, t);
}

void HandleFillRoundRectWGradient(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t x = a.i(), y = a.i(), w = a.i(), h = a.i(), cw = a.i(), ch = a.i(), t = a.i();
    proto::Color c1 = a.color(), c2 = a.color();
    uint8_t v = a.pixel();
    if (!a.ok()) return;
    PrimFillRoundRect(c, x, y, w, h, cw, ch, v);
    PrimRoundRectWGradient(c, x, y, w, h, cw, ch, t, c1, c2);
}

void HandleFillRoundRectWGradient2(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t x = a.i(), y = a.i(), w = a.i(), h = a.i(), cw = a.i(), ch = a.i(), t = a.i();
    proto::Color c1 = a.color(), c2 = a.color(), c3 = a.color(), c4 = a.color();
    if (!a.ok()) return;
    // The inside first, then the border band over it.
    PrimFillRoundRectWGradientBase(c, x, y, w, h, cw, ch, c3, c4, t);
    PrimRoundRectWGradient(c, x, y, w, h, cw, ch, t, c1, c2);
}

// ---- Arcs ----------------------------------------------------------------------------------

void HandleDrawArc(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t cx = a.i(), cy = a.i(), r = a.i(), start = a.i(), extent = a.i();
    uint8_t v = a.pixel();
    if (a.ok()) PrimArc(c, cx, cy, r, start, extent, v);
}

void HandleFillArc(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t cx = a.i(), cy = a.i(), r = a.i(), start = a.i(), extent = a.i();
    uint8_t v = a.pixel();
    if (a.ok()) PrimFillArc(c, cx, cy, r, start, extent, v);
}

void HandleDrawArcAera(SSClient* client, const uint8_t* msg, uint32_t length) {
    TARGET();
    int64_t cx = a.i(), cy = a.i(), r = a.i(), start = a.i(), end = a.i();
    uint8_t v = a.pixel();
    if (a.ok()) PrimArcPiece(c, cx, cy, r, start, end, v);
}

// Angles in degrees as doubles: truncated, then in sixteenths. Values that
// are not finite or beyond the coordinate range draw nothing.
static void ArcDouble(const uint8_t* msg, uint32_t length, bool fill) {
    SSCanvas c;
    if (!Target(msg, &c)) return;
    Args a(msg, length);
    int64_t cx = a.i(), cy = a.i();
    double r = a.f64(), start = a.f64(), extent = a.f64();
    uint8_t v = a.pixel();
    if (!a.ok() || !std::isfinite(r) || !std::isfinite(start) || !std::isfinite(extent)) return;
    if (std::fabs(r) > double(kMaxCoord)) return;
    // Whole turns change nothing; beyond one turn the extent is a full circle.
    start = std::fmod(std::trunc(start), 360.0);
    extent = std::trunc(extent);
    if (std::fabs(extent) > 360.0) extent = 360.0;
    int64_t ri = int64_t(r), s16 = int64_t(start) * 16, e16 = int64_t(extent) * 16;
    if (fill)
        PrimFillArc(c, cx, cy, ri, s16, e16, v);
    else
        PrimArc(c, cx, cy, ri, s16, e16, v);
}

void HandleDrawArcDouble(SSClient*, const uint8_t* msg, uint32_t length) { ArcDouble(msg, length, false); }
void HandleFillArcDouble(SSClient*, const uint8_t* msg, uint32_t length) { ArcDouble(msg, length, true); }
