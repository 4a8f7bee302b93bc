// Keys in process: the event-device reader with the lock key and the host
// lock, the key router with its filters and home keys, the key channel and
// the console reader, judged by the KeyIn events the client ends receive and
// by the lines written into the host key files.
#include <cstdio>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "core/handlers.h"
#include "core/server.h"
#include "harness/wire_client.h"
#include "input/inproc.h"
#include "input/input.h"
#include "render/apollo.h"
#include "window/routing.h"
#include "window/routing_state.h"
#include "window/sswindow.h"

using namespace inproc;

namespace {

void SleepMs(int ms) { usleep(useconds_t(ms) * 1000); }

void Call(void (*handler)(SSClient*, const uint8_t*, uint32_t), uint8_t op, std::vector<uint32_t> words,
          SSClient* c = nullptr) {
    auto m = testing_eink::HandlerMessage(op, words);
    handler(c, m.data(), uint32_t(4 + 4 * words.size()));
}

void Key(int device, uint16_t code, int32_t value) { SS_EventRecord(device, 1, code, value); }

std::vector<std::string> KeypadLines() {
    std::vector<std::string> lines;
    std::ifstream in(RootPath("/proc/keypad"));
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);
    return lines;
}

void FreshHostFiles() {
    SS_CloseInputDevices();
    WriteFile("/proc/keypad", "");
    WriteFile("/proc/fiveway", "");
    SS_OpenHostKeyFiles();
}

// A stand-in main client program that logs each start.
void InstallFakeClient() {
    WriteFile("/mnt/us/velmora/bin/velmora",
              "#!/bin/sh\necho \"start $*\" >> '" + RootPath("/tmp/velmora.log") + "'\n");
    chmod(RootPath("/mnt/us/velmora/bin/velmora").c_str(), 0755);
    WriteFile("/tmp/velmora.log", "");
}

std::string WaitLog(size_t lines) {
    std::string log;
    for (int i = 0; i < 300; ++i) {
        log = ReadFile("/tmp/velmora.log");
        size_t n = 0;
        for (char ch : log)
            n += ch == '\n';
        if (n >= lines) break;
        SleepMs(10);
    }
    return log;
}

class KeyTest : public InputTest {
protected:
    void SetUp() override {
        InputTest::SetUp();
        FreshHostFiles();
    }
    void TearDown() override {
        // The host lock is shared with the refresh policy: leave it off.
        if (SS_HostLocked()) SS_SetHostLock(false);
        SS_GrabInput(false);
        InputTest::TearDown();
    }
    // A client with one full-screen top window, its events so far read.
    SSClient* App() {
        SSClient* c = NewClient();
        NewWindow(c, 0x100001, 0, 0, 0, 600, 800);
        Events(c);
        return c;
    }
};

TEST_F(KeyTest, KeyInCarriesTheFieldsAndTextUpToItsNul) {
    SSClient* c = NewClient();
    SSWindow* w = NewWindow(c, 0x100001, 0, 0, 0, 100, 100);
    Events(c);

    SS_SendKeyIn(w, "f", 5, 102, 103, 1, 1);
    SS_SendKeyIn(w, "", 1, 7, 8, 0, 0);
    SS_SendKeyIn(w, nullptr, 0, 9, 9, 0, 0);
    auto keys = Keys(c);
    ASSERT_EQ(keys.size(), 3u);
    // "f" with its NUL: 42 bytes, the length repeated at offset 8.
    const Bytes golden = {9, 42, 0, 0, 0x01, 0, 0x10, 0, 42, 0, 0, 0, 102, 0, 0, 0, 103, 0, 0, 0,   1,
                          0, 0,  0, 1, 0,    0, 0,    0, 0,  0, 0, 0, 0,   0, 0, 0, 0,   0, 0, 'f', 0};
    EXPECT_EQ(keys[0].raw, golden);
    EXPECT_EQ(keys[1].raw.size(), 40u);
    EXPECT_EQ(U32(keys[1].raw, 8), 40u);
    EXPECT_EQ(keys[2].raw.size(), 40u);
}

