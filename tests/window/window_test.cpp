// The window tree in process: requests are built byte by byte and run
// through the server's dispatcher for connections whose events arrive on
// the other end of a socket pair; the Draw events each client receives are
// the verdict.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <set>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

#include "core/handlers.h"
#include "core/server.h"
#include "input/inproc.h"
#include "render/apollo.h"
#include "render/sspixmap.h"
#include "window/routing.h"
#include "window/routing_state.h"
#include "window/sswindow.h"

using namespace inproc;

namespace {

// A request: header word (type, total length), then 32-bit words, with the
// 256 zero bytes past the end that the dispatcher guarantees.
void Req(SSClient* from, uint8_t op, std::vector<uint32_t> words) {
    uint32_t len = 4 + 4 * uint32_t(words.size());
    std::vector<uint8_t> m(len + 256, 0);
    uint32_t header = (len << 8) | op;
    memcpy(m.data(), &header, 4); // little-endian machine
    for (size_t i = 0; i < words.size(); ++i)
        memcpy(m.data() + 4 + 4 * i, &words[i], 4);
    SS_Dispatch(from, m.data(), len);
}

constexpr uint8_t kCreate = 1, kDestroy = 2, kRaise = 3, kLower = 4, kMap = 5, kUnmap = 6, kResize = 7, kMove = 8,
                  kMoveResize = 9, kWidget = 16, kTopWindow = 18, kTransient = 19, kDesktop = 111, kBackColor = 117;

uint32_t U(int32_t v) { return uint32_t(v); }

class WindowTest : public InputTest {
protected:
    void TearDown() override {
        g_rotateMode = 0;
        InputTest::TearDown();
        SS_ResetWindows();
    }
    // The window identifiers of the Draw events the client received, in
    // order; any other event fails the test.
    std::vector<uint32_t> Draws(SSClient* c) {
        std::vector<uint32_t> ids;
        for (const Event& e : Events(c)) {
            EXPECT_EQ(e.type, 16) << "unexpected event type";
            EXPECT_EQ(e.raw.size(), 32u);
            ids.push_back(e.window);
        }
        return ids;
    }

    // CreateWindow + SetWidgetFlag (+ MapWindow when `map`).
    uint32_t Make(SSClient* c, uint32_t id, uint32_t parent, int x, int y, int w, int h, bool map = true,
                  bool widget = true) {
        Req(c, kCreate, {id, parent, U(x), U(y), U(w), U(h), 0xEE, 2});
        if (widget) Req(c, kWidget, {id, 1});
        if (map) Req(c, kMap, {id, 0});
        return id;
    }

    static std::vector<uint32_t> Order(SSWindow* parent) {
        std::vector<uint32_t> ids;
        for (SSWindow* c = parent->firstChild; c; c = c->nextSibling)
            ids.push_back(c->d.id);
        // The backward links must tell the same story.
        std::vector<uint32_t> back;
        for (SSWindow* c = parent->lastChild; c; c = c->prevSibling)
            back.insert(back.begin(), c->d.id);
        EXPECT_EQ(ids, back);
        return ids;
    }
};

using Box = std::array<int, 4>;
using Boxes = std::vector<Box>;
// A region's boxes as plain numbers (none for a null region).
Boxes BoxesOf(const SSRegion* r) {
    Boxes out;
    for (int i = 0; r && i < r->count; ++i)
        out.push_back({r->boxes[i].x1, r->boxes[i].y1, r->boxes[i].x2, r->boxes[i].y2});
    return out;
}
void ExpectBox(const SSRegion* r, SSBox b) { EXPECT_EQ(BoxesOf(r), Boxes({{b.x1, b.y1, b.x2, b.y2}})); }
// Position and size of a window.
Box Geom(const SSWindow* w) { return {w->d.x, w->d.y, w->d.width, w->d.height}; }

TEST_F(WindowTest, NewWindowIsOnTopUnmappedWithItsDefaults) {
    SSClient* a = NewClient();
    Req(a, kCreate, {0x100001, 0, 10, 20, 100, 50, 7, 1});
    SSWindow* w = SS_FindWindow(0x100001);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->parent, g_rootWindow);
    EXPECT_EQ(g_rootWindow->firstChild, w);
    EXPECT_FALSE(SS_Mapped(w));
    EXPECT_EQ(Geom(w), (Box{10, 20, 100, 50}));
    EXPECT_EQ(w->d.kind, 1u);
    EXPECT_EQ(w->backColor, 7u);
    EXPECT_EQ(w->flags, uint32_t(WIN_BACKCOLOR));
    EXPECT_EQ(w->owner, a);
    ExpectBox(w->frame, {10, 20, 110, 70});

    // Width 0: 1 x 1; a parent that names no window: the root; on top.
    Req(a, kCreate, {0x100002, 0x999999, 5, 6, 0, 50, 7, 3});
    SSWindow* tiny = SS_FindWindow(0x100002);
    ASSERT_NE(tiny, nullptr);
    EXPECT_EQ(Geom(tiny), (Box{5, 6, 1, 1}));
    EXPECT_EQ(tiny->parent, g_rootWindow);
    EXPECT_EQ(tiny->d.kind, 3u);
    EXPECT_EQ(Order(g_rootWindow), (std::vector<uint32_t>{0x100002, 0x100001}));

    // A child takes its parent's position; kind bytes other than 1 and 3 give 2.
    Req(a, kCreate, {0x100003, 0x100001, 5, 5, 10, 10, 7, 9});
    SSWindow* child = SS_FindWindow(0x100003);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->parent, w);
    EXPECT_EQ(Geom(child), (Box{15, 25, 10, 10}));
    EXPECT_EQ(child->relX, 5);
    EXPECT_EQ(child->d.kind, 2u);

    // Identifier 0 could never be named again: nothing is created.
    int before = SS_WindowCount();
    Req(a, kCreate, {0, 0, 0, 0, 10, 10, 7, 1});
    EXPECT_EQ(SS_WindowCount(), before);

    // Creating sends nothing.
    EXPECT_TRUE(Events(a).empty());
}

