// Navigation windows, status lines, status bars and marquees against an
// in-process fake server: the layout rules as tables (including sizes smaller
// than the margins), paging and focus rules with their edge cases, the
// requests of a focus move (both frames redrawn between GrabUpdate and
// UnGrabUpdate), pane widths and pane drawing, the marquee's four directions
// and its timer, and the battery-level file read safely.
#include "fake_server.h"
#include "gui/text_tables.h"

#include "gl_image.h"
#include "gl_marquee.h"
#include "gl_navigate.h"
#include "gl_statusbar.h"
#include "gl_timeout.h"
#include "harness/eink_root.h"
#include "nc_font.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>

#include <atomic>
#include <memory>
#include <set>
#include <thread>

#include <string>
#include <vector>

namespace {

enum : unsigned {
    MapWindow = 5,
    UnmapWindow = 6,
    CreatePixmap = 10,
    CopyAreaP2P = 14,
    DrawUpBoxS = 43,
    DrawDownBoxS = 44,
    DrawWRect = 61,
    TextOutSingle = 119,
    GrabUpdate = 128,
    UnGrab = 129
};

// The root is read once per process: set it before anything asks.
testing_eink::EinkRoot& Root() {
    static testing_eink::EinkRoot* root = [] {
        auto* r = new testing_eink::EinkRoot;
        setenv("EINK_ROOT", r->dir().c_str(), 1);
        return r;
    }();
    return *root;
}
int const gRootReady = (Root(), 0);

// Reads and drops everything the client sends, for tests that judge the
// widgets' state only: many small writes would otherwise fill the socket.
class Drainer {
public:
    explicit Drainer(int fd)
        : fd_(fd), thread_([this] {
              char buf[65536];
              while (!stop_) {
                  pollfd p{fd_, POLLIN, 0};
                  if (poll(&p, 1, 10) > 0) (void)!read(fd_, buf, sizeof buf);
              }
          }) {}
    ~Drainer() {
        stop_ = true;
        thread_.join();
    }

private:
    int fd_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

struct Screen {
    FakeServer server;
    GL_Window main{nullptr, "main", 0, 0, 600, 800, iWhiteS, 0};
    std::unique_ptr<Drainer> drainer;
    explicit Screen(bool drain = false) {
        InitFont();
        text_test::SetTables(true);
        main.ShowWindow(0);
        server.Take();
        if (drain) drainer = std::make_unique<Drainer>(server.serverFd());
    }
};

bool Shown(GL_Window* w) { return (w->windowFlags & GL_WIN_SHOWN) != 0; }

} // namespace

TEST(Navigate, ItemColumnsShareTheRoomLeftByImageMarginsAndFixedColumns) {
    Screen s;
    struct Case {
        int w, columns, imageWidth, marginX, fixedColumn, fixedWidth;
        std::vector<int> widths, xs;
    } const cases[] = {
        {300, 3, 50, 10, -1, 0, {76, 76, 78}, {60, 136, 212}},
        {300, 3, 50, 10, 0, 100, {100, 65, 65}, {60, 160, 225}},
        {300, 2, 50, 10, 1, 500, {0, 500}, {60, 60}},    // fixed wider than the room
        {60, 3, 50, 10, -1, 0, {0, 0, 0}, {60, 60, 60}}, // narrower than its margins
        {300, 1, -20, 10, -1, 0, {280}, {10}},           // negative image width is 0
        {300, -4, 50, 10, -1, 0, {230}, {60}},           // negative columns give one
        {300, 0, 50, 10, -1, 0, {}, {}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << "w " << c.w << " columns " << c.columns << " fixed " << c.fixedColumn);
        GL_NavigateItem item(&s.main, c.columns, 0, 0, 10, 60, 0);
        item.SetImageWidth(c.imageWidth);
        item.SetItemMargin(c.marginX, 10);
        if (c.fixedColumn >= 0) item.SetItemWidth(c.fixedColumn, c.fixedWidth);
        item.ResizeWindow(c.w, 60);
        s.server.Take();
        ASSERT_EQ(item.GetColumns(), int(c.widths.size()));
        for (int i = 0; i < item.GetColumns(); ++i) {
            GL_Label* l = item.GetItemTextObject(i);
            EXPECT_EQ(l->GetWidth(), c.widths[size_t(i)]) << "column " << i;
            EXPECT_EQ(l->GetX(), c.xs[size_t(i)]) << "column " << i;
            EXPECT_EQ(l->GetY(), 10);
            EXPECT_EQ(l->GetHeight(), 40);
        }
        EXPECT_EQ(item.GetItemImageObject()->GetWidth(), c.imageWidth < 0 ? 0 : c.imageWidth);
        EXPECT_EQ(item.GetItemTextObject(c.columns < 0 ? 1 : c.columns), nullptr) << "past the last column";
        EXPECT_EQ(item.SetItemText(-1, "x"), -1);
    }
    GL_NavigateItem low(&s.main, 1, 0, 0, 300, 8, 0); // shorter than its margins
    EXPECT_EQ(low.GetItemTextObject(0)->GetHeight(), 0);
}

TEST(Navigate, WindowLayoutPlacesBarsAndItemsPageByPage) {
    Screen s(true);
    struct Case {
        int w, h, perPage, itemHeight, itemWidth;
    } const cases[] = {
        {600, 800, 10, 58, 576}, {600, 800, 3, 128, 576}, // 3 per page is 5
        {600, 800, 1, 128, 576}, {20, 90, 5, 0, 0},       // smaller than the margins and bars
        {0, 0, 7, 0, 0},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " per page " << c.perPage);
        GL_NavigateWindow nav(&s.main, "Library", c.perPage);
        int const per = c.perPage < 5 ? 5 : c.perPage;
        EXPECT_EQ(nav.GetPerPage(), per);
        std::vector<GL_NavigateItem*> items;
        for (int i = 0; i < per + 2; ++i) {
            items.push_back(new GL_NavigateItem(&nav, 2, 0, 0, 10, 10, 0));
            ASSERT_EQ(nav.AppendItem(items.back()), 0);
        }
        nav.MoveResizeWindow(0, 0, c.w, c.h, 0);
        EXPECT_EQ(nav.itemHeight, c.itemHeight);
        for (int i = 0; i < per + 2; ++i) {
            EXPECT_EQ(items[size_t(i)]->GetY(), 55 + (i % per) * (12 + c.itemHeight)) << "item " << i;
            EXPECT_EQ(items[size_t(i)]->GetX(), 12);
            EXPECT_EQ(items[size_t(i)]->GetWidth(), c.itemWidth);
            EXPECT_EQ(Shown(items[size_t(i)]), i < per) << "item " << i;
        }
        EXPECT_EQ(nav.statusLabel->GetY(), c.h - 50);
        EXPECT_EQ(nav.batteryImage->GetX(), c.w - 74);
        EXPECT_EQ(nav.statusRight->GetX(), 2 * (c.w / 3));
        EXPECT_EQ(nav.statusRight->GetWidth(), c.w - 2 * (c.w / 3));
    }
}

