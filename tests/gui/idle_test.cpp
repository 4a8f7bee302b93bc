// A libgui client against the real server: idle in egui_loop it does not
// wake, yet reacts at once to a key (whose drawing reaches the panel with no
// further event), to a timer started from a descriptor callback and to
// SIGTERM; drawing still buffered when SIGTERM comes is written by the
// library's handler; a request whose reply the client waits for is on the
// wire before the wait.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "egui_conn.h"
#include "eventloop.h"
#include "gl_color.h"
#include "gl_timeout.h"
#include "gl_window.h"
#include "harness/client_process.h"
#include "harness/panel.h"
#include "nc_request.h"

using namespace testing_eink;

namespace {

constexpr int kX = 100, kY = 150, kW = 300, kH = 200;
constexpr int kGrey = 128;

// Turns black on key 16.
class KeyWindow : public GL_Window {
public:
    using GL_Window::GL_Window;
    int KeyIn(char* text, int len, unsigned code, unsigned code2, unsigned mod, unsigned char released) override {
        if (code == 16 && !released) {
            SetBackColor(iBlackS);
            ClientLog("key %u", code);
        }
        return GL_Window::KeyIn(text, len, code, code2, mod, released);
    }
};

// On data from its pipe, starts a 200 ms one-shot timer; logs when it fires.
class PipeReader : public GL_Object {
public:
    explicit PipeReader(int fd) : GL_Object(nullptr, "reader", 0), fd_(fd), timer_(0, 200000, 0) {
        timer_.AddCallback(this, "Timeout!", nullptr);
    }
    int ExecCallback(GL_Object*, char const* event, void*, void*, void*, void*, void*) override {
        if (std::strcmp(event, "DataIn!") == 0) {
            char buf[64];
            while (read(fd_, buf, sizeof buf) > 0) {
            }
            started_ = long(GL_GetNowTime(nullptr, nullptr));
            timer_.Stop();
            timer_.Run();
            ClientLog("data sleeps %ld", long(iLoopSleeps));
        } else if (std::strcmp(event, "Timeout!") == 0) {
            ClientLog("timeout after %ld ms", long(GL_GetNowTime(nullptr, nullptr)) - started_);
        }
        return 0;
    }

private:
    int fd_;
    GL_Timeout timer_;
    long started_ = 0;
};

int RunClientIfAsked() {
    const char* mode = ClientMode();
    if (!mode) return 0;
    char name[] = "/opt/idleclient";
    char* argv[] = {name, nullptr};
    if (!egui_init(1, argv)) _exit(6);

    if (std::strcmp(mode, "reply") == 0) {
        alarm(10); // a request stuck in the buffer would make the waits below hang
        int found = NC_QueryProgram("idleclient");
        NC_UserMessage("idleclient", "idleclient", 1, 2, 33, 5, "hello");
        GS_GeneralEvent_st* ev = WaitEvent(122);
        ClientLog("query %d reply %ld", found, ev ? long(GL_EventLength(ev)) : -1L);
        _exit(0);
    }

    if (std::strcmp(mode, "term") == 0) {
        // Drawn straight onto the screen (which outlives the connection),
        // then killed outside the event loop: only the library's signal
        // handler can still send the drawing.
        NC_FillRectScreen(kX, kY, kW, kH, iBlackS);
        ClientLog("drawn %ld", long(getpid()));
        for (;;)
            pause();
    }
    auto* main = new KeyWindow(nullptr, "main", kX, kY, kW, kH, kGrey, 0);
    int fd = open(getenv("EINK_IDLE_FIFO"), O_RDWR | O_NONBLOCK);
    if (fd < 0) _exit(7);
    AddFDCallback(fd, new PipeReader(fd));
    main->ShowWindow(0);
    ClientLog("ready %ld", long(getpid()));
    egui_loop();
}

const int gClientRan = RunClientIfAsked();

// Voluntary context switches of a process: how often it went to sleep.
long WakeUps(pid_t pid) {
    std::ifstream f("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(f, line))
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0) return std::stol(line.substr(24));
    return -1;
}

// Pixels of the window's inside that are not `nibble` on the panel.
int WindowOther(const EinkRoot& root, int nibble) {
    return PanelImage(root, 600, 800).CountOther(kX + 2, kY + 2, kW - 4, kH - 4, nibble);
}

bool WaitWindow(const EinkRoot& root, int nibble, int ms) {
    return WaitUntil([&] { return WindowOther(root, nibble) == 0; }, ms);
}

class IdleClient : public ::testing::Test {
protected:
    void StartLocked() { ASSERT_TRUE(StartLockedServer(server, keypad, root)); }
    void StartClient(const char* mode) {
        fifo = root.MakeFifo("/tmp/idle.fifo");
        client.Start(mode, {"EINK_IDLE_FIFO=" + fifo});
    }
    std::string Diagnostics() { return client.Diagnostics(); }