TEST_F(KeyTest, ShortPressOfTheLockKeyArrivesAsItsReleaseOnly) {
    SSClient* c = App();

    Key(0, 32, 1);
    Key(0, 32, 0);
    EXPECT_EQ(KeyLines(Keys(c)), Lines{"32/32 m0 r1 ' '"});
    EXPECT_FALSE(SS_HostLocked());

    // Any other key: press, repeat and release all arrive.
    Key(0, 30, 1);
    Key(0, 30, 2);
    Key(0, 30, 0);
    const std::string rs(1, char(30));
    EXPECT_EQ(KeyLines(Keys(c)),
              (Lines{"30/30 m0 r0 '" + rs + "'", "30/30 m0 r0 '" + rs + "'", "30/30 m0 r1 '" + rs + "'"}));
}

TEST_F(KeyTest, LongPressTogglesTheHostLockAndLaunchesTheClientOnce) {
    InstallFakeClient();
    SSClient* c = App();
    g_rotateTimer = 0;
    bool launchedBefore = SS_ClientLaunched();

    testing::internal::CaptureStdout();
    for (int value : {1, 2, 2, 2, 0})
        Key(0, 32, value);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(Keys(c).empty()) << "a long press reaches nobody";
    EXPECT_TRUE(SS_HostLocked());
    EXPECT_TRUE(SS_InputGrabbed());
    EXPECT_TRUE(SS_ClientLaunched());
    EXPECT_EQ(g_rotateTimer, 1) << "the lock from device 0 asks for the delayed refresh";
    if (!launchedBefore) {
        EXPECT_EQ(out, "lock old systemu0\nlock old systemu1\nlock old systemu2\nlock old system2\n");
        EXPECT_EQ(WaitLog(1), "start -ws\n");
    }

    // The second long press hands the keys back.
    testing::internal::CaptureStdout();
    for (int value : {1, 2, 0})
        Key(1, 32, value);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "unlock old systemu0\n");
    EXPECT_FALSE(SS_HostLocked());
    EXPECT_FALSE(SS_InputGrabbed());
    EXPECT_EQ(KeypadLines(), (std::vector<std::string>{"send 139", "send 158"}));
    EXPECT_TRUE(Keys(c).empty());

    // Locking again from device 1: no second launch, no delayed refresh.
    g_rotateTimer = 0;
    testing::internal::CaptureStdout();
    Key(1, 32, 1);
    Key(1, 32, 2);
    out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "lock old systemu0\nlock old systemu2\nlock old system2\n");
    EXPECT_TRUE(SS_HostLocked());
    EXPECT_EQ(g_rotateTimer, 0);
    SleepMs(200);
    if (!launchedBefore) {
        EXPECT_EQ(ReadFile("/tmp/velmora.log"), "start -ws\n");
    }
    Key(1, 32, 0);
    EXPECT_TRUE(Keys(c).empty());
}

TEST_F(KeyTest, ReleaseOfALongPressedLockKeyStaysAwayEvenAfterOtherKeys) {
    SSClient* c = App();
    Key(0, 32, 1);
    Key(0, 32, 2); // locks
    Key(0, 30, 1); // another key while the lock key is still down
    Key(0, 30, 0);
    Key(0, 32, 0);
    const std::string rs(1, char(30));
    EXPECT_EQ(KeyLines(Keys(c)), (Lines{"30/30 m0 r0 '" + rs + "'", "30/30 m0 r1 '" + rs + "'"}));
    EXPECT_TRUE(SS_HostLocked());
    // The next short press is an ordinary one again.
    Key(0, 32, 1);
    Key(0, 32, 0);
    EXPECT_EQ(KeyLines(Keys(c)), Lines{"32/32 m0 r1 ' '"});
}

TEST_F(KeyTest, LargePanelRemapsKeysAndTakes42AsALockKey) {
    SSClient* c = App();
    g_screen->large = true;

    Key(0, 122, 1);
    Key(0, 122, 0);
    Key(1, 91, 0);
    Key(1, 92, 0);
    Key(0, 123, 0);
    Key(2, 122, 0); // the third device is not remapped
    EXPECT_EQ(KeyLines(Keys(c)), (Lines{"103/103 m0 r0 'g'", "103/103 m0 r1 'g'", "158/158 m0 r1 '\x9e'",
                                        "194/194 m0 r1 '\xc2'", "108/108 m0 r1 'l'", "122/122 m0 r1 'z'"}));

    // 42 is a lock key here: its long press locks and its repeat is not sent.
    Key(0, 42, 1);
    Key(0, 42, 2);
    Key(0, 42, 0);
    EXPECT_TRUE(Keys(c).empty());
    EXPECT_TRUE(SS_HostLocked());
    Key(0, 42, 1);
    Key(0, 42, 2);
    Key(0, 42, 0);
    EXPECT_FALSE(SS_HostLocked());
    EXPECT_EQ(KeypadLines(), (std::vector<std::string>{"send 102", "send 139", "send 91"}));
}