TEST(Navigate, PagingAndFocusEdgeCases) {
    Screen s(true);
    GL_NavigateWindow nav(&s.main, "Books", 3);
    // Nothing appended: no page, no item, and keys do nothing.
    EXPECT_EQ(nav.GetPageCount(), 0);
    EXPECT_EQ(nav.DisplayPage(0), -1);
    EXPECT_EQ(nav.KeyIn(nullptr, 0, 0x15, 0x15, 0, 1), 0);
    EXPECT_EQ(nav.KeyIn(nullptr, 0, '1', '1', 0, 1), 0);
    EXPECT_EQ(nav.GetCurrItemNum(), -1);
    EXPECT_EQ(nav.AppendItem(nullptr), -1);

    std::vector<GL_NavigateItem*> items;
    for (int i = 0; i < 42; ++i) { // past the first capacity of 30
        items.push_back(new GL_NavigateItem(&nav, 1, 0, 0, 10, 10, 0));
        nav.AppendItem(items.back());
    }
    EXPECT_EQ(nav.GetItemCount(), 42);
    EXPECT_EQ(nav.GetPageCount(), 9);
    EXPECT_EQ(nav.GetCurrItemNum(), 0);
    EXPECT_EQ(items[0]->borderColor, iBlackS) << "the first item has the focus frame";
    EXPECT_EQ(items[1]->borderColor, iGreyS);
    for (int i = 0; i < 42; ++i)
        EXPECT_EQ(Shown(items[size_t(i)]), i < 5) << i;

    EXPECT_EQ(nav.DisplayPage(9), -1);
    EXPECT_EQ(nav.DisplayPage(-1), -1);
    EXPECT_EQ(nav.DisplayPage(0), -1);
    EXPECT_EQ(nav.DisplayPage(8), 0);
    for (int i = 0; i < 42; ++i)
        EXPECT_EQ(Shown(items[size_t(i)]), i >= 40) << "last page holds 40 and 41 only; item " << i;

    // Digits count on the page shown: '3' on the last page (two items) does nothing.
    nav.KeyIn(nullptr, 0, '3', '3', 0, 1);
    EXPECT_EQ(nav.GetCurrItemNum(), 0);
    nav.KeyIn(nullptr, 0, '2', '2', 0, 0); // a press
    EXPECT_EQ(nav.GetCurrItemNum(), 0);
    nav.KeyIn(nullptr, 0, '2', '2', 0, 1);
    EXPECT_EQ(nav.GetCurrItemNum(), 41);
    EXPECT_EQ(items[0]->borderColor, iGreyS);
    EXPECT_EQ(items[41]->borderColor, iBlackS);
    nav.KeyIn(nullptr, 0, 0x15, 0x15, 0, 1);
    EXPECT_EQ(nav.GetCurrItemNum(), 41) << "not beyond the last";
    // Back over the page boundary: the focused item's page is shown.
    nav.KeyIn(nullptr, 0, 0x14, 0x14, 0, 1);
    nav.KeyIn(nullptr, 0, 0x14, 0x14, 0, 1);
    EXPECT_EQ(nav.GetCurrItemNum(), 39);
    EXPECT_EQ(nav.GetCurrentPage(), 7);
    EXPECT_TRUE(Shown(items[39]));
    EXPECT_FALSE(Shown(items[40]));

    EXPECT_EQ(nav.SetCurrItemNum(42), -1);
    EXPECT_EQ(nav.SetCurrItemNum(-3), -1);
    EXPECT_EQ(nav.SetCurrItemNum(0), 0);
    EXPECT_EQ(nav.GetCurrentPage(), 7) << "SetCurrItemNum keeps the page";
    EXPECT_EQ(nav.SetBorderFocus(0), 0);
    EXPECT_EQ(nav.SetBorderFocus(0), -1);
    nav.SetCurrItemNum(1);
    EXPECT_EQ(items[1]->borderColor, iGreyS) << "no frame without border focus";

    // Five items: '7' changes nothing, 0x14 on the first stays.
    GL_NavigateWindow small(&s.main, "Few", 5);
    for (int i = 0; i < 5; ++i)
        small.AppendItem(new GL_NavigateItem(&small, 1, 0, 0, 10, 10, 0));
    small.KeyIn(nullptr, 0, '7', '7', 0, 1);
    small.KeyIn(nullptr, 0, 0x14, 0x14, 0, 1);
    EXPECT_EQ(small.GetCurrItemNum(), 0);
}

