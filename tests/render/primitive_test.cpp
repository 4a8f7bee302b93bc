// Pixel rules of the drawing primitives, through their request handlers with
// hand-built messages, on pixmaps in process.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "core/handlers.h"
#include "core/server.h"
#include "harness/dispatch.h"
#include "harness/wire_client.h"
#include "render/apollo.h"
#include "render/primitives.h"
#include "render/sspixmap.h"

using testing_eink::Bytes;
using testing_eink::Dispatch;
using testing_eink::Msg;

namespace {

constexpr uint32_t kPix = 0x100001;

// Opcodes, from the protocol's tables.
constexpr uint8_t kFillRect = 20, kDrawPointXorScreen = 21, kDrawWRectXorScreen = 24, kFillRectScreen = 26,
                  kDrawPoint = 27, kDrawDashHLine = 30, kDrawHLine = 33, kDrawVLineW = 38, kDrawLine = 42,
                  kDrawUpBox = 45, kDrawUpBoxRGB = 47, kDrawUpBoxCustom = 52, kDrawHSeperator2 = 56,
                  kDrawVSeperator3D2 = 59, kDrawRect = 60, kDrawRectW = 62, kDrawGradientRect = 64,
                  kDrawRectWGradient = 65, kDrawSmallArrow = 67, kDrawCheckBox = 69, kDrawTabTitleBox = 70,
                  kFillPolygon = 72, kDrawCircle = 75, kFillCircleGradient = 78, kDrawEllipse = 81, kFillEllipse = 82,
                  kDrawEllipseW = 84, kFillEllipseW = 86, kDrawRoundRect = 88, kDrawRoundRectW = 89,
                  kFillRoundRect = 92, kDrawArc = 96, kDrawLineW = 100;

class Canvas {
public:
    Canvas(int32_t w, int32_t h, uint8_t bg = 7) {
        SS_FreeAllPixmaps();
        InitColors();
        p_ = SS_CreatePixmap(kPix, w, h, 8, nullptr);
        memset(p_->d.pixels, bg, size_t(w) * size_t(h));
        bg_ = bg;
    }
    ~Canvas() { SS_FreeAllPixmaps(); }
    uint8_t at(int x, int y) const { return p_->d.pixels[y * p_->d.width + x]; }
    // Coordinates of every pixel that differs from the background.
    std::set<std::pair<int, int>> changed() const {
        std::set<std::pair<int, int>> s;
        for (int y = 0; y < p_->d.height; ++y)
            for (int x = 0; x < p_->d.width; ++x)
                if (at(x, y) != bg_) s.insert({x, y});
        return s;
    }
    std::vector<std::string> rows() const { // one char per pixel: '.' background, else the value's class
        std::vector<std::string> out;
        for (int y = 0; y < p_->d.height; ++y) {
            std::string r;
            for (int x = 0; x < p_->d.width; ++x) {
                uint8_t v = at(x, y);
                r += v == bg_ ? '.' : v == 255 ? 'W' : v == 0 ? 'B' : v == 223 ? 'F' : v == 127 ? 'S' : '#';
            }
            out.push_back(r);
        }
        return out;
    }
    SSPixmap* p_;
    uint8_t bg_;
};

// A screen image of the test's own in place of the panel's, for as long as
// the object lives.
struct FakeScreen {
    static inline uint8_t pixels[600 * 800], front[600 * 800];
    SSScreen fake{600, 800, 8, pixels, front, false};
    SSScreen* saved = g_screen;
    FakeScreen() {
        g_screen = &fake;
        g_rotateMode = 0;
    }
    ~FakeScreen() {
        g_screen = saved;
        g_rotateMode = 0;
    }
};

Msg Req(uint8_t op) {
    Msg m(op);
    m.u32(kPix);
    return m;
}

using Points = std::set<std::pair<int, int>>;

} // namespace

