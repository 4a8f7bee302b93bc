// Pointer routing in process: hit testing, focus, press and release, grabs,
// enter/leave and motion, rotation, the mouse and touch readers, judged by
// the events the client ends receive.
#include <climits>
#include <fcntl.h>
#include <unistd.h>

#include "core/handlers.h"
#include "core/server.h"
#include "input/inproc.h"
#include "input/input.h"
#include "platform/input.h"
#include "window/routing.h"
#include "window/routing_state.h"
#include "window/ssregion.h"
#include "window/sswindow.h"

using namespace inproc;

namespace {

enum { MouseDown = 2, MouseUp = 3, MouseMove = 4, MouseIn = 5, MouseOut = 6, GetFocus = 13, LostFocus = 14 };

std::vector<uint8_t> Request(uint8_t op, uint32_t word) {
    std::vector<uint8_t> m(8 + 256, 0);
    m[0] = op;
    m[1] = 8;
    for (int b = 0; b < 4; ++b)
        m[4 + b] = uint8_t(word >> (8 * b));
    return m;
}

void Call(void (*handler)(SSClient*, const uint8_t*, uint32_t), uint8_t op, uint32_t word) {
    auto m = Request(op, word);
    handler(nullptr, m.data(), 8);
}

// "type@window" strings read well in failure messages.
std::vector<std::string> Summary(const std::vector<Event>& events) {
    std::vector<std::string> out;
    for (const Event& e : events) {
        char buf[64];
        snprintf(buf, sizeof buf, "%d@%x", e.type, e.window);
        out.push_back(buf);
    }
    return out;
}

using Strings = std::vector<std::string>;
using XY = std::pair<int32_t, int32_t>;
XY Pos() { return {SS_PointerX(), SS_PointerY()}; }

class PointerTest : public InputTest {
protected:
    void SetUp() override {
        InputTest::SetUp();
        c_ = NewClient("app");
        // Two top-level windows side by side, each with one child.
        left_ = NewWindow(c_, 0x100001, 0, 0, 0, 300, 400);
        leftChild_ = NewWindow(c_, 0x100002, 0x100001, 10, 10, 100, 100, false);
        right_ = NewWindow(c_, 0x100003, 0, 300, 0, 300, 400);
        rightChild_ = NewWindow(c_, 0x100004, 0x100003, 10, 10, 100, 100, false);
        SS_SetPointerPosition(500, 700); // over the root only
        Events(c_);
    }
    SSClient* c_;
    SSWindow *left_, *leftChild_, *right_, *rightChild_;
};

TEST_F(PointerTest, PressOverAChildFocusesItAndTheReleaseFollowsThePress) {
    // Move onto the left child: enter it and report the move there.
    SS_PointerInput(0, -450, -650);
    EXPECT_EQ(Pos(), XY(50, 50));
    auto ev = Events(c_);
    EXPECT_EQ(Summary(ev), (Strings{"5@100002", "4@100002"}));
    EXPECT_EQ(XY(EvX(ev[0]), EvY(ev[0])), XY(40, 40));
    EXPECT_EQ(EvButton(ev[0]), 0);

    // The focus was the right top-level (mapped last): it changes.
    SS_PointerInput(1, 0, 0);
    ev = Events(c_);
    EXPECT_EQ(Summary(ev), (Strings{"14@100003", "13@100002", "2@100002"}));
    EXPECT_EQ(EvX(ev[2]), 40);
    EXPECT_EQ(EvButton(ev[2]), 0);
    EXPECT_EQ(g_focusWindow, leftChild_);
    EXPECT_EQ(g_pressWindow, leftChild_);
    SS_PointerInput(0, 0, 0);
    EXPECT_EQ(Summary(Events(c_)), (Strings{"3@100002"}));

    // Pressing again on the same child: no focus events.
    SS_PointerInput(1, 0, 0);
    EXPECT_EQ(Summary(Events(c_)), (Strings{"2@100002"}));
    // Drag to the right child and release there: the release goes to the
    // pressed window, the moves to both.
    SS_PointerInput(1, 300, 0);
    ev = Events(c_);
    EXPECT_EQ(Summary(ev), (Strings{"6@100002", "5@100004", "4@100002", "4@100004"}));
    EXPECT_EQ(EvX(ev[2]), 340) << "relative to the pressed window";
    SS_PointerInput(0, 0, 0);
    ev = Events(c_);
    EXPECT_EQ(Summary(ev), (Strings{"3@100002"}));
    EXPECT_EQ(EvX(ev[0]), 340);
    EXPECT_EQ(g_pressWindow, nullptr);
}

TEST_F(PointerTest, PressOnAnotherApplicationActivatesAndRaisesIt) {
    SSWindow* shadow = NewWindow(c_, 0x100005, 0, 0, 0, 50, 50); // on top, over the left corner
    g_topWindow = right_;
    Events(c_);

    SS_PointerInput(0, -300, -500); // (200, 200): left window, outside its child
    SS_PointerInput(1, 0, 0);
    auto ev = Events(c_);
    EXPECT_EQ(g_activeTopLevel, left_);
    EXPECT_EQ(g_topWindow, left_);
    EXPECT_EQ(g_rootWindow->firstChild, left_) << "raised";
    EXPECT_EQ(g_focusWindow, nullptr) << "the deepest window is none over the top-level itself";
    // The focus window (the shadow, mapped last) loses the focus; MouseDown
    // goes to the active top-level.
    Strings s = Summary(ev);
    ASSERT_GE(s.size(), 2u);
    EXPECT_NE(std::find(s.begin(), s.end(), "14@100005"), s.end());
    EXPECT_EQ(std::count(s.begin(), s.end(), "2@100001"), 1);
    SS_PointerInput(0, 0, 0);
    (void)shadow;

    // A desktop window never becomes the top window.
    right_->flags |= WIN_DESKTOP;
    SS_PointerInput(0, 300, 0);
    SS_PointerInput(1, 0, 0);
    EXPECT_EQ(g_activeTopLevel, right_);
    EXPECT_EQ(g_topWindow, left_);

    // A transient window activates its owner.
    SSWindow* dialog = NewWindow(c_, 0x100006, 0, 400, 300, 100, 50, false);
    SS_SetTransient(dialog, left_);
    SS_PointerInput(0, 0, 0);
    SS_PointerInput(0, -50, 120); // (450, 320): the dialog
    SS_PointerInput(1, 0, 0);
    EXPECT_EQ(g_activeTopLevel, dialog);
    EXPECT_EQ(g_topWindow, left_);
}

TEST_F(PointerTest, GrabbedPressIgnoresAReleaseElsewhere) {
    Call(HandleAddPointerGrab, 107, 0x100002);
    SS_PointerInput(0, -450, -650); // left child
    Call(HandleAddPointerGrab, 107, 0x100002);
    Call(HandleInsertPointerGrab, 106, 0x100004);
    Call(HandleAddPointerGrab, 107, 0x999999);
    EXPECT_EQ(g_pointerGrabs, (std::vector<SSWindow*>{rightChild_, leftChild_}));
    Call(HandleRemovePointerGrab, 108, 0x100004);
    Call(HandleRemovePointerGrab, 108, 0x999999);
    EXPECT_EQ(g_pointerGrabs, (std::vector<SSWindow*>{leftChild_}));

    // A press empties the list (it goes on normally).
    SS_PointerInput(1, 0, 0);
    EXPECT_TRUE(g_pointerGrabs.empty());
    SS_PointerInput(0, 0, 0);
    Events(c_);

    // With a grab: a release over another window does nothing at all.
    SS_PointerInput(1, 0, 0);
    Call(HandleAddPointerGrab, 107, 0x100002);
    SS_PointerInput(1, 300, 0);
    Events(c_);
    SS_PointerInput(0, 0, 0);
    EXPECT_TRUE(Events(c_).empty());
    EXPECT_EQ(SS_PointerButtons(), 1u) << "the button stays pressed";
    SS_PointerInput(1, 0, 0);
    EXPECT_TRUE(Events(c_).empty()) << "no change, no event";
    // Released over the grabbing window, the release goes through.
    SS_PointerInput(1, -300, 0);
    Events(c_);
    SS_PointerInput(0, 0, 0);
    EXPECT_EQ(Summary(Events(c_)), (Strings{"3@100002"}));
    EXPECT_EQ(SS_PointerButtons(), 0u);
}

TEST_F(PointerTest, OnlyTheLowestChangedButtonMakesAnEvent) {
    SS_PointerInput(0, -450, -650);
    Events(c_);
    SS_PointerInput(7, 0, 0);
    auto ev = Events(c_);
    ASSERT_EQ(Summary(ev).back(), "2@100002");
    EXPECT_EQ(std::count_if(ev.begin(), ev.end(), [](const Event& e) { return e.type == MouseDown; }), 1);
    EXPECT_EQ(EvButton(ev.back()), 0);
    EXPECT_EQ(SS_PointerButtons(), 7u);
    // Releasing button 1 and 2 only: button index 1 is reported.
    SS_PointerInput(1, 0, 0);
    ev = Events(c_);
    ASSERT_EQ(Summary(ev), (Strings{"3@100002"}));
    EXPECT_EQ(EvButton(ev[0]), 1);
}

TEST_F(PointerTest, MouseMoveOncePerWindowEntered) {
    SS_PointerInput(0, -450, -650);
    EXPECT_EQ(Summary(Events(c_)), (Strings{"5@100002", "4@100002"}));
    SS_PointerInput(0, 5, 5);
    SS_PointerInput(0, 5, 5);
    EXPECT_TRUE(Events(c_).empty());
    SS_PointerInput(0, 100, 0); // out of the child onto its top-level
    EXPECT_EQ(Summary(Events(c_)), (Strings{"6@100002", "5@100001", "4@100001"}));
    SS_PointerInput(0, 1, 0);
    EXPECT_TRUE(Events(c_).empty());
    // Exactly on the edges: the last column of the left window is still
    // its, the first column of the right window is the right window's.
    SS_PointerInput(0, 138, 0); // (299, 60)
    EXPECT_TRUE(Events(c_).empty());
    SS_PointerInput(0, 1, 0); // (300, 60)
    EXPECT_EQ(Summary(Events(c_)), (Strings{"6@100001", "5@100003", "4@100003"}));
    SS_PointerInput(0, -2, 0); // (298, 60)
    EXPECT_EQ(Summary(Events(c_)), (Strings{"6@100003", "5@100001", "4@100001"}));
    // A button change makes the next move report again.
    SS_PointerInput(1, 0, 0);
    Events(c_);
    SS_PointerInput(1, 1, 0);
    EXPECT_EQ(Summary(Events(c_)), (Strings{"4@100001"}));
    // No movement, no motion events; over the root no MouseMove.
    SS_PointerInput(1, 0, 0);
    EXPECT_TRUE(Events(c_).empty());
    SS_PointerInput(0, 0, 0);
    Events(c_);
    SS_PointerInput(0, 0, 500);
    EXPECT_EQ(Summary(Events(c_)), (Strings{"6@100001"}));
}

TEST_F(PointerTest, ShapesDecideTheHitTest) {
    // The right top-level gets a shape covering only its left half.
    right_->shape = SS_RectRegion(SSRect{300, 0, 150, 400});
    SSWindow* under = NewWindow(c_, 0x100007, 0, 0, 0, 600, 800, false);
    // `under` is now on top; lower it below by raising the others.
    SS_RaiseWindow(left_);
    SS_RaiseWindow(right_);
    Events(c_);
    SS_PointerInput(0, 50, -400); // (550, 300): outside the shape
    EXPECT_EQ(Summary(Events(c_)), (Strings{"5@100007", "4@100007"}));
    SS_PointerInput(0, -200, 0); // (350, 300): inside
    EXPECT_EQ(Summary(Events(c_)), (Strings{"6@100007", "5@100003", "4@100003"}));
    (void)under;
}

TEST_F(PointerTest, WindowsFarOffTheScreenGetWrappedRelativePositions) {
    SS_PointerInput(0, -450, -650); // (50, 50): the left child
    SS_PointerInput(1, 0, 0);
    Events(c_);
    // The pressed window is moved as far left as a word goes: the release
    // still goes to it, with the position as the 32-bit word of the event.
    leftChild_->d.x = INT32_MIN + 5;
    SS_PointerInput(0, 0, 0);
    auto ev = Events(c_);
    ASSERT_EQ(Summary(ev), (Strings{"3@100002"}));
    EXPECT_EQ(U32(ev[0].raw, 8), 45u + 0x80000000u);
    EXPECT_EQ(EvY(ev[0]), 40);
    leftChild_->d.x = 10;
}

TEST_F(PointerTest, RotationTurnsRelativeAndAbsoluteInput) {
    SS_SetPointerPosition(100, 100);
    // Relative moves (mode, dx, dy -> position), one after the other.
    const struct {
        int mode, dx, dy;
        XY want;
    } moves[] = {{1, 5, 0, {100, 105}}, {2, 5, 3, {95, 102}}, {3, 5, 3, {98, 97}}, {0, -1000, 5000, {0, 799}}};
    for (const auto& m : moves) {
        g_rotateMode = m.mode;
        SS_PointerInput(0, m.dx, m.dy);
        EXPECT_EQ(Pos(), m.want) << "mode " << m.mode;
    }
    // Absolute (10, 20) in each mode: W = 600, H = 800 here.
    for (auto [mode, want] : {std::pair{1, XY(581, 10)}, std::pair{3, XY(20, 791)}, std::pair{2, XY(591, 781)}}) {
        g_rotateMode = mode;
        SS_PointerInputAbs(0, 10, 20, true);
        EXPECT_EQ(Pos(), want) << "mode " << mode;
    }
    g_rotateMode = 0;
    SS_PointerInputAbs(0, 0, 0, true);
    EXPECT_EQ(SS_PointerX(), 591) << "(0, 0) leaves the position alone";
    SS_PointerInputAbs(0, 5, 5, false);
    EXPECT_EQ(Pos(), XY(596, 786));
    SS_PointerInputAbs(0, 5000, 5000, true);
    EXPECT_EQ(Pos(), XY(599, 799));
}

TEST_F(PointerTest, MousePacketsFollowThePs2Layout) {
    SS_SetPointerPosition(100, 100);
    SS_MousePacket(0x09, 0x05, 0x03);
    EXPECT_EQ(Pos(), XY(105, 97));
    EXPECT_EQ(SS_PointerButtons(), 1u);
    SS_MousePacket(0x19, 0xFB, 0x00); // still left, x sign set
    EXPECT_EQ(Pos(), XY(100, 97));
    EXPECT_EQ(SS_PointerButtons(), 1u);
    SS_MousePacket(0x2E, 0x00, 0xFE); // middle (bit 2 -> 1), right (bit 1 -> 2), dy = 256 - 254
    EXPECT_EQ(SS_PointerButtons(), 6u);
    EXPECT_EQ(SS_PointerY(), 99);

    // Through the reader: a packet split over two writes, then garbage tail.
    int p[2];
    ASSERT_EQ(0, pipe2(p, O_NONBLOCK));
    g_mouseFd = p[0];
    const uint8_t first[] = {0x08, 0x02, 0x00, 0x08};
    const uint8_t rest[] = {0x02, 0x00};
    ASSERT_EQ(write(p[1], first, sizeof first), ssize_t(sizeof first));
    SS_ReadMouse(); // waits up to 100 ms for the rest, then keeps the odd byte
    EXPECT_EQ(SS_PointerX(), 102);
    ASSERT_EQ(write(p[1], rest, sizeof rest), ssize_t(sizeof rest));
    SS_ReadMouse();
    EXPECT_EQ(SS_PointerX(), 104);
    close(p[1]);
    SS_ReadMouse(); // end of file on a pipe: not a FIFO stand-in, closed
    EXPECT_EQ(g_mouseFd, -1);
}

TEST_F(PointerTest, TouchRecordsAreAbsolutePresses) {
    SS_TouchRecord(5, 40, 50);
    EXPECT_EQ(Pos(), XY(40, 50));
    EXPECT_EQ(SS_PointerButtons(), 1u);
    SS_TouchRecord(0, 999, 999);
    EXPECT_EQ(SS_PointerX(), 40) << "the release is at the last reported position";
    EXPECT_EQ(SS_PointerButtons(), 0u);
    auto ev = Events(c_);
    Strings s = Summary(ev);
    ASSERT_FALSE(s.empty());
    EXPECT_EQ(s.back(), "3@100002");

    int p[2];
    ASSERT_EQ(0, pipe2(p, O_NONBLOCK));
    g_touchFd = p[0];
    const uint8_t rec[] = {1, 0, 200, 0, 44, 1, 0, 0, /* second, split: */ 0, 0, 7, 0};
    ASSERT_EQ(write(p[1], rec, sizeof rec), ssize_t(sizeof rec));
    SS_ReadTouch();
    EXPECT_EQ(Pos(), XY(200, 300));
    EXPECT_EQ(SS_PointerButtons(), 1u);
    const uint8_t tail[] = {8, 0, 0, 0};
    ASSERT_EQ(write(p[1], tail, sizeof tail), ssize_t(sizeof tail));
    SS_ReadTouch();
    EXPECT_EQ(SS_PointerButtons(), 0u);
    EXPECT_EQ(SS_PointerX(), 200);
    close(p[1]);
    SS_ReadTouch();
    EXPECT_EQ(g_touchFd, -1);
}

TEST_F(PointerTest, BroadcastsOfScreenSizeAndCharset) {
    SSWindow* hidden = NewWindow(c_, 0x100008, 0, 0, 0, 10, 10, false, false);
    Events(c_);
    SS_BroadcastScreenSizeChange(800, 600);
    auto ev = Events(c_);
    EXPECT_EQ(Summary(ev), (Strings{"21@100008", "21@100003", "21@100001"}));
    ASSERT_EQ(ev[0].raw.size(), 24u);
    EXPECT_EQ((std::vector<uint32_t>{U32(ev[0].raw, 8), U32(ev[0].raw, 12), U32(ev[0].raw, 16), U32(ev[0].raw, 20)}),
              (std::vector<uint32_t>{800, 600, 0, 0}));

    SS_BroadcastCharsetChange(2);
    ev = Events(c_);
    EXPECT_EQ(Summary(ev), (Strings{"23@100003", "23@100001"}));
    EXPECT_EQ(U32(ev[0].raw, 8), 2u);

    auto lock = [](uint32_t on) {
        std::vector<uint8_t> m(12 + 256, 0);
        m[0] = 139;
        m[1] = 12;
        m[8] = uint8_t(on);
        HandleUpdateLock(nullptr, m.data(), 12);
    };
    lock(1);
    SS_BroadcastScreenSizeChange(600, 800);
    EXPECT_TRUE(Events(c_).empty());
    lock(0);
    (void)hidden;
}

} // namespace
