// Gradient colours: every ramp step is the exact truncated value, checked
// against integer arithmetic over the whole table of channel values and step
// counts, and through each request that draws a ramp.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/handlers.h"
#include "harness/dispatch.h"
#include "harness/wire_client.h"
#include "render/primitives.h"
#include "render/sspixmap.h"

using testing_eink::Dispatch;
using testing_eink::Msg;

namespace {

constexpr uint32_t kPix = 0x100001;

constexpr uint8_t kDrawGradientRect = 64, kDrawRectWGradient = 65, kFillCircleGradientW = 79,
                  kDrawEllipseWGradient = 85, kDrawRoundRectWGradient = 90, kFillRoundRectWGradientBase = 91;

// Step k of an n-step ramp, exactly: floor((c1 (n - k) + c2 k) / n).
int Exact(int c1, int c2, int k, int n) { return (c1 * (n - k) + c2 * k) / n; }

struct Canvas {
    SSPixmap* p;
    Canvas(int w, int h) {
        SS_FreeAllPixmaps();
        p = SS_CreatePixmap(kPix, w, h, 8, nullptr);
        memset(p->d.pixels, 7, size_t(w) * size_t(h));
    }
    ~Canvas() { SS_FreeAllPixmaps(); }
    int at(int x, int y) const { return p->d.pixels[y * p->d.width + x]; }
};

Msg Req(uint8_t op) {
    Msg m(op);
    m.u32(kPix);
    return m;
}

// A grey colour record; the pixel word tells the two ends apart.
Msg& Grey(Msg& m, uint8_t v, uint32_t pixel) { return m.color(v, v, v, 0, pixel); }

} // namespace

TEST(GradientRamp, EveryStepOfEveryRampIsTheExactTruncatedValue) {
    // All channel pairs 0-255, every step of ramps of 1 to 39 steps.
    long misses = 0;
    std::string first;
    for (int n = 1; n <= 39; ++n)
        for (int k = 0; k < n; ++k)
            for (int c1 = 0; c1 <= 255; ++c1)
                for (int c2 = 0; c2 <= 255; ++c2) {
                    int got = RampChannel(c1, c2, n - k, k, n);
                    if (got != Exact(c1, c2, k, n) && misses++ == 0)
                        first = "c1=" + std::to_string(c1) + " c2=" + std::to_string(c2) + " k=" + std::to_string(k) +
                                " n=" + std::to_string(n) + " gave " + std::to_string(got);
                }
    EXPECT_EQ(misses, 0) << "first: " << first;

    // Whole-colour steps go to grey after the channels are cut: the
    // example of a colour ramp that must give 141 (37, 220, 119).
    EXPECT_EQ(RampGrey({200, 100, 50}, {10, 240, 131}, 6, 7), 141);
    EXPECT_EQ(RampGrey({100, 100, 100}, {240, 240, 240}, 6, 7), 220);
}