TEST(Colours, GreyConversionAndShadesMatchTheirWorkedValues) {
    EXPECT_EQ(GreyOf({255, 0, 0}), 87);
    EXPECT_EQ(GreyOf({0, 255, 0}), 127);
    EXPECT_EQ(GreyOf({0, 0, 255}), 39);
    EXPECT_EQ(GreyOf({200, 200, 200}), 200);
    auto shade = [](SSRgb in, double f) {
        SSRgb out{};
        bool ok = ShadeRgb(in, f, &out);
        return std::vector<int>{ok, out.r, out.g, out.b};
    };
    EXPECT_EQ(shade({255, 255, 255}, 0.6614583), (std::vector<int>{1, 168, 168, 168}));
    EXPECT_EQ(shade({255, 255, 255}, 1.328125), (std::vector<int>{1, 255, 255, 255}));
    EXPECT_EQ(shade({255, 255, 255}, 0)[0], 0); // the base "shade" is the colour itself
    // A saturated colour goes through the hue path and keeps its hue.
    EXPECT_EQ(shade({255, 0, 0}, 0.6614583), (std::vector<int>{1, 168, 0, 0}));
    SSShades s = ShadesOf({255, 255, 255});
    EXPECT_EQ((std::vector<int>{s.dark, s.light, s.base}), (std::vector<int>{168, 255, 255}));
    InitColors();
    EXPECT_EQ((std::vector<int>{g_palette.shadow, g_palette.mid, g_palette.face}), (std::vector<int>{127, 191, 223}));
}

TEST(Spans, PointsSpansAndDottedSpansAreClippedAndOrdered) {
    Canvas c(20, 10);
    Dispatch(Req(kDrawHLine).s32(8).s32(3).s32(2).u32(50).done());  // ends reversed
    Dispatch(Req(kDrawHLine).s32(-5).s32(1).s32(4).u32(50).done()); // starts left of the pixmap
    Dispatch(Req(kDrawDashHLine).s32(0).s32(9).s32(6).u32(50).done());
    Dispatch(Req(kDrawPoint).s32(19).s32(9).u32(0x1234).done()); // low byte stored
    Dispatch(Req(kDrawPoint).s32(20).s32(9).u32(50).done());     // outside: nothing
    Points want;
    for (int x = 3; x <= 8; ++x)
        want.insert({x, 2});
    for (int x = 0; x <= 1; ++x)
        want.insert({x, 4});
    for (int x = 0; x <= 8; x += 2)
        want.insert({x, 6});
    want.insert({19, 9});
    EXPECT_EQ(c.changed(), want);
    EXPECT_EQ(c.at(19, 9), 0x34);
}

TEST(Spans, VLineWTakesItsGreyFromTheFourthInteger) {
    Canvas c(8, 8);
    // x 2, y1 1, y2 5, then 99 in the slot the layout calls the fourth
    // integer, and 200 as the "pixel": the dotted line is drawn in 99.
    Dispatch(Req(kDrawVLineW).s32(2).s32(1).s32(5).s32(99).u32(200).done());
    EXPECT_EQ(c.changed(), (Points{{2, 1}, {2, 3}, {2, 5}}));
    EXPECT_EQ(c.at(2, 3), 99);
}

TEST(Rects, FillRectNeedsAPositiveSizeAndClipsAtTheEdges) {
    Canvas c(10, 10);
    Dispatch(Req(kFillRect).s32(2).s32(2).s32(0).s32(3).u32(1).done());
    EXPECT_TRUE(c.changed().empty());
    Dispatch(Req(kFillRect).s32(-3).s32(8).s32(5).s32(9).u32(1).done());
    EXPECT_EQ(c.changed(), (Points{{0, 8}, {1, 8}, {0, 9}, {1, 9}}));
    // Arguments beyond the coordinate range make the request do nothing.
    Dispatch(Req(kFillRect).s32(0).s32(0).s32(INT32_MAX).s32(5).u32(1).done());
    EXPECT_EQ(c.changed().size(), 4u);
}

TEST(Lines, ThinLineFollowsTheDecisionRule) {
    Canvas c(10, 10);
    Dispatch(Req(kDrawLine).s32(0).s32(0).s32(4).s32(2).u32(1).done());
    EXPECT_EQ(c.changed(), (Points{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}}));
}

// The line as the rule states it, plotted step by step; the points inside a
// w x h canvas.
static Points ReferenceLine(int64_t x1, int64_t y1, int64_t x2, int64_t y2, int w, int h) {
    Points out;
    if (y1 > y2) std::swap(x1, x2), std::swap(y1, y2);
    int64_t dx = std::abs(x2 - x1), dy = y2 - y1, sx = x2 > x1 ? 1 : -1;
    bool xMajor = dx >= dy;
    int64_t M = xMajor ? dx : dy, m = xMajor ? dy : dx, d = 2 * m - M, x = x1, y = y1;
    for (int64_t i = 0; i <= M; ++i) {
        if (x >= 0 && y >= 0 && x < w && y < h) out.insert({int(x), int(y)});
        if (xMajor)
            x += sx;
        else
            y += 1;
        if (d > 0) {
            if (xMajor)
                y += 1;
            else
                x += sx;
            d -= 2 * M;
        }
        d += 2 * m;
    }
    return out;
}