TEST_F(WindowTest, MappingWithNoExposeSendsNothingAndMappingTwiceChangesNothing) {
    SSClient* a = NewClient();
    Make(a, 0x100001, 0, 0, 0, 100, 100, false);
    Req(a, kMap, {0x100001, 1});
    SSWindow* w = SS_FindWindow(0x100001);
    EXPECT_TRUE(SS_Mapped(w));
    EXPECT_TRUE(Draws(a).empty());
    EXPECT_EQ(g_focusWindow, w); // a child of the root still takes the focus

    Make(a, 0x100002, 0, 50, 50, 100, 100);
    EXPECT_EQ(Draws(a), std::vector<uint32_t>{0x100002});
    SSWindow* b = SS_FindWindow(0x100002);
    EXPECT_EQ(g_focusWindow, b);
    EXPECT_EQ(g_activeTopLevel, b);

    Req(a, kMap, {0x100001, 0});
    EXPECT_TRUE(Draws(a).empty());
    EXPECT_EQ(g_focusWindow, b);
}

TEST_F(WindowTest, MappingAWindowExposesItsVisibleSubtreeOnly) {
    SSClient* a = NewClient();
    Make(a, 0x10, 0, 0, 0, 300, 300, false);
    Make(a, 0x11, 0x10, 10, 10, 50, 50);          // mapped child
    Make(a, 0x12, 0x10, 100, 100, 50, 50, false); // unmapped child
    Make(a, 0x13, 0x10, 400, 400, 50, 50);        // mapped, outside its parent
    Make(a, 0x14, 0x11, 0, 0, 50, 50);            // covers its parent 0x11 entirely
    EXPECT_TRUE(Draws(a).empty());                // parent not viewable yet
    Req(a, kMap, {0x10, 0});
    // 0x11 shows nothing of its own (0x14 covers it) and 0x13 nothing at all.
    EXPECT_EQ(Draws(a), (std::vector<uint32_t>{0x10, 0x14}));
}

TEST_F(WindowTest, UnmapExposesOnlyWindowsWhoseVisiblePartMeetsTheUncoveredArea) {
    SSClient *a = NewClient(), *b = NewClient();
    Make(b, 0xD, 0, 350, 350, 100, 100);
    Make(a, 0xA1, 0, 0, 0, 300, 300);
    Make(a, 0xC, 0xA1, 10, 10, 50, 50);
    Make(a, 0xE, 0xA1, 100, 100, 20, 20);
    Make(a, 0xF, 0xA1, 95, 95, 40, 40); // covers 0xE
    Make(a, 0xA2, 0, 200, 200, 200, 200);
    Make(b, 0xB, 0, 500, 500, 50, 50);
    Draws(a);
    Draws(b);

    Req(a, kUnmap, {0xA2, 0});
    EXPECT_EQ(Draws(a), std::vector<uint32_t>{0xA1});
    EXPECT_EQ(Draws(b), std::vector<uint32_t>{0xD});

    // A child: the parent shows through.
    Req(a, kUnmap, {0xC, 0});
    EXPECT_EQ(Draws(a), std::vector<uint32_t>{0xA1});
    // A child that showed nothing uncovers nothing.
    Req(a, kUnmap, {0xE, 0});
    EXPECT_TRUE(Draws(a).empty());
    // The no-expose byte: unmapped, nothing sent.
    Req(a, kUnmap, {0xF, 1});
    EXPECT_FALSE(SS_Mapped(SS_FindWindow(0xF)));
    EXPECT_TRUE(Draws(a).empty());
    // Unmapping what is not mapped does nothing.
    Req(a, kUnmap, {0xC, 0});
    EXPECT_TRUE(Draws(a).empty());
}

TEST_F(WindowTest, AWindowWithoutTheWidgetFlagNeverReceivesDraw) {
    SSClient* a = NewClient();
    Make(a, 0x1, 0, 0, 0, 200, 200, true, false);
    Make(a, 0x2, 0, 100, 100, 200, 200, true, true);
    EXPECT_EQ(Draws(a), std::vector<uint32_t>{0x2});
    Req(a, kMove, {0x1, 5, 5, 0});
    Req(a, kResize, {0x1, 300, 300});
    Req(a, kRaise, {0x1});
    Req(a, kUnmap, {0x2, 0});
    Req(a, kMap, {0x2, 0});
    for (uint32_t id : Draws(a))
        EXPECT_EQ(id, 0x2u);
    // Turning the flag off stops them for 0x2 too.
    Req(a, kWidget, {0x2, 0});
    Req(a, kUnmap, {0x2, 0});
    Req(a, kMap, {0x2, 0});
    EXPECT_TRUE(Draws(a).empty());
}

