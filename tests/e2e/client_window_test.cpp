// A libgui client against the real server on the emulated panel: a main
// window with a border and two children of other colours reaches the panel,
// is repainted after another client's window goes away, receives keys from
// the emulated keypad, can be dragged with the (touch) pointer, and exits 0
// when the server says Close.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>
#include <string>

#include "egui_conn.h"
#include "eventloop.h"
#include "gl_color.h"
#include "gl_window.h"
#include "harness/client_process.h"
#include "harness/panel.h"
#include "harness/wire_client.h"

using namespace testing_eink;

namespace {

// Layout of the client's windows, relative to the main window.
constexpr int kMainX = 100, kMainY = 150, kMainW = 300, kMainH = 200;
constexpr int kMainGrey = 128;                                               // nibble 7
constexpr int kChild1X = 20, kChild1Y = 30, kChild1W = 80, kChild1H = 60;    // black, nibble 15
constexpr int kChild2X = 150, kChild2Y = 40, kChild2W = 100, kChild2H = 120; // white, nibble 0

class LoggingWindow : public GL_Window {
public:
    using GL_Window::GL_Window;
    int KeyIn(char* text, int len, unsigned code, unsigned code2, unsigned mod, unsigned char released) override {
        ClientLog("KeyIn %u %u %u %u %d", code, code2, mod, unsigned(released), len);
        return GL_Window::KeyIn(text, len, code, code2, mod, released);
    }
    int MouseDown(int x, int y, unsigned char b) override {
        ClientLog("MouseDown %d %d %u", x, y, unsigned(b));
        return GL_Window::MouseDown(x, y, b);
    }
    int MouseUp(int x, int y, unsigned char b) override {
        ClientLog("MouseUp %d %d %u", x, y, unsigned(b));
        return GL_Window::MouseUp(x, y, b);
    }
    int Draw(_GS_Region* r) override {
        ClientLog("Draw %s", name);
        return GL_Window::Draw(r);
    }
};

int RunClientIfAsked() {
    if (!ClientMode()) return 0;
    char name[] = "e2eclient";
    char* argv[] = {name, nullptr};
    if (!egui_init(1, argv)) _exit(6);
    auto* main = new LoggingWindow(nullptr, "main", kMainX, kMainY, kMainW, kMainH, kMainGrey, 0);
    new LoggingWindow(main, "child1", kChild1X, kChild1Y, kChild1W, kChild1H, iBlackS, 0);
    new LoggingWindow(main, "child2", kChild2X, kChild2Y, kChild2W, kChild2H, iWhiteS, 0);
    main->SetBorderType(1);
    main->SetCanMoved(1);
    main->ShowWindow(0);
    ClientLog("shown %lu", main->GetWindowId());
    egui_loop();
}

const int gClientRan = RunClientIfAsked();

// What the panel must show for the client's windows with the main window at
// (x, y): empty when it does, else what differs.
std::string PanelMismatch(const EinkRoot& root, int x, int y) {
    PanelImage panel(root, 600, 800);
    std::ostringstream why;
    auto expect = [&](const char* what, int rx, int ry, int rw, int rh, int nibble) {
        int other = panel.CountOther(rx, ry, rw, rh, nibble);
        if (other) why << what << ": " << other << " pixels are not nibble " << nibble << "; ";
    };
    auto expectNone = [&](const char* what, int rx, int ry, int rw, int rh, int nibble) {
        int same = rw * rh - panel.CountOther(rx, ry, rw, rh, nibble);
        if (same) why << what << ": " << same << " pixels are nibble " << nibble << "; ";
    };
    const int fill = GreyToNibble(kMainGrey);
    // The face of the main window, above and below the children (inside its
    // two-pixel border).
    expect("main face above", x + 2, y + 2, kMainW - 4, kChild1Y - 2, fill);
    int below = kChild2Y + kChild2H;
    expect("main face below", x + 2, y + below, kMainW - 4, kMainH - 2 - below, fill);
    expect("child1", x + kChild1X, y + kChild1Y, kChild1W, kChild1H, GreyToNibble(0));
    expect("child2", x + kChild2X, y + kChild2Y, kChild2W, kChild2H, GreyToNibble(255));
    // The raised border: its outer lines are drawn in shades, not the face.
    expectNone("top border line", x, y, kMainW, 1, fill);
    expectNone("bottom border line", x, y + kMainH - 1, kMainW, 1, fill);
    expectNone("left border line", x, y, 1, kMainH, fill);
    expectNone("right border line", x + kMainW - 1, y, 1, kMainH, fill);
    // Nothing of the window outside its rectangle.
    expectNone("row below", x, y + kMainH, kMainW, 1, fill);
    expectNone("column right", x + kMainW, y, 1, kMainH, fill);
    return why.str();
}

bool WaitPanelShows(const EinkRoot& root, int x, int y, int ms, std::string* why) {
    return WaitUntil([&] { return (*why = PanelMismatch(root, x, y)).empty(); }, ms);
}

class ClientWindowE2E : public ::testing::Test {
protected:
    // The server with the host lock taken (so that the panel is updated), then the client.
    void StartBoth(const std::vector<std::string>& env = {}) {
        ASSERT_TRUE(StartLockedServer(server, keypad, root, env));
        client.Start();
        ASSERT_TRUE(client.WaitLog("shown")) << client.Diagnostics();
    }
    size_t Draws() {
        std::string log = client.Log();
        size_t n = 0;
        for (size_t p = log.find("Draw "); p != std::string::npos; p = log.find("Draw ", p + 1))
            ++n;
        return n;
    }