TEST(Lines, ClippedLinesKeepExactlyThePixelsOfTheUnclippedLine) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> near(-60, 90), far(-20000, 20000), part(1, 16);
    struct Size {
        int w, h, lines;
        bool far;
    };
    // Short lines on a small canvas; long lines (coordinates up to the
    // largest accepted) through a canvas wider than the reciprocal's reach.
    for (Size size : {Size{31, 23, 400, false}, Size{12000, 16, 200, true}})
        for (int n = 0; n < size.lines; ++n) {
            Canvas c(size.w, size.h);
            int x1, y1, x2, y2;
            if (size.far) {
                // Through a point of the canvas, from far away.
                int px = int(rng() % unsigned(size.w)), py = int(rng() % unsigned(size.h)), a = far(rng), b = far(rng);
                int s = part(rng);
                x1 = px + a, y1 = py + b, x2 = px - a * s / 16, y2 = py - b * s / 16;
            } else {
                x1 = near(rng), y1 = near(rng), x2 = near(rng), y2 = near(rng);
            }
            if (x1 == x2 || y1 == y2) continue;
            Dispatch(Req(kDrawLine).s32(x1).s32(y1).s32(x2).s32(y2).u32(1).done());
            ASSERT_EQ(c.changed(), ReferenceLine(x1, y1, x2, y2, size.w, size.h))
                << x1 << "," << y1 << " - " << x2 << "," << y2;
        }
}

TEST(Boxes, UpBoxNeedsFiveByFiveAndDrawsItsEightLines) {
    Canvas c(7, 7);
    Dispatch(Req(kDrawUpBox).s32(1).s32(1).s32(4).s32(4).u32(0).done());
    EXPECT_TRUE(c.changed().empty());
    Dispatch(Req(kDrawUpBox).s32(1).s32(1).s32(5).s32(5).u32(0).done());
    std::vector<std::string> want = {
        ".......", //
        ".WWWWB.", //
        ".WFFSB.", //
        ".WF.SB.", //
        ".WSSSB.", //
        ".BBBBB.", //
        ".......",
    };
    EXPECT_EQ(c.rows(), want);
}

TEST(Boxes, RgbBoxOfWhiteUsesTheShadesOfWhite) {
    Canvas c(6, 6);
    Dispatch(Req(kDrawUpBoxRGB).s32(0).s32(0).s32(6).s32(6).color(255, 255, 255, 0, 0xFFFFFF).done());
    EXPECT_EQ(c.at(0, 0), 255);   // light
    EXPECT_EQ(c.at(1, 1), 255);   // bright (116 %, capped)
    EXPECT_EQ(c.at(4, 4), 168);   // dark inner bottom
    EXPECT_EQ(c.at(5, 5), 255);   // base bottom edge
    EXPECT_EQ(c.at(2, 2), c.bg_); // inside untouched
}

TEST(Boxes, CheckBoxArrowRectangleAndBandGoldens) {
    Canvas c(16, 16);
    Dispatch(Req(kDrawCheckBox).s32(0).s32(0).s32(99).s32(99).byte(1).u32(9).byte(1).done()); // mark only
    Points want;
    int top[7] = {5, 6, 7, 6, 5, 4, 3};
    for (int i = 0; i < 7; ++i)
        for (int k = 0; k < 3; ++k)
            want.insert({3 + i, top[i] + k});
    EXPECT_EQ(c.changed(), want);

    Canvas a(12, 12);
    Dispatch(Req(kDrawSmallArrow).s32(0).s32(0).s32(9).s32(8).u32(1).byte(1).done()); // up: tip (4, 2)
    Points arrow{{4, 2}};
    for (int k = 1; k <= 3; ++k)
        for (int x = 4 - k; x <= 4 + k; ++x)
            arrow.insert({x, 2 + k});
    EXPECT_EQ(a.changed(), arrow);

    Canvas r(5, 4);
    Dispatch(Req(kDrawRect).s32(0).s32(0).s32(5).s32(4).u32(1).done());
    EXPECT_EQ(r.rows(), (std::vector<std::string>{"#####", "#...#", "#...#", "#####"}));

    Canvas b(8, 8);
    Dispatch(Req(kDrawRectW).s32(1).s32(1).s32(6).s32(5).s32(2).u32(1).done());
    std::vector<std::string> band = {
        "........", //
        ".######.", //
        ".######.", //
        ".##..##.", //
        ".######.", //
        ".######.", //
        "........", //
        "........",
    };
    EXPECT_EQ(b.rows(), band);
}

