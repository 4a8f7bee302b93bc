// The refresh policy rule by rule, driven by a hand-held clock: no threads,
// no devices.
#include <gtest/gtest.h>

#include "render/refresh.h"

using refresh::Action;

namespace {

// A policy with the host lock on and nothing running, and a clock in ms.
struct Policy {
    refresh::State s;
    refresh::Environment env;
    long long now = 10000;
    Policy() {
        refresh::Init(s, now, false);
        env.hostLocked = true;
    }
    void Draw() { refresh::MarkDirty(s, now); }
    Action Tick() { return refresh::Evaluate(s, env, now); }
    // Evaluates every `step` ms (the main loop's tick at worst) until `until`;
    // returns the times at which a push was decided, each followed by the
    // copy that a push does.
    std::vector<long long> Run(long long until, long long step = 10) {
        std::vector<long long> pushes;
        for (; now <= until; now += step) {
            if (Tick() == Action::Push) {
                pushes.push_back(now);
                refresh::Pushed(s, now);
            }
        }
        return pushes;
    }
    // Draws now and runs for `horizon` ms: how long after the drawing the
    // one push came (-1 when there was not exactly one).
    long long DrawAndWait(long long horizon = 3000, long long step = 10) {
        long long drawn = now;
        Draw();
        std::vector<long long> pushes = Run(drawn + horizon, step);
        return pushes.size() == 1 ? pushes[0] - drawn : -1;
    }
};

} // namespace

TEST(RefreshPolicy, BurstOfDrawingGivesOneUpdateAWaitTimeAfterTheLast) {
    Policy p;
    long long start = p.now;
    // Drawing every 300 ms for 1.5 s, evaluated every 10 ms in between.
    for (int i = 0; i < 6; ++i) {
        p.Draw();
        EXPECT_TRUE(p.Run(p.now + 290).empty()) << "pushed during the burst, at draw " << i;
    }
    long long last = start + 5 * 300;
    std::vector<long long> pushes = p.Run(last + 3000);
    ASSERT_EQ(pushes.size(), 1u);
    EXPECT_EQ(pushes[0], last + 500);
    EXPECT_EQ(p.s.dirtyCount, 0u);

    // Nothing drawn since: no further update however long we wait.
    EXPECT_TRUE(p.Run(p.now + 5000).empty());
}

TEST(RefreshPolicy, DrawingThatNeverPausesIsPushedOnceItsFirstChangeWaitedFourWaitTimes) {
    // A caret blinking every 450 ms never leaves 500 ms of quiet.
    Policy p;
    long long start = p.now;
    std::vector<long long> pushes;
    for (int blink = 0; blink < 12; ++blink) {
        p.Draw();
        for (long long t : p.Run(p.now + 440))
            pushes.push_back(t - start);
    }
    EXPECT_EQ(pushes, std::vector<long long>({2000, 2250 + 2000}));
}

TEST(RefreshPolicy, WaitTimeAcceptsOnlyHundredTo9999AndFallsBackTo500AfterAPush) {
    Policy p;
    for (int refused : {99, 10000, -5})
        EXPECT_FALSE(refresh::SetWaitTime(p.s, refused));
    EXPECT_EQ(p.s.waitTime, 500);
    EXPECT_TRUE(refresh::SetWaitTime(p.s, 9999));
    EXPECT_TRUE(refresh::SetWaitTime(p.s, 100));
    EXPECT_EQ(p.DrawAndWait(), 100);
    EXPECT_EQ(p.s.waitTime, 500);
    EXPECT_EQ(p.DrawAndWait(), 500); // the default again
    // 9999 holds a push back for almost ten seconds.
    ASSERT_TRUE(refresh::SetWaitTime(p.s, 9999));
    EXPECT_EQ(p.DrawAndWait(12000, 1), 9999);
}

TEST(RefreshPolicy, GrabHoldsEverythingUntilUngrabWhichPushesPendingDrawingAtOnce) {
    Policy p;
    refresh::Grab(p.s);
    for (int i = 0; i < 20; ++i) {
        p.Draw();
        EXPECT_TRUE(p.Run(p.now + 900, 100).empty());
    }
    refresh::UnGrab(p.s);
    // The very next evaluation, with no quiet time at all.
    EXPECT_EQ(p.Tick(), Action::Push);
    EXPECT_FALSE(p.s.ungrabRelease);

    // UnGrabUpdate with nothing drawn pushes nothing.
    Policy q;
    refresh::Grab(q.s);
    refresh::UnGrab(q.s);
    EXPECT_TRUE(q.Run(q.now + 5000).empty());
}

TEST(RefreshPolicy, ForcePushesWithNothingDrawnAndUnderAGrabButNeverDuringAPush) {
    Policy p;
    p.s.force = true;
    EXPECT_EQ(p.Tick(), Action::Push);
    EXPECT_FALSE(p.s.force);
    refresh::Pushed(p.s, p.now);

    refresh::Grab(p.s);
    p.s.force = true;
    EXPECT_EQ(p.Tick(), Action::Push);
    refresh::Pushed(p.s, p.now);

    // While a push runs the forced one waits, then happens after it ends.
    p.s.force = true;
    p.env.pushRunning = true;
    EXPECT_TRUE(p.Run(p.now + 1000).empty());
    EXPECT_TRUE(p.s.force);
    p.env.pushRunning = false;
    EXPECT_EQ(p.Tick(), Action::Push);
}