TEST(Navigate, AFocusMoveRedrawsBothFramesInsideOneGrab) {
    Screen s;
    GL_NavigateWindow nav(&s.main, "Books", 5);
    nav.MoveResizeWindow(0, 0, 600, 800, 0);
    std::vector<GL_NavigateItem*> items;
    for (int i = 0; i < 7; ++i) {
        items.push_back(new GL_NavigateItem(&nav, 1, 0, 0, 10, 10, 0));
        nav.AppendItem(items.back());
    }
    nav.ShowWindow(0);
    s.server.Take();

    auto frames = [&](std::vector<Msg> const& sent, size_t from, size_t to) {
        std::vector<uint32_t> colours;
        for (size_t i = from; i < to; ++i)
            if (sent[i].type() == DrawWRect) colours.push_back(sent[i].word(28));
        return colours;
    };
    struct Case {
        unsigned code;
        bool grabbed;
        int current;
    } const cases[] = {{0x15, true, 1}, {0x14, true, 0}, {'4', false, 3}, {0x14, true, 2}};
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << "key " << c.code);
        nav.KeyIn(nullptr, 0, c.code, c.code, 0, 1);
        EXPECT_EQ(nav.GetCurrItemNum(), c.current);
        auto sent = s.server.Take();
        std::vector<size_t> grab, ungrab;
        for (size_t i = 0; i < sent.size(); ++i) {
            if (sent[i].type() == GrabUpdate) grab.push_back(i);
            if (sent[i].type() == UnGrab) ungrab.push_back(i);
        }
        if (c.grabbed) {
            ASSERT_EQ(grab.size(), 1u);
            ASSERT_EQ(ungrab.size(), 1u);
            EXPECT_EQ(grab[0], 0u) << "the grab comes first";
            EXPECT_EQ(ungrab[0], sent.size() - 1) << "and its end last";
            EXPECT_EQ(frames(sent, 0, sent.size()), (std::vector<uint32_t>{uint32_t(iGreyS), uint32_t(iBlackS)}));
        } else {
            EXPECT_TRUE(grab.empty() && ungrab.empty());
            EXPECT_EQ(frames(sent, 0, sent.size()).size(), 2u);
        }
    }
    // Key 0x15 past the page's end turns the page inside the grab.
    nav.SetCurrItemNum(4);
    s.server.Take();
    nav.KeyIn(nullptr, 0, 0x15, 0x15, 0, 1);
    auto sent = s.server.Take();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.front().type(), GrabUpdate);
    EXPECT_EQ(sent.back().type(), UnGrab);
    // The old page's items go, the new page's come (their children follow).
    std::set<uint32_t> unmapped, mapped, expectUnmapped, expectMapped;
    size_t lastMap = 0, firstUnmap = sent.size();
    for (size_t i = 0; i < sent.size(); ++i) {
        if (sent[i].type() == UnmapWindow) unmapped.insert(sent[i].word(4)), firstUnmap = std::min(firstUnmap, i);
        if (sent[i].type() == MapWindow) mapped.insert(sent[i].word(4)), lastMap = i;
    }
    // Shown before the old page goes: the window behind is never exposed.
    EXPECT_LT(lastMap, firstUnmap);
    for (int i = 0; i < 7; ++i) {
        std::set<uint32_t>& ids = i < 5 ? expectUnmapped : expectMapped;
        ids.insert(items[size_t(i)]->GetWindowId());
        ids.insert(items[size_t(i)]->GetItemImageObject()->GetWindowId());
        ids.insert(items[size_t(i)]->GetItemTextObject(0)->GetWindowId());
    }
    EXPECT_EQ(unmapped, expectUnmapped);
    EXPECT_EQ(mapped, expectMapped);
    EXPECT_EQ(nav.GetCurrentPage(), 1);
}

