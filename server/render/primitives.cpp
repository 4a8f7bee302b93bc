// Pixel rules of the drawing primitives. Everything here works on a canvas
// and clips every write to it; the request handlers live in
// primitive_handlers.cpp.
#include "render/primitives.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/rows.h"
#include "render/sspixmap.h"

SSPalette g_palette = {0, 255, 127, 191, 223};
uint16_t g_arcSin[1441];
uint16_t g_arcCos[1441];

static void InitArcTables() {
    for (int a = 0; a <= 1440; ++a) {
        double rad = a / 16.0 * M_PI / 180.0;
        // The small bias keeps exact integers (sin 90 = 1) from rounding down.
        g_arcSin[a] = uint16_t(std::floor(1024.0 * std::sin(rad) + 1e-7));
        g_arcCos[a] = uint16_t(std::floor(1024.0 * std::cos(rad) + 1e-7));
    }
    // The device's tables differ from the rounded-down values here.
    g_arcSin[480] = 512;
    g_arcSin[552] = 580;
    g_arcCos[960] = 511;
    g_arcCos[1268] = 190;
    g_arcCos[1371] = 76;
    g_arcCos[1440] = 1;
}

void InitColors() {
    auto grey = [](int r, int g, int b) { return uint8_t(proto::RgbToGrey(r, g, b)); };
    g_palette.black = grey(0, 0, 0);
    g_palette.white = grey(255, 255, 255);
    g_palette.shadow = grey(127, 127, 127);
    g_palette.mid = grey(191, 191, 191);
    g_palette.face = grey(223, 223, 223);
}

// The arc tables are built once, before main: they are usable by any code,
// unit tests of single primitives included.
namespace {
struct ArcTablesInit {
    ArcTablesInit() { InitArcTables(); }
} g_arcTablesInit;
} // namespace

bool SS_PixmapCanvas(const SSPixmap* p, SSCanvas* c) {
    if (!p || !p->d.pixels || p->d.width <= 0 || p->d.height <= 0) return false;
    // Drawing uses one byte per pixel with the width as stride: the buffer
    // must hold that many bytes.
    if (int64_t(p->d.bytesPerLine) < int64_t(p->d.width)) return false;
    c->pixels = p->d.pixels;
    c->width = p->d.width;
    c->height = p->d.height;
    return true;
}

// ---- Colours ------------------------------------------------------------------

static int32_t Clamp255(int64_t v) { return v < 0 ? 0 : v > 255 ? 255 : int32_t(v); }

uint8_t GreyOf(SSRgb c) {
    return uint8_t(proto::RgbToGrey(uint32_t(Clamp255(c.r)), uint32_t(Clamp255(c.g)), uint32_t(Clamp255(c.b))));
}

bool ShadeRgb(SSRgb in, double f, SSRgb* out) {
    int k = int(f * 100);
    if (k <= 0) return false;
    int r = Clamp255(in.r), g = Clamp255(in.g), b = Clamp255(in.b);
    int v = std::max({r, g, b});
    int delta = v - std::min({r, g, b});
    int s = v == 0 ? 0 : (v + 510 * delta) / (2 * v);
    int h = -1;
    if (s != 0 && delta != 0) {
        if (r >= g && std::max(r, g) >= b) {
            h = g < b ? 300 + (delta + (delta + g - b) * 120) / (2 * delta) : (delta + (g - b) * 120) / (2 * delta);
        } else if (g > r && g >= b) {
            h = r >= b ? 60 + (delta + (delta + b - r) * 120) / (2 * delta)
                       : 120 + (delta + (b - r) * 120) / (2 * delta);
        } else {
            h = r <= g ? 180 + (delta + (delta + r - g) * 120) / (2 * delta)
                       : 240 + (delta + (r - g) * 120) / (2 * delta);
        }
    }
    int v2 = std::min(v * k / 100, 255);
    int ro, go, bo;
    if (h == -1 || s == 0) {
        ro = go = bo = v2;
    } else {
        if (h < 0 || h > 359) h = ((h % 360) + 360) % 360;
        int i = h / 60, fr = h - 60 * i;
        int p = (2 * v2 * (255 - s) + 255) / 510;
        if (i & 1) {
            int q = (2 * v2 * (15300 - s * fr) + 15300) / 30600;
            if (i == 1)
                ro = q, go = v2, bo = p;
            else if (i == 3)
                ro = p, go = q, bo = v2;
            else
                ro = v2, go = p, bo = q;
        } else {
            int t = (2 * v2 * (15300 - s * (60 - fr)) + 15300) / 30600;
            if (i == 0)
                ro = v2, go = t, bo = p;
            else if (i == 2)
                ro = p, go = v2, bo = t;
            else
                ro = t, go = p, bo = v2;
        }
    }
    *out = SSRgb{Clamp255(ro), Clamp255(go), Clamp255(bo)};
    return true;
}

static uint8_t ShadeGrey(SSRgb c, double f) {
    SSRgb s;
    return GreyOf(ShadeRgb(c, f, &s) ? s : c);
}

SSShades ShadesOf(SSRgb c) {
    return SSShades{ShadeGrey(c, 1.328125), ShadeGrey(c, 1.1614583), ShadeGrey(c, 0.6614583), ShadeGrey(c, 0)};
}

int32_t RampChannel(int32_t c1, int32_t c2, int64_t a, int64_t b, int64_t d) {
    // Each product is divided on its own and the quotients added: dividing
    // the weights first can land a whole-number value just below it, and
    // truncation then takes one grey level off.
    double v = double(c1) * double(a) / double(d) + double(c2) * double(b) / double(d);
    if (!(v > 0)) return 0;
    return v >= 255 ? 255 : int32_t(v);
}

uint8_t RampMixGrey(SSRgb c1, SSRgb c2, int64_t a, int64_t b, int64_t d) {
    if (d <= 0) return GreyOf(c1);
    return GreyOf(
        SSRgb{RampChannel(c1.r, c2.r, a, b, d), RampChannel(c1.g, c2.g, a, b, d), RampChannel(c1.b, c2.b, a, b, d)});
}

uint8_t RampGrey(SSRgb c1, SSRgb c2, int64_t k, int64_t n) { return RampMixGrey(c1, c2, n - k, k, n); }

static SSRgb RgbOf(const proto::Color& c) { return SSRgb{c.r, c.g, c.b}; }
static uint8_t PixelOf(const proto::Color& c) { return uint8_t(c.pixel); }