TEST_F(WindowTest, MoveWindowMovesTheSubtreeAndKeepsRelativePositions) {
    SSClient* a = NewClient();
    Make(a, 0x20, 0, 0, 0, 600, 800); // background
    Make(a, 0x21, 0, 100, 100, 200, 200);
    Make(a, 0x22, 0x21, 10, 20, 50, 50);
    Make(a, 0x23, 0x22, 5, 5, 10, 10);
    Draws(a);

    Req(a, kMove, {0x21, 0, 0, 0});
    EXPECT_TRUE(Draws(a).empty());
    EXPECT_EQ(SS_FindWindow(0x21)->d.x, 100);

    Req(a, kMove, {0x21, 10, 0, 0});
    SSWindow* w = SS_FindWindow(0x21);
    SSWindow* c = SS_FindWindow(0x22);
    SSWindow* g = SS_FindWindow(0x23);
    EXPECT_EQ((Box{w->d.x, w->relX, c->d.x, c->relX}), (Box{110, 110, 120, 10}));
    EXPECT_EQ((Box{c->relY, g->d.x, g->d.y, g->relX}), (Box{20, 125, 125, 5}));
    ExpectBox(g->frame, {125, 125, 135, 135});
    ExpectBox(g->clipWithChildren, {125, 125, 135, 135});
    // The moved subtree repaints, then the background that it uncovered.
    EXPECT_EQ(Draws(a), (std::vector<uint32_t>{0x21, 0x22, 0x23, 0x20}));

    // The no-expose byte: moved, nothing sent.
    Req(a, kMove, {0x21, 0, 10, 1});
    EXPECT_EQ(w->d.y, 110);
    EXPECT_TRUE(Draws(a).empty());
}

TEST_F(WindowTest, MoveResizeToTheSameGeometryDoesNothingAndANewHeightRepaints) {
    SSClient* a = NewClient();
    Make(a, 0x20, 0, 0, 0, 600, 800);
    Make(a, 0x21, 0, 100, 100, 200, 200);
    Draws(a);
    Req(a, kMoveResize, {0x21, 100, 100, 200, 200, 0});
    EXPECT_TRUE(Draws(a).empty());

    Req(a, kMoveResize, {0x21, 100, 100, 200, 150, 0});
    SSWindow* w = SS_FindWindow(0x21);
    EXPECT_EQ(w->d.height, 150);
    EXPECT_EQ(w->d.bytesPerLine, 200u);
    ExpectBox(w->frame, {100, 100, 300, 250});
    EXPECT_EQ(Draws(a), (std::vector<uint32_t>{0x21, 0x20}));

    // A new position moves the children with it.
    Make(a, 0x22, 0x21, 1, 2, 3, 4);
    Draws(a);
    Req(a, kMoveResize, {0x21, 0, 0, 50, 50, 0});
    EXPECT_EQ(Geom(SS_FindWindow(0x22)), (Box{1, 2, 3, 4}));
    EXPECT_EQ(Draws(a), (std::vector<uint32_t>{0x21, 0x22, 0x20}));

    // ResizeWindow: the same size does nothing; another one repaints.
    Req(a, kResize, {0x21, 50, 50});
    EXPECT_TRUE(Draws(a).empty());
    Req(a, kResize, {0x21, 60, 50});
    EXPECT_EQ(w->d.width, 60);
    // Growing uncovers nothing of the background.
    EXPECT_EQ(Draws(a), (std::vector<uint32_t>{0x21, 0x22}));
    Req(a, kResize, {0x21, 40, 50});
    EXPECT_EQ(Draws(a), (std::vector<uint32_t>{0x21, 0x22, 0x20}));
}

TEST_F(WindowTest, DestroyingAWindowExposesWhatItUncoversAndRemovesEveryDescendant) {
    SSClient *a = NewClient(), *b = NewClient();
    Make(b, 0xD, 0, 0, 0, 100, 100);
    Make(a, 0x30, 0, 50, 50, 100, 100);
    Make(a, 0x31, 0x30, 0, 0, 20, 20);
    Make(a, 0x32, 0x30, 30, 30, 20, 20);
    Make(a, 0x33, 0x32, 1, 1, 5, 5);
    Draws(a);
    Draws(b);
    int before = SS_WindowCount();
    SSWindow* c1 = SS_FindWindow(0x31);
    g_pressWindow = c1;
    g_enteredWindow = SS_FindWindow(0x33);
    SS_AddPointerGrab(SS_FindWindow(0x32));
    SS_AddPointerGrab(SS_FindWindow(0xD));

    Req(a, kDestroy, {0x30});
    EXPECT_EQ(Draws(b), std::vector<uint32_t>{0xD});
    EXPECT_TRUE(Draws(a).empty());
    EXPECT_EQ(SS_WindowCount(), before - 4);
    for (uint32_t id : {0x30u, 0x31u, 0x32u, 0x33u})
        EXPECT_EQ(SS_FindWindow(id), nullptr);
    EXPECT_EQ(g_pressWindow, nullptr);
    EXPECT_EQ(g_enteredWindow, nullptr);
    EXPECT_EQ(g_pointerGrabs, std::vector<SSWindow*>{SS_FindWindow(0xD)});
    EXPECT_EQ(g_focusWindow, SS_FindWindow(0xD));
    EXPECT_EQ(Order(g_rootWindow), std::vector<uint32_t>{0xD});

    // Later requests naming them do nothing.
    for (uint8_t op : {kMap, kUnmap, kRaise, kDestroy, kLower})
        Req(a, op, {0x31, 0});
    Req(a, kMove, {0x32, 5, 5, 0});
    EXPECT_TRUE(Draws(a).empty());
    EXPECT_TRUE(Draws(b).empty());
}