    EinkRoot root;
    ServerProcess server{root};
    EventDevice keypad{root, 0};
    ClientProcess client{root};
    std::string fifo;
};

} // namespace

TEST_F(IdleClient, SleepsWhileIdleYetReactsAtOnceToAKeyATimerFromADescriptorCallbackAndSIGTERM) {
    StartLocked();
    StartClient("loop");
    ASSERT_TRUE(client.WaitLog("ready", 5000)) << Diagnostics();
    ASSERT_TRUE(WaitWindow(root, GreyToNibble(kGrey), 10000)) << Diagnostics();
    SleepMs(300);

    long before = WakeUps(client.pid());
    SleepMs(2000);
    long idle = WakeUps(client.pid()) - before;
    EXPECT_LE(idle, 5) << "wake-ups in 2 s of idleness";

    // The key's drawing goes out before the loop sleeps again: the panel
    // shows it with no further event.
    long long t0 = MonoMs();
    ASSERT_TRUE(keypad.Tap(16));
    ASSERT_TRUE(client.WaitLog("key 16", 1000)) << Diagnostics();
    EXPECT_LT(MonoMs() - t0, 1000);
    EXPECT_TRUE(WaitWindow(root, 15, 5000)) << WindowOther(root, 15) << " pixels not black\n" << Diagnostics();

    // A timer started from a descriptor callback fires on time, although the
    // loop had no timer when it went to sleep.
    int w = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(w, 0);
    ASSERT_EQ(write(w, "t", 1), 1);
    close(w);
    ASSERT_TRUE(client.WaitLog("timeout after", 2000)) << Diagnostics();
    std::string text = client.Log();
    long after = std::stol(text.substr(text.find("timeout after ") + 14));
    EXPECT_GE(after, 200);
    EXPECT_LT(after, 700);

    // SIGTERM ends it through the library's handler, at once.
    t0 = MonoMs();
    kill(client.pid(), SIGTERM);
    EXPECT_EQ(client.WaitExit(3000), 0) << Diagnostics();
    EXPECT_LT(MonoMs() - t0, 1000);
    EXPECT_NE(client.Output().find("client signal int(15)"), std::string::npos) << Diagnostics();
}

TEST_F(IdleClient, DrawingStillBufferedWhenSIGTERMComesReachesThePanel) {
    StartLocked();
    size_t updates = PanelUpdates(root).size();
    StartClient("term");
    ASSERT_TRUE(client.WaitLog("drawn", 5000)) << Diagnostics();
    EXPECT_TRUE(NoPanelUpdateWithin(root, updates, 800)) << "nothing was sent before the signal";
    kill(client.pid(), SIGTERM);
    EXPECT_EQ(client.WaitExit(3000), 0) << Diagnostics();
    EXPECT_TRUE(WaitWindow(root, 15, 10000)) << WindowOther(root, 15) << " pixels not black\n" << Diagnostics();
}

TEST_F(IdleClient, ARequestWhoseReplyIsAwaitedIsSentBeforeTheWait) {
    MakeEventFifos(root);
    ASSERT_TRUE(server.Start()) << server.Output();
    signal(SIGPIPE, SIG_IGN);
    StartClient("reply");
    EXPECT_EQ(client.WaitExit(15000), 0) << Diagnostics();
    EXPECT_NE(client.Log().find("query 1 reply 94"), std::string::npos) << Diagnostics();
}
