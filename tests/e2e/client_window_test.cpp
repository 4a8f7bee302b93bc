// A libgui client against the real server on the emulated panel: a main
// window with a border and two children of other colours reaches the panel,
// is repainted after another client's window goes away, receives keys from
// the emulated keypad, can be dragged with the (touch) pointer, and exits 0
// when the server says Close.
//
// The client is this test program started again with EINK_E2E_CLIENT set:
// it runs the client before main() and never returns to the tests.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "egui_conn.h"
#include "eventloop.h"
#include "gl_color.h"
#include "gl_window.h"
#include "harness/eink_root.h"
#include "harness/keys.h"
#include "harness/launcher.h"
#include "harness/panel.h"
#include "harness/server_process.h"
#include "harness/wire_client.h"

using namespace testing_eink;

namespace {

// Layout of the client's windows, relative to the main window.
constexpr int kMainX = 100, kMainY = 150, kMainW = 300, kMainH = 200;
constexpr int kMainGrey = 128;                                               // nibble 7
constexpr int kChild1X = 20, kChild1Y = 30, kChild1W = 80, kChild1H = 60;    // black, nibble 15
constexpr int kChild2X = 150, kChild2Y = 40, kChild2W = 100, kChild2H = 120; // white, nibble 0

// ---- The client ------------------------------------------------------------------------

FILE* gClientLog = nullptr;

class LoggingWindow : public GL_Window {
public:
    using GL_Window::GL_Window;
    int KeyIn(char* text, int len, unsigned code, unsigned code2, unsigned mod, unsigned char released) override {
        fprintf(gClientLog, "KeyIn %u %u %u %u %d\n", code, code2, mod, unsigned(released), len);
        fflush(gClientLog);
        return GL_Window::KeyIn(text, len, code, code2, mod, released);
    }
    int MouseDown(int x, int y, unsigned char b) override {
        fprintf(gClientLog, "MouseDown %d %d %u\n", x, y, unsigned(b));
        fflush(gClientLog);
        return GL_Window::MouseDown(x, y, b);
    }
    int MouseUp(int x, int y, unsigned char b) override {
        fprintf(gClientLog, "MouseUp %d %d %u\n", x, y, unsigned(b));
        fflush(gClientLog);
        return GL_Window::MouseUp(x, y, b);
    }
    int Draw(_GS_Region* r) override {
        fprintf(gClientLog, "Draw %s\n", name);
        fflush(gClientLog);
        return GL_Window::Draw(r);
    }
};

int RunClientIfAsked() {
    const char* mode = getenv("EINK_E2E_CLIENT");
    if (!mode) return 0;
    gClientLog = fopen(getenv("EINK_E2E_LOG"), "a");
    if (!gClientLog) _exit(5);
    char name[] = "e2eclient";
    char* argv[] = {name, nullptr};
    if (!egui_init(1, argv)) _exit(6);
    auto* main = new LoggingWindow(nullptr, "main", kMainX, kMainY, kMainW, kMainH, kMainGrey, 0);
    new LoggingWindow(main, "child1", kChild1X, kChild1Y, kChild1W, kChild1H, iBlackS, 0);
    new LoggingWindow(main, "child2", kChild2X, kChild2Y, kChild2W, kChild2H, iWhiteS, 0);
    main->SetBorderType(1);
    main->SetCanMoved(1);
    main->ShowWindow(0);
    fprintf(gClientLog, "shown %lu\n", main->GetWindowId());
    fflush(gClientLog);
    egui_loop();
}

const int gClientRan = RunClientIfAsked();

// ---- The tests' side -------------------------------------------------------------------

struct Client {
    pid_t pid = -1;
    std::string log, out;
};

Client StartClient(const EinkRoot& root) {
    Client c;
    c.log = root.Path("/tmp/e2e_client.log");
    c.out = root.Path("/tmp/e2e_client.out");
    c.pid = fork();
    if (c.pid == 0) {
        int fd = open(c.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            dup2(fd, 1);
            dup2(fd, 2);
        }
        setenv("EINK_ROOT", root.dir().c_str(), 1);
        setenv("EINK_E2E_CLIENT", "1", 1);
        setenv("EINK_E2E_LOG", c.log.c_str(), 1);
        ExecProgram(SelfPath());
        _exit(127);
    }
    return c;
}

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

void StopClient(Client& c) {
    if (c.pid > 0) {
        kill(c.pid, SIGKILL);
        waitpid(c.pid, nullptr, 0);
        c.pid = -1;
    }
}

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
    long long until = MonoMs() + ms;
    do {
        *why = PanelMismatch(root, x, y);
        if (why->empty()) return true;
        SleepMs(50);
    } while (MonoMs() < until);
    return false;
}

