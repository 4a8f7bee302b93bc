// The refresh policy inside the real server, with the host lock taken by the
// lock key: drawing for a window that is not on top is held back while the
// topmost window is asked to redraw, and goes out once that window has drawn.
#include <gtest/gtest.h>

#include <optional>

#include "harness/eink_root.h"
#include "harness/keys.h"
#include "harness/panel.h"
#include "harness/server_process.h"
#include "harness/wire_client.h"

using namespace testing_eink;

namespace {

constexpr uint8_t kDrawEvent = 16; // server to client

constexpr uint8_t kCreateWindow = 1, kMapWindow = 5, kCreatePixmap = 10, kCopyAreaP2W = 13, kSetWidgetFlag = 16,
                  kFillRect = 20;

class RefreshE2E : public ::testing::Test {
protected:
    void SetUp() override {
        MakeEventFifos(root);
        ASSERT_TRUE(server.Start()) << server.Output();
        ASSERT_TRUE(event0.Open()) << server.Output();
        ASSERT_TRUE(LockHostAndSettle(event0, root)) << "the lock's pushes\n" << server.Output();
        ASSERT_TRUE(c.Open(server.socketPath()));
    }
    size_t Updates() { return PanelUpdates(root).size(); }
    // Waits until the pushes caused by what was sent are over.
    void Settle() {
        ASSERT_TRUE(c.Sync());
        WaitPanelQuiet(root, 1200);
    }
    void Window(uint32_t id, int x, int y, int w, int h) {
        c.Send(Msg(kCreateWindow).u32(id).u32(0).s32(x).s32(y).s32(w).s32(h).u32(255).byte(1));
        c.Send(Msg(kSetWidgetFlag).u32(id).u32(1)); // a widget: it hears of exposure
        c.Send(Msg(kMapWindow).u32(id).byte(0));
    }
    void Copy(uint32_t pix, uint32_t win) {
        c.Send(Msg(kCopyAreaP2W).u32(pix).u32(win).u32(0).s32(0).s32(0).s32(40).s32(40).s32(0).s32(0).u32(0));
    }
    // Draw events for `window` among the messages read within `ms`.
    int DrawsFor(uint32_t window, int ms) {
        int n = 0;
        long long until = MonoMs() + ms;
        while (MonoMs() < until) {
            std::optional<Bytes> m = c.Read(int(until - MonoMs()) + 1);
            if (!m) break;
            if (TypeOf(*m) == kDrawEvent && U32At(*m, 4) == window) ++n;
        }
        return n;
    }

    EinkRoot root;
    ServerProcess server{root};
    EventDevice event0{root, 0};
    WireClient c;
};

} // namespace

TEST_F(RefreshE2E, DrawingForAHiddenWindowWaitsUntilTheTopmostWindowHasRedrawn) {
    const uint32_t low = c.NewId(), top = c.NewId(), pix = c.NewId();
    Window(low, 300, 400, 100, 100);
    Window(top, 50, 50, 100, 100); // mapped last: the topmost window
    c.Send(Msg(kCreatePixmap).u32(pix).s32(40).s32(40).s32(8));
    c.Send(Msg(kFillRect).u32(pix).s32(0).s32(0).s32(40).s32(40).u32(0));
    Settle();
    DrawsFor(top, 100); // the exposures of mapping

    size_t before = Updates();
    Copy(pix, low);
    ASSERT_TRUE(c.Sync());
    // The policy asks the topmost window to redraw (about every wait time)
    // and pushes nothing meanwhile.
    EXPECT_GE(DrawsFor(top, 1600), 1);
    EXPECT_EQ(Updates(), before);

    // The topmost window draws: now the push goes, with both copies.
    Copy(pix, top);
    ASSERT_TRUE(c.Sync());
    ASSERT_TRUE(WaitPanelUpdates(root, before + 1, 3000)) << server.Output();
    SleepMs(150);
    PanelImage panel(root, 600, 800);
    EXPECT_EQ(panel.CountOther(300, 400, 40, 40, 15), 0);
    EXPECT_EQ(panel.CountOther(50, 50, 40, 40, 15), 0);
    // Beside the copies nothing turned black.
    EXPECT_EQ(panel.CountOther(360, 460, 30, 30, 15), 30 * 30);
    EXPECT_EQ(panel.CountOther(100, 100, 40, 40, 15), 40 * 40);
}