TEST(Navigate, BatteryLevelFile) {
    auto& root = Root();
    root.Remove("/home/power.txt");
    EXPECT_EQ(getPowerState(), -1) << "missing";
    struct Case {
        std::string content;
        int level;
    } const cases[] = {
        {"4\n", 4},
        {"0", 0},
        {"6\r\n", 6},
        {"", -1},
        {"7\n", -1},
        {"45\n", -1},
        {" 4\n", -1},
        {std::string("\0\xff\x01", 3), -1},
        {"4" + std::string(100000, 'x'), -1},
    };
    for (auto const& c : cases) {
        root.Write("/home/power.txt", c.content);
        EXPECT_EQ(getPowerState(), c.level) << "content of " << c.content.size() << " bytes";
    }
    root.Remove("/home/power.txt");
    root.MakeFifo("/home/power.txt");
    EXPECT_EQ(getPowerState(), -1) << "a pipe is not read (it would block)";
    root.Remove("/home/power.txt");

    root.Write("/home/power.txt", "2\n");
    EXPECT_EQ(savePowerState(7), 0);
    EXPECT_EQ(savePowerState(-1), 0);
    EXPECT_EQ(root.Read("/home/power.txt"), "2\n") << "an invalid level leaves the file";
    EXPECT_EQ(savePowerState(5), 1);
    EXPECT_EQ(root.Read("/home/power.txt"), "5\n");
    EXPECT_EQ(getPowerState(), 5);
    root.Remove("/home/power.txt");
    root.MakeDir("/home/power.txt");
    EXPECT_EQ(savePowerState(3), 0) << "unopenable";
    rmdir(root.Path("/home/power.txt").c_str());
}

