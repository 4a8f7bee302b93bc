// The screen image and the panel mechanism in process, on an emulated panel
// in a temporary root: pixel format, pixel addressing under rotation, the
// notice boxes, both panel models and the refresh requests.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/handlers.h"
#include "core/server.h"
#include "harness/panel.h"
#include "harness/wire_client.h"
#include "platform/einkroot.h"
#include "platform/framebuffer.h"
#include "render/apollo.h"

using testing_eink::GreyToNibble;
using testing_eink::HandlerMessage;

namespace {

// The process's emulated root: fixed paths resolve under it from the first
// use on, so it is set before any test runs.
const std::string& RootDir() {
    static const std::string dir = [] {
        char tmpl[] = "/tmp/eink-apollo-XXXXXX";
        std::string d = mkdtemp(tmpl) ? tmpl : "/tmp";
        mkdir((d + "/dev").c_str(), 0755);
        setenv("EINK_ROOT", d.c_str(), 1);
        return d;
    }();
    return dir;
}
const bool kRootReady = !RootDir().empty();

std::string Fb(const char* suffix = "") { return RootDir() + "/dev/fb0" + suffix; }

// A fresh emulated panel of the given mode and file size.
void MakePanel(int w, int h, size_t bytes) {
    std::ofstream(Fb(), std::ios::binary | std::ios::trunc) << std::string(bytes, '\0');
    std::ofstream(Fb(".mode"), std::ios::trunc) << w << " " << h << "\n";
    unlink(Fb(".updates").c_str());
    unlink(Fb(".png").c_str());
}

std::vector<std::string> Updates() {
    std::vector<std::string> lines;
    std::ifstream in(Fb(".updates"));
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);
    return lines;
}

bool WaitUpdates(size_t n) {
    for (int i = 0; i < 500; ++i) {
        if (Updates().size() >= n) return true;
        usleep(10000);
    }
    return false;
}