class ClientWindowE2E : public ::testing::Test {
protected:
    void SetUp() override { signal(SIGPIPE, SIG_IGN); }
    // Starts the server and takes the host lock, so that the panel is updated.
    void StartLocked(const std::vector<std::string>& env = {}) {
        MakeEventFifos(root);
        InstallFakeMainClient(root);
        ASSERT_TRUE(server.Start({}, env)) << server.Output();
        ASSERT_TRUE(event0.Open());
        ASSERT_TRUE(event0.Hold(32, 3));
        ASSERT_TRUE(event0.Release(32));
        ASSERT_TRUE(server.WaitForOutput("lock old system2", 3000)) << server.Output();
    }
    void TearDown() override { StopClient(client); }
    std::string ClientLog() { return ReadFile(client.log); }

    EinkRoot root;
    ServerProcess server{root};
    EventDevice event0{root, 0};
    Client client;
};

} // namespace

TEST_F(ClientWindowE2E, MainWindowWithBorderAndTwoChildrenReachThePanelAndARedrawFollowsAnUnmap) {
    StartLocked();
    client = StartClient(root);
    ASSERT_TRUE(WaitForText(client.log, "shown", 5000)) << ReadFile(client.out);
    std::string why;
    EXPECT_TRUE(WaitPanelShows(root, kMainX, kMainY, 10000, &why)) << why << "\n" << ClientLog();

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
    long long until = MonoMs() + 10000;
    int notBlack = -1;
    while (MonoMs() < until) {
        notBlack = PanelImage(root, 600, 800).CountOther(cx, cy, cw, ch, 15);
        if (notBlack == 0) break;
        SleepMs(50);
    }
    ASSERT_EQ(notBlack, 0) << "the covering window never reached the panel";
    EXPECT_FALSE(PanelMismatch(root, kMainX, kMainY).empty());

    size_t drawsBefore = 0;
    for (size_t p = ClientLog().find("Draw "); p != std::string::npos; p = ClientLog().find("Draw ", p + 1))
        ++drawsBefore;
    other.Send(Msg(6).u32(win).byte(0));
    ASSERT_TRUE(other.Sync());
    EXPECT_TRUE(WaitPanelShows(root, kMainX, kMainY, 10000, &why)) << why << "\n" << ClientLog();
    size_t drawsAfter = 0;
    for (size_t p = ClientLog().find("Draw "); p != std::string::npos; p = ClientLog().find("Draw ", p + 1))
        ++drawsAfter;
    EXPECT_GT(drawsAfter, drawsBefore) << "the repaint came from Draw events";
}

TEST_F(ClientWindowE2E, TheLockLongPressStartsTheMainClientProgramWhichDrawsItsWindow) {
    // The main client program is this test program in client mode, started
    // by the server from the emulated "/mnt/us/velmora/bin/velmora".
    const std::string self = SelfPath();
    ASSERT_FALSE(self.empty());
    client.log = root.Path("/tmp/e2e_client.log");
    client.out = root.Path("/tmp/e2e_client.out");
    std::string script =
        root.Write("/mnt/us/velmora/bin/velmora", "#!/bin/sh\necho \"$*\" > '" + root.Path("/tmp/velmora.args") +
                                                      "'\nEINK_E2E_CLIENT=1 EINK_E2E_LOG='" + client.log + "' exec " +
                                                      ShellCommandFor(self) + " \"$@\" > '" + client.out + "' 2>&1\n");
    ASSERT_EQ(chmod(script.c_str(), 0755), 0);
    MakeEventFifos(root);
    ASSERT_TRUE(server.Start()) << server.Output();
    ASSERT_TRUE(event0.Open());
    EXPECT_TRUE(NoPanelUpdateWithin(root, 0, 300)) << "nothing reaches the panel before the lock";
    ASSERT_TRUE(event0.Hold(32, 3));
    ASSERT_TRUE(event0.Release(32));
    ASSERT_TRUE(WaitForText(client.log, "shown", 10000)) << ReadFile(client.out) << server.Output();
    EXPECT_EQ(ReadFile(root.Path("/tmp/velmora.args")), "-ws\n");
    std::string why;
    EXPECT_TRUE(WaitPanelShows(root, kMainX, kMainY, 10000, &why)) << why << "\n" << ClientLog();
    // The server started it through the shell: it is not our child. It ends
    // when the server is killed (end of file on its connection).
}