TEST(Circles, RadiusZeroDrawsNothingAndRadiusOneOnlyTheCentre) {
    Canvas c(9, 9);
    Dispatch(Req(kDrawCircle).s32(4).s32(4).s32(0).color(0, 0, 0, 0, 1).done());
    EXPECT_TRUE(c.changed().empty());
    Dispatch(Req(kDrawCircle).s32(4).s32(4).s32(1).color(0, 0, 0, 0, 1).done());
    EXPECT_EQ(c.changed(), (Points{{4, 4}}));
    // The colour's pixel word, not its RGB, is drawn.
    EXPECT_EQ(c.at(4, 4), 1);
}

TEST(Circles, FilledCircleIsExactlyTheUnionOfItsFillModeRings) {
    for (int r : {1, 2, 3, 7, 50, 333, 1200, 1201}) {
        const int size = 2 * r + 9, c0 = r + 4;
        std::vector<uint8_t> fast(size_t(size) * size, 0), rings(size_t(size) * size, 0);
        SSCanvas a{fast.data(), size, size}, b{rings.data(), size, size};
        PrimFillCircle(a, c0, c0, r, 1);
        for (int rho = r; rho >= 2; --rho)
            PrimCircle(b, c0, c0, rho, 1, true);
        PrimPoint(b, c0, c0, 1);
        ASSERT_EQ(fast, rings) << "radius " << r;
    }
    // Clipped at every edge the same way.
    std::vector<uint8_t> fast(40 * 30, 0), rings(40 * 30, 0);
    SSCanvas a{fast.data(), 40, 30}, b{rings.data(), 40, 30};
    PrimFillCircle(a, 3, 28, 25, 9);
    for (int rho = 25; rho >= 2; --rho)
        PrimCircle(b, 3, 28, rho, 9, true);
    PrimPoint(b, 3, 28, 9);
    EXPECT_EQ(fast, rings);
}

TEST(Circles, OutlinesInsideAndAcrossTheEdgeHaveTheSamePixels) {
    for (int r : {1, 2, 5, 17, 40}) {
        for (bool fill : {false, true}) {
            // Whole circle in a large canvas, and the same circle across the
            // corner of a small canvas placed over its lower right part.
            const int big = 2 * r + 3, cx = r + 1, cy = r + 1, ox = cx - 1, oy = cy - 2;
            std::vector<uint8_t> whole(size_t(big) * big, 0), part(size_t(r + 4) * (r + 5), 0);
            SSCanvas a{whole.data(), big, big}, b{part.data(), r + 4, r + 5};
            PrimCircle(a, cx, cy, r, 1, fill);
            PrimCircle(b, cx - ox, cy - oy, r, 1, fill);
            for (int y = 0; y < b.height; ++y)
                for (int x = 0; x < b.width; ++x) {
                    int wx = x + ox, wy = y + oy;
                    uint8_t want = (wx >= 0 && wy >= 0 && wx < big && wy < big) ? whole[size_t(wy) * big + wx] : 0;
                    ASSERT_EQ(part[size_t(y) * b.width + x], want)
                        << "r " << r << " fill " << fill << " at " << x << "," << y;
                }
        }
    }
}

TEST(Ellipses, SmallEllipseOutlineAndFillGoldens) {
    Canvas f(7, 7);
    Dispatch(Req(kFillEllipse).s32(3).s32(3).s32(2).s32(1).u32(1).done());
    std::vector<std::string> fill = {
        ".......", ".......", "..###..", ".#####.", "..###..", ".......", ".......",
    };
    EXPECT_EQ(f.rows(), fill);
    Canvas o(7, 7);
    Dispatch(Req(kDrawEllipse).s32(3).s32(3).s32(2).s32(1).u32(1).done());
    std::vector<std::string> outline = {
        ".......", "..###..", ".#####.", ".#...#.", ".#####.", "..###..", ".......",
    };
    EXPECT_EQ(o.rows(), outline);
    // Degenerate semi-axes finish (and draw only near the centre).
    Canvas d(7, 7);
    Dispatch(Req(kDrawEllipse).s32(3).s32(3).s32(0).s32(0).u32(1).done());
    for (auto p : d.changed())
        EXPECT_LE(std::abs(p.first - 3) + std::abs(p.second - 3), 2);
}

