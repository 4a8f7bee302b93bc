// The device layer and the bookkeeping around it, in process: input records,
// event devices read from FIFOs (partial and garbage records, a writer that
// goes away), the touch calibration file, SleepReply and the sleep notice.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/server.h"
#include "input/inproc.h"
#include "input/input.h"
#include "platform/einkroot.h"
#include "platform/input.h"
#include "window/routing.h"
#include "window/sswindow.h"

using namespace inproc;

namespace {

// A record written by hand: 8 bytes of time, type, code, value.
Bytes Record(uint16_t type, uint16_t code, int32_t value) {
    Bytes b(16, 0xAA);
    b[8] = uint8_t(type);
    b[9] = uint8_t(type >> 8);
    b[10] = uint8_t(code);
    b[11] = uint8_t(code >> 8);
    for (int i = 0; i < 4; ++i)
        b[12 + i] = uint8_t(uint32_t(value) >> (8 * i));
    return b;
}

TEST(InputRecord, DecodesTheLinuxLayout) {
    Bytes b = Record(1, 0x1234, -2);
    eink::InputRecord r = eink::DecodeInputRecord(b.data());
    EXPECT_EQ((std::vector<int>{r.type, r.code, r.value}), (std::vector<int>{1, 0x1234, -2}));
    uint8_t out[16];
    eink::EncodeInputRecord(out, 1, 0x1234, -2);
    EXPECT_EQ(Bytes(out + 8, out + 16), Bytes(b.begin() + 8, b.end()));
}

TEST(TouchCalibration, ReadsTheSevenNumbersAndIgnoresGarbage) {
    WriteFile("/etc/sysconfig/touchpad", "# touch\nres_x=600\nres_y=800\nmin_x=12\nmax_x=4000\nmin_y=abc\n"
                                         "min_y=30\nmax_y=99999\nmax_y=3900\nxyswap=1\nres_x\n\ngarbage=5\n" +
                                             std::string(255, 'z') + "res_x=1\n");
    eink::TouchCalibration c;
    ASSERT_TRUE(eink::ReadTouchCalibration(&c));
    EXPECT_EQ(std::vector<int>({c.resX, c.resY, c.minX, c.maxX, c.minY, c.maxY, c.xySwap}),
              std::vector<int>({600, 800, 12, 4000, 30, 3900, 1}));
    EXPECT_TRUE(eink::TouchCalibrationUsable(c));

    // An empty range or no resolution is unusable; xyswap may be 0.
    auto usableWith = [&](auto change) {
        eink::TouchCalibration t = c;
        change(t);
        return eink::TouchCalibrationUsable(t);
    };
    EXPECT_FALSE(usableWith([](auto& t) { t.maxX = t.minX; }));
    EXPECT_FALSE(usableWith([](auto& t) { t.maxY = t.minY; }));
    EXPECT_FALSE(usableWith([](auto& t) { t.resY = 0; }));
    EXPECT_TRUE(usableWith([](auto& t) { t.xySwap = 0; }));

    unlink(RootPath("/etc/sysconfig/touchpad").c_str());
    testing::internal::CaptureStderr();
    EXPECT_FALSE(eink::ReadTouchCalibration(&c));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("/etc/sysconfig/touchpad"), std::string::npos) << err;
}

TEST(TouchCalibration, OnlyAUsableCalibrationReachesTheDriver) {
    WriteFile("/dev/.keep", "");
    std::string ts = RootPath("/dev/ts");
    unlink(ts.c_str());
    ASSERT_EQ(0, mkfifo(ts.c_str(), 0644));
    unlink((ts + ".calibration").c_str());

    WriteFile("/etc/sysconfig/touchpad", "res_x=600\nres_y=800\nmin_x=100\nmax_x=100\nmin_y=5\nmax_y=900\n");
    eink::TouchCalibration used;
    int fd = eink::OpenTouch(600, 800, &used);
    ASSERT_GE(fd, 0);
    close(fd);
    EXPECT_FALSE(std::ifstream(ts + ".calibration").good()) << "min_x = max_x is not handed over";
    EXPECT_EQ(used.resX, 600);

    WriteFile("/etc/sysconfig/touchpad", "res_x=1024\nres_y=768\nmin_x=100\nmax_x=3900\nmin_y=5\nmax_y=900\n");
    fd = eink::OpenTouch(824, 1200, &used);
    ASSERT_GE(fd, 0);
    close(fd);
    EXPECT_EQ(ReadFile("/dev/ts.calibration"), "1024 768 100 3900 5 900 0\n");
    // The resolution becomes the screen's.
    EXPECT_EQ((std::vector<int>{used.resX, used.resY, used.minX}), (std::vector<int>{824, 1200, 100}));
}

