// The screen image and the panel mechanism: frame buffer set-up, pixel
// addressing under rotation, the copy for the panel and the push thread. The
// decisions of when to push are in refresh.cpp.
#include "render/apollo.h"

#include <pthread.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>

#include "core/server.h"
#include "platform/einkroot.h"
#include "platform/framebuffer.h"
#include "render/refresh.h"
#include "window/routing.h"
#include "window/sswindow.h"

SSScreen* g_screen = nullptr;
uint8_t g_refreshFileValue = 0;
long long (*g_refreshClock)() = SS_NowMs;

namespace {

SSScreen s_screen;
std::unique_ptr<eink::FrameBuffer> s_fb;
uint8_t* s_panel = nullptr; // the mapped panel memory
size_t s_panelLength = 0;
uint8_t* s_convert = nullptr; // conversion buffer for the push thread
size_t s_convertLength = 0;
bool s_landscape = false;
bool s_closed = false;

refresh::State s_refresh;
bool s_hostLocked = false;
// The one variable shared with the push thread: set here before the thread
// starts, cleared by the thread as its very last action.
std::atomic<bool> s_pushRunning{false};
int32_t s_msgMode = 0;
int32_t s_sdMode = 0;
long long s_msgModeEndMs = 0;
uint32_t (*s_topmostHook)() = nullptr;
void (*s_exposeTopmostHook)() = nullptr;

long long Now() { return g_refreshClock(); }

void SleepMs(long ms) {
    timespec req{ms / 1000, (ms % 1000) * 1000000L}, rem{};
    while (nanosleep(&req, &rem) != 0 && errno == EINTR)
        req = rem;
}

// The two settings that the core also keeps as globals (the rotation-update
// timer turns force on; the wait time is visible to all).
void LoadShared() {
    if (g_forceUpdate) s_refresh.force = true;
}
void StoreShared() {
    g_forceUpdate = s_refresh.force ? 1 : 0;
    g_updateWaitTime = s_refresh.waitTime;
}

void SetGeometry() {
    int32_t w = s_screen.large ? kLargePanelWidth : kStandardPanelWidth;
    int32_t h = s_screen.large ? kLargePanelHeight : kStandardPanelHeight;
    s_screen.width = s_landscape ? h : w;
    s_screen.height = s_landscape ? w : h;
}

// The whole screen, always: the standard panel takes the same record in
// both orientations, the large one follows the orientation.
eink::PanelUpdate UpdateRecord() {
    if (!s_screen.large)
        return eink::PanelUpdate{0, 0, uint32_t(kStandardPanelWidth), uint32_t(kStandardPanelHeight), 0, 0};
    if (s_landscape) return eink::PanelUpdate{0, 0, uint32_t(kLargePanelHeight), uint32_t(kLargePanelWidth), 0, 0};
    return eink::PanelUpdate{0, 0, uint32_t(kLargePanelWidth), uint32_t(kLargePanelHeight), 0, 0};
}

// What the push thread needs, fixed by the main thread before it starts the
// thread: an orientation change meanwhile must not reach a running push.
struct PushJob {
    const uint8_t* front;
    size_t pixels;
    eink::PanelUpdate record;
};
PushJob s_job;

void* PushThread(void*) {
    size_t pixels = s_job.pixels < s_convertLength * 2 ? s_job.pixels : s_convertLength * 2;
    eink::ConvertToPanel(s_job.front, s_convert, pixels);
    memcpy(s_panel, s_convert, pixels / 2 < s_panelLength ? pixels / 2 : s_panelLength);
    s_fb->Update(s_job.record);
    // The controller is still busy after the command returns.
    SleepMs(100);
    s_pushRunning.store(false);
    return nullptr;
}

void CopyNotice(const uint8_t* notice) {
    if (!notice || kNoticeX + kNoticeWidth > s_screen.width || kNoticeY + kNoticeHeight > s_screen.height) return;
    for (int32_t row = 0; row < kNoticeHeight; ++row)
        memcpy(s_screen.screenBuffer + size_t(kNoticeY + row) * size_t(s_screen.width) + kNoticeX,
               notice + size_t(row) * kNoticeWidth, kNoticeWidth);
}

void FreeBuffers() {
    free(s_screen.screenBuffer);
    free(s_screen.frontBuffer);
    free(s_convert);
    s_screen.screenBuffer = s_screen.frontBuffer = s_convert = nullptr;
}

// Back to nothing, so that InitScreen can run again (tests build several
// panels in one process).
void ReleaseScreen() {
    for (int i = 0; i < 500 && s_pushRunning.load(); ++i)
        SleepMs(10);
    if (s_pushRunning.load()) return;
    s_fb.reset();
    s_panel = nullptr;
    s_panelLength = 0;
    FreeBuffers();
    g_screen = nullptr;
}

} // namespace

