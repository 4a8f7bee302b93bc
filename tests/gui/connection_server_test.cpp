// libgui programs against the real winserver in an emulated root: start-up
// with and without "-ws", identifiers of a fresh server, a program killed
// half-way through a request and a server that vanishes. (Two programs
// exchanging messages: connection_install_test.) Each program runs in a child process of its own, as a
// real client would, and reports through its exit status and its output.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "egui.h"
#include "harness/client_process.h"
#include "harness/wire_client.h"

namespace {

using testing_eink::EinkRoot;
using testing_eink::MonoMs;
using testing_eink::ServerProcess;
using testing_eink::SleepMs;
using testing_eink::WireClient;

// A client program in a child of its own: `body` runs there and its return
// value is the exit status. _exit skips the library's exit path, so what is
// still buffered is written here, as exit would.
struct Program : testing_eink::ClientProcess {
    Program(const EinkRoot& root, const char* name, std::function<int()> body) : ClientProcess(root, name) {
        Fork([body] {
            int status = body();
            GL_Flush();
            return status;
        });
    }
    int Wait(int timeoutMs = 15000) { return WaitExit(timeoutMs); }
};

// egui_init with these arguments; the vector must outlive the call.
int Init(std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(&a[0]);
    argv.push_back(nullptr);
    return egui_init(int(args.size()), argv.data());
}

class ClientConnectionE2E : public ::testing::Test {
protected:
    void SetUp() override { setenv("EINK_ROOT", root.dir().c_str(), 1); }
    void TearDown() override { unsetenv("EINK_ROOT"); }