TEST(Navigate, StatusLinesKeepTheirPartsInsideWhateverTheSize) {
    Screen s(true);
    struct Rect {
        int x, y, w, h;
    };
    auto rect = [](GL_Window* w) { return Rect{w->GetX(), w->GetY(), w->GetWidth(), w->GetHeight()}; };
    auto same = [](Rect a, Rect b) { return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h; };
    struct Case {
        int w, h;
        Rect left, mid, right, image;
    } const cases[] = {
        {600, 50, {26, 2, 274, 46}, {200, 2, 54, 46}, {354, 2, 194, 46}, {553, 9, 39, 31}},
        {600, 30, {26, 0, 274, 30}, {200, 0, 54, 30}, {354, 0, 194, 30}, {553, 9, 39, 31}},
        {40, 10, {26, 0, 100, 10}, {26, 0, 0, 10}, {6, 0, 20, 10}, {31, 9, 39, 31}}, // narrower than 76
    };
    GL_NavigateStatus status(&s.main);
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        status.ResizeWindow(c.w, c.h);
        EXPECT_TRUE(same(rect(status.leftLabel), c.left));
        EXPECT_TRUE(same(rect(status.midLabel), c.mid));
        EXPECT_TRUE(same(rect(status.rightLabel), c.right));
        EXPECT_TRUE(same(rect(status.rightImage), c.image));
    }
    EXPECT_EQ(status.SetMidText("3 / 9"), 0);
    EXPECT_STREQ(status.midLabel->GetText(), "3 / 9");
    status.SetRightImageVisible(0);
    EXPECT_FALSE(Shown(status.rightImage));

    // The second status line: every part has a size of at least 0, the texts
    // end before the images, and the battery picture follows the level.
    GL_NavigateStatus2 status2(&s.main);
    for (auto size : {std::pair<int, int>{600, 50}, {824, 60}, {90, 20}, {0, 0}}) {
        status2.ResizeWindow(size.first, size.second);
        for (GL_Window* part :
             {static_cast<GL_Window*>(status2.leftLabel), static_cast<GL_Window*>(status2.midLabel),
              static_cast<GL_Window*>(status2.rightLabel), static_cast<GL_Window*>(status2.midImage),
              static_cast<GL_Window*>(status2.rightImage), static_cast<GL_Window*>(status2.powerImage)}) {
            EXPECT_GE(part->GetWidth(), 0);
            EXPECT_GE(part->GetHeight(), 0);
            EXPECT_GE(part->GetY(), 0);
        }
        if (size.first >= 600) {
            EXPECT_LE(status2.rightLabel->GetX() + status2.rightLabel->GetWidth(), status2.rightImage->GetX());
            EXPECT_EQ(status2.powerImage->GetX() + 50, size.first);
        }
    }
    auto& root = Root();
    root.Remove("/home/power.txt");
    struct Power {
        int level;
        char const* file; // battery file content, null for none
        int result, width;
    } const powers[] = {
        {3, nullptr, 0, 40}, {7, nullptr, -1, 40}, {-1, nullptr, -1, 40}, {-1, "5\n", 0, 40}, {0, nullptr, 0, 40}};
    for (auto const& p : powers) {
        if (p.file) root.Write("/home/power.txt", p.file);
        EXPECT_EQ(status2.SetRightImagePower(p.level), p.result) << "level " << p.level;
        ASSERT_NE(status2.powerImage->image1, nullptr);
        EXPECT_EQ(status2.powerImage->image1->width, p.width);
        root.Remove("/home/power.txt");
    }
}