std::vector<uint8_t> PanelBytes() {
    std::ifstream in(Fb(), std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

int NibbleAt(const std::vector<uint8_t>& panel, int width, int x, int y) {
    size_t i = size_t(y) * size_t(width) + size_t(x);
    return (i & 1) ? (panel[i / 2] & 15) : (panel[i / 2] >> 4);
}

// Waits until a push has finished, so the next one is not refused.
void WaitPushDone() {
    for (int i = 0; i < 500 && SS_PushRunning(); ++i)
        usleep(10000);
    ASSERT_FALSE(SS_PushRunning());
}

void StartStandard() {
    MakePanel(600, 800, 600 * 800 / 2);
    ASSERT_TRUE(InitScreen());
    InitRefreshState();
}

uint32_t LengthOf(const std::vector<uint8_t>& m) { return m[1] | m[2] << 8; }

} // namespace

TEST(PanelFormat, GreyLevelsBecomeComplementedTopNibblesFirstPixelHigh) {
    const uint8_t grey[] = {255, 0, 192, 255, 0, 0, 17, 240, 0x8F, 0x70};
    uint8_t out[5] = {};
    eink::ConvertToPanel(grey, out, 10);
    // (255, 0) -> 0 | 15; (192, 255) -> 3 | 0; (0, 0) -> 15 | 15;
    // (17, 240) -> 14 | 0; (0x8F, 0x70) -> 7 | 8.
    const uint8_t want[] = {0x0F, 0x30, 0xFF, 0xE0, 0x78};
    EXPECT_EQ(std::vector<uint8_t>(out, out + 5), std::vector<uint8_t>(want, want + 5));

    // The fast conversion agrees with the plain one on any data and length.
    std::mt19937 rng(7);
    std::map<int, int> ran;
    for (size_t n : {2u, 30u, 32u, 34u, 64u, 66u, 128u, 190u, 1000u, 4098u}) {
        std::vector<uint8_t> src(n);
        for (auto& v : src)
            v = uint8_t(rng());
        std::vector<uint8_t> a(n / 2, 0xAA), b(n / 2, 0x55);
        eink::ConvertToPanel(src.data(), a.data(), n);
        eink::ConvertToPanelReference(src.data(), b.data(), n);
        EXPECT_EQ(a, b) << "length " << n;
        // Every vector width this processor can run.
        for (int level : {64, 128, 256, 512}) {
            if (level > eink::PanelConversionLevel()) continue;
            std::vector<uint8_t> c(n / 2, 0x5A);
            if (!eink::ConvertToPanelAt(level, src.data(), c.data(), n)) continue;
            ++ran[level];
            EXPECT_EQ(c, b) << "length " << n << ", " << level << " bits";
        }
    }
    // The portable form and the widest one this processor has both ran.
    EXPECT_EQ(ran[64], 10);
    EXPECT_EQ(ran[eink::PanelConversionLevel()], 10);
    EXPECT_FALSE(eink::ConvertToPanelAt(4096, grey, out, 10));
}

TEST(PanelFormat, AFullScreenPatternReachesThePanelFileAndPictureExactly) {
    // An emulated panel without a mode file is the standard 600 x 800 one.
    MakePanel(600, 800, 600 * 800 / 2);
    unlink(Fb(".mode").c_str());
    ASSERT_TRUE(InitScreen());
    InitRefreshState();
    EXPECT_EQ((std::vector<int>{g_screen->width, g_screen->height, g_screen->depth, g_screen->large}),
              (std::vector<int>{600, 800, 8, 0}));
    // Start: light grey everywhere, which reaches the panel as nibble 3.
    EXPECT_EQ(std::count(g_screen->screenBuffer, g_screen->screenBuffer + 600 * 800, 192), 600 * 800);
    PushScreen();
    ASSERT_TRUE(WaitUpdates(1));
    WaitPushDone();
    std::vector<uint8_t> grey = PanelBytes();
    EXPECT_EQ(std::count(grey.begin(), grey.end(), 0x33), 600 * 800 / 2);

    auto pattern = [](int x, int y) { return uint8_t(x * 7 + y * 13 + (x * y >> 5)); };
    for (int y = 0; y < 800; ++y)
        for (int x = 0; x < 600; ++x)
            g_screen->screenBuffer[y * 600 + x] = pattern(x, y);
    PushScreen();
    ASSERT_TRUE(WaitUpdates(2));
    WaitPushDone();
    EXPECT_EQ(Updates(), (std::vector<std::string>{"0 0 600 800 0 0", "0 0 600 800 0 0"}));

    std::vector<uint8_t> panel = PanelBytes();
    ASSERT_EQ(panel.size(), 600u * 800 / 2);
    int wrong = 0;
    for (int y = 0; y < 800; ++y)
        for (int x = 0; x < 600; ++x)
            if (NibbleAt(panel, 600, x, y) != GreyToNibble(pattern(x, y))) ++wrong;
    EXPECT_EQ(wrong, 0);

    int w = 0, h = 0;
    std::vector<uint8_t> png = testing_eink::ReadGreyPng(Fb(".png"), &w, &h);
    ASSERT_EQ(w, 600);
    ASSERT_EQ(h, 800);
    wrong = 0;
    for (int y = 0; y < 800; ++y)
        for (int x = 0; x < 600; ++x)
            if (png[size_t(y) * 600 + x] != 255 - 17 * GreyToNibble(pattern(x, y))) ++wrong;
    EXPECT_EQ(wrong, 0);
}

TEST(Rotation, EachModePlacesALogicalPixelAtThePhysicalPositionOfTheTable) {
    StartStandard();
    uint8_t* base = g_screen->screenBuffer;
    struct Case {
        int mode, px, py, lw, lh;
    };
    // Logical (10, 20) on a 600 x 800 screen.
    const Case cases[] = {
        {0, 10, 20, 600, 800},
        {1, 20, 800 - 1 - 10, 800, 600},
        {2, 600 - 1 - 10, 800 - 1 - 20, 600, 800},
        {3, 600 - 1 - 20, 10, 800, 600},
    };
    for (const Case& c : cases) {
        g_rotateMode = c.mode;
        EXPECT_EQ((std::vector<long>{ScreenPixelAddress(10, 20) - base, SS_ScreenWidth(), SS_ScreenHeight()}),
                  (std::vector<long>{c.py * 600 + c.px, c.lw, c.lh}))
            << "mode " << c.mode;
        // Every logical pixel lands on its own physical pixel.
        std::vector<uint8_t> hit(600 * 800, 0);
        for (int y = 0; y < c.lh; ++y)
            for (int x = 0; x < c.lw; ++x) {
                ptrdiff_t off = ScreenPixelAddress(x, y) - base;
                ASSERT_TRUE(off >= 0 && off < 600 * 800) << x << "," << y;
                ++hit[size_t(off)];
            }
        EXPECT_EQ(std::count(hit.begin(), hit.end(), 1), 600 * 800) << "mode " << c.mode;
    }

    // SetRotateMode ignores 4 and above and the current mode.
    g_rotateMode = 0;
    SS_SetRotateMode(4);
    SS_SetRotateMode(0xFFFFFFFFu);
    EXPECT_EQ(g_rotateMode, 0);
    auto req = HandlerMessage(110, {3});
    HandleSetRotateMode(nullptr, req.data(), LengthOf(req));
    EXPECT_EQ(g_rotateMode, 3);
    EXPECT_EQ(SS_ScreenWidth(), 800);
    SS_SetRotateMode(3);
    EXPECT_EQ(g_rotateMode, 3);
    SS_SetRotateMode(0);
    EXPECT_EQ(g_rotateMode, 0);
}

TEST(NoticeBoxes, AreWhiteBoxesWithABlackTitleBandAndTheirOwnLine) {
    const uint8_t* msg = SS_MessageNotice();
    const uint8_t* sd = SS_StorageCardNotice();
    auto at = [](const uint8_t* p, int x, int y) { return p[y * kNoticeWidth + x]; };
    for (const uint8_t* p : {msg, sd}) {
        // Band across the top: black, with white title pixels in it.
        EXPECT_EQ(at(p, 2, 2), 0);
        EXPECT_EQ(at(p, 360, 20), 0);
        int light = 0, dark = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 80; ++x)
                (at(p, x, y) > 200 ? light : dark)++;
        EXPECT_GT(light, 20);
        EXPECT_GT(dark, light);
        // Body: white, with dark text in the middle rows only.
        EXPECT_EQ(at(p, 20, 60), 255);
        EXPECT_EQ(at(p, 350, 190), 255);
        int text = 0;
        for (int y = 100; y < 140; ++y)
            for (int x = 0; x < kNoticeWidth; ++x)
                text += at(p, x, y) < 100;
        EXPECT_GT(text, 100);
    }
    EXPECT_NE(0, memcmp(msg, sd, size_t(kNoticeWidth) * kNoticeHeight));
}

