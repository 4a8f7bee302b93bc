// The connection layer in process, against a socket pair standing in for the
// server: transfers and their progress codes, the SysInfo record, identifier
// allocation and the ends of the program.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <thread>
#include <time.h>
#include <unistd.h>

#include "egui.h"
#include "gui/nc_capture.h"

namespace {

using nc_test::Bytes;
using nc_test::Capture;
using testing_eink::Msg;

// SIGPIPE would end the test process when a test writes to a closed peer.
class IgnorePipe {
public:
    IgnorePipe() { old_ = signal(SIGPIPE, SIG_IGN); }
    ~IgnorePipe() { signal(SIGPIPE, old_); }

private:
    sighandler_t old_;
};

TEST(NetTransfer, ProgressCodesOfWritesAndReads) {
    IgnorePipe ignore;
    Capture cap;
    ASSERT_TRUE(cap.ok());
    const char data[] = "abcdef";
    // A negative descriptor fails without touching the progress code.
    char buf[4];
    iErrLine = 77;
    EXPECT_EQ(NetWrite(-1, buf, 4), -1);
    EXPECT_EQ(NetRead(-1, buf, 4), -1);
    EXPECT_EQ(iErrLine, 77);
    EXPECT_EQ(NetWrite(connFd, data, 6), 6);
    EXPECT_EQ(iErrLine, 0);
    EXPECT_EQ(WriteHeader(connFd, 20, 28), 4);
    EXPECT_EQ(cap.Take(), (Bytes{'a', 'b', 'c', 'd', 'e', 'f', 0x14, 0x1C, 0x00, 0x00}));
    EXPECT_EQ(GL_AllocReq(131072), gReqBuffer);
    EXPECT_EQ(NetWrite(connFd, data, 0), 0);
    EXPECT_EQ(NetWrite(connFd, data, -3), 0);
    EXPECT_EQ(iErrLine, 0);

    // A count below 1 reads nothing but leaves the "reading" code set.
    char in[8];
    EXPECT_EQ(NetRead(connFd, in, 0), 0);
    EXPECT_EQ(iErrLine, 1);

    // Reads: everything asked for, then a short count at end of file, which
    // also tells the event loop to end.
    ASSERT_TRUE(cap.Inject(Bytes{1, 2, 3, 4, 5}));
    EXPECT_EQ(NetRead(connFd, in, 3), 3);
    EXPECT_EQ(iErrLine, 0);
    bQuitProgram = 0;
    cap.StopSending();
    EXPECT_EQ(NetRead(connFd, in, 8), 2);
    EXPECT_EQ(in[0], 4);
    EXPECT_EQ(in[1], 5);
    EXPECT_EQ(iErrLine, 0);
    EXPECT_EQ(bQuitProgram, 1);
    bQuitProgram = 0;

    // A write to a closed peer fails with code 5.
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    close(pair[1]);
    EXPECT_EQ(NetWrite(pair[0], data, 6), -1);
    EXPECT_EQ(iErrLine, 5);
    close(pair[0]);
    iErrLine = 0;
}

TEST(NetTransfer, AFullOrEmptySocketIsWaitedForAndNothingIsLostOrReordered) {
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    fcntl(pair[0], F_SETFL, O_NONBLOCK);
    int small = 4096;
    setsockopt(pair[0], SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
    setsockopt(pair[1], SOL_SOCKET, SO_RCVBUF, &small, sizeof small);

    // 1 MiB through a socket that holds a few KiB, read slowly on the other side.
    std::vector<unsigned char> out(1 << 20);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = uint8_t(i * 7 + i / 251);
    std::vector<unsigned char> got;
    std::thread reader([&] {
        unsigned char buf[3000];
        while (got.size() < out.size()) {
            ssize_t n = read(pair[1], buf, sizeof buf);
            if (n <= 0) break;
            got.insert(got.end(), buf, buf + n);
            if (got.size() % 65536 < 3000) usleep(2000);
        }
    });
    EXPECT_EQ(NetWrite(pair[0], out.data(), int(out.size())), int(out.size()));
    reader.join();
    EXPECT_EQ(got, out);

    // A read that has to wait for data written later.
    std::thread writer([&] {
        usleep(50000);
        ASSERT_EQ(write(pair[1], "late", 4), 4);
        usleep(50000);
        ASSERT_EQ(write(pair[1], "r", 1), 1);
    });
    char in[5] = {};
    EXPECT_EQ(NetRead(pair[0], in, 5), 5);
    EXPECT_EQ(std::string(in, 5), "later");
    writer.join();
    close(pair[0]);
    close(pair[1]);
}

// CPU time of the calling thread, in milliseconds.
double ThreadCpuMs() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

TEST(NetTransfer, WaitingForTheServerSleepsInsteadOfSpinning) {
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    fcntl(pair[0], F_SETFL, O_NONBLOCK);

    // A read that waits 300 ms for its data.
    std::thread late([&] {
        usleep(300000);
        ASSERT_EQ(write(pair[1], "data", 4), 4);
    });
    char in[4];
    double cpu = ThreadCpuMs();
    EXPECT_EQ(NetRead(pair[0], in, 4), 4);
    double readCpu = ThreadCpuMs() - cpu;
    late.join();

    // A write that waits 300 ms for the other side to make room.
    int small = 4096;
    setsockopt(pair[0], SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
    std::vector<unsigned char> fill(1 << 16, 0x5A);
    ssize_t queued = 0;
    while (true) {
        ssize_t n = write(pair[0], fill.data(), fill.size());
        if (n <= 0) break;
        queued += n;
    }
    std::thread drain([&] {
        usleep(300000);
        std::vector<unsigned char> buf(1 << 16);
        ssize_t left = queued + 4096;
        while (left > 0) {
            ssize_t n = read(pair[1], buf.data(), buf.size());
            if (n <= 0) break;
            left -= n;
        }
    });
    cpu = ThreadCpuMs();
    EXPECT_EQ(NetWrite(pair[0], fill.data(), 4096), 4096);
    double writeCpu = ThreadCpuMs() - cpu;
    drain.join();

    // A sleeping wait costs well under a millisecond; a spinning one burns
    // CPU for as much of the 300 ms as the machine gives it (over 90 ms even
    // on a loaded machine).
    EXPECT_LT(readCpu, 25.0);
    EXPECT_LT(writeCpu, 25.0);
    close(pair[0]);
    close(pair[1]);
}

TEST(NetTransferDeathTest, AHardReadErrorEndsTheProgramThroughQuitProgram) {
    int pipefd[2];
    ASSERT_EQ(pipe(pipefd), 0);
    char buf[4];
    // Reading the write end of a pipe fails with EBADF.
    EXPECT_EXIT(
        {
            connFd = -1;
            NetRead(pipefd[1], buf, 4);
        },
        ::testing::ExitedWithCode(0), "client signal int\\(33\\) and exit .*iErrLine=2");
    close(pipefd[0]);
    close(pipefd[1]);
}

// A SysInfo record as the server sends it, built from the protocol tables.
Bytes SysInfo(uint32_t blockSize, uint32_t serial, uint8_t orientation) {
    Msg m(1);
    m.u32(0).s32(800).s32(600).s32(600).s32(800).s32(8).s32(1).u32(serial << 20).u32(0xFFFFF).u32(1);
    m.pad(1168 - m.size()).raw(orientation);
    m.pad(99092 - m.size());
    Bytes b = m.withLength(99092 + blockSize);
    for (uint32_t i = 0; i < blockSize; ++i)
        b.push_back(uint8_t(i % 251));
    return b;
}

TEST(ClientSysInfo, FieldsOfTheRecordAndTheBlockAfterIt) {
    Capture cap;
    ASSERT_TRUE(cap.ok());
    std::thread server([&] { cap.Inject(SysInfo(1000, 2, 0)); });
    EXPECT_EQ(GetSysInfoFromServer(), 1);
    server.join();
    EXPECT_EQ((std::vector<int>{iDisplayWidth, iDisplayHeight, iDepth, iDepthBytes, iRotateMode, bVerticalScreen,
                                iTotalCharInfoSize, iDataInfo[0], iDataInfo[999]}),
              (std::vector<int>{800, 600, 8, 1, 1, 1, 1000, 0, 999 % 251}));

    // Identifiers: base plus counter, counting up.
    EXPECT_EQ(GetProgramIdBase(), 0x200001ul);
    EXPECT_EQ(GetProgramIdBase(), 0x200002ul);

    // Orientation byte 1: not a vertical screen; no block.
    std::thread server2([&] { cap.Inject(SysInfo(0, 1, 1)); });
    GetSysInfoFromServer();
    server2.join();
    EXPECT_EQ(bVerticalScreen, 0);
    EXPECT_EQ(iTotalCharInfoSize, 0);
}

TEST(ClientSysInfo, ABlockLargerThanItsBufferIsCutAndTheStreamStaysInStep) {
    Capture cap;
    ASSERT_TRUE(cap.ok());
    const uint32_t block = 131072 + 5000;
    std::thread server([&] {
        cap.Inject(SysInfo(block, 1, 1));
        cap.Inject(Msg(124).pad(32).u32(1).done());
    });
    EXPECT_EQ(GetSysInfoFromServer(), 1);
    EXPECT_EQ(iTotalCharInfoSize, 131072);
    EXPECT_EQ(iDataInfo[131071], uint8_t(131071 % 251));
    GS_GeneralEvent_st* next = GotEvent();
    server.join();
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(GL_EventType(next), 124u);
    EXPECT_EQ(GL_EventWord(next, 36), 1u);
}

TEST(ClientSysInfoDeathTest, AShortRecordEndsTheProgramWithStatus1) {
    EXPECT_EXIT(
        {
            Capture cap;
            Bytes part = SysInfo(0, 1, 1);
            part.resize(5000);
            cap.Inject(part);
            cap.StopSending();
            GetSysInfoFromServer();
        },
        ::testing::ExitedWithCode(1), "");
}

void Hook(int code) { fprintf(stderr, "close hook(%d)\n", code); }

TEST(ClientSignalHandlerDeathTest, CodesDecideHookRequestCloseAndExit) {
    pClientCloseFunc = Hook;
    static char name[] = "tester";
    progname = name;
    // 99: message and hook, no RequestClose.
    EXPECT_EXIT(GL_SignalHandler(99), ::testing::ExitedWithCode(0),
                "client signal int\\(99\\) and exit tester...iErrLine=0\nclose hook\\(0\\)\n$");
    // SIGPIPE and SIGSEGV: no hook, RequestClose.
    EXPECT_EXIT(GL_SignalHandler(SIGPIPE), ::testing::ExitedWithCode(0),
                "client signal int\\(13\\) and exit tester...iErrLine=0\nrequest close\n$");
    EXPECT_EXIT(GL_SignalHandler(SIGSEGV), ::testing::ExitedWithCode(0), "int\\(11\\).*\nrequest close\n$");
    // SIGTERM: hook, then RequestClose.
    EXPECT_EXIT(GL_SignalHandler(SIGTERM), ::testing::ExitedWithCode(0),
                "int\\(15\\).*\nclose hook\\(0\\)\nrequest close");
    // QuitProgram is code 33.
    EXPECT_EXIT(QuitProgram(), ::testing::ExitedWithCode(0), "int\\(33\\).*\nclose hook\\(0\\)\nrequest close");
    pClientCloseFunc = nullptr;
    progname = nullptr;
}

TEST(ClientSignalHandler, SendsRequestCloseOnTheConnection) {
    Capture cap;
    ASSERT_TRUE(cap.ok());
    pid_t pid = fork();
    if (pid == 0) {
        int devnull = open("/dev/null", O_WRONLY);
        dup2(devnull, 2);
        GL_SignalHandler(SIGINT);
        _exit(3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(cap.Take(), Msg(255).u32(0).done());
}

} // namespace