TEST_F(KeyTest, KeyPressedWhile42IsHeldHasTheShiftModifier) {
    SSClient* c = App();

    Key(0, 42, 1);
    Key(0, 30, 1);
    Key(0, 30, 0);
    Key(0, 42, 0);
    Key(0, 30, 1);
    std::vector<uint32_t> modifiers;
    for (const Event& k : Keys(c))
        modifiers.push_back(KeyModifier(k));
    // The release of 42 turns shift off first.
    EXPECT_EQ(modifiers, (std::vector<uint32_t>{1, 1, 1, 0, 0}));
}

TEST_F(KeyTest, DeviceKeysGoToTheTopmostMappedWindowElseFocusElseNobody) {
    SSClient* a = NewClient();
    SSClient* b = NewClient();
    NewWindow(a, 0x100001, 0, 0, 0, 600, 800);
    SSWindow* top = NewWindow(b, 0x200001, 0, 10, 10, 50, 50, false);
    Events(a);
    Events(b);

    Key(0, 30, 0);
    EXPECT_TRUE(Keys(a).empty());
    auto keys = Keys(b);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].window, 0x200001u);

    // Nothing mapped: the focus window, else nothing.
    SS_ResetWindows();
    SSWindow* hidden = NewWindow(a, 0x100002, 0, 0, 0, 10, 10, true, false);
    g_focusWindow = hidden;
    Key(0, 30, 0);
    keys = Keys(a);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].window, 0x100002u);
    g_focusWindow = nullptr;
    Key(0, 30, 0);
    EXPECT_TRUE(Keys(a).empty());
    (void)top;
}

TEST_F(KeyTest, GarbageRecordsAreIgnored) {
    SSClient* c = App();

    SS_EventRecord(0, 0, 0, 0);  // synchronisation
    SS_EventRecord(0, 3, 32, 1); // absolute axis
    SS_EventRecord(0, 1, 30, 7); // no such key value
    SS_EventRecord(0, 1, 30, -1);
    SS_EventRecord(5, 1, 30, 1); // no such device: read as an ordinary one
    SS_EventRecord(-1, 1, 30, 0);
    const std::string rs(1, char(30));
    EXPECT_EQ(KeyLines(Keys(c)), (Lines{"30/30 m0 r0 '" + rs + "'", "30/30 m0 r1 '" + rs + "'"}));
}

TEST_F(KeyTest, InjectedLinesHaveTheirFormatsAndFiles) {
    SS_InjectHostKey(102, 0, false);
    SS_InjectHostKey(103, 1, false);
    SS_InjectHostKey(104, 2, false);
    SS_InjectHostKey(105, 3, false); // no such variant
    SS_InjectHostKey(106, -1, false);
    SS_InjectHostKey(107, 0, true);
    EXPECT_EQ(KeypadLines(), (std::vector<std::string>{"send 102", "sendshift 103", "sendalt 104"}));
    EXPECT_EQ(ReadFile("/proc/fiveway"), "send 107\n");

    WriteFile("/proc/keypad", "");
    SS_GrabInput(true);
    SS_ReleaseHost();
    EXPECT_FALSE(SS_InputGrabbed());
    EXPECT_EQ(KeypadLines(), (std::vector<std::string>{"send 102", "send 139", "send 158"}));
    WriteFile("/proc/keypad", "");
    g_screen->large = true;
    SS_InjectHostSequence();
    EXPECT_EQ(KeypadLines(), (std::vector<std::string>{"send 102", "send 139", "send 91"}));

    // Without the files nothing is written and nothing fails.
    SS_CloseInputDevices();
    unlink(RootPath("/proc/keypad").c_str());
    SS_OpenHostKeyFiles();
    SS_InjectHostSequence();
    EXPECT_FALSE(std::ifstream(RootPath("/proc/keypad")).good());
}

