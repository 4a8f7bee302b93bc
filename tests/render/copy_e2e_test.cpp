// Pixmap-to-window copies end to end: a client draws into pixmaps, copies
// them to its windows, and the emulated panel after the push shows exactly
// those pixels in each window's visible part. Rotation, the update lock and
// unmapped windows are judged in process (copy_test, window_test).
// Requests are built byte by byte from the protocol tables.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "harness/eink_root.h"
#include "harness/keys.h"
#include "harness/panel.h"
#include "harness/server_process.h"
#include "harness/wire_client.h"

using namespace testing_eink;

namespace {

constexpr uint8_t kCreateWindow = 1, kMapWindow = 5, kCreatePixmap = 10, kUpdatePixmap = 12, kCopyAreaP2W = 13,
                  kFillRect = 20, kDrawHLine = 33, kDrawVLine = 34, kDrawLine = 42, kDrawRect = 60;

constexpr int kW = 600, kH = 800;

// A server whose host lock is on (long press of the lock key), so that
// drawing reaches the panel, with the lock's own forced push done.
class CopyE2E : public ::testing::Test {
protected:
    void Boot(const std::vector<std::string>& args = {}) {
        MakeEventFifos(root);
        ASSERT_TRUE(server.Start(args)) << server.Output();
        ASSERT_TRUE(event0.Open()) << server.Output();
        ASSERT_TRUE(LockHostAndSettle(event0, root, 3)) << "the lock's pushes\n" << server.Output();
        ASSERT_TRUE(server.WaitForOutput("lock old system2", 3000)) << server.Output();
        ASSERT_TRUE(c.Open(server.socketPath()));
    }
    size_t Updates() { return PanelUpdates(root).size(); }
    // Everything sent is executed and the pushes it caused (mapping reports
    // the screen dirty) are over.
    void Settle() {
        ASSERT_TRUE(c.Sync());
        WaitPanelQuiet(root, 1200);
        SleepMs(150);
    }
    void Window(uint32_t id, int x, int y, int w, int h, uint8_t kind = 1) {
        c.Send(Msg(kCreateWindow).u32(id).u32(0).s32(x).s32(y).s32(w).s32(h).u32(192).byte(kind));
        c.Send(Msg(kMapWindow).u32(id).byte(0));
    }
    void Pixmap(uint32_t id, int w, int h) { c.Send(Msg(kCreatePixmap).u32(id).s32(w).s32(h).s32(8)); }
    void Fill(uint32_t id, int x, int y, int w, int h, uint8_t v) {
        c.Send(Msg(kFillRect).u32(id).s32(x).s32(y).s32(w).s32(h).u32(v));
    }
    void Copy(uint32_t pix, uint32_t win, int sx, int sy, int w, int h, int dx, int dy) {
        c.Send(Msg(kCopyAreaP2W).u32(pix).u32(win).u32(0).s32(sx).s32(sy).s32(w).s32(h).s32(dx).s32(dy).u32(0));
    }
    // Sends everything, then waits for the push that follows.
    bool Pushed(size_t before, int timeoutMs = 5000) {
        return c.Sync() && WaitPanelUpdates(root, before + 1, timeoutMs) && (SleepMs(150), true);
    }

    EinkRoot root;
    ServerProcess server{root};
    EventDevice event0{root, 0};
    WireClient c;
};

} // namespace