TEST_F(WindowTest, AClientThatDisconnectsLosesAllItsWindowsAndTheScreenBeneathIsExposed) {
    SSClient *x = NewClient(), *y = NewClient();
    Make(y, 0x200001, 0, 0, 0, 300, 300);
    Req(y, kTopWindow, {0x200001, 1});
    Make(y, 0x200002, 0, 400, 400, 50, 50, false);
    Make(x, 0x100001, 0, 100, 100, 300, 300);
    Req(x, kTopWindow, {0x100001, 1});
    Make(x, 0x100002, 0x100001, 10, 10, 20, 20);
    Make(x, 0x100003, 0x200001, 5, 5, 20, 20);   // x's window inside y's
    Make(y, 0x200003, 0x100001, 50, 50, 20, 20); // y's window inside x's
    Draws(x);
    Draws(y);

    x->dead = true; // as the connection teardown marks it first
    SS_DestroyClientWindows(x);
    for (uint32_t id : {0x100001u, 0x100002u, 0x100003u, 0x200003u})
        EXPECT_EQ(SS_FindWindow(id), nullptr) << id;
    SSWindow* y1 = SS_FindWindow(0x200001);
    ASSERT_NE(y1, nullptr);
    EXPECT_EQ(y1->firstChild, nullptr);
    // Once for the top-level window above it, once for the window inside it.
    EXPECT_EQ(Draws(y), (std::vector<uint32_t>{0x200001, 0x200001}));
    EXPECT_TRUE(Events(x).empty());
    EXPECT_EQ(g_topWindow, y1);
    EXPECT_EQ(g_focusWindow, y1);
    EXPECT_EQ(g_activeTopLevel, y1);

    y->dead = true;
    SS_DestroyClientWindows(y);
    EXPECT_EQ(SS_WindowCount(), 0);
    EXPECT_EQ(g_rootWindow->firstChild, nullptr);
    EXPECT_EQ(g_topWindow, nullptr);
    EXPECT_EQ(g_focusWindow, nullptr);
}

TEST_F(WindowTest, SetDesktopFlagClampsTheWorkAreaAndClipsOtherTopLevels) {
    SSClient* a = NewClient();
    Make(a, 0x1, 0, 0, 0, 600, 800, false);
    Req(a, kDesktop, {0x1, U(-5), 10, 20, 5000});
    EXPECT_EQ((Box{g_desktopArea.x, g_desktopArea.y, g_desktopArea.width, g_desktopArea.height}),
              (Box{0, 10, 100, 800}));
    EXPECT_TRUE(SS_FindWindow(0x1)->flags & WIN_DESKTOP);

    Req(a, kDesktop, {0x1, 0, 50, 500, 300});
    Req(a, kMoveResize, {0x1, U(-10), U(-10), 700, 900, 0});
    Req(a, kMap, {0x1, 0});
    Make(a, 0x2, 0, 0, 0, 300, 800);   // top-level without the flag
    Make(a, 0x3, 0x2, 0, 0, 600, 800); // its child
    // The desktop window is limited by the screen and the window above only.
    ExpectBox(SS_FindWindow(0x1)->clipWithChildren, {300, 0, 600, 800});
    // The other top-level and its child show inside the work area only.
    ExpectBox(SS_FindWindow(0x2)->clipWithChildren, {0, 50, 300, 350});
    ExpectBox(SS_FindWindow(0x3)->clipWithChildren, {0, 50, 300, 350});
    EXPECT_TRUE(SS_RegionEmpty(SS_FindWindow(0x2)->clipWithoutChildren));
}

// A 1-bit mask pixmap record, as the pixmap module keeps them.
struct MaskPixmap {
    std::vector<uint8_t> bits;
    SSPixmap p{};
    MaskPixmap(int w, int h, const std::vector<const char*>& rows) : bits(size_t((w + 7) / 8) * size_t(h), 0) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (rows[size_t(y)][x] == '#') bits[size_t(y * ((w + 7) / 8) + x / 8)] |= uint8_t(1 << (x % 8));
        p.d.pixels = bits.data();
        p.d.width = w;
        p.d.height = h;
        p.d.bitsPerPixel = 1;
        p.d.bytesPerLine = uint32_t((w + 7) / 8);
        p.d.kind = DRAWABLE_PIXMAP;
    }
};

TEST_F(WindowTest, AShapedWindowClipsItselfAndItsLowerSiblingsByItsShapeOnly) {
    SSClient* a = NewClient();
    Make(a, 0x1, 0, 0, 0, 40, 40);
    Make(a, 0x2, 0, 10, 10, 20, 20, false);
    // An L: the left column (4 wide) and the bottom row (4 high) of a 10 x 10 mask.
    std::vector<const char*> rows(10, "####......");
    for (int i = 6; i < 10; ++i)
        rows[size_t(i)] = "##########";
    MaskPixmap mask(10, 10, rows);
    SS_SetShape(SS_FindWindow(0x2), &mask.p, 2, 3); // shape at (12, 13) on the screen
    Req(a, kMap, {0x2, 0});

    SSRegion* shaped = SS_FindWindow(0x2)->clipWithChildren;
    EXPECT_EQ(BoxesOf(shaped), (Boxes{{12, 13, 16, 19}, {12, 19, 22, 23}}));
    // The sibling below loses the L, not the whole rectangle of 0x2.
    SSRegion* below = SS_FindWindow(0x1)->clipWithChildren;
    EXPECT_TRUE(SS_PointInRegion(below, 20, 15)); // inside 0x2's frame, outside its shape
    EXPECT_TRUE(SS_PointInRegion(below, 11, 11));
    EXPECT_FALSE(SS_PointInRegion(below, 12, 13));
    EXPECT_FALSE(SS_PointInRegion(below, 21, 22));
    EXPECT_TRUE(SS_PointInRegion(below, 22, 22));

    // A pixmap that is no mask removes the shape.
    MaskPixmap notMask(10, 10, rows);
    notMask.p.d.kind = DRAWABLE_WINDOW1;
    SS_SetShape(SS_FindWindow(0x2), &notMask.p, 0, 0);
    EXPECT_EQ(SS_FindWindow(0x2)->shape, nullptr);
}