// ---- The key router ----------------------------------------------------------------

TEST_F(KeyTest, ReleaseRepeatFilterDropsASecondReleaseWithin600Ms) {
    SSClient* c = App();

    SS_RouteKey(57, 57, 0, "9", 1, 1);
    SleepMs(300);
    SS_RouteKey(57, 57, 0, "9", 1, 1);
    EXPECT_EQ(Keys(c).size(), 1u);

    SleepMs(700);
    SS_RouteKey(57, 57, 0, "9", 1, 1);
    SleepMs(700);
    SS_RouteKey(57, 57, 0, "9", 1, 1);
    EXPECT_EQ(Keys(c).size(), 2u);

    // Another key in between resets the filter; exempt keys are never filtered.
    SS_RouteKey(58, 58, 0, ":", 1, 1);
    SS_RouteKey(57, 57, 0, "9", 1, 1);
    SS_RouteKey(20, 20, 0, "", 1, 1);
    SS_RouteKey(20, 20, 0, "", 1, 1);
    SS_RouteKey(89, 89, 0, "Y", 1, 1);
    SS_RouteKey(89, 89, 0, "Y", 1, 1);
    EXPECT_EQ(Keys(c).size(), 6u);

    // Presses are never filtered; with KeyFilter off releases are not either.
    SS_RouteKey(57, 57, 0, "9", 1, 0);
    SS_RouteKey(57, 57, 0, "9", 1, 0);
    EXPECT_EQ(Keys(c).size(), 2u);
    Call(HandleKeyFilter, 138, {0, 0});
    EXPECT_FALSE(SS_KeyFilterOn());
    SS_RouteKey(57, 57, 0, "9", 1, 1);
    SS_RouteKey(57, 57, 0, "9", 1, 1);
    EXPECT_EQ(Keys(c).size(), 2u);
    Call(HandleKeyFilter, 138, {0, 2});
    EXPECT_FALSE(SS_KeyFilterOn()) << "only 1 turns it on";
    Call(HandleKeyFilter, 138, {0, 1});
    EXPECT_TRUE(SS_KeyFilterOn());
}

TEST_F(KeyTest, BroadcastKeysGoToEveryTopWindowOnRelease) {
    SSClient* a = NewClient("reader");
    SSClient* b = NewClient("other");
    NewWindow(a, 0x100001, 0, 0, 0, 600, 800);
    NewWindow(a, 0x100002, 0, 0, 0, 100, 100, false);     // not a top window
    NewWindow(b, 0x200001, 0, 0, 0, 50, 50, true, false); // unmapped top window
    Events(a);
    Events(b);

    SS_RouteKey(113, 113, 0, "q", 1, 0);
    EXPECT_TRUE(Keys(a).empty());
    EXPECT_TRUE(Keys(b).empty());
    SS_RouteKey(113, 113, 5, "q", 1, 1);
    auto ka = Keys(a), kb = Keys(b);
    ASSERT_EQ(ka.size(), 1u);
    ASSERT_EQ(kb.size(), 1u);
    EXPECT_EQ(ka[0].window, 0x100001u);
    EXPECT_EQ(kb[0].window, 0x200001u);
    EXPECT_EQ(KeyLines(kb), Lines{"113/113 m5 r1 'q'"});

    // The storage notices.
    SS_BroadcastTopWindowKey(102, "f");
    SS_BroadcastTopWindowKey(103, "g");
    EXPECT_EQ(KeyLines(Keys(b)), (Lines{"102/102 m0 r1 'f'", "103/103 m0 r1 'g'"}));
    EXPECT_EQ(Keys(a).size(), 2u);

    // The sleep key with more than one client: broadcast as 32.
    g_sleepTimeout = 4000;
    SS_RouteKey(33, 33, 0, "!", 1, 1);
    EXPECT_EQ(KeyLines(Keys(b)), Lines{"32/33 m0 r1 '!'"});
    EXPECT_EQ(g_shutdownPending, 1);
    g_shutdownPending = 0;
    SS_RouteKey(32, 32, 0, " ", 1, 1);
    EXPECT_EQ(g_sleepTimeout, 20000);
    EXPECT_EQ(g_shutdownPending, 1);
    EXPECT_EQ(Keys(b).size(), 1u);
    EXPECT_EQ(Keys(a).size(), 2u);
}

