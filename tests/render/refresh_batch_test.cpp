// The refresh policy judges every request, also when a client sends many in
// one write: end to end against the real server and its emulated panel, with
// the host lock taken by the lock key. Beside it, what else decides a push:
// copies that clip to nothing still report the screen dirty, and the delayed
// refresh follows the latest request for it.
#include <gtest/gtest.h>

#include <vector>

#include "core/server.h"
#include "harness/eink_root.h"
#include "harness/keys.h"
#include "harness/panel.h"
#include "harness/server_process.h"
#include "harness/wire_client.h"
#include "render/apollo.h"

using namespace testing_eink;

namespace {

constexpr uint8_t kCreateWindow = 1, kLowerWindow = 4, kMapWindow = 5, kCreatePixmap = 10, kCopyAreaP2W = 13,
                  kFillRect = 20, kGrabUpdate = 128, kUnGrabUpdate = 129, kSetForceUpdate = 144;

constexpr int kBlack = 15, kWhite = 0; // panel nibbles

class RefreshBatchE2E : public ::testing::Test {
protected:
    void SetUp() override {
        MakeEventFifos(root);
        ASSERT_TRUE(server.Start()) << server.Output();
        ASSERT_TRUE(event0.Open()) << server.Output();
        ASSERT_TRUE(LockHostAndSettle(event0, root)) << "the lock's pushes\n" << server.Output();
        ASSERT_TRUE(c.Open(server.socketPath()));
    }
    size_t Updates() { return PanelUpdates(root).size(); }
    void Settle() {
        ASSERT_TRUE(c.Sync());
        WaitPanelQuiet(root, 1200);
    }
    void Window(uint32_t id, uint32_t parent, int x, int y, int w, int h) {
        c.Send(Msg(kCreateWindow).u32(id).u32(parent).s32(x).s32(y).s32(w).s32(h).u32(255).byte(1));
        c.Send(Msg(kMapWindow).u32(id).byte(0));
    }
    // A 40 x 40 pixmap of one grey.
    uint32_t Frame(uint8_t grey) {
        uint32_t id = c.NewId();
        c.Send(Msg(kCreatePixmap).u32(id).s32(40).s32(40).s32(8));
        c.Send(Msg(kFillRect).u32(id).s32(0).s32(0).s32(40).s32(40).u32(grey));
        return id;
    }
    static Bytes Copy(uint32_t pix, uint32_t win, int dx, int dy) {
        return Msg(kCopyAreaP2W).u32(pix).u32(win).u32(0).s32(0).s32(0).s32(40).s32(40).s32(dx).s32(dy).u32(0).done();
    }
    // Several requests in one write.
    void SendBatch(const std::vector<Bytes>& requests) {
        Bytes all;
        for (const Bytes& r : requests)
            all.insert(all.end(), r.begin(), r.end());
        ASSERT_TRUE(c.Send(all));
    }

    EinkRoot root;
    ServerProcess server{root};
    EventDevice event0{root, 0};
    WireClient c;
};

} // namespace

TEST_F(RefreshBatchE2E, AReleaseBetweenTwoGrabsInOneWritePushesInItsOwnPass) {
    const uint32_t win = c.NewId();
    Window(win, 0, 0, 0, 100, 100);
    const uint32_t black = Frame(0);
    Settle();
    // Drawing held back by a grab.
    c.Send(Msg(kGrabUpdate).u32(0));
    c.Send(Copy(black, win, 0, 0));
    ASSERT_TRUE(c.Sync());
    size_t before = Updates();

    std::vector<Bytes> batch(5, Msg(kLowerWindow).u32(win).done());
    batch.push_back(Msg(kUnGrabUpdate).u32(0).done());
    batch.push_back(Msg(kGrabUpdate).u32(0).done());
    SendBatch(batch);
    ASSERT_TRUE(WaitPanelUpdates(root, before + 1, 3000)) << "the release was never judged alone";
    SleepMs(150);
    PanelImage panel(root, 600, 800);
    EXPECT_EQ(panel.CountOther(0, 0, 40, 40, kBlack), 0);
    // The second grab holds from then on.
    EXPECT_TRUE(NoPanelUpdateWithin(root, before + 1, 1500));
}

TEST_F(RefreshBatchE2E, AForcedPushBetweenTwoCopiesInOneWriteShowsTheFirstThenTheSecond) {
    const uint32_t win = c.NewId();
    Window(win, 0, 0, 0, 100, 100);
    const uint32_t black = Frame(0), white = Frame(255);
    Settle();
    size_t before = Updates();

    // Requests that change nothing lead the write, as in the first test:
    // the first requests of a write are served by passes that follow a
    // select, the rest run from the buffer.
    std::vector<Bytes> batch(5, Msg(kLowerWindow).u32(win).done());
    batch.push_back(Copy(black, win, 0, 0));
    batch.push_back(Msg(kSetForceUpdate).u32(0).done());
    batch.push_back(Copy(white, win, 0, 0));
    SendBatch(batch);
    // The forced push goes at once with the black frame; the white one waits
    // for its quiet time (500 ms), so the panel shows black until then.
    ASSERT_TRUE(WaitPanelUpdates(root, before + 1, 3000)) << server.Output();
    PanelImage first(root, 600, 800);
    ASSERT_EQ(Updates(), before + 1) << "the panel was read too late to see the first push";
    EXPECT_EQ(first.CountOther(0, 0, 40, 40, kBlack), 0) << "the black frame was never pushed";

    ASSERT_TRUE(WaitPanelUpdates(root, before + 2, 3000)) << "the white frame was never pushed";
    SleepMs(150);
    PanelImage second(root, 600, 800);
    EXPECT_EQ(second.CountOther(0, 0, 40, 40, kWhite), 0);
}

TEST_F(RefreshBatchE2E, ACopyWhollyUnderAChildStillMakesAPush) {
    // With no "/home/refresh.txt" every copy reports the whole screen.
    const uint32_t parent = c.NewId(), child = c.NewId();
    Window(parent, 0, 0, 0, 200, 200);
    Window(child, parent, 0, 0, 100, 100);
    const uint32_t black = Frame(0);
    Settle();
    size_t before = Updates();

    c.Send(Copy(black, parent, 10, 10)); // all of it under the child
    ASSERT_TRUE(c.Sync());
    ASSERT_TRUE(WaitPanelUpdates(root, before + 1, 3000)) << "no push followed the copy";
    SleepMs(150);
    PanelImage panel(root, 600, 800);
    EXPECT_EQ(panel.CountOther(10, 10, 40, 40, kBlack), 40 * 40) << "the copy wrote over the child";
}

TEST(DelayedRefresh, ASecondRequestWhileTheTimerRunsStartsTheSecondOver) {
    // The main loop's passes every 10 ms, requests at the given times (the
    // lock key at 0 s, unlocked at 0.35 s, locked again at 0.7 s, say); the
    // times at which the push is forced.
    using Times = std::vector<long long>;
    auto forced = [](const Times& requests) {
        Times out;
        g_rotateTimer = 0;
        g_forceUpdate = 0;
        for (long long t = 0; t <= 5000; t += 10) {
            for (long long r : requests)
                if (r == t) SS_RequestDelayedRefresh();
            SS_RunTimers(t);
            if (g_forceUpdate) out.push_back(t);
            g_forceUpdate = 0;
        }
        return out;
    };
    EXPECT_EQ(forced({0}), Times{1000});
    EXPECT_EQ(forced({0, 700}), Times{1700});
    EXPECT_EQ(forced({0, 990}), Times{1990});
    EXPECT_EQ(forced({0, 1200}), (Times{1000, 2200}));
}