TEST_F(ClientWindowE2E, AKeyOnTheEmulatedKeypadReachesKeyIn) {
    StartLocked();
    client = StartClient(root);
    ASSERT_TRUE(WaitForText(client.log, "shown", 5000)) << ReadFile(client.out);
    SleepMs(200);
    ASSERT_TRUE(event0.Tap(16));
    EXPECT_TRUE(WaitForText(client.log, "KeyIn 16 16", 3000)) << ClientLog();
}

TEST_F(ClientWindowE2E, DraggingTheMovableMainWindowMovesItOnThePanel) {
    root.MakeFifo("/dev/ts");
    StartLocked({"EINK_INPUT=touch"});
    client = StartClient(root);
    ASSERT_TRUE(WaitForText(client.log, "shown", 5000)) << ReadFile(client.out);
    std::string why;
    ASSERT_TRUE(WaitPanelShows(root, kMainX, kMainY, 10000, &why)) << why;

    int ts = open(root.Path("/dev/ts").c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(ts, 0);
    auto touch = [&](int pressure, int x, int y) {
        uint8_t p[8] = {uint8_t(pressure), uint8_t(pressure >> 8), uint8_t(x), uint8_t(x >> 8),
                        uint8_t(y),        uint8_t(y >> 8),        0,          0};
        return write(ts, p, sizeof p) == ssize_t(sizeof p);
    };
    // Press on the main window's own face, drag by (+40, +60), release.
    ASSERT_TRUE(touch(1, kMainX + 5, kMainY + 5));
    ASSERT_TRUE(WaitForText(client.log, "MouseDown 5 5", 3000)) << ClientLog();
    ASSERT_TRUE(touch(1, kMainX + 45, kMainY + 65));
    SleepMs(100);
    ASSERT_TRUE(touch(0, kMainX + 45, kMainY + 65));
    ASSERT_TRUE(WaitForText(client.log, "MouseUp 45 65", 3000)) << ClientLog();
    EXPECT_TRUE(WaitPanelShows(root, kMainX + 40, kMainY + 60, 10000, &why)) << why << "\n" << ClientLog();
    close(ts);
}

TEST_F(ClientWindowE2E, AClientExitsWithStatus0WhenTheServerSendsClose) {
    MakeEventFifos(root);
    ASSERT_TRUE(server.Start()) << server.Output();
    client = StartClient(root);
    ASSERT_TRUE(WaitForText(client.log, "shown", 5000)) << ReadFile(client.out);
    WireClient closer;
    ASSERT_TRUE(closer.Open(server.socketPath()));
    ASSERT_TRUE(closer.Send(Msg(253).u32(0)));
    int status = -1;
    long long until = MonoMs() + 10000;
    pid_t done = 0;
    while (MonoMs() < until && (done = waitpid(client.pid, &status, WNOHANG)) == 0)
        SleepMs(20);
    ASSERT_EQ(done, client.pid) << "the client did not end\n" << ReadFile(client.out);
    client.pid = -1;
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::string out = ReadFile(client.out);
    EXPECT_NE(out.find("Receive Close sig from server."), std::string::npos) << out;
    EXPECT_NE(out.find("Program Prepare to Exit..."), std::string::npos) << out;
}
