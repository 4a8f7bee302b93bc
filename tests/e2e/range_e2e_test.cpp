// Range widgets against the real server on the emulated panel: a scroll
// bar's thumb dragged down with the emulated touch screen moves down on the
// panel, and its "Value!" targets see values that only grow on the way.
//
// The client is this test program started again with EINK_E2E_CLIENT set:
// it runs the client before main() and never returns to the tests.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "egui.h"
#include "harness/eink_root.h"
#include "harness/keys.h"
#include "harness/panel.h"
#include "harness/server_process.h"

using namespace testing_eink;

namespace {

// The main window on the panel, and the vertical scroll bar inside it:
// arrows of 20, a track of 260, range 0..1000 with page 100 gives a thumb of
// 100 * 260 / 1100 = 23 pixels travelling over 20 .. 257.
constexpr int kMainX = 100, kMainY = 150, kMainW = 300, kMainH = 400;
constexpr int kBarX = 20, kBarY = 20, kBarW = 20, kBarH = 300;
constexpr int kArrow = 20, kThumbLen = 23, kThumbMax = 257, kRangeMax = 1000;

// ---- The client ------------------------------------------------------------------------

FILE* gClientLog = nullptr;

class ValueLogger : public GL_Object {
public:
    ValueLogger() : GL_Object(nullptr, "logger", 0) {}
    int ExecCallback(GL_Object*, char const* event, void* a, void* b, void*, void*, void*) override {
        if (strcmp(event, "Value!") != 0) return 0;
        fprintf(gClientLog, "Value %d %d\n", int(reinterpret_cast<intptr_t>(a)), int(reinterpret_cast<intptr_t>(b)));
        fflush(gClientLog);
        return 0;
    }
};

// Logs the pointer events it gets, for the failure messages.
class LoggedScroll : public GL_Scroll {
public:
    using GL_Scroll::GL_Scroll;
    int MouseDown(int x, int y, unsigned char b) override {
        return Log("MouseDown", x, y, GL_Scroll::MouseDown(x, y, b));
    }
    int MouseMove(int x, int y, unsigned char b) override {
        return Log("MouseMove", x, y, GL_Scroll::MouseMove(x, y, b));
    }
    int MouseUp(int x, int y, unsigned char b) override { return Log("MouseUp", x, y, GL_Scroll::MouseUp(x, y, b)); }

private:
    int Log(const char* what, int x, int y, int result) {
        fprintf(gClientLog, "%s %d %d -> %d thumb %d\n", what, x, y, result, thumbPos);
        fflush(gClientLog);
        return result;
    }
};

int RunClientIfAsked() {
    if (!getenv("EINK_E2E_CLIENT")) return 0;
    gClientLog = fopen(getenv("EINK_E2E_LOG"), "a");
    if (!gClientLog) _exit(5);
    char name[] = "rangeclient";
    char* argv[] = {name, nullptr};
    if (!egui_init(1, argv)) _exit(6);
    auto* main = new GL_Window(nullptr, "main", kMainX, kMainY, kMainW, kMainH, iWhiteS, 0);
    auto* bar = new LoggedScroll(main, "bar", kBarX, kBarY, kBarW, kBarH, 0, kRangeMax, 1);
    bar->SetStepPage(10, 100);
    bar->AddCallback(new ValueLogger, "Value!", nullptr);
    main->ShowWindow(0);
    fprintf(gClientLog, "shown\n");
    fflush(gClientLog);
    egui_loop();
}

const int gClientRan = RunClientIfAsked();

// ---- The tests' side -------------------------------------------------------------------

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

// The thumb's top row inside the bar as the panel shows it: the first row
// after the first arrow, in the bar's middle column, that is not the track's
// light grey (the thumb's top edge is white). -1 when there is none.
int ThumbTopOnPanel(const EinkRoot& root) {
    PanelImage panel(root, 600, 800);
    const int x = kMainX + kBarX + kBarW / 2, trackNibble = GreyToNibble(223);
    for (int r = kArrow; r < kBarH - kArrow; ++r)
        if (panel.Nibble(x, kMainY + kBarY + r) != trackNibble) return r;
    return -1;
}

bool WaitThumbAt(const EinkRoot& root, int top, int ms, int* seen) {
    long long until = MonoMs() + ms;
    do {
        *seen = ThumbTopOnPanel(root);
        if (*seen == top) return true;
        SleepMs(50);
    } while (MonoMs() < until);
    return false;
}

class RangeE2E : public ::testing::Test {
protected:
    void SetUp() override { signal(SIGPIPE, SIG_IGN); }
    void TearDown() override {
        if (clientPid > 0) {
            kill(clientPid, SIGKILL);
            waitpid(clientPid, nullptr, 0);
        }
    }
    // Server with the host lock taken (so the panel is updated) and the touch
    // screen on a FIFO, then the client.
    void Start() {
        MakeEventFifos(root);
        InstallFakeMainClient(root);
        root.MakeFifo("/dev/ts");
        ASSERT_TRUE(server.Start({}, {"EINK_INPUT=touch"})) << server.Output();
        ASSERT_TRUE(event0.Open());
        ASSERT_TRUE(event0.Hold(32, 3));
        ASSERT_TRUE(event0.Release(32));
        ASSERT_TRUE(server.WaitForOutput("lock old system2", 3000)) << server.Output();
        log = root.Path("/tmp/range_client.log");
        out = root.Path("/tmp/range_client.out");
        clientPid = fork();
        if (clientPid == 0) {
            int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd >= 0) {
                dup2(fd, 1);
                dup2(fd, 2);
            }
            setenv("EINK_ROOT", root.dir().c_str(), 1);
            setenv("EINK_E2E_CLIENT", "1", 1);
            setenv("EINK_E2E_LOG", log.c_str(), 1);
            execl("/proc/self/exe", "rangeclient", static_cast<char*>(nullptr));
            _exit(127);
        }
        ASSERT_TRUE(WaitForText(log, "shown", 10000)) << ReadFile(out);
    }

