// Clip regions against a brute-force recomputation: for random window trees
// (overlapping siblings, nesting, shapes, the desktop work area, unmapped
// windows) and random changes to them, every viewable window's two clip
// regions must hold exactly the pixels that the tree says it shows.
#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <random>
#include <vector>

#include "core/server.h"
#include "render/apollo.h"
#include "render/sspixmap.h"
#include "window/sswindow.h"

namespace {

constexpr int kW = 100, kH = 80;

SSScreen g_clipScreen;
std::vector<uint8_t> g_clipPixels(size_t(kW) * kH, 192);

// A shape as the test knows it: the mask and its offset from the window.
struct Shape {
    int w, h, dx, dy;
    std::vector<uint8_t> on; // w * h, 1 = inside
    std::vector<uint8_t> bits;
    SSPixmap pixmap{};
};

class ClipModel {
public:
    std::map<const SSWindow*, Shape*> shapes;
    std::deque<Shape> store;

    // The window's own pixel test, from its record's plain numbers.
    bool Base(const SSWindow* w, int x, int y) const {
        auto it = shapes.find(w);
        if (it != shapes.end()) {
            const Shape& s = *it->second;
            int sx = x - (w->d.x + s.dx), sy = y - (w->d.y + s.dy);
            return sx >= 0 && sy >= 0 && sx < s.w && sy < s.h && s.on[size_t(sy * s.w + sx)];
        }
        return x >= w->d.x && y >= w->d.y && x < w->d.x + w->d.width && y < w->d.y + w->d.height;
    }

    bool InArea(int x, int y) const {
        const SSRect& a = g_desktopArea;
        return x >= a.x && y >= a.y && x < a.x + a.width && y < a.y + a.height;
    }

    bool InWith(const SSWindow* w, int x, int y) const {
        if (w == g_rootWindow) return x >= 0 && y >= 0 && x < kW && y < kH;
        if (!SS_Mapped(w) || !Base(w, x, y)) return false;
        if (w->parent == g_rootWindow && !(w->flags & WIN_DESKTOP) && !InArea(x, y)) return false;
        if (!InWith(w->parent, x, y)) return false;
        for (const SSWindow* s = w->prevSibling; s; s = s->prevSibling)
            if (SS_Mapped(s) && Base(s, x, y)) return false;
        return true;
    }

    bool InWithout(const SSWindow* w, int x, int y) const {
        if (!InWith(w, x, y)) return false;
        for (const SSWindow* c = w->firstChild; c; c = c->nextSibling)
            if (SS_Mapped(c) && Base(c, x, y)) return false;
        return true;
    }
};

class ClipTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_clipScreen = SSScreen{kW, kH, 8, g_clipPixels.data(), g_clipPixels.data(), false};
        g_screen = &g_clipScreen;
        g_rotateMode = 0;
        SS_ResetWindows();
    }
    void TearDown() override { SS_ResetWindows(); }
};

void CheckWindow(const ClipModel& m, SSWindow* w, const char* when, int round) {
    if (!SS_Viewable(w)) return;
    ASSERT_NE(w->clipWithChildren, nullptr) << when << " round " << round;
    ASSERT_NE(w->clipWithoutChildren, nullptr);
    ASSERT_TRUE(SS_RegionValid(w->clipWithChildren));
    ASSERT_TRUE(SS_RegionValid(w->clipWithoutChildren));
    for (int y = -3; y < kH + 3; ++y)
        for (int x = -3; x < kW + 3; ++x) {
            ASSERT_EQ(SS_PointInRegion(w->clipWithChildren, x, y), m.InWith(w, x, y))
                << when << " round " << round << " window " << w->d.id << " at " << x << "," << y;
            ASSERT_EQ(SS_PointInRegion(w->clipWithoutChildren, x, y), m.InWithout(w, x, y))
                << when << " round " << round << " window " << w->d.id << " at " << x << "," << y
                << " (without children)";
        }
}

void CheckAll(const ClipModel& m, const std::vector<uint32_t>& ids, const char* when, int round) {
    CheckWindow(m, g_rootWindow, when, round);
    for (uint32_t id : ids)
        if (SSWindow* w = SS_FindWindow(id)) CheckWindow(m, w, when, round);
}

