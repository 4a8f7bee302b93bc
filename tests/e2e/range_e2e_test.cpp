// Range widgets against the real server on the emulated panel: a scroll
// bar's thumb dragged down with the emulated touch screen moves down on the
// panel, and its "Value!" targets see values that only grow on the way; a
// spin's arrow held down repeats after 450 ms and then every 50 ms.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "egui.h"
#include "harness/client_process.h"
#include "harness/panel.h"

using namespace testing_eink;

namespace {

// The main window on the panel, and the vertical scroll bar inside it:
// arrows of 20, a track of 260, range 0..1000 with page 100 gives a thumb of
// 100 * 260 / 1100 = 23 pixels travelling over 20 .. 257.
constexpr int kMainX = 100, kMainY = 150, kMainW = 300, kMainH = 400;
constexpr int kBarX = 20, kBarY = 20, kBarW = 20, kBarH = 300;
constexpr int kArrow = 20, kThumbLen = 23, kThumbMax = 257, kRangeMax = 1000;
// A spin below the bar: its up arrow is the top half of the right 16 pixels.
constexpr int kSpinX = 20, kSpinY = 340, kSpinW = 80, kSpinH = 30;

// Logs "Value new old" for the scroll bar, "Spin new milliseconds" for the spin.
class ValueLogger : public GL_Object {
public:
    ValueLogger() : GL_Object(nullptr, "logger", 0) {}
    int ExecCallback(GL_Object* sender, char const* event, void* a, void* b, void*, void*, void*) override {
        if (strcmp(event, "Value!") != 0) return 0;
        if (strcmp(sender->GetName(), "spin") == 0)
            ClientLog("Spin %d %lld", int(reinterpret_cast<intptr_t>(a)), MonoMs());
        else
            ClientLog("Value %d %d", int(reinterpret_cast<intptr_t>(a)), int(reinterpret_cast<intptr_t>(b)));
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
        ClientLog("%s %d %d -> %d thumb %d", what, x, y, result, thumbPos);
        return result;
    }
};

int RunClientIfAsked() {
    if (!ClientMode()) return 0;
    char name[] = "rangeclient";
    char* argv[] = {name, nullptr};
    if (!egui_init(1, argv)) _exit(6);
    auto* main = new GL_Window(nullptr, "main", kMainX, kMainY, kMainW, kMainH, iWhiteS, 0);
    auto* bar = new LoggedScroll(main, "bar", kBarX, kBarY, kBarW, kBarH, 0, kRangeMax, 1);
    bar->SetStepPage(10, 100);
    auto* logger = new ValueLogger;
    bar->AddCallback(logger, "Value!", nullptr);
    auto* spin = new GL_Spin(main, "spin", kSpinX, kSpinY, kSpinW, kSpinH, 0, 1000, 0, 0);
    spin->AddCallback(logger, "Value!", nullptr);
    main->ShowWindow(0);
    ClientLog("shown");
    egui_loop();
}

const int gClientRan = RunClientIfAsked();

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
    return WaitUntil([&] { return (*seen = ThumbTopOnPanel(root)) == top; }, ms);
}

class RangeE2E : public ::testing::Test {
protected:
    // Server with the host lock taken and the touch screen on a FIFO, then the client.
    void Start() {
        root.MakeFifo("/dev/ts");
        ASSERT_TRUE(StartLockedServer(server, keypad, root, {"EINK_INPUT=touch"}));
        client.Start();
        ASSERT_TRUE(client.WaitLog("shown")) << client.Diagnostics();
    }
    bool Touch(int pressure, int x, int y) { return ts.Touch(pressure, x, y); }

    EinkRoot root;
    ServerProcess server{root};
    EventDevice keypad{root, 0};
    ClientProcess client{root};
    TouchScreen ts{root};
};

} // namespace

TEST_F(RangeE2E, DraggingTheScrollThumbDownMovesItOnThePanelWithGrowingValues) {
    Start();
    int seen = -1;
    ASSERT_TRUE(WaitThumbAt(root, kArrow, 10000, &seen)) << "thumb top at " << seen;

    // Press in the thumb's middle, move down 20 pixels at a time, release.
    // The server sends MouseMove only when the window under the pointer
    // changes, so the drag zigzags across the bar's right edge; the press
    // window gets every move.
    const int x = kMainX + kBarX + kBarW / 2, y0 = kMainY + kBarY + kArrow + kThumbLen / 2;
    const int beside = kMainX + kBarX + kBarW + 15;
    const int steps = 8, stepPx = 20;
    ASSERT_TRUE(Touch(1, x, y0));
    SleepMs(100);
    for (int i = 1; i <= steps; ++i) {
        ASSERT_TRUE(Touch(1, i % 2 ? beside : x, y0 + i * stepPx));
        SleepMs(60);
    }
    ASSERT_TRUE(Touch(0, x, y0 + steps * stepPx));

    // The thumb follows the pointer: 160 pixels down, inside its travel.
    const int top = kArrow + steps * stepPx;
    ASSERT_LE(top, kThumbMax);
    const int last = kRangeMax * (top - kArrow) / (kThumbMax - kArrow);
    ASSERT_TRUE(client.WaitLog("Value " + std::to_string(last) + " ", 10000)) << client.Log();
    EXPECT_TRUE(WaitThumbAt(root, top, 10000, &seen)) << "thumb top at " << seen;

    // Every change grows, each starting where the one before ended.
    std::istringstream lines(client.Log());
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

TEST_F(RangeE2E, ASpinArrowHeldDownRepeatsAfter450MsAndThenEvery50Ms) {
    Start();
    SleepMs(300);
    // Hold the up arrow for 1.6 s.
    const int x = kMainX + kSpinX + kSpinW - 8, y = kMainY + kSpinY + kSpinH / 4;
    ASSERT_TRUE(Touch(1, x, y));
    SleepMs(1600);
    ASSERT_TRUE(Touch(0, x, y));
    SleepMs(300);

    std::istringstream lines(client.Log());
    std::string word;
    std::vector<long long> at;
    int value = 0, expect = 1;
    long long ms = 0;
    while (lines >> word) {
        if (word != "Spin") continue;
        ASSERT_TRUE(lines >> value >> ms);
        EXPECT_EQ(value, expect++) << "one up a tick";
        at.push_back(ms);
    }
    ASSERT_GE(at.size(), 3u) << client.Log() << client.Output();
    // The press itself steps once; the first repeat comes 450 ms later.
    const long long first = at[1] - at[0];
    EXPECT_GE(first, 440);
    EXPECT_LE(first, 700);
    // Then every 50 ms: count the ticks in the second after the first repeat.
    int inSecond = 0;
    for (size_t i = 2; i < at.size(); ++i)
        if (at[i] - at[1] <= 1000) ++inSecond;
    EXPECT_GE(inSecond, 16) << "nominally 20";
    EXPECT_LE(inSecond, 20);
    // Nothing after the release.
    size_t count = at.size();
    SleepMs(300);
    std::string after = client.Log();
    size_t spins = 0;
    for (size_t p = after.find("Spin "); p != std::string::npos; p = after.find("Spin ", p + 1))
        ++spins;
    EXPECT_EQ(spins, count) << "the repeat stops on release";
}