TEST_F(KeyTest, HomeKeyReachesOnlyTheHomeShellUnlessBlocked) {
    SSClient* home = NewClient("/usr/bin/homeshell");
    SSClient* app = NewClient("reader");
    NewWindow(home, 0x100001, 0, 0, 0, 600, 800);
    SSWindow* appWin = NewWindow(app, 0x200001, 0, 0, 0, 600, 800);
    Events(home);
    Events(app);
    ASSERT_NE(SS_HomeShellWindow(), nullptr);
    EXPECT_EQ(SS_HomeShellWindow()->d.id, 0x100001u);

    SS_RouteKey(13, 13, 0, "\r", 1, 0);
    auto kh = Keys(home);
    ASSERT_EQ(kh.size(), 1u);
    EXPECT_EQ(kh[0].window, 0x100001u);
    EXPECT_TRUE(Keys(app).empty());

    Call(HandleUpdatePop, 140, {0, 1});
    EXPECT_TRUE(SS_HomeKeyBlocked());
    SS_RouteKey(13, 13, 0, "\r", 1, 0);
    EXPECT_TRUE(Keys(home).empty());
    Call(HandleUpdatePop, 140, {0, 0});
    SS_RouteKey(13, 13, 0, "\r", 1, 0);
    EXPECT_EQ(Keys(home).size(), 1u);

    // A 370 x 150 window on top (a pop-up) keeps the home key away.
    NewWindow(app, 0x200002, 0, 100, 100, 370, 150, false);
    SS_RouteKey(13, 13, 0, "\r", 1, 0);
    EXPECT_TRUE(Keys(home).empty());
    EXPECT_TRUE(Keys(app).empty());

    // 106 always goes home; other keys go to the topmost window.
    SS_RouteKey(106, 106, 0, "j", 1, 0);
    EXPECT_EQ(Keys(home).size(), 1u);
    SS_RouteKey(60, 60, 0, "<", 1, 0);
    auto ka = Keys(app);
    ASSERT_EQ(ka.size(), 1u);
    EXPECT_EQ(ka[0].window, 0x200002u);

    // The gate (30 on, 31 off): 30 goes home and on to the topmost window;
    // with the gate on, 77 is an ordinary key.
    SS_RouteKey(30, 30, 0, "", 1, 0);
    EXPECT_TRUE(SS_HomeKeyGateOn());
    EXPECT_EQ(Keys(home).size(), 1u);
    EXPECT_EQ(Keys(app).size(), 1u);
    SS_RouteKey(77, 77, 0, "M", 1, 0);
    EXPECT_TRUE(Keys(home).empty());
    EXPECT_EQ(Keys(app).size(), 1u);
    SS_RouteKey(31, 31, 0, "", 1, 0);
    EXPECT_FALSE(SS_HomeKeyGateOn());
    Keys(home);
    Keys(app);
    SS_RouteKey(77, 77, 0, "M", 1, 0);
    EXPECT_EQ(Keys(home).size(), 1u);
    EXPECT_TRUE(Keys(app).empty());

    // 28 is a broadcast key that goes home on release.
    SS_RouteKey(28, 28, 0, "", 1, 0);
    EXPECT_TRUE(Keys(home).empty());
    SS_RouteKey(28, 28, 0, "", 1, 1);
    EXPECT_EQ(Keys(home).size(), 1u);
    EXPECT_TRUE(Keys(app).empty());

    // Without a home shell the home keys go nowhere.
    DropClient(home);
    SS_RouteKey(106, 106, 0, "j", 1, 0);
    EXPECT_TRUE(Keys(app).empty());
    (void)appWin;
}

TEST_F(KeyTest, RouterDropsWhatHasNoTarget) {
    SSClient* c = NewClient();
    NewWindow(c, 0x100001, 0, 0, 0, 100, 100, true, false);
    Events(c);
    g_focusWindow = nullptr;
    SS_RouteKey(60, 60, 0, "<", 1, 0);
    SS_RouteKey(126, 126, 0, "~", 1, 0);
    EXPECT_TRUE(Keys(c).empty());

    NewWindow(c, 0x100002, 0, 0, 0, 100, 100);
    SS_RouteKey(126, 126, 0, "~", 1, 0);
    EXPECT_TRUE(Keys(c).empty()) << "126 is always discarded";
    SS_RouteKey(60, 60, 0, "<", 1, 0);
    EXPECT_EQ(Keys(c).size(), 1u);
}

