// Navigation windows against an in-process fake server: the item and window
// layout rules as tables (including sizes smaller than the margins), paging
// and focus rules with their edge cases, the requests of a focus move (both
// frames redrawn between GrabUpdate and UnGrabUpdate), and the battery-level
// file read safely.
#include "fake_server.h"
#include "gui/text_tables.h"

#include "gl_navigate.h"
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

enum : unsigned { MapWindow = 5, UnmapWindow = 6, CreatePixmap = 10, DrawWRect = 61, GrabUpdate = 128, UnGrab = 129 };

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
    for (auto const& m : sent) {
        if (m.type() == UnmapWindow) unmapped.insert(m.word(4));
        if (m.type() == MapWindow) mapped.insert(m.word(4));
    }
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
}