TEST(NoticeBoxes, ShowOnlyWithTheVerticalScreenFlagAndStayUntilRedrawn) {
    StartStandard();
    const size_t n = 600 * 800;
    uint8_t* screen = g_screen->screenBuffer;
    auto boxEquals = [&](const uint8_t* notice) {
        for (int y = 0; y < kNoticeHeight; ++y)
            if (memcmp(screen + (220 + y) * 600 + 130, notice + y * kNoticeWidth, kNoticeWidth) != 0) return false;
        return true;
    };
    auto outsideIsGrey = [&] {
        for (int y = 0; y < 800; ++y)
            for (int x = 0; x < 600; ++x) {
                bool inBox = x >= 130 && x < 500 && y >= 220 && y < 420;
                if (!inBox && screen[y * 600 + x] != 192) return false;
            }
        return true;
    };

    g_verticalScreen = 0;
    auto on = HandlerMessage(143, {1});
    HandleSetMsgMode(nullptr, on.data(), LengthOf(on));
    EXPECT_EQ(SS_MsgMode(), 1);
    CopyFB();
    EXPECT_EQ(std::count(screen, screen + n, 192), long(n));

    g_verticalScreen = 1;
    CopyFB();
    EXPECT_TRUE(boxEquals(SS_MessageNotice()));
    EXPECT_TRUE(outsideIsGrey());
    EXPECT_EQ(0, memcmp(screen, g_screen->frontBuffer, n));

    // Off: the box stays in the screen image until someone draws there.
    long long before = eink::NowMs();
    auto off = HandlerMessage(143, {0});
    HandleSetMsgMode(nullptr, off.data(), LengthOf(off));
    EXPECT_GE(SS_MsgModeEndMs(), before);
    CopyFB();
    EXPECT_TRUE(boxEquals(SS_MessageNotice()));

    // Both modes: the storage-card notice is laid last.
    HandleSetMsgMode(nullptr, on.data(), LengthOf(on));
    auto sd = HandlerMessage(145, {2});
    HandleSetSDMode(nullptr, sd.data(), LengthOf(sd));
    EXPECT_EQ(SS_SdMode(), 2);
    CopyFB();
    EXPECT_TRUE(boxEquals(SS_StorageCardNotice()));

    // And through the panel: title band black, body white at (130, 220).
    PushScreen();
    ASSERT_TRUE(WaitUpdates(1));
    WaitPushDone();
    std::vector<uint8_t> panel = PanelBytes();
    EXPECT_EQ((std::vector<int>{NibbleAt(panel, 600, 131, 221), NibbleAt(panel, 600, 150, 280),
                                NibbleAt(panel, 600, 129, 221), NibbleAt(panel, 600, 500, 300)}),
              (std::vector<int>{15, 0, 3, 3}));

    HandleSetMsgMode(nullptr, off.data(), LengthOf(off));
    auto sdOff = HandlerMessage(145, {0});
    HandleSetSDMode(nullptr, sdOff.data(), LengthOf(sdOff));
}