TEST_F(KeyTest, NoticeLockHoldsDigitsWhileShownAndForTheKeyTimeAfter) {
    SSClient* c = App();
    g_keyTime = 200;

    Call(HandleSetMsgMode, 143, {1});
    SS_RouteKey(50, 50, 0, "2", 1, 0);
    SS_RouteKey(20, 20, 0, "", 1, 0);
    SS_RouteKey(60, 60, 0, "<", 1, 0);
    auto keys = Keys(c);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(KeyCode(keys[0]), 60u);

    Call(HandleSetMsgMode, 143, {0});
    SS_RouteKey(50, 50, 0, "2", 1, 0);
    EXPECT_TRUE(Keys(c).empty()) << "still within the key time";
    SleepMs(300);
    SS_RouteKey(50, 50, 0, "2", 1, 0);
    SS_RouteKey(51, 51, 0, "3", 1, 0);
    EXPECT_EQ(Keys(c).size(), 2u);
}

TEST_F(KeyTest, KeyChannelTranslatesTheKeypadAndDrivesThePointer) {
    SSClient* c = App();

    // The keypad's digits and letters are translated, other bytes pass.
    for (uint8_t b : {1, 7, 68, 75, 200})
        SS_KeyChannelByte(b);
    EXPECT_EQ(KeyLines(Keys(c)), (Lines{"52/52 m0 r0 '4'", "57/57 m0 r0 '9'", "97/97 m0 r0 'a'", "101/101 m0 r0 'e'",
                                        "200/200 m0 r0 '\xc8'"}));
    // The whole table, entry by entry; codes between its ranges pass.
    std::string table;
    for (uint32_t code : {1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 65, 66, 67, 68, 69, 71, 72, 73, 74, 75})
        table += char(SS_KeypadTranslate(code));
    EXPECT_EQ(table, "4321098765dcba`ihgfe");
    for (uint32_t other : {0u, 6u, 12u, 32u, 64u, 70u, 76u, 255u, 300u})
        EXPECT_EQ(SS_KeypadTranslate(other), other);

    // Bytes 8-11 move the pointer by 2, 12 and 13 press and release.
    SS_SetPointerPosition(100, 100);
    std::vector<int> trail;
    for (uint8_t b : {8, 9, 10, 10, 11, 12, 13}) {
        SS_KeyChannelByte(b);
        trail.insert(trail.end(), {SS_PointerX(), SS_PointerY(), int(SS_PointerButtons())});
    }
    EXPECT_EQ(trail,
              (std::vector<int>{98, 100, 0, 98, 98, 0, 100, 98, 0, 102, 98, 0, 102, 100, 0, 102, 100, 1, 102, 100, 0}));
    EXPECT_TRUE(Keys(c).empty());
}

TEST_F(KeyTest, ConsoleMediumRawBytesBecomeRoutedKeys) {
    SSClient* c = App();

    const uint8_t bytes[] = {0x02, 0x82, 0x3C, 0x00, 0x81, 0x82};
    SS_ConsoleBytes(bytes, sizeof bytes);
    auto keys = Keys(c);
    std::vector<std::string> summary;
    for (const Event& k : keys)
        summary.push_back(std::to_string(KeyCode(k)) + (KeyReleased(k) ? "^" : "v") + std::to_string(KeyModifier(k)));
    EXPECT_EQ(summary, (Lines{"51v0", "51^0", "60v0", "130v0"}));

    // A long code split over reads, and a release of one.
    const uint8_t part1[] = {0x80, 0x82};
    const uint8_t part2[] = {0x83};
    SS_ConsoleBytes(part1, 2);
    EXPECT_TRUE(Keys(c).empty());
    SS_ConsoleBytes(part2, 1);
    keys = Keys(c);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(KeyCode(keys[0]), (2u << 7) | 3u);
    EXPECT_EQ(KeyReleased(keys[0]), 1);
}

} // namespace
