// Input, routing, the host lock and power against the real server process:
// keys written into the emulated event devices and the key channel, the
// optional console, mouse and touch readers on FIFO stand-ins, the power-off
// request and the shutdown, judged by the events clients receive, the lines
// in the host key files and the exit status. The refresh policy's rules are
// judged in process (refresh_test, apollo_test).
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <memory>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

#include "harness/eink_root.h"
#include "harness/keys.h"
#include "harness/panel.h"
#include "harness/server_process.h"
#include "harness/wire_client.h"

using namespace testing_eink;

namespace {

using Lines = std::vector<std::string>;

// Requests, byte by byte from the protocol table.
Bytes CreateWindow(uint32_t id, uint32_t parent, int x, int y, int w, int h) {
    return Msg(1).u32(id).u32(parent).s32(x).s32(y).s32(w).s32(h).u32(255).byte(1).done();
}
Bytes MapWindow(uint32_t id) { return Msg(5).u32(id).byte(0).done(); }
Bytes SetTopWindowFlag(uint32_t id) { return Msg(18).u32(id).s32(1).done(); }

// A client with one top-level window (top-window flagged, mapped).
struct App {
    std::unique_ptr<WireClient> c = std::make_unique<WireClient>();
    uint32_t win = 0;
};

App OpenApp(const ServerProcess& server, const std::string& name, bool map = true, int w = 600, int h = 800) {
    App a;
    EXPECT_TRUE(a.c->Open(server.socketPath()));
    if (!name.empty()) {
        EXPECT_TRUE(a.c->Register(name));
    }
    a.win = a.c->NewId();
    a.c->Send(CreateWindow(a.win, 0, 0, 0, w, h));
    a.c->Send(SetTopWindowFlag(a.win));
    if (map) a.c->Send(MapWindow(a.win));
    EXPECT_TRUE(a.c->Sync());
    return a;
}

// A KeyIn event as "window code/code2 mMODIFIER rRELEASED 'text'".
std::string Decode(const Bytes& m) {
    std::string text = m.size() > 41 ? std::string(m.begin() + 40, m.end() - 1) : "";
    return std::to_string(U32At(m, 4)) + " " + std::to_string(U32At(m, 12)) + "/" + std::to_string(U32At(m, 16)) +
           " m" + std::to_string(U32At(m, 20)) + " r" + std::to_string(m.size() > 24 ? m[24] : 255) + " '" + text + "'";
}
std::string K(uint32_t win, const std::string& rest) { return std::to_string(win) + " " + rest; }

// The KeyIn events that reach a client within the time (others are skipped).
Lines KeysWithin(WireClient& c, int ms) {
    Lines keys;
    long long until = MonoMs() + ms;
    for (;;) {
        long long left = until - MonoMs();
        if (left <= 0) break;
        auto m = c.Read(int(left));
        if (!m) break;
        if (TypeOf(*m) == 9) keys.push_back(Decode(*m));
    }
    return keys;
}

class InputE2E : public ::testing::Test {
protected:
    void Start(const std::vector<std::string>& env = {}) {
        MakeEventFifos(root);
        InstallFakeMainClient(root);
        ASSERT_TRUE(server.Start({}, env)) << server.Output();
        ASSERT_TRUE(event0.Open());
        ASSERT_TRUE(event1.Open());
    }
    EinkRoot root;
    ServerProcess server{root};
    EventDevice event0{root, 0};
    EventDevice event1{root, 1};
};

TEST_F(InputE2E, LockKeyShortPressLongPressAndTheHostLock) {
    Start();
    EXPECT_TRUE(server.WaitForOutput("kbdfd:", 2000));
    App app = OpenApp(server, "reader");

    ASSERT_TRUE(event0.Tap(32));
    EXPECT_EQ(KeysWithin(*app.c, 500), Lines{K(app.win, "32/32 m0 r1 ' '")});

    // Long press: lock, grab, launch once; nothing reaches the client.
    ASSERT_TRUE(event0.Hold(32, 3));
    ASSERT_TRUE(event0.Release(32));
    ASSERT_TRUE(server.WaitForOutput("lock old system2", 3000)) << server.Output();
    EXPECT_NE(server.Output().find("lock old systemu0\nlock old systemu1\nlock old systemu2\nlock old system2\n"),
              std::string::npos);
    EXPECT_TRUE(KeysWithin(*app.c, 300).empty());
    for (int i = 0; i < 100 && FakeMainClientStarts(root).empty(); ++i)
        SleepMs(20);
    EXPECT_EQ(FakeMainClientStarts(root), Lines{"start -ws"});

    // Unlock hands the keys back: 139 and 158 into the host's keypad file.
    ASSERT_TRUE(event1.Hold(32, 1));
    ASSERT_TRUE(event1.Release(32));
    EXPECT_EQ(WaitHostKeyLines(root, 2), (Lines{"send 139", "send 158"}));
    EXPECT_TRUE(server.WaitForOutput("unlock old systemu0", 2000));
    // The unlock is printed at the repeat; event1's release may still be
    // unread, and a pass serves event0 first: read after the next press, it
    // would be taken for that press's release.
    SleepMs(300);

    // A second lock does not start the program again.
    ASSERT_TRUE(event0.Hold(32, 1));
    ASSERT_TRUE(event0.Release(32));
    EXPECT_TRUE(KeysWithin(*app.c, 500).empty());
    EXPECT_EQ(FakeMainClientStarts(root), Lines{"start -ws"});
    EXPECT_TRUE(server.Running());
}

TEST_F(InputE2E, GarbageRecordsAndAVanishingWriterAreSurvived) {
    Start();
    App app = OpenApp(server, "reader");
    std::mt19937 rng(7);
    std::vector<uint8_t> junk(16 * 40 + 5);
    for (auto& b : junk)
        b = uint8_t(rng());
    // Type-1 records with impossible values are read as nothing.
    for (int i = 0; i < 40; ++i)
        junk[size_t(i) * 16 + 8] = uint8_t(i % 2 ? 1 : junk[size_t(i) * 16 + 8]);
    for (int i = 0; i < 40; ++i)
        junk[size_t(i) * 16 + 12] = 9;
    ASSERT_TRUE(event1.Raw(junk));
    event1.Close(); // in the middle of a record
    SleepMs(300);
    EXPECT_TRUE(server.Running());
    EXPECT_TRUE(KeysWithin(*app.c, 200).empty());

    // A new writer is heard again, from a clean record boundary.
    ASSERT_TRUE(event1.Open());
    ASSERT_TRUE(event1.Tap(30));
    const std::string rs(1, char(30));
    EXPECT_EQ(KeysWithin(*app.c, 800),
              (Lines{K(app.win, "30/30 m0 r0 '" + rs + "'"), K(app.win, "30/30 m0 r1 '" + rs + "'")}));
    EXPECT_TRUE(server.Running());
}

TEST_F(InputE2E, KeyChannelBytesAreRoutedAndGarbageIsHarmless) {
    Start();
    App app = OpenApp(server, "reader");
    KeyChannel kc;
    ASSERT_TRUE(kc.Connect(server.keyPort()));
    ASSERT_TRUE(kc.Send(std::vector<uint8_t>{1, 68, 60}));
    EXPECT_EQ(KeysWithin(*app.c, 800),
              (Lines{K(app.win, "52/52 m0 r0 '4'"), K(app.win, "97/97 m0 r0 'a'"), K(app.win, "60/60 m0 r0 '<'")}));

    std::mt19937 rng(11);
    std::vector<uint8_t> junk(500);
    for (auto& b : junk)
        b = uint8_t(rng());
    ASSERT_TRUE(kc.Send(junk));
    kc.Close();
    SleepMs(500);
    EXPECT_TRUE(server.Running());
    EXPECT_TRUE(app.c->Sync());
}

TEST_F(InputE2E, StorageNoticesBroadcastToTopWindows) {
    Start();
    App a = OpenApp(server, "reader");
    App b = OpenApp(server, "helper", false);
    ASSERT_TRUE(a.c->UserMessage("reader", "sdin", 1, "x"));
    ASSERT_TRUE(a.c->UserMessage("reader", "sdout", 1, "x"));
    for (App* app : {&a, &b})
        EXPECT_EQ(KeysWithin(*app->c, 500),
                  (Lines{K(app->win, "102/102 m0 r1 'f'"), K(app->win, "103/103 m0 r1 'g'")}));
}

TEST_F(InputE2E, ConsoleStandInFeedsTheKeyRouterAndTheSleepKeySuspends) {
    root.MakeFifo("/dev/tty");
    root.Write("/sys/power/state", "");
    Start({"EINK_INPUT=console"});
    App app = OpenApp(server, "reader");
    App hidden = OpenApp(server, "other", false);
    int fd = open(root.Path("/dev/tty").c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    auto put = [&](uint8_t b) { ASSERT_EQ(write(fd, &b, 1), 1); };

    // The release filter and the broadcast keys are judged in process; here
    // the reader's bytes reach the router: a press of 113 is dropped, its
    // release reaches every top window, the hidden one too.
    put(113);
    put(0x80 | 113);
    EXPECT_EQ(KeysWithin(*hidden.c, 500), Lines{K(hidden.win, "113/113 m0 r1 'q'")});
    EXPECT_EQ(KeysWithin(*app.c, 200).size(), 1u);

    // The sleep key's release with one client left suspends the device,
    // and that client gets Close, no sleep broadcast.
    hidden.c->Close();
    ASSERT_TRUE(server.WaitForOutput("client num:1", 2000));
    put(32);
    put(0x80 | 32);
    close(fd);
    int status = 0;
    ASSERT_TRUE(server.WaitExit(15000, &status)) << server.Output();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(root.Read("/sys/power/state"), "mem\n");
    std::vector<Bytes> skipped;
    EXPECT_TRUE(app.c->ReadType(255, 2000, &skipped).has_value());
    for (const Bytes& m : skipped)
        EXPECT_NE(TypeOf(m), 9);
}

TEST_F(InputE2E, MouseAndTouchStandIns) {
    root.MakeFifo("/dev/psaux");
    root.MakeFifo("/dev/ts");
    root.Write("/etc/sysconfig/touchpad", "res_x=600\nres_y=800\nmin_x=7\nmax_x=7\nmin_y=1\nmax_y=900\nnoise\n");
    Start({"EINK_INPUT=mouse,touch"});
    App app = OpenApp(server, "reader");
    uint32_t child = app.c->NewId();
    app.c->Send(CreateWindow(child, app.win, 300, 400, 50, 50));
    app.c->Send(MapWindow(child));
    ASSERT_TRUE(app.c->Sync());
    EXPECT_FALSE(root.Exists("/dev/ts.calibration")) << "min_x = max_x is not handed to the driver";

    // The pointer starts at the centre (300, 400): a click there hits the child.
    int mouse = open(root.Path("/dev/psaux").c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(mouse, 0);
    const uint8_t click[] = {0x09, 0x00, 0x00, 0x08, 0x00, 0x00};
    ASSERT_EQ(write(mouse, click, sizeof click), ssize_t(sizeof click));
    std::vector<Bytes> skipped;
    auto down = app.c->ReadType(2, 1000, &skipped);
    ASSERT_TRUE(down.has_value());
    EXPECT_EQ((std::vector<int64_t>{U32At(*down, 4), S32At(*down, 8), S32At(*down, 12)}),
              (std::vector<int64_t>{child, 0, 0}));
    auto up = app.c->ReadType(3, 1000);
    ASSERT_TRUE(up.has_value());
    EXPECT_EQ(U32At(*up, 4), child);

    // A press empties the grab list; with the child added again while the
    // button is down, a release over the top-level is ignored.
    ASSERT_TRUE(app.c->Send(Msg(107).u32(child)));
    ASSERT_TRUE(app.c->Sync());
    const uint8_t pressMove[] = {0x09, 0x00, 0x00, 0x09, 0x64, 0x00}; // press, then 100 right
    ASSERT_EQ(write(mouse, pressMove, sizeof pressMove), ssize_t(sizeof pressMove));
    ASSERT_TRUE(app.c->ReadType(2, 1000).has_value());
    ASSERT_TRUE(app.c->Send(Msg(107).u32(child)));
    ASSERT_TRUE(app.c->Sync());
    const uint8_t release[] = {0x08, 0x00, 0x00};
    ASSERT_EQ(write(mouse, release, sizeof release), ssize_t(sizeof release));
    EXPECT_FALSE(app.c->ReadType(3, 500).has_value()) << "the release elsewhere is ignored";
    const uint8_t back[] = {0x19, 0x9C, 0x00, 0x08, 0x00, 0x00}; // still pressed, 100 left; release
    ASSERT_EQ(write(mouse, back, sizeof back), ssize_t(sizeof back));
    up = app.c->ReadType(3, 1000);
    ASSERT_TRUE(up.has_value());
    EXPECT_EQ(U32At(*up, 4), child);

    // Touch: pressure at (310, 420) is inside the child, as an absolute position.
    int ts = open(root.Path("/dev/ts").c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(ts, 0);
    const uint8_t touch[] = {1, 0, 0x36, 0x01, 0xA4, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(write(ts, touch, sizeof touch), ssize_t(sizeof touch));
    down = app.c->ReadType(2, 1000);
    ASSERT_TRUE(down.has_value());
    EXPECT_EQ((std::vector<int64_t>{U32At(*down, 4), S32At(*down, 8), S32At(*down, 12)}),
              (std::vector<int64_t>{child, 10, 20}));
    EXPECT_TRUE(app.c->ReadType(3, 1000).has_value());
    close(mouse);
    close(ts);
    SleepMs(200);
    EXPECT_TRUE(server.Running());
}

TEST_F(InputE2E, PowerOffWithOneClientSuspendsAndExits) {
    Start();
    root.Write("/sys/power/state", "");
    App app = OpenApp(server, "reader");
    long long t0 = MonoMs();
    ASSERT_TRUE(app.c->UserMessage("reader", "anyone", 140, ""));
    int status = 0;
    ASSERT_TRUE(server.WaitExit(15000, &status)) << server.Output();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_GE(MonoMs() - t0, 3000);
    EXPECT_EQ(root.Read("/sys/power/state"), "mem\n");
}

TEST_F(InputE2E, PowerOffWithThreeClientsWaitsForThemAndHandsTheKeysBack) {
    Start();
    App a = OpenApp(server, "reader");
    App b = OpenApp(server, "helper", false);
    App c = OpenApp(server, "other");
    ASSERT_TRUE(a.c->UserMessage("reader", "", 140, ""));
    for (App* app : {&a, &b, &c})
        EXPECT_EQ(KeysWithin(*app->c, 500), Lines{K(app->win, "32/32 m0 r1 ' '")});
    EXPECT_TRUE(HostKeyLines(root).empty());
    EXPECT_TRUE(server.Running());

    c.c->Close();
    ASSERT_TRUE(server.WaitForOutput("client num:2", 2000));
    EXPECT_TRUE(server.Running());
    b.c->Close();
    ASSERT_TRUE(server.WaitForOutput("client num:1", 2000));
    EXPECT_EQ(WaitHostKeyLines(root, 3), (Lines{"send 102", "send 139", "send 158"}));
    int status = 0;
    ASSERT_TRUE(server.WaitExit(10000, &status)) << server.Output();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST_F(InputE2E, RequestCloseServerHandsTheKeysBack) {
    Start();
    App a = OpenApp(server, "reader");
    ASSERT_TRUE(event0.Hold(32, 1)); // lock: the devices are grabbed
    ASSERT_TRUE(event0.Release(32));
    ASSERT_TRUE(server.WaitForOutput("lock old system2", 3000));
    ASSERT_TRUE(a.c->Send(Msg(253).u32(0)));
    EXPECT_EQ(WaitHostKeyLines(root, 3), (Lines{"send 102", "send 139", "send 158"}));
    int status = 0;
    ASSERT_TRUE(server.WaitExit(10000, &status)) << server.Output();
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
