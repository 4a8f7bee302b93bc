// A libgui client against the real server: idle in egui_loop it does not
// wake, yet reacts at once to a key (whose drawing reaches the panel with no
// further event), to a timer started from a descriptor callback and to
// SIGTERM; drawing still buffered when SIGTERM comes is written by the
// library's handler; a request whose reply the client waits for is on the
// wire before the wait.
//
// The client is this test program started again with EINK_IDLE_CLIENT set to
// its mode: it runs before main() and never returns to the tests.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "egui_conn.h"
#include "eventloop.h"
#include "gl_color.h"
#include "gl_timeout.h"
#include "gl_window.h"
#include "harness/eink_root.h"
#include "harness/keys.h"
#include "harness/panel.h"
#include "harness/server_process.h"
#include "nc_request.h"

using namespace testing_eink;

namespace {

constexpr int kX = 100, kY = 150, kW = 300, kH = 200;
constexpr int kGrey = 128;

// ---- The client ------------------------------------------------------------------------

FILE* gLog = nullptr;

void Log(const char* fmt, long a = 0, long b = 0) {
    fprintf(gLog, fmt, a, b);
    fflush(gLog);
}

// Turns black on key 16.
class KeyWindow : public GL_Window {
public:
    using GL_Window::GL_Window;
    int KeyIn(char* text, int len, unsigned code, unsigned code2, unsigned mod, unsigned char released) override {
        if (code == 16 && !released) {
            SetBackColor(iBlackS);
            Log("key %ld\n", long(code));
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
            Log("data sleeps %ld\n", long(iLoopSleeps));
        } else if (std::strcmp(event, "Timeout!") == 0) {
            Log("timeout after %ld ms\n", long(GL_GetNowTime(nullptr, nullptr)) - started_);
        }
        return 0;
    }

private:
    int fd_;
    GL_Timeout timer_;
    long started_ = 0;
};

int RunClientIfAsked() {
    const char* mode = getenv("EINK_IDLE_CLIENT");
    if (!mode) return 0;
    gLog = fopen(getenv("EINK_IDLE_LOG"), "a");
    if (!gLog) _exit(5);
    char name[] = "/opt/idleclient";
    char* argv[] = {name, nullptr};
    if (!egui_init(1, argv)) _exit(6);

    if (std::strcmp(mode, "reply") == 0) {
        alarm(10); // a request stuck in the buffer would make the waits below hang
        int found = NC_QueryProgram("idleclient");
        NC_UserMessage("idleclient", "idleclient", 1, 2, 33, 5, "hello");
        GS_GeneralEvent_st* ev = WaitEvent(122);
        Log("query %ld reply %ld\n", found, ev ? long(GL_EventLength(ev)) : -1L);
        _exit(0);
    }

    if (std::strcmp(mode, "term") == 0) {
        // Drawn straight onto the screen (which outlives the connection),
        // then killed outside the event loop: only the library's signal
        // handler can still send the drawing.
        NC_FillRectScreen(kX, kY, kW, kH, iBlackS);
        Log("drawn %ld\n", long(getpid()));
        for (;;)
            pause();
    }
    auto* main = new KeyWindow(nullptr, "main", kX, kY, kW, kH, kGrey, 0);
    int fd = open(getenv("EINK_IDLE_FIFO"), O_RDWR | O_NONBLOCK);
    if (fd < 0) _exit(7);
    AddFDCallback(fd, new PipeReader(fd));
    main->ShowWindow(0);
    Log("ready %ld\n", long(getpid()));
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
        SleepMs(5);
    }
    return false;
}

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
    long long until = MonoMs() + ms;
    do {
        if (WindowOther(root, nibble) == 0) return true;
        SleepMs(50);
    } while (MonoMs() < until);
    return false;
}