TEST_F(WindowTest, RaiseMovesAWindowOnTopTheTopmostStillRepaintsAndLowerDoesNothing) {
    SSClient* a = NewClient();
    for (uint32_t id = 1; id <= 3; ++id)
        Make(a, id, 0, int(id) * 10, 0, 100, 100);
    Draws(a);
    Req(a, kRaise, {3}); // already on top: same order, still a Draw
    EXPECT_EQ(Order(g_rootWindow), (std::vector<uint32_t>{3, 2, 1}));
    EXPECT_EQ(Draws(a), std::vector<uint32_t>{3});
    Req(a, kRaise, {1});
    EXPECT_EQ(Order(g_rootWindow), (std::vector<uint32_t>{1, 3, 2}));
    EXPECT_EQ(Draws(a), std::vector<uint32_t>{1});
    Req(a, kRaise, {2}); // the bottom one: the last child follows
    EXPECT_EQ(Order(g_rootWindow), (std::vector<uint32_t>{2, 1, 3}));
    EXPECT_EQ(g_rootWindow->lastChild->d.id, 3u);
    ExpectBox(SS_FindWindow(2)->clipWithChildren, {20, 0, 120, 100});
    Draws(a);
    // LowerWindow never changes the order.
    for (uint32_t id = 1; id <= 3; ++id)
        Req(a, kLower, {id});
    EXPECT_EQ(Order(g_rootWindow), (std::vector<uint32_t>{2, 1, 3}));
    EXPECT_TRUE(Draws(a).empty());
}

TEST_F(WindowTest, RaisingATopWindowWithTransientsLiftsTheWholeGroup) {
    SSClient* a = NewClient();
    Make(a, 0x1, 0, 0, 0, 100, 100); // the application, bottom
    Req(a, kTopWindow, {0x1, 1});
    Make(a, 0x2, 0, 10, 10, 50, 50); // its dialog
    Make(a, 0x3, 0, 20, 20, 50, 50); // its second dialog
    Make(a, 0x9, 0, 0, 0, 600, 800); // another application on top of all
    Req(a, kTransient, {0x2, 0x1});
    Req(a, kTransient, {0x3, 0x1});
    Req(a, kTransient, {0x3, 0x1}); // duplicates are refused
    EXPECT_EQ(SS_FindWindow(0x1)->transients.size(), 2u);
    Draws(a);

    Req(a, kRaise, {0x1});
    EXPECT_EQ(Order(g_rootWindow), (std::vector<uint32_t>{0x3, 0x2, 0x1, 0x9}));
    EXPECT_EQ(Draws(a), (std::vector<uint32_t>{0x3, 0x2, 0x1}));

    // Raising a dialog that is not the last raised one puts it above that one.
    Req(a, kRaise, {0x2});
    EXPECT_EQ(Order(g_rootWindow), (std::vector<uint32_t>{0x2, 0x3, 0x1, 0x9}));
    EXPECT_EQ(SS_FindWindow(0x1)->transients.back(), SS_FindWindow(0x2));
    EXPECT_EQ(Draws(a), std::vector<uint32_t>{0x2});
    // The last raised dialog below another window: nothing at all.
    Req(a, kRaise, {0x9});
    Draws(a);
    Req(a, kRaise, {0x2});
    EXPECT_EQ(Order(g_rootWindow), (std::vector<uint32_t>{0x9, 0x2, 0x3, 0x1}));
    EXPECT_TRUE(Draws(a).empty());
    Req(a, kRaise, {0x1});
    EXPECT_EQ(Order(g_rootWindow), (std::vector<uint32_t>{0x2, 0x3, 0x1, 0x9}));
    EXPECT_EQ(Draws(a), (std::vector<uint32_t>{0x2, 0x3, 0x1}));
    // The group on top already: nothing.
    Req(a, kRaise, {0x1});
    EXPECT_EQ(Order(g_rootWindow), (std::vector<uint32_t>{0x2, 0x3, 0x1, 0x9}));
    EXPECT_TRUE(Draws(a).empty());

    // Destroying the application frees its dialogs from the group.
    Req(a, kDestroy, {0x1});
    EXPECT_EQ(SS_FindWindow(0x2)->transientOwner, nullptr);
    EXPECT_EQ(SS_FindWindow(0x3)->transientOwner, nullptr);
    // And destroying a dialog takes it out of its owner's list.
    Req(a, kTransient, {0x3, 0x2});
    Req(a, kDestroy, {0x3});
    EXPECT_TRUE(SS_FindWindow(0x2)->transients.empty());
}

TEST_F(WindowTest, UnmappingTheTopWindowHandsTopFocusAndActivationOn) {
    SSClient* a = NewClient();
    Make(a, 0x1, 0, 0, 0, 100, 100, false);
    Req(a, kTopWindow, {0x1, 1});
    Req(a, kMap, {0x1, 0});
    Make(a, 0x5, 0, 0, 0, 10, 10, false); // a dialog of 0x1, unmapped for now
    Req(a, kTransient, {0x5, 0x1});
    Make(a, 0x2, 0, 0, 0, 100, 100, false);
    Req(a, kTopWindow, {0x2, 1});
    Req(a, kMap, {0x2, 0});
    SSWindow* w1 = SS_FindWindow(0x1);
    SSWindow* w2 = SS_FindWindow(0x2);
    EXPECT_EQ(g_topWindow, w2);
    EXPECT_EQ(g_focusWindow, w2);

    Req(a, kMap, {0x5, 1}); // mapped without exposure: focus still follows
    EXPECT_EQ(g_focusWindow, SS_FindWindow(0x5));
    Req(a, kUnmap, {0x2, 0});
    EXPECT_EQ(g_topWindow, w1);
    EXPECT_EQ(g_activeTopLevel, SS_FindWindow(0x5)); // its first mapped dialog
    EXPECT_EQ(g_focusWindow, SS_FindWindow(0x5));

    // Nothing left: no focus, no top window.
    Req(a, kDestroy, {0x5});
    Req(a, kUnmap, {0x1, 0});
    EXPECT_EQ(g_topWindow, nullptr);
    EXPECT_EQ(g_focusWindow, nullptr);
    EXPECT_EQ(g_activeTopLevel, nullptr);
}

