// Pixmap-to-window copies in process, on a screen image of the test's own:
// the masked form, dirty reporting by the refresh-file value, the awaited
// window, the long-wait and update-lock skips, the whole-pixmap copy and the
// landscape copies (small window, full screen, notice dialog).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

#include "core/handlers.h"
#include "core/server.h"
#include "harness/dispatch.h"
#include "harness/wire_client.h"
#include "render/apollo.h"
#include "render/refresh.h"
#include "render/sspixmap.h"
#include "window/sswindow.h"

using testing_eink::Bytes;
using testing_eink::Dispatch;
using testing_eink::Msg;

namespace {

enum : uint8_t { kCopyAreaP2W = 13, kCopyAreaP2WNormal = 141, kCopyAreaP2WLeft = 142 };
constexpr int kW = 600, kH = 800;

Bytes Copy(uint8_t op, uint32_t pix, uint32_t win, uint32_t mask, int sx, int sy, int w, int h, int dx, int dy) {
    return Msg(op).u32(pix).u32(win).u32(mask).s32(sx).s32(sy).s32(w).s32(h).s32(dx).s32(dy).u32(0).done();
}

class CopyTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = g_screen;
        screen_.assign(size_t(kW) * kH, 192);
        front_.assign(size_t(kW) * kH, 0);
        fake_ = SSScreen{kW, kH, 8, screen_.data(), front_.data(), false};
        g_screen = &fake_;
        g_rotateMode = 0;
        g_refreshFileValue = 0;
        SS_RefreshState() = refresh::State{};
        SS_FreeAllPixmaps();
        SS_ResetWindows();
    }
    void TearDown() override {
        SS_ResetWindows();
        SS_FreeAllPixmaps();
        SS_RefreshState() = refresh::State{};
        g_screen = saved_;
    }
    SSWindow* Win(uint32_t id, uint32_t parent, int x, int y, int w, int h, uint8_t kind = 1) {
        SSWindow* win = SS_CreateWindow(nullptr, id, parent, x, y, w, h, 192, kind);
        SS_MapWindow(win, false);
        SS_RefreshState().dirtyCount = 0; // mapping reports the screen dirty itself
        return win;
    }
    // A pixmap whose pixel (x, y) is (x + 3 * y) % 251, never 192.
    SSPixmap* Pix(uint32_t id, int w, int h) {
        SSPixmap* p = SS_CreatePixmap(id, w, h, 8, nullptr);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                p->d.pixels[y * w + x] = uint8_t((x + 3 * y) % 251 == 192 ? 1 : (x + 3 * y) % 251);
        return p;
    }
    static uint8_t Val(int x, int y) { return uint8_t((x + 3 * y) % 251 == 192 ? 1 : (x + 3 * y) % 251); }
    uint8_t At(int px, int py) const { return screen_[size_t(py) * kW + px]; }
    int Changed() const {
        int n = 0;
        for (uint8_t v : screen_)
            n += v != 192;
        return n;
    }
    uint32_t Dirty() const { return SS_RefreshState().dirtyCount; }

    std::vector<uint8_t> screen_, front_;
    SSScreen fake_{};
    SSScreen* saved_ = nullptr;
};

} // namespace

TEST_F(CopyTest, PlainCopyReportsTheWholeScreenOnceOrEachRectangleByTheRefreshFileValue) {
    Win(1, 0, 10, 10, 100, 100);
    Win(2, 0, 50, 50, 20, 20); // splits what 1 shows into several boxes
    Pix(7, 100, 100);
    Dispatch(Copy(kCopyAreaP2W, 7, 1, 0, 0, 0, 100, 100, 0, 0));
    // One notice, the pixels but under window 2, and 1 awaited.
    EXPECT_EQ(
        (std::vector<int>{int(Dirty()), At(10, 10), At(109, 109), At(55, 55), Changed(), int(SS_AwaitedWindow())}),
        (std::vector<int>{1, Val(0, 0), Val(99, 99), 192, 100 * 100 - 20 * 20, 1}));

    g_refreshFileValue = 1;
    SS_RefreshState().dirtyCount = 0;
    Dispatch(Copy(kCopyAreaP2W, 7, 1, 0, 0, 0, 100, 100, 0, 0));
    const SSRegion* clip = SS_FindWindow(1)->clipWithoutChildren;
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(Dirty(), uint32_t(clip->count)); // one notice per copied box
    EXPECT_GT(clip->count, 1);
}

TEST_F(CopyTest, MaskedCopyWritesTheMaskBitsInWindowCoordinatesAndReportsNothing) {
    Win(1, 0, 100, 200, 16, 4);
    Pix(7, 16, 4);
    SSPixmap* mask = SS_CreatePixmap(8, 16, 4, 1, nullptr);
    mask->d.pixels[0] = 0x01;         // row 0, column 0
    mask->d.pixels[2 * 2 + 1] = 0x80; // row 2, column 15
    Dispatch(Copy(kCopyAreaP2W, 7, 1, 8, 0, 0, 16, 4, 0, 0));
    EXPECT_EQ((std::vector<int>{At(100, 200), At(115, 202), Changed(), int(Dirty())}),
              (std::vector<int>{Val(0, 0), Val(15, 2), 2, 0}));
}