TEST(PanelModels, AnEmulated824By1200PanelIsTheLargeModelWithItsOwnUpdateRecords) {
    MakePanel(824, 1200, 824 * 1200 / 2);
    testing::internal::CaptureStdout();
    ASSERT_TRUE(InitScreen());
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("bDX:0 line=225\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("not bDX"), std::string::npos);
    InitRefreshState();
    EXPECT_EQ((std::vector<int>{g_screen->large, g_screen->width, g_screen->height, SS_ScreenWidth()}),
              (std::vector<int>{1, 824, 1200, 824}));

    for (int y = 0; y < 1200; ++y)
        memset(g_screen->screenBuffer + y * 824, y < 600 ? 0 : 255, 824);
    PushScreen();
    ASSERT_TRUE(WaitUpdates(1));
    WaitPushDone();
    EXPECT_EQ(Updates()[0], "0 0 824 1200 0 0");
    std::vector<uint8_t> panel = PanelBytes();
    EXPECT_EQ(NibbleAt(panel, 824, 823, 599), 15);
    EXPECT_EQ(NibbleAt(panel, 824, 0, 600), 0);

    // Landscape: the geometry and the record follow the orientation.
    g_rotateTimer = 0;
    SS_ToggleOrientation();
    EXPECT_TRUE(SS_Landscape());
    EXPECT_EQ((std::vector<int>{g_screen->width, g_screen->height, g_rotateTimer}), (std::vector<int>{1200, 824, 1}));
    PushScreen();
    ASSERT_TRUE(WaitUpdates(2));
    WaitPushDone();
    EXPECT_EQ(Updates()[1], "0 0 1200 824 0 0");
    int w = 0, h = 0;
    testing_eink::ReadGreyPng(Fb(".png"), &w, &h);
    EXPECT_EQ(std::make_pair(w, h), std::make_pair(1200, 824));
    SS_ToggleOrientation();
    EXPECT_FALSE(SS_Landscape());
    g_rotateTimer = 0;

    // Any other resolution is the standard model, driven as 600 x 800.
    MakePanel(640, 800, 640 * 800 / 2);
    testing::internal::CaptureStdout();
    ASSERT_TRUE(InitScreen());
    out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("not bDX:0 line=229\n"), std::string::npos) << out;
    EXPECT_EQ((std::vector<int>{g_screen->large, g_screen->width, g_screen->height}), (std::vector<int>{0, 600, 800}));
}

TEST(PanelModels, AFrameBufferThatCannotBeMappedStopsStartUpWithAMessage) {
    // Smaller than the resolution it claims: mapping it would fault.
    MakePanel(600, 800, 1000);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(InitScreen());
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("cannot be mapped"), std::string::npos) << err;
    EXPECT_EQ(g_screen, nullptr);

    unlink(Fb().c_str());
    testing::internal::CaptureStderr();
    EXPECT_FALSE(InitScreen());
    err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("cannot open the frame buffer"), std::string::npos) << err;
}