TEST_F(WindowTest, ClipToWindowGivesTheVisibleAbsoluteBoxesOfTheRectangle) {
    SSClient* a = NewClient();
    Make(a, 0x1, 0, 100, 100, 200, 100);
    Make(a, 0x2, 0x1, 0, 0, 50, 50);     // child covers its corner
    Make(a, 0x3, 0, 250, 100, 100, 100); // sibling above covers the right end
    SSRegion* r = SS_ClipToWindow(SS_FindWindow(0x1), {0, 0, 200, 100});
    EXPECT_EQ(BoxesOf(r), (Boxes{{150, 100, 250, 150}, {100, 150, 250, 200}}));
    SS_FreeRegion(r);
    // A part of the rectangle only.
    r = SS_ClipToWindow(SS_FindWindow(0x1), {60, 60, 10, 10});
    ExpectBox(r, {160, 160, 170, 170});
    SS_FreeRegion(r);
    // Wholly covered, empty, or off the window: nothing may be written.
    EXPECT_EQ(SS_ClipToWindow(SS_FindWindow(0x1), {-50, -50, 100, 100}), nullptr);
    EXPECT_EQ(SS_ClipToWindow(SS_FindWindow(0x1), {0, 0, 0, 10}), nullptr);
    EXPECT_EQ(SS_ClipToWindow(SS_FindWindow(0x1), {INT_MAX - 5, 0, 100, 10}), nullptr);
    EXPECT_EQ(SS_ClipToWindow(nullptr, {0, 0, 10, 10}), nullptr);
    // Not viewable: nothing, even with clips computed before.
    Req(a, kUnmap, {0x1, 0});
    EXPECT_EQ(SS_ClipToWindow(SS_FindWindow(0x2), {0, 0, 10, 10}), nullptr);
    // Never mapped: no clip at all.
    Make(a, 0x4, 0, 0, 0, 10, 10, false);
    EXPECT_EQ(SS_ClipToWindow(SS_FindWindow(0x4), {0, 0, 10, 10}), nullptr);
}

TEST_F(WindowTest, RotationGivesTheRootTheNewSizeAndExposesEveryVisibleWindow) {
    SSClient* a = NewClient();
    Make(a, 0x1, 0, 0, 0, 800, 800);
    Make(a, 0x2, 0x1, 10, 10, 10, 10);
    Make(a, 0x3, 0, 0, 0, 10, 10, false);
    ExpectBox(SS_FindWindow(0x1)->clipWithChildren, {0, 0, 600, 800});
    Draws(a);
    g_rotateMode = 1;
    SS_WindowsRotated();
    EXPECT_EQ(Geom(g_rootWindow), (Box{0, 0, 800, 600}));
    ExpectBox(g_rootWindow->frame, {0, 0, 800, 600});
    EXPECT_EQ((Box{g_desktopArea.width, g_desktopArea.height, 0, 0}), (Box{800, 600, 0, 0}));
    ExpectBox(SS_FindWindow(0x1)->clipWithChildren, {0, 0, 800, 600});
    EXPECT_EQ(Draws(a), (std::vector<uint32_t>{0x1, 0x2}));
}

TEST_F(WindowTest, AbsurdCoordinatesDeepTreesAndShortRequestsAreSafe) {
    SSClient* a = NewClient();
    Req(a, kCreate, {0x1, 0, U(INT_MAX), U(INT_MIN), U(INT_MAX), U(INT_MAX), 0, 1});
    Req(a, kMap, {0x1, 0});
    Req(a, kMove, {0x1, U(INT_MAX), U(INT_MIN), 0});
    Req(a, kMove, {0x1, U(INT_MAX), U(INT_MIN), 0});
    Req(a, kMoveResize, {0x1, U(INT_MIN), U(INT_MAX), U(INT_MIN), U(INT_MAX), 0});
    Req(a, kResize, {0x1, U(INT_MAX), U(INT_MAX)});
    SSWindow* w = SS_FindWindow(0x1);
    ASSERT_NE(w, nullptr);
    for (SSRegion* r : {w->frame, w->clipWithChildren, w->clipWithoutChildren})
        EXPECT_TRUE(SS_RegionValid(r));
    SSRegion* clip = SS_ClipToWindow(w, {INT_MAX, INT_MAX, INT_MAX, INT_MAX});
    if (clip) {
        EXPECT_TRUE(SS_RegionValid(clip));
    }
    SS_FreeRegion(clip);

    // A chain of 20000 nested windows: mapped, moved, destroyed without
    // running out of stack.
    uint32_t parent = 0;
    for (uint32_t id = 0x1000; id < 0x1000 + 20000; ++id) {
        Req(a, kCreate, {id, parent, 0, 0, 10, 10, 0, 1});
        Req(a, kMap, {id, 1});
        parent = id;
    }
    Req(a, kMove, {0x1000, 1, 1, 1});
    EXPECT_EQ(SS_FindWindow(0x1000 + 19999)->d.x, 1);
    Req(a, kMap, {0x1000, 0}); // already mapped: nothing
    Req(a, kUnmap, {0x1000, 0});
    Req(a, kMap, {0x1000, 0}); // recomputes the whole chain
    EXPECT_TRUE(SS_Viewable(SS_FindWindow(0x1000 + 19999)));
    Req(a, kDestroy, {0x1000});
    EXPECT_EQ(SS_FindWindow(0x1000 + 19999), nullptr);

    // A request shorter than its layout runs with the missing fields as 0.
    std::vector<uint8_t> shortCreate(4 + 256, 0);
    uint32_t header = (8u << 8) | kCreate;
    memcpy(shortCreate.data(), &header, 4);
    uint32_t id = 0x77;
    memcpy(shortCreate.data() + 4, &id, 4);
    SS_Dispatch(a, shortCreate.data(), 8);
    SSWindow* s = SS_FindWindow(0x77);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->d.width, 1);
    // Self-transience is refused.
    Req(a, kTransient, {0x77, 0x77});
    EXPECT_EQ(s->transientOwner, nullptr);
    Events(a);
}