TEST_F(CopyTest, ChildWindowsRecordTheirTopLevelAsAwaitedAndLongWaitSkipsHiddenOnes) {
    Win(1, 0, 0, 0, 200, 200);
    Win(2, 1, 10, 10, 50, 50);   // child of 1
    Win(3, 0, 300, 300, 50, 50); // topmost top-level
    Pix(7, 50, 50);
    Dispatch(Copy(kCopyAreaP2W, 7, 2, 0, 0, 0, 50, 50, 0, 0));
    EXPECT_EQ(SS_AwaitedWindow(), 1u);
    EXPECT_EQ(At(10, 10), Val(0, 0));

    std::fill(screen_.begin(), screen_.end(), 192);
    SS_RefreshState().longWait = true;
    Dispatch(Copy(kCopyAreaP2W, 7, 2, 0, 0, 0, 50, 50, 0, 0)); // not under the topmost window: skipped
    EXPECT_EQ(Changed(), 0);
    EXPECT_EQ(SS_AwaitedWindow(), 1u); // recorded all the same
    Dispatch(Copy(kCopyAreaP2W, 7, 3, 0, 0, 0, 50, 50, 0, 0));
    EXPECT_EQ(Changed(), 2500);
    Dispatch(Copy(kCopyAreaP2W, 7, 0, 0, 0, 0, 50, 50, 500, 700)); // the root is never skipped
    EXPECT_EQ(At(500, 700), Val(0, 0));
    EXPECT_EQ(SS_AwaitedWindow(), 0u);
}

TEST_F(CopyTest, TheUpdateLockSkipsEveryWindowCopy) {
    Win(1, 0, 0, 0, kW, kH);
    Pix(7, 50, 50);
    SS_RefreshState().updateLock = true;
    Dispatch(Copy(kCopyAreaP2W, 7, 1, 0, 0, 0, 50, 50, 0, 0));
    Dispatch(Copy(kCopyAreaP2WNormal, 7, 1, 0, 0, 0, 0, 0, 0, 0));
    Dispatch(Copy(kCopyAreaP2WLeft, 7, 1, 0, 0, 0, 0, 0, 0, 0));
    EXPECT_EQ(Changed(), 0);
    EXPECT_EQ(Dirty(), 0u);
}

TEST_F(CopyTest, NormalCopyPutsTheWholePixmapAtTheWindowIgnoringWhatCoversIt) {
    Win(1, 0, 580, 790, 100, 100); // partly off the screen
    Win(2, 0, 585, 795, 5, 5);     // covers part of it
    Pix(7, 30, 20);
    Dispatch(Copy(kCopyAreaP2WNormal, 7, 1, 0, 9, 9, 1, 1, 9, 9)); // only the identifiers count
    // (587, 797) is under window 2 all the same.
    EXPECT_EQ((std::vector<int>{At(580, 790), At(587, 797), At(599, 799), Changed(), int(Dirty())}),
              (std::vector<int>{Val(0, 0), Val(7, 7), Val(19, 9), 20 * 10, 1}));
}

TEST_F(CopyTest, LeftCopiesTurnTheLandscapePictureAQuarter) {
    // A small window: source (j, i) lands at (window y + i, H - 1 - window x - j).
    Win(1, 0, 40, 30, 20, 10);
    Pix(7, 20, 10);
    Dispatch(Copy(kCopyAreaP2WLeft, 7, 1, 0, 0, 0, 0, 0, 0, 0));
    EXPECT_EQ((std::vector<int>{At(30, kH - 1 - 40), At(30 + 9, kH - 1 - 40 - 19), At(30 + 2, kH - 1 - 40 - 5),
                                Changed(), int(SS_AwaitedWindow())}),
              (std::vector<int>{Val(0, 0), Val(19, 9), Val(5, 2), 200, 1}));

    // A full-screen window: an 800 x 600 picture, source (j, i) to (i, 799 - j).
    std::fill(screen_.begin(), screen_.end(), 192);
    SS_ResetWindows();
    Win(2, 0, 0, 0, kW, kH);
    SSPixmap* land = SS_CreatePixmap(8, kH, kW, 8, nullptr); // 800 wide, 600 tall
    for (int i = 0; i < kW; ++i)
        for (int j = 0; j < kH; ++j)
            land->d.pixels[i * kH + j] = Val(j, i);
    Dispatch(Copy(kCopyAreaP2WLeft, 8, 2, 0, 0, 0, 0, 0, 0, 0));
    int wrong = 0;
    for (int i = 0; i < kW; i += 7)
        for (int j = 0; j < kH; j += 5)
            wrong += At(i, kH - 1 - j) != Val(j, i);
    EXPECT_EQ(wrong, 0);

    // A notice dialog: the 370 x 200 block at source (215, 200), stride 600.
    std::fill(screen_.begin(), screen_.end(), 192);
    SS_ResetWindows();
    Win(3, 0, 0, 0, kW, kH, 3);
    SSPixmap* dlg = SS_CreatePixmap(9, kW, kH, 8, nullptr);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            dlg->d.pixels[y * kW + x] = Val(x, y);
    Dispatch(Copy(kCopyAreaP2WLeft, 9, 3, 0, 0, 0, 0, 0, 0, 0));
    EXPECT_EQ(At(200, 584), Val(215, 200));
    EXPECT_EQ(At(200 + 199, 584 - 369), Val(215 + 369, 200 + 199));
    EXPECT_EQ(Changed(), 370 * 200);
}