TEST(Polygons, ScanLineFillOfASquareAndNothingBelowRow599) {
    Canvas c(10, 10);
    Dispatch(Req(kFillPolygon).s32(4).u32(1).s32(2).s32(6).s32(6).s32(2).s32(2).s32(2).s32(6).s32(6).done());
    Points want;
    for (int y = 2; y <= 6; ++y)
        for (int x = 2; x <= 5; ++x)
            want.insert({x, y});
    EXPECT_EQ(c.changed(), want);

    Canvas tall(20, 700);
    Dispatch(Req(kFillPolygon).s32(3).u32(1).s32(0).s32(10).s32(19).s32(610).s32(690).s32(650).done());
    EXPECT_TRUE(tall.changed().empty());
    // A count larger than the message holds is refused.
    Dispatch(Req(kFillPolygon).s32(1000).u32(1).s32(0).s32(10).s32(19).s32(0).s32(0).s32(9).done());
    EXPECT_TRUE(tall.changed().empty());
}

TEST(Arcs, FullTurnsAreTheSameCircleAndATinyExtentDrawsNothing) {
    auto arc = [](int start, int extent) {
        Canvas c(41, 41);
        Dispatch(Req(kDrawArc).s32(20).s32(20).s32(15).s32(start).s32(extent).u32(1).done());
        return c.changed();
    };
    Points full = arc(0, 5760);
    ASSERT_FALSE(full.empty());
    EXPECT_EQ(arc(0, 9000), full);
    EXPECT_EQ(arc(300, -5760), full);
    EXPECT_TRUE(arc(0, 1).empty());
    int quadrants[4] = {};
    for (auto p : full) {
        double r = std::hypot(p.first - 20, p.second - 20);
        EXPECT_NEAR(r, 14.5, 1.6);
        quadrants[(p.first >= 20 ? 0 : 1) + (p.second >= 20 ? 0 : 2)]++;
    }
    for (int q : quadrants)
        EXPECT_GT(q, 10);
    // A quarter from 0 lies in the lower right (angles grow toward +y).
    for (auto p : arc(0, 1440)) {
        EXPECT_GE(p.first, 20);
        EXPECT_GE(p.second, 20);
    }
    // A negative start below zero uses the last quadrant, not a table index
    // below zero.
    Points neg = arc(-100, 200);
    EXPECT_FALSE(neg.empty());
}

TEST(Screen, XorPointTwiceRestoresTheScreen) {
    FakeScreen fake;
    uint8_t* screen = FakeScreen::pixels;
    for (size_t i = 0; i < sizeof FakeScreen::pixels; ++i)
        screen[i] = uint8_t(i * 31);
    std::vector<uint8_t> before(screen, screen + sizeof FakeScreen::pixels);
    Bytes m = Msg(kDrawPointXorScreen).u32(0).s32(10).s32(20).u32(0x5A).done();
    Dispatch(m);
    EXPECT_EQ(screen[20 * 600 + 10], uint8_t(before[20 * 600 + 10] ^ 0x5A));
    Dispatch(m);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), screen));
}

// Every drawing opcode with wild arguments: nothing may be written outside
// the pixmap (the pixels sit between guard zones; the sanitizers watch the
// rest) and every request must finish.
TEST(Robustness, NoPrimitiveWritesOutsideItsPixmapForAnyArguments) {
    FakeScreen fake;
    std::mt19937 rng(12345);
    auto wild = [&]() -> int32_t {
        switch (rng() % 6) {
        case 0: return int32_t(rng() % 80) - 20;
        case 1: return int32_t(rng() % 400) - 200;
        case 2: return int32_t(rng() % 65536) - 32768;
        case 3: return int32_t(rng());
        case 4: return (rng() & 1) ? 32767 : -32767;
        default: return int32_t(rng() % 8);
        }
    };
    const int W = 37, H = 29;
    const size_t guard = 4096;
    std::vector<uint8_t> store(guard + W * H + guard, 0xA5);
    for (int round = 0; round < 3000; ++round) {
        Canvas c(W, H, 0);
        uint8_t* own = c.p_->d.pixels;
        c.p_->d.pixels = store.data() + guard;
        uint8_t op = uint8_t(20 + rng() % 82);
        g_rotateMode = int(rng() % 4);
        Msg m(op);
        m.u32(kPix);
        int words = 2 + int(rng() % 16);
        if (op == 71 || op == 72) {
            int n = int(rng() % 12);
            m.s32((rng() % 8) ? n : wild());
            m.u32(rng());
            for (int i = 0; i < 2 * n; ++i)
                m.s32(wild());
        } else {
            for (int i = 0; i < words; ++i)
                m.s32((rng() % 5) ? wild() : int32_t(rng()));
        }
        Bytes b = m.done();
        if (op == 98 || op == 99) { // doubles: some of them not finite
            double ds[] = {NAN, INFINITY, -1e300, 1e9, double(wild()), 12.5};
            for (int i = 0; i < 3; ++i) {
                double d = ds[rng() % 6];
                if (b.size() >= size_t(24 + 8 * i)) memcpy(&b[16 + 8 * i], &d, 8);
            }
        }
        Dispatch(b);
        for (size_t i = 0; i < guard; ++i) {
            ASSERT_EQ(store[i], 0xA5) << "opcode " << int(op);
            ASSERT_EQ(store[guard + W * H + i], 0xA5) << "opcode " << int(op);
        }
        c.p_->d.pixels = own;
    }
}