TEST(RefreshRequests, SetTheSwitchesOfThePolicy) {
    StartStandard();
    refresh::State& s = SS_RefreshState();
    auto send = [](uint8_t op, std::vector<uint32_t> words, void (*h)(SSClient*, const uint8_t*, uint32_t)) {
        auto m = HandlerMessage(op, words);
        h(nullptr, m.data(), LengthOf(m));
    };
    // The wait time's range is judged in refresh_test; here the handler.
    send(132, {10000}, HandleSetUpdateWaitTime);
    EXPECT_EQ(s.waitTime, 500);
    send(132, {100}, HandleSetUpdateWaitTime);
    EXPECT_EQ(std::make_pair(s.waitTime, g_updateWaitTime), std::make_pair(100, 100));

    send(128, {0}, HandleGrabUpdate);
    EXPECT_TRUE(s.updateGrab);
    send(129, {0}, HandleUnGrabUpdate);
    EXPECT_FALSE(s.updateGrab);
    EXPECT_TRUE(s.ungrabRelease);

    send(137, {0, 0}, HandleUngrabUpdateRotate);
    EXPECT_FALSE(s.rotateRelease);
    send(136, {0, 0}, HandleGrabUpdateRotate);
    EXPECT_TRUE(s.rotateGrab);
    send(137, {0, 0}, HandleUngrabUpdateRotate);
    EXPECT_FALSE(s.rotateGrab);
    EXPECT_TRUE(s.rotateRelease);

    // UpdateLock reads its second word: 1 on, anything else off.
    send(139, {1, 0}, HandleUpdateLock);
    EXPECT_FALSE(SS_UpdateLocked());
    send(139, {0, 1}, HandleUpdateLock);
    EXPECT_TRUE(SS_UpdateLocked());
    uint32_t count = s.dirtyCount;
    MarkDirty(0, 0, 10, 10);
    EXPECT_EQ(s.dirtyCount, count);
    send(139, {0, 2}, HandleUpdateLock);
    EXPECT_FALSE(SS_UpdateLocked());
    MarkDirty(0, 0, 10, 10);
    EXPECT_EQ(s.dirtyCount, count + 1);

    send(135, {0}, HandleDiscardUpdate);
    EXPECT_EQ(s.dirtyCount, 0u);

    send(144, {0}, HandleSetForceUpdate);
    EXPECT_TRUE(s.force);
    EXPECT_EQ(g_forceUpdate, 1);

    // Accepted and without effect.
    auto snapshot = [&] {
        return std::vector<long long>{s.dirtyCount,    s.lastDirtyMs, s.waitTime,       s.longWait,
                                      s.force,         s.updateGrab,  s.ungrabRelease,  s.rotateGrab,
                                      s.rotateRelease, s.updateLock,  s.copyInProgress, s.awaitedWindow};
    };
    std::vector<long long> before = snapshot();
    send(131, {1}, HandleSwitchDisplayMode);
    send(133, {1}, HandleSetDefaultRefreshMode);
    send(134, {1}, HandleSetOnceRefreshMode);
    EXPECT_EQ(before, snapshot());

    // The "rserver" message: long wait and the other orientation.
    g_rotateTimer = 0;
    SS_RserverMessage();
    EXPECT_TRUE(SS_LongWait());
    EXPECT_TRUE(SS_Landscape());
    EXPECT_EQ((std::vector<int>{g_screen->width, g_screen->height, g_rotateTimer}), (std::vector<int>{800, 600, 1}));
    SS_ToggleOrientation();
    g_rotateTimer = 0;
}

TEST(RefreshMechanism, NothingReachesThePanelWhileTheHostOwnsIt) {
    StartStandard();
    ASSERT_FALSE(SS_HostLocked());
    MarkDirty(0, 0, 600, 800);
    SS_RefreshState().force = true;
    for (int i = 0; i < 20; ++i) {
        CheckScreenUpdate();
        usleep(50000);
    }
    EXPECT_TRUE(Updates().empty());
    EXPECT_FALSE(SS_PushRunning());
}

TEST(RefreshMechanism, AfterCloseScreenNothingIsPushedAndTheScreenImageStays) {
    StartStandard();
    PushScreen();
    ASSERT_TRUE(WaitUpdates(1));
    // Closing right behind a push waits for it to end, then lets go of the panel.
    CloseScreen();
    EXPECT_FALSE(SS_PushRunning());
    ASSERT_NE(g_screen, nullptr);
    memset(g_screen->screenBuffer, 0, 600 * 800);
    PushScreen();
    EXPECT_FALSE(SS_PushRunning());
    usleep(300000);
    EXPECT_EQ(Updates().size(), 1u);
}