    EinkRoot root;
    ServerProcess server{root};
};

TEST_F(ClientConnectionE2E, InitConnectsRegistersAndTakesIdentifiersFromTheFreshServersBase) {
    ASSERT_TRUE(server.Start());
    Program prog(root, "prog", [] {
        std::vector<std::string> args = {"/opt/apps/reader-of-books-with-a-long-name"};
        if (Init(args) != 1) return 10;
        if (connFd < 0) return 11;
        if (strcmp(pProgName, "/opt/apps/reader-of-books-with-a-long-name") != 0) return 12;
        if (strcmp(pProgNameFile, "/reader-of-books-with-a-long-name") != 0) return 13;
        if (iDisplayWidth != 600 || iDisplayHeight != 800 || iDepth != 8 || iDepthBytes != 1) return 14;
        if (bWaitForServer != 0) return 15;
        // The first connection of a fresh server: base 1 << 20.
        if (GetProgramIdBase() != 0x100001ul) return 16;
        if (GetProgramIdBase() != 0x100002ul) return 17;
        // Registered under argv[0] cut to 31 characters.
        if (NC_QueryProgram("/opt/apps/reader-of-books-with-") != 1) return 18;
        if (NC_QueryProgram("reader-of-books") != 1) return 19;
        if (NC_QueryProgram("books-with-a-long") != 0) return 20;
        if (NC_QueryProgram("") != 0) return 21;
        return 0;
    });
    EXPECT_EQ(prog.Wait(), 0) << prog.Output();
    std::string out = prog.Output();
    EXPECT_NE(out.find("av00=/opt/apps/reader-of-books-with-a-long-name\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Got sysinfo ok bRtnState=99092 sysinfo=99092 size2=99092.\n"), std::string::npos) << out;
}

void CloseHook(int code) { printf("close hook ran with %d\n", code); }

TEST_F(ClientConnectionE2E, AfterInitASignalEndsTheProgramThroughItsHandlerAndTheServerLetsGo) {
    ASSERT_TRUE(server.Start());
    WireClient watcher;
    ASSERT_TRUE(watcher.Open(server.socketPath()));
    Program prog(root, "signalled", [] {
        std::vector<std::string> args = {"/opt/apps/signalled"};
        if (Init(args) != 1) return 10;
        struct sigaction sa;
        if (sigaction(SIGCHLD, nullptr, &sa) != 0 || sa.sa_handler != SIG_IGN || !(sa.sa_flags & SA_RESTART)) return 11;
        if (sigaction(SIGTERM, nullptr, &sa) != 0 || sa.sa_handler != GL_SignalHandler) return 12;
        static char name[] = "signalled";
        progname = name;
        pClientCloseFunc = CloseHook;
        if (NC_QueryProgram("signalled") != 1) return 13;
        raise(SIGTERM);
        return 14;
    });
    EXPECT_EQ(prog.Wait(), 0) << prog.Output();
    std::string out = prog.Output();
    EXPECT_NE(out.find("client signal int(15) and exit signalled...iErrLine=0\n"), std::string::npos) << out;
    EXPECT_NE(out.find("close hook ran with 0\n"), std::string::npos) << out;
    EXPECT_NE(out.find("request close\n"), std::string::npos) << out;
    // The registration goes with the connection.
    long long until = MonoMs() + 5000;
    while (watcher.Query("signalled") != 0 && MonoMs() < until)
        SleepMs(20);
    EXPECT_EQ(watcher.Query("signalled"), 0);
}

TEST_F(ClientConnectionE2E, WithoutServerInitFailsAtOnceUnlessTheFirstArgumentIsExactlyWs) {
    Program longer(root, "longer", [] {
        std::vector<std::string> args = {"prog", "-wsx"};
        return Init(args) == 0 && bWaitForServer == 0 ? 0 : 1;
    });
    EXPECT_EQ(longer.Wait(5000), 0) << longer.Output();
    EXPECT_NE(longer.Output().find("connect server failed"), std::string::npos);
    EXPECT_EQ(longer.Output().find("client wait 1 sec"), std::string::npos);

    Program second(root, "second", [] {
        std::vector<std::string> args = {"prog", "x", "-ws"};
        return Init(args) == 0 ? 0 : 1;
    });
    EXPECT_EQ(second.Wait(5000), 0) << second.Output();
}

TEST_F(ClientConnectionE2E, WithWsInitWaitsForTheServerAndConnectsWhenItComes) {
    Program prog(root, "waiting", [] {
        std::vector<std::string> args = {"/bin/waiter", "-ws"};
        if (Init(args) != 1 || bWaitForServer != 1) return 10;
        return NC_QueryProgram("waiter") == 1 ? 0 : 11;
    });
    SleepMs(2500);
    ASSERT_TRUE(server.Start());
    EXPECT_EQ(prog.Wait(), 0) << prog.Output();
    EXPECT_NE(prog.Output().find("client wait 1 sec\n"), std::string::npos);
}

TEST_F(ClientConnectionE2E, AProgramKilledHalfWayThroughARequestLeavesTheServerServingOthers) {
    ASSERT_TRUE(server.Start());
    WireClient other;
    ASSERT_TRUE(other.Open(server.socketPath()));
    ASSERT_TRUE(other.Register("survivor"));

    Program victim(root, "victim", [] {
        std::vector<std::string> args = {"/opt/apps/victim"};
        if (Init(args) != 1) return 10;
        if (NC_QueryProgram("victim") != 1) return 11;
        // Half of a RegisterProgram, then death.
        unsigned char half[20] = {121, 44, 0, 0, 'z', 'o', 'm', 'b', 'i', 'e'};
        if (NetWrite(connFd, half, sizeof half) != int(sizeof half)) return 12;
        raise(SIGKILL);
        return 13;
    });
    EXPECT_EQ(victim.Wait(), 128 + SIGKILL) << victim.Output();

    // The server goes on: the other connection is served, the half request
    // was never executed, and the dead program's registration is gone.
    EXPECT_TRUE(server.Running());
    EXPECT_TRUE(other.Sync());
    long long until = MonoMs() + 5000;
    while (other.Query("victim") != 0 && MonoMs() < until)
        SleepMs(20);
    EXPECT_EQ(other.Query("victim"), 0);
    EXPECT_EQ(other.Query("zombie"), 0);
    EXPECT_EQ(other.Query("survivor"), 1);

    Program later(root, "later", [] {
        std::vector<std::string> args = {"/opt/apps/later"};
        if (Init(args) != 1) return 10;
        return NC_QueryProgram("survivor") == 1 ? 0 : 11;
    });
    EXPECT_EQ(later.Wait(), 0) << later.Output();
}

TEST_F(ClientConnectionE2E, AServerThatVanishesEndsTheWaitAndSetsQuitProgram) {
    ASSERT_TRUE(server.Start());
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    Program prog(root, "orphan", [&] {
        std::vector<std::string> args = {"/opt/apps/orphan"};
        if (Init(args) != 1) return 10;
        if (write(ready[1], "r", 1) != 1) return 11;
        // Nothing will ever come: the server is killed while this waits.
        GS_GeneralEvent_st* ev = WaitEvent(122);
        if (ev) return 12;
        return bQuitProgram == 1 ? 0 : 13;
    });
    char c;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    SleepMs(100);
    server.Kill();
    EXPECT_EQ(prog.Wait(), 0) << prog.Output();
    close(ready[0]);
    close(ready[1]);
}

} // namespace
