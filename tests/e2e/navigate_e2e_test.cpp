// A navigation window in a real client against the real server: key releases
// 0x15 and 0x14 on the emulated keypad move the focus frame on the panel with
// both frames changed in one panel update (digits and paging are judged in
// process).
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "egui_conn.h"
#include "eventloop.h"
#include "gl_navigate.h"
#include "harness/client_process.h"
#include "harness/panel.h"

using namespace testing_eink;

namespace {

// 600 x 800, five per page: (800 - 12*4 - 2*5 - 100) / 5.
constexpr int kPerPage = 5, kItems = 7, kItemHeight = 128, kItemX = 12;
constexpr int ItemY(int row) { return 55 + row * (12 + kItemHeight); }

class LoggingNavigate : public GL_NavigateWindow {
public:
    using GL_NavigateWindow::GL_NavigateWindow;
    int KeyIn(char* text, int len, unsigned code, unsigned code2, unsigned mod, unsigned char released) override {
        int r = GL_NavigateWindow::KeyIn(text, len, code, code2, mod, released);
        ClientLog("key %u %u current %d page %d", code, unsigned(released), GetCurrItemNum(), GetCurrentPage());
        return r;
    }
};

int RunClientIfAsked() {
    if (!ClientMode()) return 0;
    char name[] = "navclient";
    char* argv[] = {name, nullptr};
    if (!egui_init(1, argv)) _exit(6);
    auto* nav = new LoggingNavigate(nullptr, "", kPerPage);
    nav->MoveResizeWindow(0, 0, 600, 800, 0);
    for (int i = 0; i < kItems; ++i)
        nav->AppendItem(new GL_NavigateItem(nav, 1, 0, 0, 10, 10, 0));
    nav->ShowWindow(0);
    ClientLog("shown");
    egui_loop();
}

const int gClientRan = RunClientIfAsked();

// Nibble of the left frame line of the item drawn in `row`.
int FrameNibble(const EinkRoot& root, int row) {
    return PanelImage(root, 600, 800).Nibble(kItemX, ItemY(row) + kItemHeight / 2);
}

constexpr int kBlack = GreyToNibble(0), kGrey = GreyToNibble(191);

} // namespace

TEST(NavigateE2E, KeysMoveTheFocusFrameWithBothFramesInOnePanelUpdate) {
    EinkRoot root;
    ServerProcess server(root);
    EventDevice keypad(root, 0);
    ASSERT_TRUE(StartLockedServer(server, keypad, root));
    ClientProcess client(root);
    client.Start();
    ASSERT_TRUE(client.WaitLog("shown")) << client.Diagnostics();
    WaitUntil([&] { return FrameNibble(root, 0) == kBlack; }, 10000);
    ASSERT_EQ(FrameNibble(root, 0), kBlack) << "the first item has the focus frame";
    EXPECT_EQ(FrameNibble(root, 1), kGrey);

    // Taps `code`, waits for the client to report it and the panel to
    // settle; the number of panel updates it caused.
    auto key = [&](uint16_t code, const std::string& expect) {
        size_t before = WaitPanelQuiet(root, 700);
        EXPECT_TRUE(keypad.Tap(code));
        EXPECT_TRUE(client.WaitLog(expect, 5000)) << client.Log();
        return WaitPanelQuiet(root, 700) - before;
    };
    EXPECT_EQ(key(0x15, "key 21 1 current 1 page 0"), 1u) << "both frames in one update";
    EXPECT_EQ(FrameNibble(root, 0), kGrey);
    EXPECT_EQ(FrameNibble(root, 1), kBlack);
    std::vector<std::string> updates = PanelUpdates(root);
    ASSERT_FALSE(updates.empty());
    int left = 0, top = 0, right = 0, bottom = 0;
    ASSERT_EQ(sscanf(updates.back().c_str(), "%d %d %d %d", &left, &top, &right, &bottom), 4) << updates.back();
    EXPECT_LE(top, ItemY(0) + kItemHeight / 2) << updates.back();
    EXPECT_GE(bottom, ItemY(1) + kItemHeight / 2) << updates.back();

    EXPECT_EQ(key(0x14, "key 20 1 current 0 page 0"), 1u);
    EXPECT_EQ(FrameNibble(root, 0), kBlack);
    EXPECT_EQ(FrameNibble(root, 1), kGrey);
}