bool InitScreen() {
    ReleaseScreen();
    if (s_pushRunning.load()) return false;
    std::string path = eink::Path("/dev/fb0");
    s_fb = eink::FrameBuffer::Open(path);
    if (!s_fb) {
        fprintf(stderr, "cannot open the frame buffer %s: %s\n", path.c_str(), strerror(errno));
        return false;
    }
    if (!s_fb->ReadFixedInfo()) {
        printf("get fix info for screen error.\n");
        fflush(stdout);
    }
    eink::PanelResolution res{0, 0};
    if (!s_fb->ReadResolution(&res) || res.xres <= 0 || res.yres <= 0) {
        fprintf(stderr, "cannot read the resolution of the frame buffer %s\n", path.c_str());
        s_fb.reset();
        return false;
    }

    bool wasLarge = s_screen.large;
    s_screen.large = (res.xres == kLargePanelWidth && res.yres == kLargePanelHeight) ||
                     (res.xres == kLargePanelHeight && res.yres == kLargePanelWidth);
    if (s_screen.large)
        printf("bDX:%d line=%d\n", wasLarge ? 1 : 0, 225);
    else
        printf("not bDX:%d line=%d\n", s_screen.large ? 1 : 0, 229);
    fflush(stdout);

    s_panelLength = size_t(res.xres) * size_t(res.yres) / 2;
    s_panel = s_fb->Map(s_panelLength);
    if (!s_panel) {
        fprintf(stderr, "the frame buffer %s cannot be mapped: the server cannot draw\n", path.c_str());
        s_fb.reset();
        return false;
    }

    s_landscape = false;
    SetGeometry();
    s_screen.depth = 8;
    size_t pixels = size_t(s_screen.width) * size_t(s_screen.height);
    // The panel image is converted from the whole screen; a driver that
    // reports fewer pixels gets only what fits into its memory.
    s_convertLength = pixels / 2;
    s_screen.screenBuffer = static_cast<uint8_t*>(malloc(pixels));
    s_screen.frontBuffer = static_cast<uint8_t*>(malloc(pixels));
    s_convert = static_cast<uint8_t*>(malloc(s_convertLength));
    if (!s_screen.screenBuffer || !s_screen.frontBuffer || !s_convert) {
        fprintf(stderr, "out of memory for the screen buffers\n");
        FreeBuffers();
        s_fb.reset();
        return false;
    }
    memset(s_screen.screenBuffer, 192, pixels);
    memset(s_screen.frontBuffer, 192, pixels);
    g_screen = &s_screen;
    s_closed = false;

    refresh::Init(s_refresh, Now(), false);
    if (SS_DrawSplash(eink::Path("/mnt/us/start.jpg").c_str(), s_screen.screenBuffer, s_screen.width, s_screen.height))
        PushScreen();

    g_refreshFileValue = uint8_t(SS_ReadConfigNumber("/home/refresh.txt", 0, 0));
    return true;
}

void CloseScreen() {
    if (!s_fb) return;
    s_closed = true;
    // Never unmap under a push that is still writing the panel. The server's
    // clean-up has already waited its 3 seconds; a push lasts far less.
    for (int i = 0; i < 300 && s_pushRunning.load(); ++i)
        SleepMs(10);
    if (s_pushRunning.load()) return;
    s_fb.reset();
    s_panel = nullptr;
    s_panelLength = 0;
}

// 0 before the screen exists, so that nothing sizes itself from garbage.
int32_t SS_ScreenWidth() {
    if (!g_screen) return 0;
    return (g_rotateMode & 1) ? g_screen->height : g_screen->width;
}
int32_t SS_ScreenHeight() {
    if (!g_screen) return 0;
    return (g_rotateMode & 1) ? g_screen->width : g_screen->height;
}

uint8_t* ScreenPixelAddress(int32_t x, int32_t y) {
    int32_t w = g_screen->width, h = g_screen->height, px = x, py = y;
    switch (g_rotateMode) {
    case 1:
        px = y;
        py = h - 1 - x;
        break;
    case 2:
        px = w - 1 - x;
        py = h - 1 - y;
        break;
    case 3:
        px = w - 1 - y;
        py = x;
        break;
    default: break;
    }
    return g_screen->screenBuffer + ptrdiff_t(py) * w + px;
}

void MarkDirty(int32_t, int32_t, int32_t, int32_t) { refresh::MarkDirty(s_refresh, Now()); }

void InitRefreshState() {
    refresh::Init(s_refresh, Now(), true);
    StoreShared();
}