TEST_F(WindowTest, SetBackColorAndSetBackPixmapKeepExactlyOneBackgroundFlag) {
    SSClient* a = NewClient();
    Make(a, 0x1, 0, 0, 0, 10, 10, false);
    SSWindow* w = SS_FindWindow(0x1);
    EXPECT_EQ(w->backColor, 0xEEu);
    MaskPixmap pix(8, 8, std::vector<const char*>(8, "########"));
    SS_SetBackPixmap(w, &pix.p);
    EXPECT_EQ(w->backPixmap, &pix.p);
    EXPECT_EQ(w->flags & (WIN_BACKCOLOR | WIN_BACKPIXMAP), uint32_t(WIN_BACKPIXMAP));
    // A pixmap that goes away is dropped as a background.
    SS_ForgetPixmap(&pix.p);
    EXPECT_EQ(w->backPixmap, nullptr);
    SS_SetBackPixmap(w, &pix.p);
    Req(a, kBackColor, {0x1, 0x42});
    EXPECT_EQ(w->backColor, 0x42u);
    EXPECT_EQ(w->backPixmap, nullptr);
    EXPECT_EQ(w->flags & (WIN_BACKCOLOR | WIN_BACKPIXMAP), uint32_t(WIN_BACKCOLOR));
    EXPECT_EQ(g_rootWindow->backColor, 0xC0u);
}

TEST_F(WindowTest, TheFirstDesktopMapRepaintsEverythingOnce) {
    SSClient* a = NewClient();
    Make(a, 0x1, 0, 0, 0, 100, 100);
    Make(a, 0x2, 0, 200, 200, 100, 100);
    Make(a, 0x3, 0, 0, 0, 600, 800, false);
    Req(a, kDesktop, {0x3, 0, 0, 600, 800});
    Draws(a);
    EXPECT_TRUE(g_repaintAll);
    Req(a, kMap, {0x3, 0});
    // Every visible window first, then the desktop window's own map.
    EXPECT_EQ(Draws(a), (std::vector<uint32_t>{0x2, 0x1, 0x3}));
    EXPECT_FALSE(g_repaintAll);
    Req(a, kUnmap, {0x3, 0});
    Draws(a);
    Req(a, kMap, {0x3, 0});
    EXPECT_EQ(Draws(a), std::vector<uint32_t>{0x3});
}

TEST_F(WindowTest, ExposureReportsTheScreenDirtyAndReleasesAWaitingCopy) {
    SSClient* a = NewClient();
    refresh::State& state = SS_RefreshState();
    uint8_t savedRefresh = g_refreshFileValue;

    g_refreshFileValue = 0;
    uint32_t before = state.dirtyCount;
    Make(a, 0x1, 0, 0, 0, 100, 100);
    EXPECT_GT(state.dirtyCount, before);

    // A window that does not take Draw events releases a copy in progress.
    SS_SetCopyInProgress(true);
    Make(a, 0x2, 0, 0, 0, 10, 10, true, false);
    EXPECT_FALSE(state.copyInProgress);

    // With a non-zero refresh setting exposure reports nothing.
    g_refreshFileValue = 1;
    before = state.dirtyCount;
    Make(a, 0x3, 0, 50, 50, 100, 100);
    EXPECT_EQ(Draws(a).back(), 0x3u);
    EXPECT_EQ(state.dirtyCount, before);
    g_refreshFileValue = savedRefresh;
}

TEST_F(WindowTest, TheRefreshPolicyForgetsADestroyedAwaitedWindow) {
    SSClient* a = NewClient();
    Make(a, 0x1, 0, 0, 0, 100, 100);
    Make(a, 0x2, 0, 0, 0, 100, 100);
    SS_SetAwaitedWindow(0x1);
    Req(a, kDestroy, {0x2});
    EXPECT_EQ(SS_AwaitedWindow(), 0x1u);
    Req(a, kDestroy, {0x1});
    EXPECT_EQ(SS_AwaitedWindow(), 0u);
}

TEST_F(WindowTest, ASecondWindowWithTheSameIdentifierShadowsTheFirstUntilItGoes) {
    SSClient* a = NewClient();
    Req(a, kCreate, {0x64, 0, 0, 0, 10, 10, 1, 1});
    SSWindow* first = SS_FindWindow(0x64);
    Req(a, kCreate, {0xC8, 0, 0, 0, 10, 10, 1, 1}); // same bucket (id mod 100)
    Req(a, kCreate, {0x64, 0, 5, 5, 20, 20, 2, 1});
    SSWindow* second = SS_FindWindow(0x64);
    ASSERT_NE(second, first);
    EXPECT_EQ(second->d.width, 20);
    EXPECT_EQ(SS_FindWindow(0xC8)->d.id, 0xC8u);
    EXPECT_EQ(SS_FindWindow(0x64), second); // the cache agrees with the table
    EXPECT_EQ(SS_WindowCount(), 3);
    Req(a, kDestroy, {0x64});
    EXPECT_EQ(SS_FindWindow(0x64), first);
    Req(a, kDestroy, {0x64});
    EXPECT_EQ(SS_FindWindow(0x64), nullptr);
    EXPECT_NE(SS_FindWindow(0xC8), nullptr);
    EXPECT_EQ(SS_FindWindow(0), nullptr); // the root is never in the table
    EXPECT_EQ(SS_WindowCount(), 1);
}

