// A navigation window in a real client against the real server: key releases
// 0x15 and 0x14 on the emulated keypad move the focus frame on the panel with
// both frames changed in one panel update, a digit key selects an item, and
// moving past the page's last item shows the next page's items only.
//
// The client is this test program started again with EINK_NAV_CLIENT set.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "egui_conn.h"
#include "eventloop.h"
#include "gl_color.h"
#include "gl_navigate.h"
#include "harness/eink_root.h"
#include "harness/keys.h"
#include "harness/panel.h"
#include "harness/server_process.h"

using namespace testing_eink;

namespace {

// 600 x 800, five per page: (800 - 12*4 - 2*5 - 100) / 5.
constexpr int kPerPage = 5, kItems = 7, kItemHeight = 128, kItemX = 12, kItemW = 576;
constexpr int ItemY(int row) { return 55 + row * (12 + kItemHeight); }

FILE* gLog = nullptr;

class LoggingNavigate : public GL_NavigateWindow {
public:
    using GL_NavigateWindow::GL_NavigateWindow;
    int KeyIn(char* text, int len, unsigned code, unsigned code2, unsigned mod, unsigned char released) override {
        int r = GL_NavigateWindow::KeyIn(text, len, code, code2, mod, released);
        fprintf(gLog, "key %u %u current %d page %d\n", code, unsigned(released), GetCurrItemNum(), GetCurrentPage());
        fflush(gLog);
        return r;
    }
};

int RunClientIfAsked() {
    if (!getenv("EINK_NAV_CLIENT")) return 0;
    gLog = fopen(getenv("EINK_NAV_LOG"), "a");
    if (!gLog) _exit(5);
    char name[] = "navclient";
    char* argv[] = {name, nullptr};
    if (!egui_init(1, argv)) _exit(6);
    auto* nav = new LoggingNavigate(nullptr, "", kPerPage);
    nav->MoveResizeWindow(0, 0, 600, 800, 0);
    for (int i = 0; i < kItems; ++i)
        nav->AppendItem(new GL_NavigateItem(nav, 1, 0, 0, 10, 10, 0));
    nav->ShowWindow(0);
    fprintf(gLog, "shown\n");
    fflush(gLog);
    egui_loop();
}

const int gClientRan = RunClientIfAsked();

std::string ReadFile(const std::string& path) {
    std::ifstream f(path);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

bool WaitForText(const std::string& path, const std::string& text, int ms) {
    long long until = MonoMs() + ms;
    while (MonoMs() < until) {
        if (ReadFile(path).find(text) != std::string::npos) return true;
        SleepMs(20);
    }
    return false;
}

// Nibble of the left frame line of the item drawn in `row`.
int FrameNibble(const EinkRoot& root, int row) {
    PanelImage panel(root, 600, 800);
    return panel.Nibble(kItemX, ItemY(row) + kItemHeight / 2);
}

constexpr int kBlack = GreyToNibble(0), kGrey = GreyToNibble(191), kWhite = GreyToNibble(255);

class NavigateE2E : public ::testing::Test {
protected:
    void SetUp() override { signal(SIGPIPE, SIG_IGN); }
    void TearDown() override {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    void StartClient() {
        log = root.Path("/tmp/nav_client.log");
        out = root.Path("/tmp/nav_client.out");
        pid = fork();
        if (pid == 0) {
            int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd >= 0) {
                dup2(fd, 1);
                dup2(fd, 2);
            }
            setenv("EINK_ROOT", root.dir().c_str(), 1);
            setenv("EINK_NAV_CLIENT", "1", 1);
            setenv("EINK_NAV_LOG", log.c_str(), 1);
            execl("/proc/self/exe", "navclient", static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    // Releases `code` (after its press) and waits for the client to report it
    // and the panel to settle; returns the number of panel updates it caused.
    size_t Key(uint16_t code, const std::string& expect) {
        size_t before = WaitPanelQuiet(root, 700);
        EXPECT_TRUE(event0.Tap(code));
        EXPECT_TRUE(WaitForText(log, expect, 5000)) << ReadFile(log);
        return WaitPanelQuiet(root, 700) - before;
    }

    EinkRoot root;
    ServerProcess server{root};
    EventDevice event0{root, 0};
    pid_t pid = -1;
    std::string log, out;
};

} // namespace

TEST_F(NavigateE2E, KeysMoveTheFocusFrameInOneUpdateDigitsSelectAndPagingShowsTheNextPageOnly) {
    MakeEventFifos(root);
    InstallFakeMainClient(root);
    ASSERT_TRUE(server.Start()) << server.Output();
    ASSERT_TRUE(event0.Open());
    ASSERT_TRUE(event0.Hold(32, 3));
    ASSERT_TRUE(event0.Release(32));
    ASSERT_TRUE(server.WaitForOutput("lock old system2", 3000)) << server.Output();
    StartClient();
    ASSERT_TRUE(WaitForText(log, "shown", 10000)) << ReadFile(out);
    long long until = MonoMs() + 10000;
    while (FrameNibble(root, 0) != kBlack && MonoMs() < until)
        SleepMs(50);
    ASSERT_EQ(FrameNibble(root, 0), kBlack) << "the first item has the focus frame";
    EXPECT_EQ(FrameNibble(root, 1), kGrey);

    EXPECT_EQ(Key(0x15, "key 21 1 current 1 page 0"), 1u) << "both frames in one update";
    EXPECT_EQ(FrameNibble(root, 0), kGrey);
    EXPECT_EQ(FrameNibble(root, 1), kBlack);
    std::vector<std::string> updates = PanelUpdates(root);
    ASSERT_FALSE(updates.empty());
    int left = 0, top = 0, right = 0, bottom = 0;
    ASSERT_EQ(sscanf(updates.back().c_str(), "%d %d %d %d", &left, &top, &right, &bottom), 4) << updates.back();
    EXPECT_LE(top, ItemY(0) + kItemHeight / 2) << updates.back();
    EXPECT_GE(bottom, ItemY(1) + kItemHeight / 2) << updates.back();

    EXPECT_EQ(Key(0x14, "key 20 1 current 0 page 0"), 1u);
    EXPECT_EQ(FrameNibble(root, 0), kBlack);
    EXPECT_EQ(FrameNibble(root, 1), kGrey);

    Key('3', "key 51 1 current 2 page 0");
    EXPECT_EQ(FrameNibble(root, 0), kGrey);
    EXPECT_EQ(FrameNibble(root, 2), kBlack);

    Key(0x15, "current 3 page 0");
    Key(0x15, "current 4 page 0");
    Key(0x15, "current 5 page 1");
    // Page 1 holds items 5 (focused) and 6; rows 2 to 4 are the window's white face.
    EXPECT_EQ(FrameNibble(root, 0), kBlack);
    EXPECT_EQ(FrameNibble(root, 1), kGrey);
    PanelImage panel(root, 600, 800);
    for (int row = 2; row < kPerPage; ++row)
        EXPECT_EQ(panel.CountOther(kItemX, ItemY(row), kItemW, kItemHeight, kWhite), 0) << "row " << row;
}