TEST(Navigate, SecondWindowHasTheSecondStatusLineAndPagesAsTheFirst) {
    Screen s;
    GL_NavigateWindow2 nav(&s.main, "Books", 5);
    nav.MoveResizeWindow(0, 0, 600, 800, 0);
    nav.ShowWindow(0);
    EXPECT_STREQ(nav.GetClassName(), "GL_NavigateWindow2");
    EXPECT_EQ(nav.statusLabel, nullptr) << "no second status bar";
    s.server.Take();
    EXPECT_EQ(UpdateNavigateWindowStatus(&nav), 0);
    EXPECT_FALSE(s.server.Take().empty()) << "the second status line is redrawn";
    GL_NavigateStatus2* status = nav.GetStatus();
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->GetY(), 750);
    EXPECT_EQ(status->GetWidth(), 600);
    EXPECT_EQ(status->GetHeight(), 50);
    EXPECT_EQ(status->leftLabel->GetBackColor(), iBlackS);
    std::vector<GL_NavigateItem*> items;
    for (int i = 0; i < 7; ++i) {
        items.push_back(new GL_NavigateItem(&nav, 1, 0, 0, 10, 10, 0));
        nav.AppendItem(items.back());
    }
    EXPECT_EQ(nav.itemHeight, 128);
    EXPECT_EQ(nav.GetPageCount(), 2);
    nav.SetCurrItemNum(4);
    nav.KeyIn(nullptr, 0, 0x15, 0x15, 0, 1);
    EXPECT_EQ(nav.GetCurrentPage(), 1);
    EXPECT_TRUE(Shown(items[5]) && !Shown(items[4]));
    EXPECT_EQ(nav.SetLeftText("Left"), 0);
    EXPECT_STREQ(status->leftLabel->GetText(), "Left");
    EXPECT_EQ(nav.SetRightImagePower(2), 0);
    EXPECT_EQ(status->powerImage->image1->width, 40);
    nav.SetRightImageVisible(0);
    EXPECT_FALSE(Shown(status->rightImage));
}

TEST(Statusbar, PaneWidthsFollowTheBarAndNeverGoNegative) {
    Screen s(true);
    struct Case {
        int w;
        std::vector<int> given;
        std::vector<int> widths; // after adding; a refused pane is absent
    } const cases[] = {
        {300, {100}, {100}},                                              // one pane keeps its width
        {300, {100, 80, 60}, {152, 80, 60}},                              // 300 - 4 - 82 - 62
        {300, {5, 0, -3, 40}, {254, 40}},                                 // widths below 1 are refused
        {100, {10, 80, 60}, {0, 80, 60}},                                 // the others need more than the bar
        {300, {10, 0x7FFFFFFF, 0x7FFFFFFF}, {0, 0x7FFFFFFF, 0x7FFFFFFF}}, // no overflow
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << "w " << c.w << ", " << c.given.size() << " panes");
        GL_Statusbar bar(&s.main, "bar", 0, 0, c.w, 30, nullptr, 0);
        for (int width : c.given)
            EXPECT_EQ(bar.AddPane(width, -1, 0, 0), width < 1 ? -1 : 0);
        ASSERT_EQ(bar.GetPaneCount(), int(c.widths.size()));
        for (int i = 0; i < bar.GetPaneCount(); ++i)
            EXPECT_EQ(bar.GetPane(i)->width, c.widths[size_t(i)]) << "pane " << i;
    }
    GL_Statusbar bar(&s.main, "bar", 0, 0, 300, 30, nullptr, 0);
    EXPECT_EQ(bar.SetPaneText(0, const_cast<char*>("x")), -1) << "no panes";
    for (int i = 0; i < 256; ++i)
        bar.AddPane(1, -1, 0, 0);
    EXPECT_EQ(bar.AddPane(1, -1, 0, 0), -1) << "a 257th pane could not be addressed";
    bar.ResizeWindow(2000, 30);
    EXPECT_EQ(bar.GetPane(0)->width, 2000 - 4 - 255 * 3);
    EXPECT_EQ(bar.SetPaneText(255, const_cast<char*>("last")), 0);
    EXPECT_STREQ(bar.GetPane(255)->text, "last");
    EXPECT_EQ(bar.SetPaneText(255, const_cast<char*>("")), 0);
    EXPECT_EQ(bar.GetPane(255)->text, nullptr);
}

