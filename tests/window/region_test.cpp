// Region algebra: hand-worked cases, and random regions checked pixel by
// pixel against the same operations on a plain bitmap.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "window/ssregion.h"

namespace {

bool operator==(const SSBox& a, const SSBox& b) { return a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2; }

void ExpectBoxes(const SSRegion* r, std::vector<SSBox> want) {
    ASSERT_EQ(r->count, int32_t(want.size()));
    for (size_t i = 0; i < want.size(); ++i) {
        const SSBox& b = r->boxes[i];
        EXPECT_TRUE(b == want[i]) << "box " << i << ": (" << b.x1 << "," << b.y1 << "," << b.x2 << "," << b.y2 << ")";
    }
}

void ExpectExtents(const SSRegion* r, SSBox e) {
    const SSBox& x = r->extents;
    EXPECT_TRUE(x == e) << "extents (" << x.x1 << "," << x.y1 << "," << x.x2 << "," << x.y2 << ")";
}

// The edges that the random operations below do not reach: empty and
// saturating rectangles, the exact edges of a point test, a sweep over
// overlapping extents, copies onto themselves and the array sizes.
TEST(Region, EdgesOfRectanglesPointsCopiesAndOffsets) {
    SSRegion* empty = SS_RectRegion({10, 10, 0, 5});
    EXPECT_TRUE(SS_RegionEmpty(empty));
    EXPECT_EQ(empty->size, 1);
    ExpectExtents(empty, {0, 0, 0, 0});
    SSRegion* negative = SS_RectRegion({10, 10, 5, -3});
    EXPECT_TRUE(SS_RegionEmpty(negative));

    SSRegion* a = SS_RectRegion({10, 20, 5, 5});
    ExpectBoxes(a, {{10, 20, 15, 25}});
    ExpectExtents(a, {10, 20, 15, 25});
    EXPECT_EQ(
        (std::vector<bool>{SS_PointInRegion(a, 10, 20), SS_PointInRegion(a, 14, 24), SS_PointInRegion(a, 15, 20),
                           SS_PointInRegion(a, 10, 25), SS_PointInRegion(a, 9, 20), SS_PointInRegion(empty, 0, 0)}),
        (std::vector<bool>{true, true, false, false, false, false}));
    // A rectangle of width 0 changes nothing.
    SS_UnionRect(a, {50, 50, 0, 10});
    ExpectBoxes(a, {{10, 20, 15, 25}});

    // Extents that overlap while the boxes do not: the sweep finds nothing.
    SSRegion* l = SS_RectRegion({0, 0, 10, 2});
    SS_UnionRect(l, {0, 2, 2, 8});
    SSRegion* m = SS_RectRegion({5, 5, 5, 5});
    SS_IntersectRegion(l, m);
    EXPECT_EQ(l->count, 0);
    ExpectExtents(l, {0, 0, 0, 0});

    SS_UnionRect(m, {20, 0, 5, 5});
    SSRegion* d = SS_DupRegion(m);
    EXPECT_EQ(d->size, d->count);
    EXPECT_TRUE(SS_RegionsEqual(m, d));
    SS_CopyRegion(d, d);
    EXPECT_TRUE(SS_RegionsEqual(m, d));

    // Offsets that run off the coordinate range saturate instead of wrapping.
    SSRegion* far = SS_RectRegion({INT32_MAX - 10, 0, 5, 5});
    SS_OffsetRegion(far, 100, 0);
    EXPECT_TRUE(SS_RegionValid(far));
    EXPECT_TRUE(SS_RegionEmpty(far));
    for (SSRegion* r : {empty, negative, a, l, m, d, far})
        SS_FreeRegion(r);
}

TEST(Region, ArraysGrowByDoublingAndShrinkWhenMostlyUnused) {
    // A comb of 50 separate teeth: one band of 50 boxes.
    SSRegion* comb = SS_CreateRegion();
    for (int i = 0; i < 50; ++i)
        SS_UnionRect(comb, {i * 4, 0, 2, 10});
    EXPECT_EQ(comb->count, 50);
    EXPECT_GE(comb->size, comb->count);
    // Cutting it down to one tooth shrinks the array.
    SSRegion* tooth = SS_RectRegion({0, 0, 2, 10});
    SS_IntersectRegion(comb, tooth);
    ExpectBoxes(comb, {{0, 0, 2, 10}});
    EXPECT_EQ(comb->size, 1);
    // An empty result gets a fresh one-box array.
    SS_SubtractRegion(comb, tooth);
    EXPECT_TRUE(SS_RegionEmpty(comb));
    EXPECT_EQ(comb->size, 1);
    SS_FreeRegion(comb);
    SS_FreeRegion(tooth);
}

TEST(Region, MaskConversionTurnsRunsOfSetBitsIntoBoxes) {
    // 10 x 3 mask, 2 bytes a row, bit 0 leftmost:
    //   row 0: pixels 0-2 and 8-9    -> bytes 0x07, 0x03
    //   row 1: same as row 0 (coalesces with it)
    //   row 2: pixels 4-11 (11 is beyond the width and ignored) -> 0xF0, 0x0F
    const uint8_t bits[] = {0x07, 0x03, 0x07, 0x03, 0xF0, 0x0F};
    SSRegion* r = SS_MaskToRegion(bits, 10, 3, 2);
    ExpectBoxes(r, {{0, 0, 3, 2}, {8, 0, 10, 2}, {4, 2, 10, 3}});
    ExpectExtents(r, {0, 0, 10, 3});
    SS_FreeRegion(r);

    const uint8_t full[] = {0xFF, 0xFF, 0xFF, 0xFF};
    r = SS_MaskToRegion(full, 16, 2, 2);
    ExpectBoxes(r, {{0, 0, 16, 2}});
    SS_FreeRegion(r);

    // Nothing set, a bad size or no bits: empty.
    const uint8_t none[] = {0, 0};
    for (SSRegion* e : {SS_MaskToRegion(none, 16, 1, 2), SS_MaskToRegion(full, 0, 2, 2),
                        SS_MaskToRegion(full, 16, -1, 2), SS_MaskToRegion(nullptr, 8, 8, 1)}) {
        EXPECT_TRUE(SS_RegionEmpty(e));
        SS_FreeRegion(e);
    }
    // A row shorter than the width: only 8 x bytesPerRow pixels are read.
    const uint8_t narrow[] = {0x80};
    r = SS_MaskToRegion(narrow, 100, 1, 1);
    ExpectBoxes(r, {{7, 0, 8, 1}});
    SS_FreeRegion(r);
}

// ---- Random regions against a bitmap ------------------------------------------

constexpr int kLo = -4, kHi = 28, kSide = kHi - kLo; // coordinates of the test grid

struct Bitmap {
    std::vector<uint8_t> px = std::vector<uint8_t>(kSide * kSide, 0);
    uint8_t& at(int x, int y) { return px[(y - kLo) * kSide + (x - kLo)]; }
    uint8_t at(int x, int y) const { return px[(y - kLo) * kSide + (x - kLo)]; }
    bool operator==(const Bitmap& o) const { return px == o.px; }
};

// Rasterises the boxes themselves, so the comparison does not rely on
// SS_PointInRegion.
Bitmap Raster(const SSRegion* r) {
    Bitmap b;
    for (int i = 0; i < r->count; ++i) {
        const SSBox& box = r->boxes[i];
        EXPECT_GE(box.x1, kLo);
        EXPECT_LE(box.x2, kHi);
        EXPECT_GE(box.y1, kLo);
        EXPECT_LE(box.y2, kHi);
        for (int y = std::max(box.y1, kLo); y < std::min(box.y2, kHi); ++y)
            for (int x = std::max(box.x1, kLo); x < std::min(box.x2, kHi); ++x)
                b.at(x, y) = 1;
    }
    return b;
}

// The canonical banded box list of a bitmap, built directly from its rows:
// maximal runs per row, rows with equal runs merged when adjacent.
std::vector<SSBox> Canonical(const Bitmap& b) {
    std::vector<SSBox> out;
    std::vector<std::pair<int, int>> prevRuns;
    size_t prevStart = 0;
    for (int y = kLo; y < kHi; ++y) {
        std::vector<std::pair<int, int>> runs;
        for (int x = kLo; x < kHi;) {
            if (!b.at(x, y)) {
                ++x;
                continue;
            }
            int s = x;
            while (x < kHi && b.at(x, y))
                ++x;
            runs.push_back({s, x});
        }
        if (!runs.empty() && runs == prevRuns && !out.empty() && out.back().y2 == y) {
            for (size_t i = prevStart; i < out.size(); ++i)
                out[i].y2 = y + 1;
        } else if (!runs.empty()) {
            prevStart = out.size();
            for (auto& run : runs)
                out.push_back({run.first, y, run.second, y + 1});
        }
        prevRuns = runs;
    }
    return out;
}

SSRegion* RandomRegion(std::mt19937& rng, Bitmap* bits) {
    std::uniform_int_distribution<int> coord(kLo, kHi - 1), len(1, 12), steps(0, 6), coin(0, 3);
    SSRegion* r = SS_CreateRegion();
    int n = steps(rng);
    for (int i = 0; i < n; ++i) {
        int x = coord(rng), y = coord(rng);
        int w = std::min(len(rng), kHi - x), h = std::min(len(rng), kHi - y);
        SSRegion* rect = SS_RectRegion({x, y, w, h});
        bool cut = i > 0 && coin(rng) == 0;
        if (cut)
            SS_SubtractRegion(r, rect);
        else
            SS_UnionRegion(r, rect);
        for (int yy = y; yy < y + h; ++yy)
            for (int xx = x; xx < x + w; ++xx)
                bits->at(xx, yy) = cut ? 0 : 1;
        SS_FreeRegion(rect);
    }
    return r;
}

void ExpectMatches(const SSRegion* r, const Bitmap& want, const char* what, int round) {
    const char* why = "";
    ASSERT_TRUE(SS_RegionValid(r, &why)) << what << " round " << round << ": " << why;
    Bitmap got = Raster(r);
    ASSERT_TRUE(got == want) << what << " round " << round << ": pixels differ";
    std::vector<SSBox> canon = Canonical(want);
    ASSERT_EQ(size_t(r->count), canon.size()) << what << " round " << round;
    for (size_t i = 0; i < canon.size(); ++i)
        ASSERT_TRUE(r->boxes[i] == canon[i]) << what << " box " << i;
    // SS_PointInRegion agrees with the raster on a sample of points.
    for (int y = kLo; y < kHi; y += 3)
        for (int x = kLo; x < kHi; x += 2)
            ASSERT_EQ(SS_PointInRegion(r, x, y), want.at(x, y) != 0) << what;
}

TEST(Region, RandomOperationsMatchABitmapAndKeepTheBandedForm) {
    std::mt19937 rng(20261206);
    std::uniform_int_distribution<int> shift(-6, 6);
    int32_t largest = 0; // the random regions must reach some complexity
    for (int round = 0; round < 3000; ++round) {
        Bitmap ba, bb;
        SSRegion* a = RandomRegion(rng, &ba);
        SSRegion* b = RandomRegion(rng, &bb);
        ExpectMatches(a, ba, "random build", round);
        ExpectMatches(b, bb, "random build", round);

        Bitmap bi, bs, bu, bx;
        for (size_t i = 0; i < ba.px.size(); ++i) {
            bi.px[i] = ba.px[i] & bb.px[i];
            bs.px[i] = ba.px[i] & !bb.px[i];
            bu.px[i] = ba.px[i] | bb.px[i];
            bx.px[i] = ba.px[i] ^ bb.px[i];
        }
        SSRegion* r = SS_DupRegion(a);
        SS_IntersectRegion(r, b);
        ExpectMatches(r, bi, "intersect", round);
        SS_CopyRegion(r, a);
        SS_SubtractRegion(r, b);
        ExpectMatches(r, bs, "subtract", round);
        SS_CopyRegion(r, a);
        SS_UnionRegion(r, b);
        ExpectMatches(r, bu, "union", round);
        SS_CopyRegion(r, a);
        SS_XorRegion(r, b);
        ExpectMatches(r, bx, "xor", round);
        largest = std::max(largest, r->count);

        // Each operation with itself as the second operand.
        SS_CopyRegion(r, a);
        SS_IntersectRegion(r, r);
        ExpectMatches(r, ba, "intersect self", round);
        SS_UnionRegion(r, r);
        ExpectMatches(r, ba, "union self", round);
        SS_SubtractRegion(r, r);
        ExpectMatches(r, Bitmap(), "subtract self", round);
        SS_CopyRegion(r, a);
        SS_XorRegion(r, r);
        ExpectMatches(r, Bitmap(), "xor self", round);

        // Offset by a small shift, kept inside the grid by a prior intersect.
        int dx = shift(rng), dy = shift(rng);
        SSRegion* inner = SS_RectRegion({kLo + 6, kLo + 6, kSide - 12, kSide - 12});
        SS_CopyRegion(r, a);
        SS_IntersectRegion(r, inner);
        SS_OffsetRegion(r, dx, dy);
        Bitmap bo;
        for (int y = kLo + 6; y < kHi - 6; ++y)
            for (int x = kLo + 6; x < kHi - 6; ++x)
                bo.at(x + dx, y + dy) = ba.at(x, y);
        ExpectMatches(r, bo, "offset", round);

        // The mask conversion of the bitmap gives the same boxes, offset.
        std::vector<uint8_t> mask(kSide * (kSide / 8), 0);
        for (int y = kLo; y < kHi; ++y)
            for (int x = kLo; x < kHi; ++x)
                if (ba.at(x, y)) mask[(y - kLo) * (kSide / 8) + (x - kLo) / 8] |= uint8_t(1 << ((x - kLo) & 7));
        SSRegion* m = SS_MaskToRegion(mask.data(), kSide, kSide, kSide / 8);
        SS_OffsetRegion(m, kLo, kLo);
        ExpectMatches(m, ba, "mask", round);

        for (SSRegion* x : {a, b, r, inner, m})
            SS_FreeRegion(x);
        if (HasFatalFailure()) return;
    }
    EXPECT_GE(largest, 12);
}

} // namespace