namespace {
// DrawGradientRect: x, y, w, h, nine 16-bit values, direction, mirror.
Bytes Gradient(int w, int h, uint16_t g1, uint16_t g2, uint8_t horizontal, uint8_t mirror) {
    Msg m = Req(kDrawGradientRect);
    m.s32(0).s32(0).s32(w).s32(h);
    for (uint16_t v : {g1, g1, g1, g2, g2, g2, uint16_t(0), uint16_t(0), uint16_t(0)})
        m.u16(v);
    m.raw(horizontal).raw(mirror);
    return m.done();
}
} // namespace

TEST(Lines, ThickLineBySquaresCoversTheSquaresOfEveryStep) {
    Canvas c(8, 6);
    Dispatch(Req(kDrawLineW).s32(0).s32(0).s32(4).s32(2).s32(2).u32(1).done());
    std::vector<std::string> want = {
        "##......", //
        "####....", //
        ".#####..", //
        "...###..", //
        "........", //
        "........",
    };
    EXPECT_EQ(c.rows(), want);
}

TEST(Boxes, SeparatorsTabTitleAndCustomMaskGoldens) {
    Canvas s(6, 5);
    Dispatch(Req(kDrawHSeperator2).s32(1).s32(4).s32(2).done());
    EXPECT_EQ(s.rows(), (std::vector<std::string>{"......", "......", ".SSSS.", ".WWWW.", "......"}));

    Canvas v(6, 7);
    Dispatch(Req(kDrawVSeperator3D2).s32(1).s32(1).s32(5).done());
    EXPECT_EQ(v.rows(),
              (std::vector<std::string>{"......", ".WWS..", ".W#S..", ".W#S..", ".W#S..", ".SSS..", "......"}));
    EXPECT_EQ(v.at(2, 3), 191);

    Canvas t(6, 5);
    Dispatch(Req(kDrawTabTitleBox).s32(0).s32(0).s32(6).s32(5).u32(0).color(0, 0, 0, 0, 0).done());
    EXPECT_EQ(t.rows(), (std::vector<std::string>{"..WW..", ".WFFB.", "WF..SB", "WF..SB", "WF..SB"}));

    // Custom raised box without its top lines: the left lines reach up.
    Canvas k(7, 7);
    Dispatch(Req(kDrawUpBoxCustom).s32(1).s32(1).s32(5).s32(5).u32(0).byte(1).done());
    EXPECT_EQ(k.rows(),
              (std::vector<std::string>{".......", ".W..SB.", ".WF.SB.", ".WF.SB.", ".WSSSB.", ".BBBBB.", "......."}));
}

// The exact ramp steps are judged in gradient_ramp_test; here the shapes.
TEST(Gradients, MirrorsAndBands) {
    auto column = [](int h) {
        Canvas m(1, h);
        Dispatch(Gradient(1, h, 0, 255, 1, 1)); // mirrored rows
        std::vector<int> out;
        for (int y = 0; y < h; ++y)
            out.push_back(m.at(0, y));
        return out;
    };
    EXPECT_EQ(column(4), (std::vector<int>{0, 127, 127, 0}));
    EXPECT_EQ(column(5), (std::vector<int>{0, 127, 127, 0, 0})); // the extra outer row keeps to c1
    EXPECT_EQ(column(1), (std::vector<int>{0}));

    auto band = [](uint32_t pixel1, uint32_t pixel2) {
        Msg m = Req(kDrawRectWGradient);
        m.s32(0).s32(0).s32(6).s32(6).s32(2);
        return m.color(0, 0, 0, 0, pixel1).color(255, 255, 255, 0, pixel2).done();
    };
    Canvas b(6, 6);
    Dispatch(band(1, 2));
    EXPECT_EQ((std::vector<int>{b.at(0, 0), b.at(5, 5), b.at(1, 1), b.at(4, 4), b.at(2, 2)}),
              (std::vector<int>{0, 0, 127, 127, b.bg_}));
    // Equal pixel words: the plain band in that pixel.
    Canvas e(6, 6);
    Dispatch(band(9, 9));
    EXPECT_EQ((std::vector<int>{e.at(1, 1), e.at(4, 0)}), (std::vector<int>{9, 9}));

    Canvas c(9, 9);
    Dispatch(
        Req(kFillCircleGradient).s32(4).s32(4).s32(3).color(200, 200, 200, 0, 1).color(100, 100, 100, 0, 2).done());
    // (200 + 2 * 100) / 3, (2 * 200 + 100) / 3, 200
    EXPECT_EQ((std::vector<int>{c.at(4, 4), c.at(5, 4), c.at(6, 4)}), (std::vector<int>{133, 166, 200}));
}

