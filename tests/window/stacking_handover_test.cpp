// Stacking changes and what follows them: who is the top window, the active
// top-level and the focus after the top window goes away, and which windows
// hear of exposure when a dialog goes down its group's stacking order.
#include <string>

#include "core/server.h"
#include "harness/dispatch.h"
#include "harness/wire_client.h"
#include "input/inproc.h"
#include "window/routing.h"
#include "window/routing_state.h"
#include "window/ssregion.h"
#include "window/sswindow.h"

using namespace inproc;
using testing_eink::Dispatch;
using testing_eink::Msg;

namespace {

enum : uint8_t { kDestroyWindow = 2, kRaiseWindow = 3, kUnmapWindow = 6 };
enum { Draw = 16 };

using Strings = std::vector<std::string>;

class StackingTest : public InputTest {
protected:
    void SetUp() override {
        InputTest::SetUp();
        c_ = NewClient("app");
    }
    SSWindow* Widget(uint32_t id, int x, int y, int w, int h, bool top) {
        SSWindow* win = NewWindow(c_, id, 0, x, y, w, h, top);
        win->flags |= WIN_WIDGET;
        return win;
    }
    // "type@window" for every event since the last call.
    Strings Summary() {
        Strings out;
        for (const Event& e : Events(c_)) {
            char buf[64];
            snprintf(buf, sizeof buf, "%d@%x", e.type, e.window);
            out.push_back(buf);
        }
        return out;
    }
    std::vector<uint32_t> Draws() {
        std::vector<uint32_t> ids;
        for (const Event& e : Events(c_))
            if (e.type == Draw) ids.push_back(e.window);
        return ids;
    }
    static std::vector<uint32_t> Order() {
        std::vector<uint32_t> ids;
        for (SSWindow* w = g_rootWindow->firstChild; w; w = w->nextSibling)
            ids.push_back(w->d.id);
        return ids;
    }
    SSClient* c_;
};

} // namespace

TEST_F(StackingTest, DestroyingTheTopWindowHandsTopActivationAndFocusOnAsUnmappingDoes) {
    struct Outcome {
        uint32_t top, active, focus;
        std::vector<uint32_t> order;
        Strings press;
    };
    auto run = [&](uint8_t op) {
        SS_ResetWindows();
        SS_ResetRouting();
        // Top to bottom: the top window 0x2, a plain panel 0x4 that is no
        // top window, the dialog 0x5 of the application 0x1, then 0x1.
        Widget(0x1, 0, 0, 300, 300, true);
        SSWindow* dialog = Widget(0x5, 200, 200, 50, 50, false);
        SS_SetTransient(dialog, SS_FindWindow(0x1));
        Widget(0x4, 400, 0, 100, 100, false);
        Widget(0x2, 0, 0, 300, 300, true);
        EXPECT_EQ(g_topWindow, SS_FindWindow(0x2));
        SS_SetPointerPosition(210, 210); // over the dialog
        Events(c_);

        Dispatch(Msg(op).u32(0x2).byte(0).done());
        Outcome o;
        auto id = [](SSWindow* w) { return w ? w->d.id : 0u; };
        o.top = id(g_topWindow), o.active = id(g_activeTopLevel), o.focus = id(g_focusWindow);
        Events(c_); // exposure
        // A press on the dialog of the new top window.
        SS_PointerInputAbs(1, 210, 210, true);
        SS_PointerInputAbs(0, 210, 210, true);
        o.order = Order();
        o.press = Summary();
        return o;
    };

    Outcome unmapped = run(kUnmapWindow);
    EXPECT_EQ(unmapped.top, 0x1u);
    EXPECT_EQ(unmapped.active, 0x5u) << "its first mapped dialog";
    EXPECT_EQ(unmapped.focus, 0x5u);
    // The press finds the dialog already active: nothing is raised, and
    // only the dialog hears of the focus moving to no child of it.
    EXPECT_EQ(unmapped.order, (std::vector<uint32_t>{0x2, 0x4, 0x5, 0x1}));
    EXPECT_EQ(unmapped.press, (Strings{"14@5", "2@5", "3@5"}));

    Outcome destroyed = run(kDestroyWindow);
    EXPECT_EQ(destroyed.top, unmapped.top);
    EXPECT_EQ(destroyed.active, unmapped.active);
    EXPECT_EQ(destroyed.focus, unmapped.focus);
    EXPECT_EQ(destroyed.order, (std::vector<uint32_t>{0x4, 0x5, 0x1}));
    EXPECT_EQ(destroyed.press, unmapped.press);
}

TEST_F(StackingTest, ADialogGoingDownExposesItselfAndOnlyWhatItUncovered) {
    // Top to bottom: 0x7 above everything the move touches, the dialog 0x2,
    // 0x8 partly under it, 0x6 beside it, then the group's last dialog 0x3
    // and the application 0x1.
    SSWindow* app = Widget(0x1, 0, 0, 600, 800, true);
    SSWindow* last = Widget(0x3, 120, 120, 30, 30, false);
    Widget(0x6, 400, 400, 50, 50, false);
    SSWindow* partly = Widget(0x8, 150, 150, 100, 100, false);
    SSWindow* dialog = Widget(0x2, 100, 100, 100, 100, false);
    Widget(0x7, 0, 0, 50, 50, false);
    SS_SetTransient(dialog, app);
    SS_SetTransient(last, app);
    // 0x3 is the group's last raised dialog: raising 0x2 puts it just
    // above 0x3, down the stacking order.
    ASSERT_EQ(app->transients.back(), last);
    EXPECT_FALSE(SS_PointInRegion(partly->clipWithChildren, 160, 160));
    Events(c_);

    Dispatch(Msg(kRaiseWindow).u32(0x2).done());
    EXPECT_EQ(Order(), (std::vector<uint32_t>{0x7, 0x8, 0x6, 0x2, 0x3, 0x1}));
    EXPECT_EQ(app->transients.back(), dialog);
    // 0x8 now shows where the dialog covered it, and repaints; 0x7 and 0x6
    // show what they showed before and hear nothing.
    EXPECT_TRUE(SS_PointInRegion(partly->clipWithChildren, 160, 160));
    EXPECT_FALSE(SS_PointInRegion(dialog->clipWithChildren, 160, 160));
    EXPECT_TRUE(SS_PointInRegion(dialog->clipWithChildren, 110, 110));
    EXPECT_EQ(Draws(), (std::vector<uint32_t>{0x8, 0x2}));
}