TEST_F(ClipTest, EveryViewableWindowsClipsEqualABruteForceRecomputationFromTheTree) {
    std::mt19937 rng(4242);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    int checkedWindows = 0, shaped = 0;
    for (int round = 0; round < 30; ++round) {
        SS_ResetWindows();
        ClipModel m;
        std::vector<uint32_t> ids;
        int n = pick(4, 11);
        for (int i = 0; i < n; ++i) {
            uint32_t id = uint32_t(0x100 + i);
            uint32_t parent = (ids.empty() || pick(0, 1) == 0) ? 0 : ids[size_t(pick(0, int(ids.size()) - 1))];
            SSWindow* w =
                SS_CreateWindow(nullptr, id, parent, pick(-15, 90), pick(-15, 70), pick(1, 60), pick(1, 60), 0, 1);
            ASSERT_NE(w, nullptr);
            ids.push_back(id);
            if (pick(0, 3) == 0) { // a shape of a few blobs
                m.store.emplace_back();
                Shape& s = m.store.back();
                s.w = pick(1, 30);
                s.h = pick(1, 30);
                s.dx = pick(-5, 10);
                s.dy = pick(-5, 10);
                s.on.assign(size_t(s.w * s.h), 0);
                for (int b = pick(1, 4); b > 0; --b) {
                    int bx = pick(0, s.w - 1), by = pick(0, s.h - 1), bw = pick(1, s.w), bh = pick(1, s.h);
                    for (int y = by; y < std::min(s.h, by + bh); ++y)
                        for (int x = bx; x < std::min(s.w, bx + bw); ++x)
                            s.on[size_t(y * s.w + x)] = 1;
                }
                int stride = (s.w + 7) / 8;
                s.bits.assign(size_t(stride * s.h), 0);
                for (int y = 0; y < s.h; ++y)
                    for (int x = 0; x < s.w; ++x)
                        if (s.on[size_t(y * s.w + x)]) s.bits[size_t(y * stride + x / 8)] |= uint8_t(1 << (x % 8));
                s.pixmap.d = SSDrawable{s.bits.data(), 0, 0, 0, s.w, s.h, 1, uint32_t(stride), DRAWABLE_PIXMAP};
                SS_SetShape(w, &s.pixmap, s.dx, s.dy);
                m.shapes[w] = &s;
                ++shaped;
            }
            if (parent == 0 && pick(0, 4) == 0)
                SS_SetDesktop(w, pick(-10, 40), pick(-10, 30), pick(0, 150), pick(0, 150));
            if (pick(0, 2) != 0) w->flags |= WIN_TOPWINDOW;
        }
        // Some dialogs among the top-level windows.
        for (int t = pick(0, 2); t > 0; --t) {
            SSWindow* a = SS_FindWindow(ids[size_t(pick(0, n - 1))]);
            SSWindow* b = SS_FindWindow(ids[size_t(pick(0, n - 1))]);
            if (a->parent == g_rootWindow && b->parent == g_rootWindow) SS_SetTransient(a, b);
        }
        // Map most windows, in random order.
        std::vector<uint32_t> order = ids;
        std::shuffle(order.begin(), order.end(), rng);
        for (uint32_t id : order)
            if (pick(0, 4) != 0) SS_MapWindow(SS_FindWindow(id), false);
        CheckAll(m, ids, "after mapping", round);
        if (HasFatalFailure()) return;

        for (int step = 0; step < 12; ++step) {
            SSWindow* w = SS_FindWindow(ids[size_t(pick(0, int(ids.size()) - 1))]);
            if (!w) continue;
            const char* what = "";
            switch (pick(0, 7)) {
            case 0:
                SS_RaiseWindow(w);
                what = "raise";
                break;
            case 1:
                SS_MoveWindow(w, pick(-20, 20), pick(-20, 20), false);
                what = "move";
                break;
            case 2:
                SS_ResizeWindow(w, pick(1, 60), pick(1, 60));
                what = "resize";
                break;
            case 3:
                SS_MoveResizeWindow(w, pick(-15, 90), pick(-15, 70), pick(1, 60), pick(1, 60), false);
                what = "move-resize";
                break;
            case 4:
                SS_UnmapWindow(w, false);
                what = "unmap";
                break;
            case 5:
            case 6:
                SS_MapWindow(w, false);
                what = "map";
                break;
            case 7:
                // Forget the shapes of the subtree before it is freed.
                for (auto it = m.shapes.begin(); it != m.shapes.end();) {
                    bool inside = false;
                    for (const SSWindow* a = it->first; a && !inside; a = a->parent)
                        inside = a == w;
                    it = inside ? m.shapes.erase(it) : std::next(it);
                }
                SS_DestroyWindow(w);
                what = "destroy";
                break;
            }
            CheckAll(m, ids, what, round);
            if (HasFatalFailure()) return;
        }
        for (uint32_t id : ids)
            if (SSWindow* w = SS_FindWindow(id); w && SS_Viewable(w)) ++checkedWindows;
    }
    // The random trees must have exercised something.
    EXPECT_GT(checkedWindows, 50);
    EXPECT_GT(shaped, 10);
}