TEST(RoundRects, SmallRoundedOutlineGolden) {
    Canvas c(10, 8);
    Dispatch(Req(kDrawRoundRect).s32(0).s32(0).s32(10).s32(8).s32(4).s32(4).u32(1).done());
    std::vector<std::string> want = {
        ".########.", "#........#", "#........#", "#........#", "#........#", "#........#", "#........#", ".########.",
    };
    EXPECT_EQ(c.rows(), want);
}

TEST(Screen, FillAndXorFrameAreClippedToTheScreen) {
    FakeScreen fake;
    uint8_t* screen = FakeScreen::pixels;
    memset(screen, 0, sizeof FakeScreen::pixels);
    Dispatch(Msg(kFillRectScreen).u32(0).s32(-5).s32(10).s32(10).s32(2).u32(7).done());
    int n = 0;
    for (int y = 0; y < 800; ++y)
        for (int x = 0; x < 600; ++x)
            if (screen[y * 600 + x]) {
                ++n;
                EXPECT_TRUE(x <= 4 && (y == 10 || y == 11)) << x << "," << y;
            }
    EXPECT_EQ(n, 10);

    memset(screen, 0, sizeof FakeScreen::pixels);
    Dispatch(Msg(kDrawWRectXorScreen).u32(0).s32(10).s32(20).s32(6).s32(5).s32(1).u32(0xFF).done());
    std::set<std::pair<int, int>> set;
    for (int y = 0; y < 800; ++y)
        for (int x = 0; x < 600; ++x)
            if (screen[y * 600 + x]) set.insert({x, y});
    Points want;
    for (int x = 10; x <= 14; ++x)
        want.insert({x, 20}), want.insert({x, 24});
    for (int y = 21; y <= 23; ++y)
        want.insert({10, y}), want.insert({15, y});
    EXPECT_EQ(set, want) << "the right band's corners are inverted twice";
}

namespace {
// The scan-line fill as the rule states it: edge records inserted one by
// one after equal x, the active list re-sorted by insertion every row.
std::vector<uint8_t> ReferenceFill(const std::vector<int>& xs, const std::vector<int>& ys, int w, int h) {
    struct E {
        int yUpper;
        float x, dx;
    };
    int n = int(xs.size());
    std::vector<std::vector<E>> table(600);
    auto insert = [](std::vector<E>& l, E e) {
        size_t i = 0;
        while (i < l.size() && l[i].x <= e.x)
            ++i;
        l.insert(l.begin() + long(i), e);
    };
    auto yNext = [&](int k) {
        int j = (k + 1) % n;
        while (ys[size_t(k)] == ys[size_t(j)])
            j = (j + 1) % n;
        return ys[size_t(j)];
    };
    auto make = [&](int lx, int ly, int ux, int uy, int comp) {
        E e{uy < comp ? uy - 1 : uy, float(lx), float(ux - lx) / float(uy - ly)};
        insert(table[size_t(ly)], e);
    };
    int prevY = ys[size_t(n - 2)], px = xs[size_t(n - 1)], py = ys[size_t(n - 1)];
    for (int i = 0; i < n; ++i) {
        int cx = xs[size_t(i)], cy = ys[size_t(i)];
        if (py != cy) {
            if (py < cy)
                make(px, py, cx, cy, yNext(i));
            else
                make(cx, cy, px, py, prevY);
        }
        prevY = py;
        px = cx, py = cy;
    }
    std::vector<uint8_t> out(size_t(w) * h, 0);
    auto put = [&](int x, int y) {
        if (x >= 0 && y >= 0 && x < w && y < h) out[size_t(y) * w + x] = 1;
    };
    std::vector<E> active;
    for (int y = 0; y < 600; ++y) {
        for (E e : table[size_t(y)])
            insert(active, e);
        for (size_t i = 0; i < active.size(); i += 2) {
            int xa = int(active[i].x);
            if (i + 1 == active.size()) {
                put(xa, y);
                break;
            }
            int xb = int(active[i + 1].x);
            for (int x = xa; x < xb; ++x)
                put(x, y);
        }
        std::vector<E> next;
        for (E e : active)
            if (e.yUpper > y) {
                e.x += e.dx;
                next.push_back(e);
            }
        active.clear();
        for (E e : next)
            insert(active, e);
    }
    return out;
}
} // namespace