TEST(GradientRamp, EveryRampRequestDrawsTheExactSteps) {
    // A grey ramp from 100 to 240 over 7 steps, whose step 6 is exactly 220,
    // through every request shape that draws one.
    const int n = 7;
    {
        Canvas c(3, n); // horizontal lines, c1 at the bottom row
        Msg m = Req(kDrawGradientRect);
        m.s32(0).s32(0).s32(3).s32(n);
        for (uint16_t v : {100, 100, 100, 240, 240, 240, 0, 0, 0})
            m.u16(v);
        Dispatch(m.raw(1).raw(0).done());
        for (int k = 0; k < n; ++k)
            EXPECT_EQ(c.at(1, n - 1 - k), Exact(100, 240, k, n)) << "line " << k;
    }
    {
        Canvas c(2 * n, 1); // mirrored columns: n steps from each outer edge
        Msg m = Req(kDrawGradientRect);
        m.s32(0).s32(0).s32(2 * n).s32(1);
        for (uint16_t v : {100, 100, 100, 240, 240, 240, 0, 0, 0})
            m.u16(v);
        Dispatch(m.raw(0).raw(1).done());
        for (int j = 0; j < n; ++j)
            EXPECT_EQ(c.at(j, 0), Exact(100, 240, j, n)) << "column " << j;
        EXPECT_EQ(c.at(2 * n - 1, 0), 100);
        EXPECT_EQ(c.at(n, 0), Exact(100, 240, n - 1, n));
    }
    {
        Canvas c(2 * n, 2 * n); // rectangle outlines, ring k inset by k
        Msg m = Req(kDrawRectWGradient);
        m.s32(0).s32(0).s32(2 * n).s32(2 * n).s32(n);
        Grey(m, 100, 1);
        Grey(m, 240, 2);
        Dispatch(m.done());
        for (int k = 0; k < n; ++k)
            EXPECT_EQ(c.at(k, k), Exact(100, 240, k, n)) << "ring " << k;
        // The colour example.
        Canvas d(2 * n, 2 * n);
        Dispatch(Req(kDrawRectWGradient)
                     .s32(0)
                     .s32(0)
                     .s32(2 * n)
                     .s32(2 * n)
                     .s32(n)
                     .color(200, 100, 50, 0, 1)
                     .color(10, 240, 131, 0, 2)
                     .done());
        EXPECT_EQ(d.at(n - 1, n - 1), 141);
    }
    {
        Canvas c(20, 20); // circle rings on radii 7 ... 2, centre in step 6
        Msg m = Req(kFillCircleGradientW);
        m.s32(10).s32(10).s32(n).s32(0);
        Grey(m, 100, 1);
        Grey(m, 240, 2);
        Dispatch(m.done());
        EXPECT_EQ(c.at(10, 10), Exact(100, 240, n - 1, n));
        EXPECT_EQ(c.at(10, 10 - (n - 1)), Exact(100, 240, 0, n)); // ring of radius 7 reaches row cy - 6
    }
    {
        Canvas c(20, 20); // ellipse outlines, outline k with semi-axes 7 - k
        Msg m = Req(kDrawEllipseWGradient);
        m.s32(10).s32(10).s32(n).s32(n).s32(n);
        Grey(m, 100, 1);
        Grey(m, 240, 2);
        Dispatch(m.done());
        for (int k = 0; k < n; ++k)
            EXPECT_EQ(c.at(10 + n - k, 10), Exact(100, 240, k, n)) << "outline " << k;
    }
    {
        Canvas c(40, 40); // rounded bands: corners of 14 give rx = ry = 7, ring k at row k
        Msg m = Req(kDrawRoundRectWGradient);
        m.s32(0).s32(0).s32(40).s32(40).s32(14).s32(14).s32(n);
        Grey(m, 100, 1);
        Grey(m, 240, 2);
        Dispatch(m.done());
        for (int k = 0; k < n; ++k)
            EXPECT_EQ(c.at(20, k), Exact(100, 240, k, n)) << "ring " << k;
    }
    {
        // Rings from the outline inward: n = 20 rings, m = 9, ring k in
        // c1 (20 - k) / 20 + c2 (k - 11) / 20. The rings past the middle are
        // drawn last; ring k >= 12 shows alone at (10, k). From 1 to 18,
        // ring 14 holds 1 * 6 / 20 + 18 * 3 / 20 = 3, where weighing first
        // gave 2.
        Canvas c(20, 20);
        Msg m = Req(kFillRoundRectWGradientBase);
        m.s32(0).s32(0).s32(20).s32(20).s32(18).s32(18).s32(1);
        Grey(m, 1, 1);
        Grey(m, 18, 2);
        Dispatch(m.done());
        EXPECT_EQ(c.at(10, 14), 3);
        EXPECT_EQ(c.at(10, 19), 7); // 1 / 20 + 18 * 8 / 20 = 7.25, truncated
    }
}