// ---- Points and spans -----------------------------------------------------------------

void PrimPoint(const SSCanvas& c, int64_t x, int64_t y, uint8_t v) {
    if (x < 0 || y < 0 || x >= c.width || y >= c.height) return;
    c.pixels[y * c.width + x] = v;
}

// Orders and clips the ends of a span to [0, limit); false when nothing is left.
static bool ClipSpan(int64_t& a, int64_t& b, int64_t limit) {
    if (a > b) std::swap(a, b);
    if (b < 0 || a >= limit) return false;
    a = std::max<int64_t>(a, 0);
    b = std::min<int64_t>(b, limit - 1);
    return true;
}

void PrimHSpan(const SSCanvas& c, int64_t x1, int64_t x2, int64_t y, uint8_t v) {
    if (y < 0 || y >= c.height || !ClipSpan(x1, x2, c.width)) return;
    std::memset(c.pixels + y * c.width + x1, v, size_t(x2 - x1 + 1));
}

void PrimVSpan(const SSCanvas& c, int64_t x, int64_t y1, int64_t y2, uint8_t v) {
    if (x < 0 || x >= c.width || !ClipSpan(y1, y2, c.height)) return;
    uint8_t* p = c.pixels + y1 * c.width + x;
    for (int64_t y = y1; y <= y2; ++y, p += c.width)
        *p = v;
}

void PrimDashHSpan(const SSCanvas& c, int64_t x1, int64_t x2, int64_t y, uint8_t v) {
    if (y < 0 || y >= c.height || !ClipSpan(x1, x2, c.width)) return;
    uint8_t* row = c.pixels + y * c.width;
    for (int64_t x = x1; x <= x2; x += 2)
        row[x] = v;
}

void PrimDashVSpan(const SSCanvas& c, int64_t x, int64_t y1, int64_t y2, uint8_t v) {
    if (x < 0 || x >= c.width || !ClipSpan(y1, y2, c.height)) return;
    for (int64_t y = y1; y <= y2; y += 2)
        c.pixels[y * c.width + x] = v;
}

void PrimFillBox(const SSCanvas& c, int64_t x1, int64_t y1, int64_t x2, int64_t y2, uint8_t v) {
    if (!ClipSpan(x1, x2, c.width) || !ClipSpan(y1, y2, c.height)) return;
    eink::FillRows(c.pixels + y1 * c.width + x1, c.width, size_t(x2 - x1 + 1), size_t(y2 - y1 + 1), v);
}

void PrimFillRect(const SSCanvas& c, int64_t x, int64_t y, int64_t w, int64_t h, uint8_t v) {
    if (w <= 0 || h <= 0) return;
    PrimFillBox(c, x, y, x + w - 1, y + h - 1, v);
}

// ---- Thin line ---------------------------------------------------------------------------