    EinkRoot root;
    ServerProcess server{root};
    EventDevice keypad{root, 0};
    ClientProcess client{root};
};

} // namespace

TEST_F(ClientWindowE2E, MainWindowWithBorderAndTwoChildrenReachThePanelARedrawFollowsAnUnmapAndKeysReachKeyIn) {
    StartBoth();
    std::string why;
    EXPECT_TRUE(WaitPanelShows(root, kMainX, kMainY, 10000, &why)) << why << "\n" << client.Log();

    // Another client's black window over part of ours, then unmapped.
    WireClient other;
    ASSERT_TRUE(other.Open(server.socketPath()));
    uint32_t win = other.NewId(), pix = other.NewId();
    const int cx = kMainX + 40, cy = kMainY + 10, cw = 200, ch = 150;
    other.Send(Msg(1).u32(win).u32(0).s32(cx).s32(cy).s32(cw).s32(ch).u32(0).byte(0));
    other.Send(Msg(5).u32(win).byte(0));
    other.Send(Msg(10).u32(pix).s32(cw).s32(ch).s32(8));
    other.Send(Msg(20).u32(pix).s32(0).s32(0).s32(cw).s32(ch).u32(0));
    other.Send(Msg(13).u32(pix).u32(win).u32(0).s32(0).s32(0).s32(cw).s32(ch).s32(0).s32(0).u32(0));
    ASSERT_TRUE(other.Sync());
    ASSERT_TRUE(WaitUntil([&] { return PanelImage(root, 600, 800).CountOther(cx, cy, cw, ch, 15) == 0; }, 10000))
        << "the covering window never reached the panel";
    EXPECT_FALSE(PanelMismatch(root, kMainX, kMainY).empty());

    size_t drawsBefore = Draws();
    other.Send(Msg(6).u32(win).byte(0));
    ASSERT_TRUE(other.Sync());
    EXPECT_TRUE(WaitPanelShows(root, kMainX, kMainY, 10000, &why)) << why << "\n" << client.Log();
    EXPECT_GT(Draws(), drawsBefore) << "the repaint came from Draw events";

    ASSERT_TRUE(keypad.Tap(16));
    EXPECT_TRUE(client.WaitLog("KeyIn 16 16", 3000)) << client.Log();
}

TEST_F(ClientWindowE2E, DraggingTheMovableMainWindowMovesItOnThePanel) {
    root.MakeFifo("/dev/ts");
    StartBoth({"EINK_INPUT=touch"});
    std::string why;
    ASSERT_TRUE(WaitPanelShows(root, kMainX, kMainY, 10000, &why)) << why;

    TouchScreen ts(root);
    auto touch = [&](int pressure, int x, int y) { return ts.Touch(pressure, x, y); };
    // Press on the main window's own face, drag by (+40, +60), release.
    ASSERT_TRUE(touch(1, kMainX + 5, kMainY + 5));
    ASSERT_TRUE(client.WaitLog("MouseDown 5 5", 3000)) << client.Log();
    ASSERT_TRUE(touch(1, kMainX + 45, kMainY + 65));
    SleepMs(100);
    ASSERT_TRUE(touch(0, kMainX + 45, kMainY + 65));
    ASSERT_TRUE(client.WaitLog("MouseUp 45 65", 3000)) << client.Log();
    EXPECT_TRUE(WaitPanelShows(root, kMainX + 40, kMainY + 60, 10000, &why)) << why << "\n" << client.Log();
}

TEST_F(ClientWindowE2E, AClientExitsWithStatus0WhenTheServerSendsClose) {
    MakeEventFifos(root);
    ASSERT_TRUE(server.Start()) << server.Output();
    signal(SIGPIPE, SIG_IGN);
    client.Start();
    ASSERT_TRUE(client.WaitLog("shown")) << client.Output();
    WireClient closer;
    ASSERT_TRUE(closer.Open(server.socketPath()));
    ASSERT_TRUE(closer.Send(Msg(253).u32(0)));
    EXPECT_EQ(client.WaitExit(10000), 0) << client.Output();
    std::string out = client.Output();
    EXPECT_NE(out.find("Receive Close sig from server."), std::string::npos) << out;
    EXPECT_NE(out.find("Program Prepare to Exit..."), std::string::npos) << out;
}