TEST_F(CopyTest, RotatedScreensStepThroughTheMapping) {
    for (int mode = 1; mode <= 3; ++mode) {
        g_rotateMode = mode;
        std::fill(screen_.begin(), screen_.end(), 192);
        SS_ResetWindows();
        Win(1, 0, 100, 50, 20, 10);
        Pix(7, 20, 10);
        Dispatch(Copy(kCopyAreaP2W, 7, 1, 0, 0, 0, 20, 10, 0, 0));
        for (auto [x, y] : {std::pair{0, 0}, std::pair{19, 0}, std::pair{5, 9}, std::pair{19, 9}}) {
            int lx = 100 + x, ly = 50 + y, px = lx, py = ly;
            if (mode == 1) px = ly, py = kH - 1 - lx;
            if (mode == 2) px = kW - 1 - lx, py = kH - 1 - ly;
            if (mode == 3) px = kW - 1 - ly, py = lx;
            EXPECT_EQ(At(px, py), Val(x, y)) << "mode " << mode << " at " << x << "," << y;
        }
        EXPECT_EQ(Changed(), 200) << "mode " << mode;
        SS_FreeAllPixmaps();
    }
    g_rotateMode = 0;
}

// Pixmap requests and copies with wild arguments: every write stays inside
// the pixmaps (the sanitizers watch their buffers) and inside the screen
// image (which sits between guard zones here).
TEST_F(CopyTest, NoPixmapRequestOrCopyWritesOutsideItsBuffersForAnyArguments) {
    const size_t guard = 1 << 16;
    std::vector<uint8_t> store(guard + size_t(kW) * kH + guard, 0x5A);
    const std::vector<uint8_t> pattern(guard, 0x5A);
    fake_.screenBuffer = store.data() + guard;
    std::mt19937 rng(99);
    auto wild = [&]() -> int32_t {
        switch (rng() % 6) {
        case 0: return int32_t(rng() % 64) - 16;
        case 1: return int32_t(rng() % 2000) - 1000;
        case 2: return int32_t(rng());
        case 3: return (rng() & 1) ? INT32_MAX : INT32_MIN;
        case 4: return int32_t(rng() % 900);
        default: return int32_t(rng() % 4);
        }
    };
    const uint8_t ops[] = {10, 11, 12, 13, 14, 126, 130, 141, 142, 146};
    for (int round = 0; round < 4000; ++round) {
        if (round % 400 == 0) {
            g_rotateMode = int(rng() % 4);
            SS_ResetWindows();
            SS_FreeAllPixmaps();
            Win(101, 0, -50, -50, 700, 900);
            Win(102, 101, 550, 780, 300, 300, 3);
            Win(103, 0, 0, 0, kW, kH, 3);
            Win(104, 0, 590, 10, 5, 5);
            SS_CreatePixmap(1, 600, 800, 8, nullptr);
            SS_CreatePixmap(2, 37, 5, 1, nullptr);
            SS_CreatePixmap(3, 800, 600, 8, nullptr);
        }
        uint8_t op = ops[rng() % sizeof ops];
        auto id = [&]() -> uint32_t {
            uint32_t ids[] = {0, 1, 2, 3, 4, 101, 102, 103, 104, 9999};
            return ids[rng() % 10];
        };
        Msg m(op);
        m.u32(id()).u32(id()).u32((rng() % 3) ? 0 : id());
        for (int i = 0; i < 7; ++i)
            m.s32(wild());
        if (op == 12)
            for (int i = 0; i < int(rng() % 300); ++i)
                m.raw(uint8_t(rng()));
        if (op == 10) { // CreatePixmap: id, width, height, depth
            Msg c(op);
            c.u32(1 + rng() % 4).s32(wild()).s32(wild()).s32(int32_t(rng() % 40) - 4);
            Dispatch(c.done());
            continue;
        }
        Dispatch(m.done());
        ASSERT_EQ(memcmp(store.data(), pattern.data(), guard), 0) << "opcode " << int(op);
        ASSERT_EQ(memcmp(store.data() + guard + size_t(kW) * kH, pattern.data(), guard), 0) << "opcode " << int(op);
    }
    g_rotateMode = 0;
    fake_.screenBuffer = screen_.data();
}