TEST(RefreshPolicy, DiscardRightAfterDrawingMeansNoUpdateUntilTheNextDrawing) {
    Policy p;
    p.Draw();
    p.Draw();
    p.now += 100;
    refresh::Discard(p.s, p.now);
    EXPECT_EQ(p.s.dirtyCount, 0u);
    EXPECT_TRUE(p.Run(p.now + 5000).empty());
    EXPECT_EQ(p.DrawAndWait(), 500);
}

TEST(RefreshPolicy, RotateGrabHoldsBackAndItsReleaseWaitsFor400MsOfQuiet) {
    // Without a grab, the release does nothing at all.
    Policy p;
    refresh::UngrabRotate(p.s);
    EXPECT_FALSE(p.s.rotateRelease);
    EXPECT_FALSE(p.s.rotateGrab);
    EXPECT_TRUE(p.Run(p.now + 2000).empty());

    refresh::GrabRotate(p.s);
    long long drawn = p.now;
    p.Draw();
    EXPECT_TRUE(p.Run(drawn + 3000, 100).empty());
    // Released 100 ms after fresh drawing: quiet must exceed 400 ms.
    p.now = drawn + 5000;
    p.Draw();
    p.now += 100;
    refresh::UngrabRotate(p.s);
    EXPECT_TRUE(p.s.rotateRelease);
    long long released = p.now;
    std::vector<long long> pushes = p.Run(released + 1000, 1);
    ASSERT_EQ(pushes.size(), 1u);
    EXPECT_EQ(pushes[0], drawn + 5000 + 401);
    EXPECT_FALSE(p.s.rotateRelease);
}

TEST(RefreshPolicy, NothingIsPushedWhileTheHostOwnsThePanelAndPendingDrawingGoesOnceLocked) {
    Policy p;
    p.env.hostLocked = false;
    p.Draw();
    p.s.force = true;
    EXPECT_TRUE(p.Run(p.now + 3000).empty());
    EXPECT_EQ(p.s.dirtyCount, 1u);
    p.env.hostLocked = true;
    EXPECT_EQ(p.Tick(), Action::Push);

    // Nor while shutting down.
    Policy q;
    q.env.shuttingDown = true;
    q.Draw();
    EXPECT_TRUE(q.Run(q.now + 3000).empty());
}

TEST(RefreshPolicy, UpdateLockDropsDirtyNotices) {
    Policy p;
    p.s.updateLock = true;
    long long before = p.s.lastDirtyMs;
    p.now += 50;
    p.Draw();
    EXPECT_EQ(p.s.dirtyCount, 0u);
    EXPECT_EQ(p.s.lastDirtyMs, before);
    EXPECT_TRUE(p.Run(p.now + 3000).empty());
    p.s.updateLock = false;
    p.Draw();
    EXPECT_EQ(p.s.dirtyCount, 1u);
}

TEST(RefreshPolicy, LongWaitAsksFor1200MsOnceThenTheWaitTimeAgain) {
    Policy p;
    p.s.longWait = true;
    EXPECT_EQ(p.DrawAndWait(), 1200);
    EXPECT_FALSE(p.s.longWait);
    EXPECT_EQ(p.DrawAndWait(), 500);
}

TEST(RefreshPolicy, CopyInProgressHoldsBackUnlessForced) {
    Policy p;
    p.s.copyInProgress = true;
    p.Draw();
    EXPECT_TRUE(p.Run(p.now + 2000).empty());
    p.s.force = true;
    EXPECT_EQ(p.Tick(), Action::Push);
}

TEST(RefreshPolicy, DrawingForAHiddenWindowHasTheTopmostRedrawnFirst) {
    Policy p;
    p.s.awaitedWindow = 0x100005;
    p.env.topmostWindow = 0x200001;
    p.Draw();
    p.s.force = true;
    p.now += 20;
    EXPECT_EQ(p.Tick(), Action::ExposeTopmost);
    EXPECT_FALSE(p.s.force);
    EXPECT_EQ((std::vector<long long>{p.s.lastDirtyMs, p.s.awaitedWindow, p.s.dirtyCount}),
              (std::vector<long long>{p.now, 0x100005, 1}));

    // The topmost window redraws: its copy makes it the awaited one.
    p.now += 30;
    p.s.awaitedWindow = 0x200001;
    p.Draw();
    std::vector<long long> pushes = p.Run(p.now + 1000);
    ASSERT_EQ(pushes.size(), 1u);
    EXPECT_EQ(p.s.awaitedWindow, 0u);

    // Drawing into the root, or with no mapped top-level window at all,
    // never waits for anyone.
    p.s.awaitedWindow = 0;
    EXPECT_EQ(p.DrawAndWait(), 500);
    p.s.awaitedWindow = 0x100005;
    p.env.topmostWindow = 0;
    EXPECT_EQ(p.DrawAndWait(), 500);
}

TEST(RefreshPolicy, QuietIsZeroWhenTheClockGoesBack) {
    refresh::State s;
    refresh::Init(s, 5000, true);
    EXPECT_EQ(refresh::Quiet(s, 4000), 0);
    EXPECT_EQ(refresh::Quiet(s, 5600), 600);
    refresh::Environment env;
    env.hostLocked = true;
    EXPECT_EQ(refresh::Evaluate(s, env, 4000), Action::None);
    // Start-up marks the whole screen pending.
    EXPECT_EQ(refresh::Evaluate(s, env, 5500), Action::Push);
}