TEST_F(WindowTest, ADisconnectTearsDownDeepChainsOfAlternatingOwners) {
    SSClient *x = NewClient(), *y = NewClient();
    // y's window at the top, then x, y, x, ... nested 6000 deep.
    uint32_t parent = 0;
    for (uint32_t i = 0; i < 6000; ++i) {
        SSClient* owner = (i % 2 == 0) ? y : x;
        uint32_t id = 0x300000 + i;
        Req(owner, kCreate, {id, parent, 1, 1, 50, 50, 0, 1});
        Req(owner, kMap, {id, 1});
        parent = id;
    }
    x->dead = true;
    SS_DestroyClientWindows(x);
    // Only y's top window is left: everything under x's first window went.
    EXPECT_EQ(SS_WindowCount(), 1);
    ASSERT_NE(SS_FindWindow(0x300000), nullptr);
    EXPECT_EQ(SS_FindWindow(0x300000)->firstChild, nullptr);
    EXPECT_EQ(SS_FindWindow(0x300002), nullptr);
    Events(y);
}

} // namespace

namespace {

// Top to bottom in creation order reversed; a top window gets its flag
// before it is mapped.
SSWindow* Stacked(SSClient* c, uint32_t id, int x, int y, int w, int h, bool top) {
    Req(c, kCreate, {id, 0, U(x), U(y), U(w), U(h), 0xEE, 1});
    Req(c, kWidget, {id, 1});
    if (top) Req(c, kTopWindow, {id, 1});
    Req(c, kMap, {id, 0});
    return SS_FindWindow(id);
}

TEST_F(WindowTest, DestroyingTheTopWindowHandsTopActivationAndFocusOnAsUnmappingDoes) {
    SSClient* a = NewClient("app");
    // What follows the top window's going: top, active, focus, the stacking
    // order after a press on the dialog of the new top window, and the
    // events of that press.
    auto run = [&](uint8_t op) {
        SS_ResetWindows();
        SS_ResetRouting();
        // Top to bottom: the top window 0x2, a plain panel 0x4 that is no
        // top window, the dialog 0x5 of the application 0x1, then 0x1.
        SSWindow* app = Stacked(a, 0x1, 0, 0, 300, 300, true);
        SS_SetTransient(Stacked(a, 0x5, 200, 200, 50, 50, false), app);
        Stacked(a, 0x4, 400, 0, 100, 100, false);
        Stacked(a, 0x2, 0, 0, 300, 300, true);
        EXPECT_EQ(g_topWindow, SS_FindWindow(0x2));
        SS_SetPointerPosition(210, 210); // over the dialog
        Events(a);
        Req(a, op, {0x2, 0});
        auto id = [](SSWindow* w) { return w ? w->d.id : 0u; };
        std::vector<uint32_t> out{id(g_topWindow), id(g_activeTopLevel), id(g_focusWindow)};
        Events(a); // exposure
        SS_PointerInputAbs(1, 210, 210, true);
        SS_PointerInputAbs(0, 210, 210, true);
        for (uint32_t w : Order(g_rootWindow))
            out.push_back(w);
        for (const Event& e : Events(a))
            out.push_back(e.type << 24 | e.window);
        return out;
    };
    // The top window is the application again, its first mapped dialog
    // active and focused. The press finds the dialog already active: nothing
    // is raised, and only the dialog hears of the focus moving to no child
    // of it (14), then its press (2) and release (3).
    std::vector<uint32_t> after{0x1, 0x5, 0x5, 0x4, 0x5, 0x1, 14 << 24 | 0x5, 2 << 24 | 0x5, 3 << 24 | 0x5};
    std::vector<uint32_t> unmapped = run(kUnmap);
    after.insert(after.begin() + 3, 0x2);
    EXPECT_EQ(unmapped, after);
    after.erase(after.begin() + 3);
    EXPECT_EQ(run(kDestroy), after);
}

TEST_F(WindowTest, ADialogGoingDownExposesItselfAndOnlyWhatItUncovered) {
    SSClient* a = NewClient("app");
    // Top to bottom: 0x7 above everything the move touches, the dialog 0x2,
    // 0x8 partly under it, 0x6 beside it, then the group's last dialog 0x3
    // and the application 0x1.
    SSWindow* app = Stacked(a, 0x1, 0, 0, 600, 800, true);
    SSWindow* last = Stacked(a, 0x3, 120, 120, 30, 30, false);
    Stacked(a, 0x6, 400, 400, 50, 50, false);
    SSWindow* partly = Stacked(a, 0x8, 150, 150, 100, 100, false);
    SSWindow* dialog = Stacked(a, 0x2, 100, 100, 100, 100, false);
    Stacked(a, 0x7, 0, 0, 50, 50, false);
    SS_SetTransient(dialog, app);
    SS_SetTransient(last, app);
    // 0x3 is the group's last raised dialog: raising 0x2 puts it just
    // above 0x3, down the stacking order.
    ASSERT_EQ(app->transients.back(), last);
    EXPECT_FALSE(SS_PointInRegion(partly->clipWithChildren, 160, 160));
    Events(a);
    Req(a, kRaise, {0x2});
    EXPECT_EQ(Order(g_rootWindow), (std::vector<uint32_t>{0x7, 0x8, 0x6, 0x2, 0x3, 0x1}));
    EXPECT_EQ(app->transients.back(), dialog);
    // 0x8 now shows where the dialog covered it, and repaints; 0x7 and 0x6
    // show what they showed before and hear nothing.
    EXPECT_TRUE(SS_PointInRegion(partly->clipWithChildren, 160, 160));
    EXPECT_FALSE(SS_PointInRegion(dialog->clipWithChildren, 160, 160));
    EXPECT_TRUE(SS_PointInRegion(dialog->clipWithChildren, 110, 110));
    EXPECT_EQ(Draws(a), (std::vector<uint32_t>{0x8, 0x2}));
}

} // namespace