TEST(Shell, QuotesPathsForTheShell) {
    EXPECT_EQ(eink::ShellQuote("/a b/c"), "'/a b/c'");
    EXPECT_EQ(eink::ShellQuote("it's"), "'it'\\''s'");
}

TEST(Shell, StartedProgramsInheritNoDescriptorsOfTheServer) {
    int p[2];
    ASSERT_EQ(0, pipe(p)); // without close-on-exec, as a socket of the server might be
    WriteFile("/tmp/fds.log", "");
    std::string log = RootPath("/tmp/fds.log");
    unlink(log.c_str());
    WriteFile("/mnt/us/velmora/bin/velmora", "#!/bin/sh\nif [ -e /proc/$$/fd/" + std::to_string(p[1]) +
                                                 " ]; then echo inherited; else echo clean; fi > '" + log +
                                                 "'\necho \"$*\" >> '" + log + "'\n");
    chmod(RootPath("/mnt/us/velmora/bin/velmora").c_str(), 0755);
    eink::LaunchMainClient();
    std::string got;
    for (int i = 0; i < 300 && got.find('\n', got.find('\n') + 1) == std::string::npos; ++i) {
        usleep(10000);
        got = ReadFile("/tmp/fds.log");
    }
    EXPECT_EQ(got, "clean\n-ws\n");
    close(p[0]);
    close(p[1]);

    WriteFile("/sys/power/state", "");
    eink::SuspendDevice();
    EXPECT_EQ(ReadFile("/sys/power/state"), "mem\n");
}

class DeviceTest : public InputTest {
protected:
    void SetUp() override {
        InputTest::SetUp();
        SS_CloseInputDevices();
        for (int i = 0; i < 3; ++i) {
            std::string p = RootPath("/dev/input/event" + std::to_string(i));
            WriteFile("/dev/input/.keep", "");
            unlink(p.c_str());
            ASSERT_EQ(0, mkfifo(p.c_str(), 0644));
        }
        testing::internal::CaptureStdout();
        SS_OpenInputDevices();
        std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(out, "kbdfd:" + std::to_string(g_eventFd[0]) + "\n");
        for (int i = 0; i < 3; ++i)
            ASSERT_GE(g_eventFd[i], 0);
    }
    void TearDown() override {
        SS_CloseInputDevices();
        InputTest::TearDown();
    }
    int Writer(int index) {
        int fd = open(RootPath("/dev/input/event" + std::to_string(index)).c_str(), O_WRONLY | O_NONBLOCK);
        EXPECT_GE(fd, 0);
        return fd;
    }
    void Put(int fd, const Bytes& b) { ASSERT_EQ(write(fd, b.data(), b.size()), ssize_t(b.size())); }
};