// One run of random changes, including those that leave clips behind on
// purpose (no-expose maps and moves, shapes and work areas set on mapped
// windows); after each change, every window's clips as box lists.
std::vector<std::vector<int32_t>> RunChanges(unsigned seed, std::deque<Shape>& shapes) {
    std::mt19937 rng(seed);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    SS_ResetWindows();
    std::vector<uint32_t> ids;
    auto any = [&]() { return SS_FindWindow(ids[size_t(pick(0, int(ids.size()) - 1))]); };
    int n = pick(5, 14);
    for (int i = 0; i < n; ++i) {
        uint32_t id = uint32_t(0x100 + i);
        uint32_t parent = (ids.empty() || pick(0, 2) != 0) ? 0 : ids[size_t(pick(0, int(ids.size()) - 1))];
        SS_CreateWindow(nullptr, id, parent, pick(-15, 90), pick(-15, 70), pick(1, 60), pick(1, 60), 0, 1);
        ids.push_back(id);
    }
    for (uint32_t id : ids)
        if (pick(0, 4) != 0) SS_MapWindow(SS_FindWindow(id), pick(0, 5) == 0);

    std::vector<std::vector<int32_t>> snapshots;
    for (int step = 0; step < 40; ++step) {
        SSWindow* w = any();
        if (!w) continue;
        bool noExpose = pick(0, 5) == 0;
        switch (pick(0, 11)) {
        case 0:
        case 1:
        case 2:
        case 3: SS_RaiseWindow(w); break;
        case 4: SS_MoveWindow(w, pick(-20, 20), pick(-20, 20), noExpose); break;
        case 5: SS_ResizeWindow(w, pick(1, 60), pick(1, 60)); break;
        case 6: SS_MoveResizeWindow(w, pick(-15, 90), pick(-15, 70), pick(1, 60), pick(1, 60), noExpose); break;
        case 7: SS_UnmapWindow(w, noExpose); break;
        case 8: SS_MapWindow(w, noExpose); break;
        case 9:
            if (!shapes.empty())
                SS_SetShape(w, &shapes[size_t(pick(0, int(shapes.size()) - 1))].pixmap, pick(-5, 5), pick(-5, 5));
            break;
        case 10:
            if (w->parent == g_rootWindow) SS_SetDesktop(w, pick(-10, 40), pick(-10, 30), pick(0, 150), pick(0, 150));
            break;
        case 11:
            if (pick(0, 3) == 0) SS_DestroyWindow(w);
            break;
        }
        std::vector<int32_t> snap;
        for (uint32_t id : ids) {
            SSWindow* x = SS_FindWindow(id);
            snap.push_back(x ? int32_t(SS_Mapped(x)) : -1);
            if (!x) continue;
            for (const SSRegion* r : {x->clipWithChildren, x->clipWithoutChildren}) {
                snap.push_back(r ? r->count : -1);
                for (int32_t i = 0; r && i < r->count; ++i) {
                    const SSBox& b = r->boxes[i];
                    snap.insert(snap.end(), {b.x1, b.y1, b.x2, b.y2});
                }
            }
        }
        snapshots.push_back(std::move(snap));
    }
    return snapshots;
}

TEST_F(ClipTest, RaisesThatReuseFreshClipsGiveTheSameClipsAsAFullRecomputation) {
    // A few masks shared by both runs.
    std::deque<Shape> shapes;
    std::mt19937 rng(99);
    for (int i = 0; i < 4; ++i) {
        shapes.emplace_back();
        Shape& s = shapes.back();
        s.w = 8 + 8 * i;
        s.h = 10 + 5 * i;
        int stride = (s.w + 7) / 8;
        s.bits.assign(size_t(stride * s.h), 0);
        for (auto& byte : s.bits)
            byte = uint8_t(rng());
        s.pixmap.d = SSDrawable{s.bits.data(), 0, 0, 0, s.w, s.h, 1, uint32_t(stride), DRAWABLE_PIXMAP};
    }
    for (unsigned seed = 1; seed <= 150; ++seed) {
        g_clipIncremental = false;
        auto full = RunChanges(seed, shapes);
        g_clipIncremental = true;
        auto incremental = RunChanges(seed, shapes);
        ASSERT_EQ(full.size(), incremental.size());
        for (size_t i = 0; i < full.size(); ++i)
            ASSERT_EQ(full[i], incremental[i]) << "seed " << seed << " step " << i;
    }
}

} // namespace