class IdleClient : public ::testing::Test {
protected:
    void SetUp() override { signal(SIGPIPE, SIG_IGN); }
    void TearDown() override {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    void StartLocked() {
        MakeEventFifos(root);
        InstallFakeMainClient(root);
        ASSERT_TRUE(server.Start()) << server.Output();
        ASSERT_TRUE(event0.Open());
        ASSERT_TRUE(LockHostAndSettle(event0, root)) << server.Output();
    }
    void StartClient(const char* mode) {
        log = root.Path("/tmp/idle_client.log");
        out = root.Path("/tmp/idle_client.out");
        fifo = root.MakeFifo("/tmp/idle.fifo");
        pid = fork();
        if (pid == 0) {
            int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd >= 0) {
                dup2(fd, 1);
                dup2(fd, 2);
            }
            setenv("EINK_ROOT", root.dir().c_str(), 1);
            setenv("EINK_IDLE_CLIENT", mode, 1);
            setenv("EINK_IDLE_LOG", log.c_str(), 1);
            setenv("EINK_IDLE_FIFO", fifo.c_str(), 1);
            execl("/proc/self/exe", "idleclient", static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    // The client's exit status, or -1 when it did not end within ms.
    int WaitExit(int ms) {
        long long until = MonoMs() + ms;
        int status = 0;
        while (MonoMs() < until) {
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            SleepMs(5);
        }
        return -1;
    }
    std::string Diagnostics() { return ReadFile(log) + "\n" + ReadFile(out); }

    EinkRoot root;
    ServerProcess server{root};
    EventDevice event0{root, 0};
    pid_t pid = -1;
    std::string log, out, fifo;
};

} // namespace

TEST_F(IdleClient, SleepsWhileIdleYetReactsAtOnceToAKeyATimerFromADescriptorCallbackAndSIGTERM) {
    StartLocked();
    StartClient("loop");
    ASSERT_TRUE(WaitForText(log, "ready", 5000)) << Diagnostics();
    ASSERT_TRUE(WaitWindow(root, GreyToNibble(kGrey), 10000)) << Diagnostics();
    SleepMs(300);

    long before = WakeUps(pid);
    SleepMs(2000);
    long idle = WakeUps(pid) - before;
    EXPECT_LE(idle, 5) << "wake-ups in 2 s of idleness";

    // The key's drawing goes out before the loop sleeps again: the panel
    // shows it with no further event.
    long long t0 = MonoMs();
    ASSERT_TRUE(event0.Tap(16));
    ASSERT_TRUE(WaitForText(log, "key 16", 1000)) << Diagnostics();
    EXPECT_LT(MonoMs() - t0, 1000);
    EXPECT_TRUE(WaitWindow(root, 15, 5000)) << WindowOther(root, 15) << " pixels not black\n" << Diagnostics();

    // A timer started from a descriptor callback fires on time, although the
    // loop had no timer when it went to sleep.
    int w = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(w, 0);
    ASSERT_EQ(write(w, "t", 1), 1);
    close(w);
    ASSERT_TRUE(WaitForText(log, "timeout after", 2000)) << Diagnostics();
    std::string text = ReadFile(log);
    long after = std::stol(text.substr(text.find("timeout after ") + 14));
    EXPECT_GE(after, 200);
    EXPECT_LT(after, 700);

    // SIGTERM ends it through the library's handler, at once.
    t0 = MonoMs();
    kill(pid, SIGTERM);
    EXPECT_EQ(WaitExit(3000), 0) << Diagnostics();
    EXPECT_LT(MonoMs() - t0, 1000);
    EXPECT_NE(ReadFile(out).find("client signal int(15)"), std::string::npos) << Diagnostics();
}

TEST_F(IdleClient, DrawingStillBufferedWhenSIGTERMComesReachesThePanel) {
    StartLocked();
    size_t updates = PanelUpdates(root).size();
    StartClient("term");
    ASSERT_TRUE(WaitForText(log, "drawn", 5000)) << Diagnostics();
    EXPECT_TRUE(NoPanelUpdateWithin(root, updates, 800)) << "nothing was sent before the signal";
    kill(pid, SIGTERM);
    EXPECT_EQ(WaitExit(3000), 0) << Diagnostics();
    EXPECT_TRUE(WaitWindow(root, 15, 10000)) << WindowOther(root, 15) << " pixels not black\n" << Diagnostics();
}

TEST_F(IdleClient, ARequestWhoseReplyIsAwaitedIsSentBeforeTheWait) {
    MakeEventFifos(root);
    ASSERT_TRUE(server.Start()) << server.Output();
    StartClient("reply");
    EXPECT_EQ(WaitExit(15000), 0) << Diagnostics();
    EXPECT_NE(ReadFile(log).find("query 1 reply 94"), std::string::npos) << Diagnostics();
}