TEST_F(DeviceTest, EventDevicesReadWholeRecordsFromPieces) {
    SSClient* c = NewClient();
    NewWindow(c, 0x100001, 0, 0, 0, 600, 800);
    int w = Writer(1);

    Bytes r = Record(1, 30, 1);
    Put(w, Bytes(r.begin(), r.begin() + 5));
    SS_ReadEventDevice(1);
    EXPECT_TRUE(Keys(c).empty());
    Put(w, Bytes(r.begin() + 5, r.end()));
    SS_ReadEventDevice(1);
    EXPECT_EQ(KeyLines(Keys(c)), Lines{"30/30 m0 r0 '\x1e'"});

    // Two records at once: one per reading step.
    Bytes two = Record(1, 30, 0);
    Bytes garbage = Record(0x7777, 0xFFFF, 12345);
    two.insert(two.end(), garbage.begin(), garbage.end());
    Put(w, two);
    SS_ReadEventDevice(1);
    EXPECT_EQ(Keys(c).size(), 1u);
    SS_ReadEventDevice(1);
    EXPECT_TRUE(Keys(c).empty());
    SS_ReadEventDevice(1); // nothing there: nothing happens
    SS_ReadEventDevice(7);
    SS_ReadEventDevice(-1);

    // The writer goes away: the FIFO is opened afresh and a new writer is heard.
    close(w);
    SS_ReadEventDevice(1);
    EXPECT_GE(g_eventFd[1], 0);
    w = Writer(1);
    Put(w, Record(1, 31, 1));
    SS_ReadEventDevice(1);
    EXPECT_EQ(KeyLines(Keys(c)), Lines{"31/31 m0 r0 '\x1f'"});
    close(w);
}

class PowerTest : public InputTest {};

TEST_F(PowerTest, SleepReplyKeepsHoldsAndReloadsTheTimeOutOnce) {
    SSClient* a = NewClient("a");
    SSClient* b = NewClient("b");
    g_holdingCount = 0;
    g_reloadSwitch = 1;
    g_sleepTimeout = 20000;
    WriteFile("/home/sleep.txt", "1234\n");

    SS_SleepReply(a, 1); // SleepCancel
    EXPECT_EQ((std::vector<int>{g_sleepTimeout, g_reloadSwitch, a->hold, g_holdingCount}),
              (std::vector<int>{1234, 0, 1, 1}));
    SS_SleepReply(a, 1);
    EXPECT_EQ(g_holdingCount, 1) << "a second cancel from the same client counts once";
    SS_SleepReply(a, 5);
    EXPECT_EQ(a->hold, 1) << "the first code that set the hold stays";

    WriteFile("/home/sleep.txt", "777\n");
    SS_SleepReply(b, 0); // SleepOk without a hold: nothing
    EXPECT_EQ(g_holdingCount, 1);
    EXPECT_EQ(g_sleepTimeout, 1234) << "only the first reply rereads the file";
    SS_SleepReply(b, 1);
    EXPECT_EQ(g_holdingCount, 2);

    long long before = g_delayTimeMs;
    usleep(2000);
    SS_SleepReply(a, 9); // SleepOkDelay
    EXPECT_GT(g_delayTimeMs, before);
    EXPECT_EQ(a->hold, 0);
    EXPECT_EQ(g_holdingCount, 1);
    SS_SleepReply(b, 0);
    EXPECT_EQ(b->hold, 0);
    EXPECT_EQ(g_holdingCount, 0);
    SS_SleepReply(b, 0);
    EXPECT_EQ(g_holdingCount, 0) << "never below 0";
    SS_SleepReply(nullptr, 1);

    // A holding client that goes away lowers the count.
    SS_SleepReply(b, 1);
    EXPECT_EQ(g_holdingCount, 1);
    DropClient(b);
    EXPECT_EQ(g_holdingCount, 0);
}

TEST_F(PowerTest, SleepRequestWithSeveralClientsNotifiesEveryTopWindow) {
    SSClient* a = NewClient("a");
    SSClient* b = NewClient("b");
    SSClient* c = NewClient("c");
    NewWindow(a, 0x100001, 0, 0, 0, 600, 800);
    NewWindow(b, 0x200001, 0, 0, 0, 600, 800, true, false);
    NewWindow(c, 0x300001, 0, 0, 0, 600, 800, false);
    for (SSClient* cl : {a, b, c})
        Events(cl);
    long long before = eink::NowMs();
    SS_RequestSleep();
    EXPECT_GE(g_sleepRequestMs, before);
    for (SSClient* cl : {a, b}) {
        auto keys = Keys(cl);
        EXPECT_EQ(KeyLines(keys), Lines{"32/32 m0 r1 ' '"});
        EXPECT_EQ(keys.empty() ? 0u : keys[0].raw.size(), 42u);
    }
    EXPECT_TRUE(Keys(c).empty()) << "not a top window";
}

} // namespace