static int64_t FloorDiv(int64_t a, int64_t b) { // b > 0
    int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

// Minor-axis advances before step i of a line whose decision value starts at
// 2m - M and steps when it is > 0: ceil((2 m i - M) / (2 M)).
static int64_t MinorSteps(int64_t m, int64_t M, int64_t i) { return -FloorDiv(M - 2 * m * i, 2 * M); }

void PrimLine(const SSCanvas& c, int64_t x1, int64_t y1, int64_t x2, int64_t y2, uint8_t v) {
    if (x1 == x2 && y1 == y2) return PrimPoint(c, x1, y1, v);
    if (y1 == y2) return PrimHSpan(c, x1, x2, y1, v);
    if (x1 == x2) return PrimVSpan(c, x1, y1, y2, v);
    if (y1 > y2) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    int64_t dx = std::abs(x2 - x1), dy = y2 - y1;
    bool xMajor = dx >= dy;
    int64_t M = xMajor ? dx : dy, m = xMajor ? dy : dx;
    int64_t a0 = xMajor ? x1 : y1, b0 = xMajor ? y1 : x1;
    int64_t sa = xMajor ? (x2 > x1 ? 1 : -1) : 1;
    int64_t sb = xMajor ? 1 : (x2 > x1 ? 1 : -1);
    int64_t aLimit = xMajor ? c.width : c.height, bLimit = xMajor ? c.height : c.width;

    // Steps whose major coordinate lies inside the canvas.
    int64_t lo, hi;
    if (sa > 0) {
        lo = std::max<int64_t>(0, -a0);
        hi = std::min<int64_t>(M, aLimit - 1 - a0);
    } else {
        lo = std::max<int64_t>(0, a0 - (aLimit - 1));
        hi = std::min<int64_t>(M, a0);
    }
    if (lo > hi) return;
    bool inside = x1 >= 0 && x2 >= 0 && x1 < c.width && x2 < c.width && y1 >= 0 && y2 < c.height;
    // Minor advances k that keep the minor coordinate inside; k grows with
    // the step, so the steps that pass form one interval, found by bisection.
    int64_t kMin = sb > 0 ? -b0 : b0 - (bLimit - 1);
    int64_t kMax = sb > 0 ? bLimit - 1 - b0 : b0;
    int64_t l = lo, r = inside ? lo : hi + 1;
    while (l < r) {
        int64_t mid = l + (r - l) / 2;
        if (MinorSteps(m, M, mid) >= kMin)
            r = mid;
        else
            l = mid + 1;
    }
    int64_t first = l;
    l = inside ? hi + 1 : lo, r = hi + 1;
    while (l < r) {
        int64_t mid = l + (r - l) / 2;
        if (MinorSteps(m, M, mid) > kMax)
            r = mid;
        else
            l = mid + 1;
    }
    int64_t last = l - 1;
    if (first > last) return;

    int64_t k = first == 0 ? 0 : MinorSteps(m, M, first); // no division for a line that starts inside
    int64_t d = 2 * m - M + 2 * m * first - 2 * M * k;
    int64_t a = a0 + sa * first, b = b0 + sb * k;
    // Every step of [first, last] lies inside: no per-pixel check.
    const int64_t stepA = xMajor ? sa : sa * c.width, stepB = xMajor ? sb * c.width : sb;
    uint8_t* p = xMajor ? c.pixels + b * c.width + a : c.pixels + a * c.width + b;
    for (int64_t i = first; i <= last; ++i) {
        *p = v;
        p += stepA;
        if (d > 0) {
            p += stepB;
            d -= 2 * M;
        }
        d += 2 * m;
    }
}

// ---- Thick lines -----------------------------------------------------------------------------

void PrimLineW(const SSCanvas& c, int64_t x1, int64_t y1, int64_t x2, int64_t y2, int64_t t, uint8_t v) {
    if (t < 2) return PrimLine(c, x1, y1, x2, y2, v);
    if (x1 == x2 && y1 == y2) return PrimPoint(c, x1, y1, v);
    if (x1 == x2) return PrimFillBox(c, x1, y1, x1 + t - 1, y2, v);
    if (y1 == y2) return PrimFillBox(c, x1, y1, x2, y1 + t - 1, v);
    int64_t dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
    int64_t sx = x2 > x1 ? 1 : -1, sy = y2 > y1 ? 1 : -1;
    bool xMajor = dx >= dy;
    int64_t M = xMajor ? dx : dy, m = xMajor ? dy : dx;
    int64_t d = 2 * m - M;
    int64_t px = x1, py = y1;
    // Consecutive squares differ by one column and/or one row: after the
    // first square only the leading strips are new.
    PrimFillBox(c, px, py, px + t - 1, py + t - 1, v);
    for (int64_t i = 0; i < M; ++i) {
        int64_t nx = px, ny = py;
        if (d >= 0) {
            d -= 2 * M;
            if (xMajor)
                ny += sy;
            else
                nx += sx;
        }
        d += 2 * m;
        if (xMajor)
            nx += sx;
        else
            ny += sy;
        if (i + 1 < M) {
            if (nx != px) {
                int64_t col = nx > px ? nx + t - 1 : nx;
                PrimFillBox(c, col, ny, col, ny + t - 1, v);
            }
            if (ny != py) {
                int64_t row = ny > py ? ny + t - 1 : ny;
                PrimFillBox(c, nx, row, nx + t - 1, row, v);
            }
        }
        px = nx;
        py = ny;
    }
    PrimFillBox(c, x2, y2, x2 + t - 1, y2 + t - 1, v);
}

void PrimLineWPolygon(const SSCanvas& c, int64_t x1, int64_t y1, int64_t x2, int64_t y2, int64_t t, uint8_t v) {
    if (t < 2 || (x1 == x2 && y1 == y2) || x1 == x2 || y1 == y2) return PrimLineW(c, x1, y1, x2, y2, t, v);
    if (x1 > x2) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    int64_t dx = x2 - x1, dy = y2 - y1;
    double s = double(t) / std::sqrt(double(dx) * double(dx) + double(dy) * double(dy));
    int64_t ox = int64_t(dx * s); // truncated toward zero
    int64_t xs[4] = {x1, x2, 0, 0}, ys[4] = {y1, y2, 0, 0};
    if (dy >= 0) {
        int64_t oy = int64_t(dy * s);
        xs[2] = x2 + 1 - oy, ys[2] = y2 + ox - 1;
        xs[3] = x1 + 1 - oy, ys[3] = y1 + ox - 1;
    } else {
        int64_t oy = int64_t(-dy * s);
        xs[2] = x2 + oy - 1, ys[2] = y2 + ox - 1;
        xs[3] = x1 + oy - 1, ys[3] = y1 + ox - 1;
    }
    PrimFillPolygon(c, xs, ys, 4, v);
}

// ---- Polygons -------------------------------------------------------------------------------

void PrimPolygon(const SSCanvas& c, const int64_t* xs, const int64_t* ys, int64_t n, uint8_t v) {
    if (n < 3) return;
    for (int64_t i = 0; i + 1 < n; ++i)
        PrimLine(c, xs[i], ys[i], xs[i + 1], ys[i + 1], v);
    if (xs[n - 1] != xs[0] || ys[n - 1] != ys[0]) PrimLine(c, xs[n - 1], ys[n - 1], xs[0], ys[0], v);
}

namespace {
struct Edge {
    int64_t yUpper; // last scan line of the edge
    float x;        // current x intersection
    float dx;       // x change per scan line
};
constexpr int64_t kFillRows = 600; // the edge table's fixed height
} // namespace

static int64_t TruncFloat(float f) {
    if (!(f == f)) return 0;
    if (f > 1e12f) return int64_t(1e12);
    if (f < -1e12f) return -int64_t(1e12);
    return int64_t(f);
}

void PrimFillPolygon(const SSCanvas& c, const int64_t* xs, const int64_t* ys, int64_t n, uint8_t v) {
    if (n < 2) return;
    std::vector<std::vector<Edge>> table(kFillRows);
    // Lists are kept in x order with ties in arrival order: appending and
    // then sorting stably gives the same order as inserting one by one.
    auto byX = [](const Edge& a, const Edge& b) { return a.x < b.x; };
    auto yNext = [&](int64_t k) {
        int64_t j = (k + 1) % n;
        for (int64_t guard = 0; ys[k] == ys[j] && guard < n; ++guard)
            j = (j + 1) % n;
        return ys[j];
    };
    auto makeEdge = [&](int64_t lx, int64_t ly, int64_t ux, int64_t uy, int64_t yComp) {
        Edge e;
        e.dx = float(ux - lx) / float(uy - ly);
        e.x = float(lx);
        e.yUpper = uy < yComp ? uy - 1 : uy;
        int64_t row = ly;
        if (e.yUpper < 0 || row >= kFillRows) return;
        if (row < 0) { // enters the table at its first row
            e.x = float(lx) + e.dx * float(-row);
            row = 0;
        }
        table[size_t(row)].push_back(e);
    };
    int64_t prevY = ys[n - 2];
    int64_t px = xs[n - 1], py = ys[n - 1];
    for (int64_t i = 0; i < n; ++i) {
        int64_t cx = xs[i], cy = ys[i];
        if (py != cy) {
            if (py < cy)
                makeEdge(px, py, cx, cy, yNext(i));
            else
                makeEdge(cx, cy, px, py, prevY);
        }
        prevY = py;
        px = cx, py = cy;
    }
    std::vector<Edge> active;
    for (int64_t y = 0; y < kFillRows; ++y) {
        const std::vector<Edge>& entering = table[size_t(y)];
        if (!entering.empty()) {
            active.insert(active.end(), entering.begin(), entering.end());
            std::stable_sort(active.begin(), active.end(), byX);
        }
        if (active.empty()) continue;
        for (size_t i = 0; i < active.size(); i += 2) {
            int64_t xa = TruncFloat(active[i].x);
            if (i + 1 == active.size()) {
                PrimPoint(c, xa, y, v);
                break;
            }
            int64_t xb = TruncFloat(active[i + 1].x);
            if (xa < xb) PrimHSpan(c, xa, xb - 1, y, v);
        }
        std::vector<Edge> next;
        next.reserve(active.size());
        for (Edge e : active) {
            if (e.yUpper <= y) continue;
            e.x += e.dx;
            next.push_back(e);
        }
        if (!std::is_sorted(next.begin(), next.end(), byX)) std::stable_sort(next.begin(), next.end(), byX);
        active.swap(next);
    }
}

// ---- Rectangles and 3D boxes ----------------------------------------------------------------

void PrimRect(const SSCanvas& c, int64_t x, int64_t y, int64_t w, int64_t h, uint8_t v) {
    if (w <= 0 || h <= 0) return;
    PrimHSpan(c, x, x + w - 2, y, v);
    PrimVSpan(c, x, y + 1, y + h - 2, v);
    PrimHSpan(c, x, x + w - 1, y + h - 1, v);
    PrimVSpan(c, x + w - 1, y, y + h - 2, v);
}

void PrimRectW(const SSCanvas& c, int64_t x, int64_t y, int64_t w, int64_t h, int64_t t, uint8_t v) {
    if (w <= 0 || h <= 0 || t < 1) return;
    // Bands of t rows and of t columns; a band whose ends cross (a thick
    // border on a small rectangle) is filled between them all the same.
    PrimFillBox(c, x, y, x + w - t, y + t - 1, v);
    PrimFillBox(c, x, y + h - t, x + w - t, y + h - 1, v);
    PrimFillBox(c, x, y + t, x + t - 1, y + h - t - 1, v);
    PrimFillBox(c, x + w - t, y, x + w - 1, y + h - 1, v);
}

void PrimFillRectW(const SSCanvas& c, int64_t x, int64_t y, int64_t w, int64_t h, int64_t t, uint8_t border,
                   uint8_t fill) {
    if (w <= 0 || h <= 0 || t < 1) return;
    if (t >= std::min(w, h) / 2) return PrimFillRect(c, x, y, w, h, border);
    PrimRectW(c, x, y, w, h, t, border);
    PrimFillRect(c, x + t, y + t, w - 2 * t, h - 2 * t, fill);
}

void PrimBox3D(const SSCanvas& c, int64_t x, int64_t y, int64_t w, int64_t h, const SSBoxColors& k, uint32_t skip,
               int64_t leftFrom, int64_t innerLeftFrom, int64_t innerRightFrom) {
    int64_t left0 = leftFrom >= 0 ? y + leftFrom : y + 1;
    int64_t innerLeft0 = innerLeftFrom >= 0 ? y + innerLeftFrom : y + 2;
    int64_t innerRight0 = innerRightFrom >= 0 ? y + innerRightFrom : y + 1;
    if (!(skip & 1)) {
        PrimHSpan(c, x, x + w - 2, y, k.top);
        PrimHSpan(c, x + 1, x + w - 3, y + 1, k.innerTop);
    }
    if (!(skip & 4)) {
        PrimVSpan(c, x, left0, y + h - 2, k.left);
        PrimVSpan(c, x + 1, innerLeft0, y + h - 3, k.innerLeft);
    }
    if (!(skip & 2)) {
        PrimHSpan(c, x, x + w - 1, y + h - 1, k.bottom);
        PrimHSpan(c, x + 1, x + w - 2, y + h - 2, k.innerBottom);
    }
    if (!(skip & 8)) {
        PrimVSpan(c, x + w - 1, y, y + h - 2, k.right);
        PrimVSpan(c, x + w - 2, innerRight0, y + h - 3, k.innerRight);
    }
}

SSBoxColors UpBoxPalette() {
    const SSPalette& p = g_palette;
    return SSBoxColors{p.white, p.white, p.black, p.black, p.face, p.face, p.shadow, p.shadow};
}

SSBoxColors DownBoxPalette() {
    const SSPalette& p = g_palette;
    return SSBoxColors{p.shadow, p.shadow, p.white, p.white, p.black, p.black, p.face, p.face};
}

SSBoxColors UpBoxShaded(SSRgb c) {
    SSShades s = ShadesOf(c);
    return SSBoxColors{s.light, s.light, s.base, s.base, s.bright, s.bright, s.dark, s.dark};
}

SSBoxColors DownBoxShaded(SSRgb c) {
    SSShades s = ShadesOf(c);
    return SSBoxColors{s.dark, s.dark, s.light, s.light, s.base, s.base, s.bright, s.bright};
}

void PrimSmallArrow(const SSCanvas& c, int64_t x, int64_t y, int64_t w, int64_t h, uint8_t v, uint32_t dir, bool end) {
    if (dir == 1 || dir == 2) {
        if (!(h > 3 && w > 6)) return;
        int64_t cx = x + (w - 1) / 2;
        int64_t ty = dir == 1 ? y + (h - 4) / 2 : y + 1 + (h + 1) / 2;
        int64_t s = dir == 1 ? 1 : -1;
        PrimPoint(c, cx, ty, v);
        for (int64_t k = 1; k <= 3; ++k)
            PrimHSpan(c, cx - k, cx + k, ty + s * k, v);
        return;
    }
    if (!(h > 6 && w > 3)) return;
    int64_t cy = y + h / 2;
    int64_t tx = dir == 0 ? x + (w - 4) / 2 : x + 1 + (w + 1) / 2;
    int64_t s = dir == 0 ? 1 : -1;
    PrimPoint(c, tx, cy, v);
    for (int64_t k = 1; k <= 3; ++k)
        PrimVSpan(c, tx + s * k, cy - k, cy + k, v);
    if (end) PrimVSpan(c, tx - s, cy - 3, cy + 3, v);
}

void PrimCheckBox(const SSCanvas& c, int64_t x, int64_t y, bool mark, uint8_t v, bool noFrame) {
    if (!noFrame) {
        PrimFillRect(c, x, y, 13, 13, g_palette.white);
        PrimBox3D(c, x, y, 13, 13, DownBoxPalette());
    }
    if (!mark) return;
    static const int kTop[7] = {5, 6, 7, 6, 5, 4, 3};
    for (int i = 0; i < 7; ++i)
        PrimVSpan(c, x + 3 + i, y + kTop[i], y + kTop[i] + 2, v);
}

void PrimTabTitleBox(const SSCanvas& c, int64_t x, int64_t y, int64_t w, int64_t h, uint32_t flag,
                     const proto::Color& col) {
    if (!(w > 4 && h > 4)) return;
    uint8_t white = g_palette.white, face = g_palette.face, shadow = g_palette.shadow, black = g_palette.black;
    if (flag != 0) {
        SSShades s = ShadesOf(RgbOf(col));
        white = s.light, face = s.bright, shadow = s.dark, black = s.base;
    }
    PrimVSpan(c, x, y + 2, y + h - 1, white);
    PrimPoint(c, x + 1, y + 1, white);
    PrimHSpan(c, x + 2, x + w - 3, y, white);
    PrimVSpan(c, x + 1, y + 2, y + h - 1, face);
    PrimHSpan(c, x + 2, x + w - 3, y + 1, face);
    PrimVSpan(c, x + w - 2, y + 2, y + h - 1, shadow);
    PrimVSpan(c, x + w - 1, y + 2, y + h - 1, black);
    PrimPoint(c, x + w - 2, y + 1, black);
    if (flag != 0) PrimFillRect(c, x + 2, y + 2, w - 4, h - 2, uint8_t(col.pixel));
}

// ---- Gradients ------------------------------------------------------------------------------

void PrimGradientRect(const SSCanvas& c, int64_t x, int64_t y, int64_t w, int64_t h, SSRgb c1, SSRgb c2,
                      bool horizontal, bool mirror) {
    if (w <= 0 || h <= 0) return;
    int64_t n = horizontal ? h : w;
    // One grey per line, computed before drawing.
    std::vector<uint8_t> grey(static_cast<size_t>(n));
    if (!mirror) {
        for (int64_t k = 0; k < n; ++k)
            grey[size_t(n - 1 - k)] = RampGrey(c1, c2, k, n);
    } else {
        int64_t m = n / 2;
        auto at = [&](int64_t a, int64_t b) {
            // The outer line of an odd count would weigh c1 above 1 and c2
            // below 0: weights are kept within 0 ... 1.
            return RampMixGrey(c1, c2, std::clamp<int64_t>(a, 0, m), std::clamp<int64_t>(b, 0, m), m);
        };
        if (m == 0) {
            grey[0] = GreyOf(c1);
        } else {
            for (int64_t j = 0; j < m; ++j)
                grey[size_t(j)] = at(m - j, j);
            for (int64_t i = n; i >= m + 1; --i)
                grey[size_t(i - 1)] = at(i - m, 2 * m - i);
        }
    }
    for (int64_t k = 0; k < n; ++k) {
        if (horizontal)
            PrimHSpan(c, x, x + w - 1, y + k, grey[size_t(k)]);
        else
            PrimVSpan(c, x + k, y, y + h - 1, grey[size_t(k)]);
    }
}

void PrimRectWGradient(const SSCanvas& c, int64_t x, int64_t y, int64_t w, int64_t h, int64_t t, const proto::Color& c1,
                       const proto::Color& c2) {
    int64_t n = std::min({w, h, t});
    if (w <= 0 || h <= 0 || n <= 0) return;
    if (c1.pixel == c2.pixel) return PrimRectW(c, x, y, w, h, t, PixelOf(c1));
    for (int64_t i = 0; i < n; ++i)
        PrimRect(c, x + i, y + i, w - 2 * i, h - 2 * i, RampGrey(RgbOf(c1), RgbOf(c2), i, n));
}

// ---- Circles --------------------------------------------------------------------------------

// Whether the ring of semi-axes a and b around (cx, cy) can put a pixel on
// the canvas: the exact ellipse must meet the canvas grown by a margin that
// covers the walk's rounding, the outline's second row and the inner points.
// F = (x / a)^2 + (y / b)^2 is smallest over the canvas at its point nearest
// the centre and largest at its farthest corner, so the curve F = 1 crosses
// the canvas only when the first is at most 1 and the second at least 1.
// Comparing distances instead would let an eccentric ring far from a small
// canvas be walked point by point for nothing, which a gradient of thousands
// of rings turns into seconds of a stalled server.
static bool RingMayTouch(const SSCanvas& c, int64_t cx, int64_t cy, int64_t a, int64_t b) {
    if (a < 1 || b < 1) return true; // a degenerate ring is a short line
    constexpr double kMargin = 4;
    const double x0 = double(-cx) - kMargin, x1 = double(c.width - 1 - cx) + kMargin;
    const double y0 = double(-cy) - kMargin, y1 = double(c.height - 1 - cy) + kMargin;
    const double A = double(a), B = double(b);
    auto f = [&](double x, double y) { return (x / A) * (x / A) + (y / B) * (y / B); };
    return f(std::clamp(0.0, x0, x1), std::clamp(0.0, y0, y1)) <= 1 &&
           f(std::max(std::fabs(x0), std::fabs(x1)), std::max(std::fabs(y0), std::fabs(y1))) >= 1;
}

// The midpoint walk of the ring of radius r: visit(dx, dy) for its points in
// all eight octants; with `inner`, also for the points one step inside,
// which rings of successive radii need to leave no holes.
template <class Visit> static void WalkRing(int64_t r, bool inner, Visit visit) {
    int64_t u = 0, w = r - 1, d = 3 - 2 * r;
    while (w >= u) {
        for (int64_t sx : {-1, 1})
            for (int64_t sy : {-1, 1}) {
                visit(sx * u, sy * w);
                visit(sx * w, sy * u);
                if (inner && w - 1 >= u) {
                    visit(sx * u, sy * (w - 1));
                    visit(sx * (w - 1), sy * u);
                }
            }
        if (d < 0) {
            d += 4 * u + 6;
        } else {
            d += 4 * (u - w) + 10;
            --w;
        }
        ++u;
    }
}

void PrimCircle(const SSCanvas& c, int64_t cx, int64_t cy, int64_t r, uint8_t v, bool fillMode) {
    if (r < 1) return;
    if (cx - r >= 0 && cy - r >= 0 && cx + r < c.width && cy + r < c.height) {
        // Wholly inside: written without checks.
        uint8_t* o = c.pixels + cy * c.width + cx;
        const int64_t W = c.width;
        WalkRing(r, fillMode, [&](int64_t dx, int64_t dy) { o[dy * W + dx] = v; });
        return;
    }
    WalkRing(r, fillMode, [&](int64_t dx, int64_t dy) { PrimPoint(c, cx + dx, cy + dy, v); });
}

static void FillModeCircles(const SSCanvas& c, int64_t cx, int64_t cy, int64_t from, int64_t to, uint8_t v) {
    for (int64_t rho = from; rho >= to; --rho)
        if (RingMayTouch(c, cx, cy, rho, rho)) PrimCircle(c, cx, cy, rho, v, true);
}

// Radii for which the rings r, r - 1, ..., 2 and the centre have been
// checked, pixel for pixel, to cover exactly the spans between the leftmost
// and rightmost pixel of ring r in each row (no ring leaves a hole).
constexpr int64_t kSpanFillMaxRadius = 1200;

void PrimFillCircle(const SSCanvas& c, int64_t cx, int64_t cy, int64_t r, uint8_t v) {
    if (r < 1) return;
    if (r > kSpanFillMaxRadius) {
        FillModeCircles(c, cx, cy, r, 2, v);
        PrimPoint(c, cx, cy, v);
        return;
    }
    // One walk of the outer ring for the row extents, then one span a row.
    std::vector<int64_t> lo(size_t(2 * r + 1), INT64_MAX), hi(size_t(2 * r + 1), INT64_MIN);
    auto note = [&](int64_t dx, int64_t dy) {
        size_t row = size_t(dy + r);
        lo[row] = std::min(lo[row], dx);
        hi[row] = std::max(hi[row], dx);
    };
    note(0, 0);
    if (r >= 2) WalkRing(r, true, note);
    for (int64_t dy = -r; dy <= r; ++dy) {
        size_t row = size_t(dy + r);
        if (lo[row] <= hi[row]) PrimHSpan(c, cx + lo[row], cx + hi[row], cy + dy, v);
    }
}

void PrimFillCircleW(const SSCanvas& c, int64_t cx, int64_t cy, int64_t r, int64_t t, uint8_t v) {
    if (t > 0 && t < r) return FillModeCircles(c, cx, cy, r, std::max<int64_t>(r - t + 1, 2), v);
    PrimFillCircle(c, cx, cy, r, v);
}

void PrimFillCircleGradient(const SSCanvas& c, int64_t cx, int64_t cy, int64_t r, const proto::Color& c1,
                            const proto::Color& c2) {
    if (c1.pixel == c2.pixel) return PrimFillCircle(c, cx, cy, r, PixelOf(c1));
    if (r < 1) return;
    auto greyAt = [&](int64_t rho) {
        auto ch = [&](int64_t a, int64_t b) { return int32_t((a * rho + b * (r - rho)) / r); };
        return GreyOf(SSRgb{ch(c1.r, c2.r), ch(c1.g, c2.g), ch(c1.b, c2.b)});
    };
    for (int64_t rho = r; rho >= 2; --rho)
        if (RingMayTouch(c, cx, cy, rho, rho)) PrimCircle(c, cx, cy, rho, greyAt(rho), true);
    PrimPoint(c, cx, cy, greyAt(1));
}

void PrimFillCircleGradientW(const SSCanvas& c, int64_t cx, int64_t cy, int64_t r, int64_t t, const proto::Color& c1,
                             const proto::Color& c2) {
    int64_t n = (t > 0 && t < r) ? t : r;
    if (c1.pixel == c2.pixel) return PrimFillCircleW(c, cx, cy, r, t, PixelOf(c1));
    if (n < 1) return;
    for (int64_t k = 0; k < n; ++k) {
        int64_t rho = r - k;
        if (rho < 2) continue;
        if (RingMayTouch(c, cx, cy, rho, rho)) PrimCircle(c, cx, cy, rho, RampGrey(RgbOf(c1), RgbOf(c2), k, n), true);
    }
    if (n == r) PrimPoint(c, cx, cy, RampGrey(RgbOf(c1), RgbOf(c2), n - 1, n));
}

// ---- Ellipses -------------------------------------------------------------------------------

// One region of the midpoint ellipse of one quadrant: from (a, 0), the
// second coordinate steps once per point and the first follows, until the
// slope passes -1. The cap keeps a zero axis from looping forever.
template <typename Plot> static void WalkEllipseRegion(int64_t a, int64_t b, Plot plot) {
    const int64_t a2 = a * a, b2 = b * b;
    int64_t x = a, y = 0, xc = b2 * (1 - 2 * a), yc = a2, err = 0, stopX = 2 * b2 * a, stopY = 0;
    for (int64_t guard = 0; stopY <= stopX && guard <= b; ++guard) {
        plot(x, y);
        ++y;
        stopY += 2 * a2;
        err += yc;
        yc += 2 * a2;
        if (2 * err + xc > 0) {
            --x;
            stopX -= 2 * b2;
            err += xc;
            xc += 2 * b2;
        }
    }
}

// Walks the midpoint ellipse of one quadrant (x, y >= 0) in two regions and
// calls plot(x, y) for each point. Negative semi-axes give nothing. Region 1
// steps y and region 2 steps x once per point; the second region is the
// first with the axes exchanged.
template <typename Plot> static void WalkEllipse(int64_t a, int64_t b, Plot plot) {
    if (a < 0 || b < 0) return;
    WalkEllipseRegion(a, b, plot);
    WalkEllipseRegion(b, a, [&](int64_t y, int64_t x) { plot(x, y); });
}

void PrimEllipse(const SSCanvas& c, int64_t cx, int64_t cy, int64_t a, int64_t b, uint8_t v, SSEllipseMode mode) {
    if (mode == ELLIPSE_OUTLINE) {
        WalkEllipse(a, b, [&](int64_t x, int64_t y) {
            for (int64_t yy : {y, y + 1}) {
                PrimPoint(c, cx + x, cy + yy, v);
                PrimPoint(c, cx - x, cy + yy, v);
                PrimPoint(c, cx + x, cy - yy, v);
                PrimPoint(c, cx - x, cy - yy, v);
            }
        });
    } else {
        WalkEllipse(a, b, [&](int64_t x, int64_t y) {
            PrimVSpan(c, cx + x, cy - y, cy + y, v);
            PrimVSpan(c, cx - x, cy - y, cy + y, v);
        });
    }
}

void PrimQuarterEllipse(const SSCanvas& c, int64_t cx, int64_t cy, int64_t a, int64_t b, int quadrant, uint8_t v,
                        bool fill) {
    int64_t sx = (quadrant == 0 || quadrant == 3) ? 1 : -1;
    int64_t sy = (quadrant == 0 || quadrant == 1) ? -1 : 1;
    WalkEllipse(a, b, [&](int64_t x, int64_t y) {
        if (fill)
            PrimVSpan(c, cx + sx * x, cy + sy * y, cy, v);
        else
            PrimPoint(c, cx + sx * x, cy + sy * y, v);
    });
}

static void EllipseOutlines(const SSCanvas& c, int64_t cx, int64_t cy, int64_t a, int64_t b, int64_t count, uint8_t v) {
    for (int64_t k = 0; k < count; ++k)
        if (RingMayTouch(c, cx, cy, a - k, b - k)) PrimEllipse(c, cx, cy, a - k, b - k, v, ELLIPSE_OUTLINE);
}

void PrimEllipseW(const SSCanvas& c, int64_t cx, int64_t cy, int64_t a, int64_t b, int64_t t, uint8_t v) {
    if (a <= 0 || b <= 0 || t < 1) return;
    if (t >= std::min(a, b)) return PrimEllipse(c, cx, cy, a, b, v, ELLIPSE_FILL);
    EllipseOutlines(c, cx, cy, a, b, t, v);
}

void PrimFillEllipseW(const SSCanvas& c, int64_t cx, int64_t cy, int64_t a, int64_t b, int64_t t, uint8_t border,
                      uint8_t fill) {
    if (t >= std::min(a, b)) return PrimEllipse(c, cx, cy, a, b, border, ELLIPSE_FILL);
    if (t < 1) return PrimEllipse(c, cx, cy, a, b, fill, ELLIPSE_FILL);
    EllipseOutlines(c, cx, cy, a, b, t, border);
    PrimEllipse(c, cx, cy, a - t, b - t, fill, ELLIPSE_FILL);
}

void PrimEllipseWGradient(const SSCanvas& c, int64_t cx, int64_t cy, int64_t a, int64_t b, int64_t t,
                          const proto::Color& c1, const proto::Color& c2) {
    if (c1.pixel == c2.pixel) return PrimEllipseW(c, cx, cy, a, b, t, PixelOf(c1));
    int64_t n = std::min({t, a, b});
    for (int64_t k = 0; k < n; ++k)
        if (RingMayTouch(c, cx, cy, a - k, b - k))
            PrimEllipse(c, cx, cy, a - k, b - k, RampGrey(RgbOf(c1), RgbOf(c2), k, n), ELLIPSE_OUTLINE);
}

void PrimFillEllipseGradient(const SSCanvas& c, int64_t cx, int64_t cy, int64_t a, int64_t b, const proto::Color& c1,
                             const proto::Color& c2) {
    if (c1.pixel == c2.pixel) return PrimEllipse(c, cx, cy, a, b, PixelOf(c1), ELLIPSE_FILL);
    int64_t n = std::min(a, b);
    if (n < 1) return;
    for (int64_t k = 0; k < n; ++k)
        if (RingMayTouch(c, cx, cy, a - k, b - k))
            PrimEllipse(c, cx, cy, a - k, b - k, RampGrey(RgbOf(c1), RgbOf(c2), k, n), ELLIPSE_OUTLINE);
    uint8_t last = RampGrey(RgbOf(c1), RgbOf(c2), n - 1, n);
    if (a > b)
        PrimHSpan(c, cx - (a - b), cx + (a - b), cy, last);
    else if (b > a)
        PrimVSpan(c, cx, cy - (b - a), cy + (b - a), last);
}

// ---- Rounded rectangles ---------------------------------------------------------------------

namespace {
struct Corners {
    int64_t rx, ry;
    int64_t cx[4], cy[4]; // by quadrant: 0 top right, 1 top left, 2 bottom left, 3 bottom right
};
} // namespace

static Corners CornersOf(int64_t x, int64_t y, int64_t w, int64_t h, int64_t cw, int64_t ch) {
    Corners k;
    k.rx = std::min(w, cw) / 2;
    k.ry = ch / 2;
    k.cx[0] = x + w - k.rx - 1, k.cy[0] = y + k.ry;
    k.cx[1] = x + k.rx, k.cy[1] = y + k.ry;
    k.cx[2] = x + k.rx, k.cy[2] = y + h - k.ry - 1;
    k.cx[3] = x + w - k.rx - 1, k.cy[3] = y + h - k.ry - 1;
    return k;
}

// Corner outlines of ring k; rings past a semi-axis have no corner.
static void CornerOutlines(const SSCanvas& c, const Corners& k, int64_t ring, uint8_t v) {
    int64_t a = k.rx - ring, b = k.ry - ring;
    if (a < 0 || b < 0) return;
    for (int q = 0; q < 4; ++q)
        if (RingMayTouch(c, k.cx[q], k.cy[q], a, b)) PrimQuarterEllipse(c, k.cx[q], k.cy[q], a, b, q, v, false);
}

// One ring of the rounded band: spans, sides and corners, k pixels inward.
static void RoundRing(const SSCanvas& c, int64_t x, int64_t y, int64_t w, int64_t h, const Corners& k, int64_t ring,
                      uint8_t v) {
    PrimHSpan(c, x + k.rx, x + w - k.rx, y + ring, v);
    PrimHSpan(c, x + k.rx, x + w - k.rx, y + h - 1 - ring, v);
    PrimVSpan(c, x + ring, y + k.ry - 1, y + h - k.ry, v);
    PrimVSpan(c, x + w - 1 - ring, y + k.ry, y + h - k.ry, v);
    CornerOutlines(c, k, ring, v);
}

// Degenerate corners: an ellipse centred in the rectangle.
static void RoundEllipseCentre(int64_t x, int64_t y, int64_t w, int64_t h, int64_t* cx, int64_t* cy) {
    *cx = x + w / 2;
    *cy = y + h / 2;
}

void PrimRoundRect(const SSCanvas& c, int64_t x, int64_t y, int64_t w, int64_t h, int64_t cw, int64_t ch, uint8_t v) {
    if (w <= 0 || h <= 0) return;
    if (cw <= 0 || ch <= 0) return PrimRect(c, x, y, w, h, v);
    if (!(h > ch && w > cw)) {
        int64_t cx, cy;
        RoundEllipseCentre(x, y, w, h, &cx, &cy);
        return PrimEllipse(c, cx, cy, w / 2, h / 2, v, ELLIPSE_OUTLINE);
    }
    Corners k = CornersOf(x, y, w, h, cw, ch);
    RoundRing(c, x, y, w, h, k, 0, v);
}

void PrimRoundRectW(const SSCanvas& c, int64_t x, int64_t y, int64_t w, int64_t h, int64_t cw, int64_t ch, int64_t t,
                    uint8_t v) {
    if (w <= 0 || h <= 0) return;
    if (cw <= 0 || ch <= 0) return PrimRect(c, x, y, w, h, v);
    if (!(h > ch && w > cw)) {
        int64_t cx, cy;
        RoundEllipseCentre(x, y, w, h, &cx, &cy);
        return PrimEllipseW(c, cx, cy, w / 2, h / 2, t, v);
    }
    Corners k = CornersOf(x, y, w, h, cw, ch);
    int64_t n = std::min({t, k.rx, k.ry});
    if (n > 0) {
        PrimFillBox(c, x + k.rx, y, x + w - k.rx, y + n - 1, v);
        PrimFillBox(c, x + k.rx, y + h - n, x + w - k.rx, y + h - 1, v);
        PrimFillBox(c, x, y + k.ry - 1, x + n - 1, y + h - k.ry, v);
        PrimFillBox(c, x + w - n, y + k.ry, x + w - 1, y + h - k.ry, v);
    }
    for (int64_t ring = 0; ring < t; ++ring)
        CornerOutlines(c, k, ring, v);
}

void PrimFillRoundRect(const SSCanvas& c, int64_t x, int64_t y, int64_t w, int64_t h, int64_t cw, int64_t ch,
                       uint8_t v) {
    if (w <= 0 || h <= 0) return;
    if (cw <= 0 || ch <= 0) return PrimFillRect(c, x, y, w, h, v);
    if (!(h > ch && w > cw)) {
        int64_t cx, cy;
        RoundEllipseCentre(x, y, w, h, &cx, &cy);
        return PrimEllipse(c, cx, cy, w / 2, h / 2, v, ELLIPSE_FILL);
    }
    Corners k = CornersOf(x, y, w, h, cw, ch);
    PrimFillRect(c, x, y + k.ry, w, h - 2 * k.ry, v);
    PrimFillRect(c, x + k.rx, y, w - 2 * k.rx, k.ry, v);
    PrimFillRect(c, x + k.rx, y + h - k.ry, w - 2 * k.rx, k.ry, v);
    for (int q = 0; q < 4; ++q)
        PrimQuarterEllipse(c, k.cx[q], k.cy[q], k.rx, k.ry, q, v, true);
}

void PrimRoundRectWGradient(const SSCanvas& c, int64_t x, int64_t y, int64_t w, int64_t h, int64_t cw, int64_t ch,
                            int64_t t, const proto::Color& c1, const proto::Color& c2) {
    if (c1.pixel == c2.pixel) return PrimRoundRectW(c, x, y, w, h, cw, ch, t, PixelOf(c1));
    if (w <= 0 || h <= 0 || !(h > ch && w > cw)) return;
    Corners k = CornersOf(x, y, w, h, cw, ch);
    int64_t n = std::min({t, k.rx, k.ry});
    for (int64_t ring = 0; ring < n; ++ring)
        RoundRing(c, x, y, w, h, k, ring, RampGrey(RgbOf(c1), RgbOf(c2), ring, n));
}

void PrimFillRoundRectWGradientBase(const SSCanvas& c, int64_t x, int64_t y, int64_t w, int64_t h, int64_t cw,
                                    int64_t ch, const proto::Color& c1, const proto::Color& c2, int64_t t) {
    if (c1.pixel == c2.pixel) return PrimRoundRectW(c, x, y, w, h, cw, ch, t, PixelOf(c1));
    if (w <= 0 || h <= 0 || !(h > ch && w > cw)) return;
    Corners k = CornersOf(x, y, w, h, cw, ch);
    int64_t n = std::min(w, h), m = std::min(k.rx, k.ry);
    for (int64_t ring = 0; ring < n; ++ring) {
        uint8_t g = RampMixGrey(RgbOf(c1), RgbOf(c2), n - ring, m - n + ring, n);
        RoundRing(c, x, y, w, h, k, ring, g);
    }
}

// ---- Arcs ----------------------------------------------------------------------------------

void PrimArcPiece(const SSCanvas& c, int64_t cx, int64_t cy, int64_t r, int64_t a0, int64_t a1, uint8_t v) {
    int64_t quadrantBase = FloorDiv(a0, 1440);
    int q = int(((quadrantBase % 4) + 4) % 4);
    int64_t u = a0 - quadrantBase * 1440;
    int64_t e = a1 - quadrantBase * 1440;
    e = std::min<int64_t>(e, 1441); // indices stay inside the tables
    if (e <= u + 1) return;
    auto point = [&](int64_t i, int64_t* px, int64_t* py) {
        int64_t s = (r * g_arcSin[i]) >> 10, co = (r * g_arcCos[i]) >> 10;
        switch (q) {
        case 0: *px = cx + co, *py = cy + s; break;
        case 1: *px = cx - s, *py = cy + co; break;
        case 2: *px = cx - co, *py = cy - s; break;
        default: *px = cx + s, *py = cy - co; break;
        }
    };
    int64_t lx, ly;
    point(u, &lx, &ly);
    for (int64_t i = u + 1; i <= e - 1; ++i) {
        if (g_arcSin[i] == g_arcSin[i - 1] && g_arcCos[i] == g_arcCos[i - 1]) continue;
        int64_t px, py;
        point(i, &px, &py);
        if (px == lx && py == ly) continue;
        PrimLine(c, lx, ly, px, py, v);
        lx = px, ly = py;
    }
}

void PrimArc(const SSCanvas& c, int64_t cx, int64_t cy, int64_t r, int64_t start, int64_t extent, uint8_t v) {
    if (std::abs(extent) >= 5760) start = 0, extent = 5760;
    if (start == 5760 || start == -5760)
        start = 0;
    else if (start > 5760)
        start %= 5760;
    else if (start < -5760)
        start = start % 5760 + 5760;
    int64_t end = start + extent;
    if (end < 0) start += 5760, end += 5760;
    int64_t lo = std::min(start, end), hi = std::max(start, end);
    int64_t a = lo;
    while (a < hi) {
        int64_t next = std::min(hi, (FloorDiv(a, 1440) + 1) * 1440);
        PrimArcPiece(c, cx, cy, r, a, next, v);
        a = next;
    }
}

void PrimFillArc(const SSCanvas& c, int64_t cx, int64_t cy, int64_t r, int64_t start, int64_t extent, uint8_t v) {
    if (r < 1) return;
    for (int64_t rho = r; rho >= 2; --rho)
        if (RingMayTouch(c, cx, cy, rho, rho)) PrimArc(c, cx, cy, rho, start, extent, v);
    PrimPoint(c, cx, cy, v);
}