TEST(Polygons, RandomPolygonsFillExactlyAsTheScanLineRuleSays) {
    std::mt19937 rng(3);
    for (int round = 0; round < 300; ++round) {
        int n = 3 + int(rng() % 9);
        std::vector<int> xs(static_cast<size_t>(n)), ys(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            xs[size_t(i)] = int(rng() % 70) - 3;
            ys[size_t(i)] = int(rng() % 60);
        }
        std::vector<int64_t> x64(xs.begin(), xs.end()), y64(ys.begin(), ys.end());
        std::vector<uint8_t> got(64 * 64, 0);
        SSCanvas c{got.data(), 64, 64};
        PrimFillPolygon(c, x64.data(), y64.data(), n, 1);
        ASSERT_EQ(got, ReferenceFill(xs, ys, 64, 64)) << "round " << round;
    }
}

TEST(RoundRects, FilledGoldenAndTheRelationsBetweenTheFamilies) {
    Canvas f(10, 8);
    // FillRoundRect keeps its pixel after five unused words, at offset 52.
    Dispatch(Req(kFillRoundRect).s32(0).s32(0).s32(10).s32(8).s32(4).s32(4).pad(20).u32(1).done());
    std::vector<std::string> filled = {
        ".########.", "##########", "##########", "##########", "##########", "##########", "##########", ".########.",
    };
    EXPECT_EQ(f.rows(), filled);

    auto pixels = [](const Bytes& m, int w = 20, int h = 16) {
        Canvas c(w, h);
        Dispatch(m);
        return c.changed();
    };
    // A band of one is the outline.
    EXPECT_EQ(pixels(Req(kDrawRoundRectW).s32(2).s32(2).s32(14).s32(11).s32(6).s32(4).s32(1).u32(1).done()),
              pixels(Req(kDrawRoundRect).s32(2).s32(2).s32(14).s32(11).s32(6).s32(4).u32(1).done()));
    // Corners as large as the rectangle: an ellipse centred in it.
    EXPECT_EQ(pixels(Req(kDrawRoundRect).s32(2).s32(2).s32(10).s32(8).s32(10).s32(8).u32(1).done()),
              pixels(Req(kDrawEllipse).s32(7).s32(6).s32(5).s32(4).u32(1).done()));
    // Ellipse bands: thickness 1 is the outline, thickness min(a, b) the
    // filled ellipse; a bordered fill is the outline over the smaller fill.
    EXPECT_EQ(pixels(Req(kDrawEllipseW).s32(9).s32(8).s32(6).s32(4).s32(1).u32(1).done()),
              pixels(Req(kDrawEllipse).s32(9).s32(8).s32(6).s32(4).u32(1).done()));
    EXPECT_EQ(pixels(Req(kDrawEllipseW).s32(9).s32(8).s32(6).s32(4).s32(4).u32(1).done()),
              pixels(Req(kFillEllipse).s32(9).s32(8).s32(6).s32(4).u32(1).done()));
    std::vector<uint8_t> bordered, separately;
    auto bytes = [](const Canvas& c) { return std::vector<uint8_t>(c.p_->d.pixels, c.p_->d.pixels + 20 * 16); };
    {
        Canvas both(20, 16);
        Dispatch(Req(kFillEllipseW).s32(9).s32(8).s32(6).s32(4).s32(1).u32(1).u32(2).done());
        bordered = bytes(both);
        EXPECT_EQ(both.at(9, 8), 2);
    }
    {
        Canvas parts(20, 16);
        Dispatch(Req(kDrawEllipse).s32(9).s32(8).s32(6).s32(4).u32(1).done());
        Dispatch(Req(kFillEllipse).s32(9).s32(8).s32(5).s32(3).u32(2).done());
        separately = bytes(parts);
    }
    EXPECT_EQ(bordered, separately);
}