    EinkRoot root;
    ServerProcess server{root};
    EventDevice event0{root, 0};
    pid_t clientPid = -1;
    std::string log, out;
};

} // namespace

TEST_F(RangeE2E, DraggingTheScrollThumbDownMovesItOnThePanelWithGrowingValues) {
    Start();
    int seen = -1;
    ASSERT_TRUE(WaitThumbAt(root, kArrow, 10000, &seen)) << "thumb top at " << seen;

    int ts = open(root.Path("/dev/ts").c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(ts, 0);
    auto touch = [&](int pressure, int x, int y) {
        uint8_t p[8] = {uint8_t(pressure), uint8_t(pressure >> 8), uint8_t(x), uint8_t(x >> 8),
                        uint8_t(y),        uint8_t(y >> 8),        0,          0};
        return write(ts, p, sizeof p) == ssize_t(sizeof p);
    };
    // Press in the thumb's middle, move down 20 pixels at a time, release.
    // The server sends MouseMove only when the window under the pointer
    // changes, so the drag zigzags across the bar's right edge; the press
    // window gets every move.
    const int x = kMainX + kBarX + kBarW / 2, y0 = kMainY + kBarY + kArrow + kThumbLen / 2;
    const int beside = kMainX + kBarX + kBarW + 15;
    const int steps = 8, stepPx = 20;
    ASSERT_TRUE(touch(1, x, y0));
    SleepMs(100);
    for (int i = 1; i <= steps; ++i) {
        ASSERT_TRUE(touch(1, i % 2 ? beside : x, y0 + i * stepPx));
        SleepMs(60);
    }
    ASSERT_TRUE(touch(0, x, y0 + steps * stepPx));
    close(ts);

    // The thumb follows the pointer: 160 pixels down, inside its travel.
    const int top = kArrow + steps * stepPx;
    ASSERT_LE(top, kThumbMax);
    const int last = kRangeMax * (top - kArrow) / (kThumbMax - kArrow);
    ASSERT_TRUE(WaitForText(log, "Value " + std::to_string(last) + " ", 10000)) << ReadFile(log);
    EXPECT_TRUE(WaitThumbAt(root, top, 10000, &seen)) << "thumb top at " << seen;

    // Every change grows, each starting where the one before ended.
    std::istringstream lines(ReadFile(log));
    std::string word;
    int count = 0, previous = 0, value = 0, old = 0;
    while (lines >> word) {
        if (word != "Value") continue;
        ASSERT_TRUE(lines >> value >> old);
        EXPECT_EQ(old, previous);
        EXPECT_GT(value, old);
        previous = value;
        ++count;
    }
    EXPECT_GE(count, 2) << "values change during the drag, not only at its end";
    EXPECT_EQ(previous, last);
}