TEST_F(CopyE2E, CopiesShowTheirPixelsOnlyWhereTheWindowIsVisible) {
    Boot();
    const uint32_t a = c.NewId(), b = c.NewId(), pa = c.NewId(), pb = c.NewId(), ghost = c.NewId();
    Window(a, 50, 60, 200, 150);
    Window(b, 150, 100, 100, 80); // above a, covering its right part from (100, 40)

    // The picture for a: white, a black block, a grey frame, lines.
    Pixmap(pa, 200, 150);
    Fill(pa, 0, 0, 200, 150, 255);
    Fill(pa, 10, 10, 50, 40, 0);
    c.Send(Msg(kDrawRect).u32(pa).s32(70).s32(20).s32(20).s32(10).u32(127));
    c.Send(Msg(kDrawHLine).u32(pa).s32(5).s32(60).s32(100).u32(0));
    c.Send(Msg(kDrawVLine).u32(pa).s32(3).s32(70).s32(140).u32(0));
    c.Send(Msg(kDrawLine).u32(pa).s32(20).s32(120).s32(24).s32(122).u32(0));
    Fill(pa, 100, 40, 100, 80, 0); // where b covers a: must not show
    // One row uploaded pixel by pixel, then messages that must be consumed
    // whole: a row for a pixmap that does not exist, a row past the end.
    std::vector<uint8_t> row(200);
    for (int i = 0; i < 200; ++i)
        row[size_t(i)] = (i % 2) ? 255 : 0;
    c.Send(Msg(kUpdatePixmap).u32(pa).s32(0).s32(130).s32(200).s32(1).s32(8).bytes(row.data(), row.size()));
    c.Send(Msg(kUpdatePixmap).u32(ghost).s32(0).s32(131).s32(200).s32(1).s32(8).bytes(row.data(), row.size()));
    c.Send(Msg(kUpdatePixmap).u32(pa).s32(0).s32(150).s32(200).s32(1).s32(8).bytes(row.data(), row.size()));

    Pixmap(pb, 100, 80);
    Fill(pb, 0, 0, 100, 80, 127);
    Settle();

    size_t before = Updates();
    Copy(pa, a, 0, 0, 200, 150, 0, 0);
    Copy(pb, b, 0, 0, 100, 80, 0, 0); // the topmost window is the awaited one: the push may go
    ASSERT_TRUE(Pushed(before)) << server.Output();

    // What a shows, by hand from the requests above.
    auto expectA = [&](int x, int y) -> int {
        if (y == 130) return (x % 2) ? 255 : 0;
        if (x >= 10 && x < 60 && y >= 10 && y < 50) return 0;
        bool frame = (y == 20 && x >= 70 && x <= 88) || (y == 29 && x >= 70 && x <= 89) ||
                     (x == 70 && y >= 21 && y <= 28) || (x == 89 && y >= 20 && y <= 28);
        if (frame) return 127;
        if (y == 100 && x >= 5 && x <= 60) return 0;
        if (x == 3 && y >= 70 && y <= 140) return 0;
        if ((x == 20 && y == 120) || (x == 21 && y == 120) || (x == 22 && y == 121) || (x == 23 && y == 121) ||
            (x == 24 && y == 122))
            return 0;
        return 255;
    };
    PanelImage panel(root, kW, kH);
    int wrong = 0;
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x) {
            bool underB = x >= 100 && y >= 40 && y < 120;
            int want = underB ? 127 : expectA(x, y);
            if (panel.Nibble(50 + x, 60 + y) != GreyToNibble(want) && wrong++ < 10)
                ADD_FAILURE() << "a at " << x << "," << y << ": nibble " << panel.Nibble(50 + x, 60 + y);
        }
    EXPECT_EQ(wrong, 0);
    // Outside both windows the start-up grey (192) stays.
    EXPECT_EQ(panel.CountOther(0, 0, 50, 800, GreyToNibble(192)), 0);
    EXPECT_EQ(panel.CountOther(250, 0, 350, 800, GreyToNibble(192)), 0);
    EXPECT_EQ(panel.CountOther(50, 210, 200, 590, GreyToNibble(192)), 0);
}

TEST_F(CopyE2E, ANoticeWindowReceivesOnlyTheNoticeArea) {
    Boot();
    const uint32_t w = c.NewId(), p = c.NewId();
    Window(w, 0, 0, kW, kH, 3);
    Pixmap(p, kW, kH);
    Fill(p, 0, 0, kW, kH, 0);
    Settle();
    size_t before = Updates();
    Copy(p, w, 0, 0, kW, kH, 0, 0);
    ASSERT_TRUE(Pushed(before)) << server.Output();
    PanelImage panel(root, kW, kH);
    EXPECT_EQ(panel.CountOther(130, 220, 370, 200, 15), 0);
    int black = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            black += panel.Nibble(x, y) == 15;
    EXPECT_EQ(black, 370 * 200);
}