void CheckScreenUpdate() {
    LoadShared();
    refresh::Environment env;
    env.shuttingDown = g_quit != 0 || s_closed || !s_fb;
    env.hostLocked = s_hostLocked;
    env.pushRunning = s_pushRunning.load();
    env.topmostWindow = (s_refresh.awaitedWindow && s_topmostHook) ? s_topmostHook() : 0;
    switch (refresh::Evaluate(s_refresh, env, Now())) {
    case refresh::Action::Push: PushScreen(); break;
    case refresh::Action::ExposeTopmost:
        if (s_exposeTopmostHook) s_exposeTopmostHook();
        break;
    case refresh::Action::None: break;
    }
    StoreShared();
}

void CopyFB() {
    if (g_verticalScreen && s_msgMode != 0) CopyNotice(SS_MessageNotice());
    if (g_verticalScreen && s_sdMode != 0) CopyNotice(SS_StorageCardNotice());
    // Both images have the stride of the screen's width: the rows follow one
    // another, so one copy moves them all.
    memcpy(s_screen.frontBuffer, s_screen.screenBuffer, size_t(s_screen.width) * size_t(s_screen.height));
}

void SS_ConvertFrontBuffer(uint8_t* out, size_t outLength) {
    size_t pixels = size_t(s_screen.width) * size_t(s_screen.height);
    if (outLength < pixels / 2) pixels = outLength * 2;
    eink::ConvertToPanel(s_screen.frontBuffer, out, pixels);
}

void PushScreen() {
    if (!s_fb || !s_panel || s_closed || s_pushRunning.load()) return;
    CopyFB();
    s_job = PushJob{s_screen.frontBuffer, size_t(s_screen.width) * size_t(s_screen.height), UpdateRecord()};
    s_pushRunning.store(true);
    refresh::Pushed(s_refresh, Now());

    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
    pthread_t thread;
    bool started = pthread_create(&thread, &attr, PushThread, nullptr) == 0;
    pthread_attr_destroy(&attr);
    // The policy has already counted this push as done (pending drawing and
    // a forced push are consumed): without a thread, push from here rather
    // than lose the update.
    if (!started) PushThread(nullptr);
}

bool SS_PushRunning() { return s_pushRunning.load(); }

// ---- Orientation and rotation ------------------------------------------------

bool SS_Landscape() { return s_landscape; }

void SS_ToggleOrientation() {
    if (!g_screen) return;
    eink::PanelResolution res{0, 0};
    if (s_fb) s_fb->ReadResolution(&res);
    s_landscape = !s_landscape;
    SetGeometry();
    // Clients hear of the new size before the exposure that follows it.
    SS_BroadcastScreenSizeChange(SS_ScreenWidth(), SS_ScreenHeight());
    SS_WindowsRotated();
    SS_RequestDelayedRefresh();
}

void SS_SetRotateMode(uint32_t mode) {
    if (!g_screen || mode >= 4 || int(mode) == g_rotateMode) return;
    g_rotateMode = int(mode);
    eink::PanelResolution res{0, 0};
    if (s_fb) s_fb->ReadResolution(&res);
    SS_BroadcastScreenSizeChange(SS_ScreenWidth(), SS_ScreenHeight());
    SS_WindowsRotated();
}

void SS_RserverMessage() {
    s_refresh.longWait = true;
    SS_ToggleOrientation();
}

// ---- Shared state -------------------------------------------------------------

void SS_SetHostLock(bool locked) { s_hostLocked = locked; }
bool SS_HostLocked() { return s_hostLocked; }

// A new request while the timer runs starts the second over: the push
// follows the latest change, not the first one.
void SS_RequestDelayedRefresh() { g_rotateTimer = 1; }

bool SS_UpdateLocked() { return s_refresh.updateLock; }
bool SS_LongWait() { return s_refresh.longWait; }
int32_t SS_MsgMode() { return s_msgMode; }
long long SS_MsgModeEndMs() { return s_msgModeEndMs; }
int32_t SS_SdMode() { return s_sdMode; }
void SS_SetMsgMode(int32_t mode) {
    s_msgMode = mode;
    if (mode == 0) s_msgModeEndMs = SS_NowMs();
}
void SS_SetSdMode(int32_t mode) { s_sdMode = mode; }

refresh::State& SS_RefreshState() { return s_refresh; }
void SS_RefreshChanged() { StoreShared(); }

void SS_SetCopyInProgress(bool on) { s_refresh.copyInProgress = on; }

void SS_SetAwaitedWindow(uint32_t topLevelId) { s_refresh.awaitedWindow = topLevelId; }
uint32_t SS_AwaitedWindow() { return s_refresh.awaitedWindow; }
void SS_ForgetAwaitedWindow(uint32_t windowId) {
    if (windowId != 0 && s_refresh.awaitedWindow == windowId) s_refresh.awaitedWindow = 0;
}
void SS_SetRefreshWindowHooks(uint32_t (*topmost)(), void (*exposeTopmost)()) {
    s_topmostHook = topmost;
    s_exposeTopmostHook = exposeTopmost;
}