TEST(Statusbar, PanesDrawSunkenBoxesWithAlignedIconAndText) {
    Screen s;
    InitImageList();
    GL_ImageList icons;
    ASSERT_NE(icons.AddImageFile(const_cast<char*>("battery"), const_cast<char*>("/Kora/res/power03.jpg")), nullptr);
    GL_Statusbar bar(&s.main, "bar", 0, 0, 300, 30, &icons, 0);
    bar.AddPane(100, 0, 0, 0); // flexible: 152; icon and text on the left
    bar.AddPane(80, -1, 1, 0); // centred
    bar.AddPane(60, 9, 2, 0);  // right-aligned; icon 9 does not exist
    bar.ShowWindow(0);
    for (unsigned char i = 0; i < 3; ++i)
        bar.SetPaneText(i, const_cast<char*>("ab"));
    s.server.Take();
    bar.UpdateWindow(nullptr);
    auto sent = s.server.Take();
    int const textW = text_test::Adv('a') + text_test::Adv('b');
    std::vector<std::vector<uint32_t>> boxes, copies;
    std::vector<uint32_t> textX;
    std::vector<unsigned> order;
    for (auto const& m : sent) {
        if (m.type() == DrawDownBoxS) boxes.push_back({m.word(8), m.word(12), m.word(16), m.word(20)});
        if (m.type() == CopyAreaP2P) copies.push_back({m.word(32), m.word(36)});
        if (m.type() == TextOutSingle) textX.push_back(m.word(16));
        if (m.type() == DrawDownBoxS || m.type() == DrawUpBoxS) order.push_back(m.type());
    }
    EXPECT_EQ(boxes, (std::vector<std::vector<uint32_t>>{{2, 2, 152, 26}, {156, 2, 80, 26}, {238, 2, 60, 26}}));
    ASSERT_EQ(copies.size(), 1u) << "the icon only: icon 9 does not exist";
    EXPECT_EQ(copies[0], (std::vector<uint32_t>{4, 4})) << "icon 40 x 22 centred in 30";
    EXPECT_EQ(textX, (std::vector<uint32_t>{uint32_t(2 + 2 + 40 + 2), uint32_t(156 + (80 - 2 - textW) / 2 + 2),
                                            uint32_t(238 + 60 - 2 - (2 + textW) + 2)}));
    EXPECT_EQ(order.back(), DrawUpBoxS) << "the raised frame comes last";

    EXPECT_EQ(bar.MouseUp(10, 10, 1), -1) << "no press";
    bar.MouseDown(160, 10, 1);
    EXPECT_EQ(bar.MouseUp(160, 10, 1), 0);
    bar.MouseDown(299, 10, 1); // right of the last pane
    EXPECT_EQ(bar.MouseUp(299, 10, 1), -1);
}

TEST(Marquee, FourDirectionsWrapAtTheMarginsAndTheTimerFollowsTheDelay) {
    Screen s(true);
    int const tw = text_test::Adv('a') + text_test::Adv('b') + text_test::Adv('c');
    struct Case {
        unsigned char direction;
        int start;          // x for 3 and 4, y for 1 and 2
        int lastBeforeWrap; // after `steps` - 1 steps
        int steps;          // the step that restarts
    } const cases[] = {
        {GL_MARQUEE_LEFT, 200 - 4 - 10, 200 - 4 - 10 - 10 * 19, 20}, // restarts once x + tw <= 4
        {GL_MARQUEE_RIGHT, 10 + 4 - tw, 10 + 4 - tw + 10 * 18, 19},  // restarts at x >= 186
        {GL_MARQUEE_DOWN, 4 + 10 + 22 - 22, 14 + 10 * 7, 8},         // restarts at y >= 86
        {GL_MARQUEE_UP, 100 - 4 - 22, 74 - 10 * 6, 7},               // restarts at y + 22 <= 26
    };
    ASSERT_EQ(tw, 16) << "the cases above are worked out for 16";
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << "direction " << int(c.direction));
        GL_Marquee m(&s.main, "marquee", 0, 0, 200, 100, "abc", 10, 20, c.direction, 0);
        bool const vertical = c.direction <= GL_MARQUEE_UP;
        auto pos = [&] { return vertical ? m.posY : m.posX; };
        m.Step();
        EXPECT_EQ(pos(), GL_Marquee::kUnset) << "no step before the first draw";
        m.ShowWindow(0);
        m.UpdateWindow(nullptr); // the first draw (the server's Draw event here)
        EXPECT_EQ(pos(), c.start);
        for (int i = 1; i < c.steps; ++i)
            m.Step();
        EXPECT_EQ(pos(), c.lastBeforeWrap);
        m.Step();
        EXPECT_EQ(pos(), c.start);
        m.MouseDown(5, 5, 1);
        m.Step();
        EXPECT_EQ(pos(), c.start) << "paused while pressed";
        m.MouseUp(5, 5, 1);
        m.Step();
        EXPECT_NE(pos(), c.start);
        EXPECT_EQ(vertical ? m.posX : m.posY, vertical ? 4 : 0) << "the other coordinate stays";
    }

    GL_Marquee m(&s.main, "marquee", 0, 0, 200, 100, "abc", 10, 20, 9, 0);
    EXPECT_EQ(m.GetDirection(), GL_MARQUEE_LEFT);
    EXPECT_EQ(m.timer->intervalSec, 0u);
    EXPECT_EQ(m.timer->intervalUSec, 100000u) << "a delay of 20 ms scrolls every 100 ms";
    EXPECT_TRUE(m.timer->IsRunning());
    struct Delay {
        unsigned long delay;
        int result;
        unsigned sec, usec;
    } const delays[] = {{100, -1, 0, 100000}, {50, -1, 0, 100000}, {2500, 0, 2, 500000}, {20, 0, 0, 100000}};
    for (auto const& d : delays) {
        EXPECT_EQ(m.SetScrollDelay(d.delay), d.result) << d.delay;
        EXPECT_EQ(m.timer->intervalSec, d.sec);
        EXPECT_EQ(m.timer->intervalUSec, d.usec);
    }
    EXPECT_EQ(m.SetScrollAmount(10), -1);
    EXPECT_EQ(m.SetScrollAmount(3), 0);
    EXPECT_EQ(m.SetText(""), 0);
    EXPECT_EQ(m.GetText(), nullptr);

    // Hostile sizes and steps: the positions stay in a bounded range.
    std::string const wide(400, 'w');
    struct Hostile {
        int w, h;
        unsigned long step;
        char const* text;
    } const hostile[] = {
        {0, 0, 10, "abc"}, {5, 5, ~0ul, "abc"}, {200, 100, ~0ul, wide.c_str()}, {1, 300, 7, ""}, {600, 30, 0, "abc"}};
    for (auto const& h : hostile)
        for (unsigned char dir = 1; dir <= 4; ++dir) {
            GL_Marquee hm(&s.main, "marquee", 0, 0, h.w, h.h, h.text, h.step, 100, dir, 0);
            hm.ShowWindow(0);
            hm.UpdateWindow(nullptr);
            for (int i = 0; i < 50; ++i) {
                hm.Step();
                EXPECT_LT(std::abs(long(hm.posX)), 1000000L);
                EXPECT_LT(std::abs(long(hm.posY)), 1000000L);
            }
        }
}
