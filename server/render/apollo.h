// The screen image, the frame buffer behind it and the e-ink refresh policy.
#pragma once

#include <cstddef>
#include <cstdint>

#include "render/refresh.h"

// The screen description: physical geometry of the current orientation and
// the two 8-bit grey images of the whole display.
struct SSScreen {
    int32_t width;         // physical width of the current orientation
    int32_t height;        // physical height
    int32_t depth;         // bits per pixel, 8
    uint8_t* screenBuffer; // ScreenBuffer: what the display shows, stride = width
    uint8_t* frontBuffer;  // FrontBuffer: the copy the push thread converts
    bool large;            // the 824 x 1200 panel
};

extern SSScreen* g_screen;         // null until InitScreen
extern uint8_t g_refreshFileValue; // "/home/refresh.txt" truncated to a byte

// Panel sizes (portrait). The standard panel is driven at this size whatever
// the driver reports.
constexpr int32_t kStandardPanelWidth = 600, kStandardPanelHeight = 800;
constexpr int32_t kLargePanelWidth = 824, kLargePanelHeight = 1200;

// Opens and maps the frame buffer (or the emulated panel), builds the screen
// description and both buffers, shows the splash picture. False when the
// frame buffer cannot be used: the server must not go on.
bool InitScreen();
// Unmaps and closes the panel once no push is running (the clean-up waits 3
// seconds before calling it). The screen image stays valid; nothing is
// pushed any more.
void CloseScreen();

// Logical size as clients see it (width and height exchanged in odd modes).
int32_t SS_ScreenWidth();
int32_t SS_ScreenHeight();

// ScreenBuffer address of logical pixel (x, y) under the rotation mode.
uint8_t* ScreenPixelAddress(int32_t x, int32_t y);

// Tells the refresh policy that screen pixels changed.
void MarkDirty(int32_t x, int32_t y, int32_t width, int32_t height);

// Refresh state with a dirty area of the whole screen.
void InitRefreshState();

// The refresh policy, run after every pass of the main loop.
void CheckScreenUpdate();

// Copies the screen (with the notice boxes) for the panel and starts the push
// thread, whatever the policy says. Does nothing while a push runs.
void PushScreen();

// ---- Orientation and rotation ----------------------------------------------

// Orientation flag: false portrait (the start), true landscape. Switches the
// physical geometry between the panel's two sizes.
bool SS_Landscape();
void SS_ToggleOrientation();
// SetRotateMode: 0..3; out of range or unchanged modes are ignored.
void SS_SetRotateMode(uint32_t mode);

// The "rserver" user message: long wait for the next push, and the other
// orientation.
void SS_RserverMessage();

// ---- State the other modules read or report --------------------------------

// Host lock (owned by the input devices): while off, the host system owns the
// panel and nothing is pushed. The lock key's handler reports every change.
void SS_SetHostLock(bool locked);
bool SS_HostLocked();

// A forced push one second from now (host lock, orientation change); the main
// loop's rotation-update timer carries it out. A request while the timer
// runs restarts it.
void SS_RequestDelayedRefresh();

bool SS_UpdateLocked();      // UpdateLock in force: copies and dirty notices are dropped
bool SS_LongWait();          // the next push waits 1200 ms
int32_t SS_MsgMode();        // SetMsgMode value
long long SS_MsgModeEndMs(); // when SetMsgMode 0 last came (NowMs clock), 0 never
int32_t SS_SdMode();         // SetSDMode value
bool SS_PushRunning();
void SS_SetMsgMode(int32_t mode); // 0 also records the end time
void SS_SetSdMode(int32_t mode);

// A pixmap-to-window copy is under way (the policy holds back meanwhile).
void SS_SetCopyInProgress(bool on);

// The awaited window. Pixmap-to-window copies record the top-level window
// (child of the root) they drew into, 0 for the root itself. When the
// topmost mapped top-level window is another one, the policy pushes nothing
// and asks that window to redraw instead. The window system installs the two
// hooks: `topmost` returns the topmost mapped top-level window (0 when none),
// `exposeTopmost` sends exposure to it and its mapped descendants. Without
// hooks the rule never holds anything back.
void SS_SetAwaitedWindow(uint32_t topLevelId);
uint32_t SS_AwaitedWindow();
// A destroyed window can no longer be awaited.
void SS_ForgetAwaitedWindow(uint32_t windowId);
void SS_SetRefreshWindowHooks(uint32_t (*topmost)(), void (*exposeTopmost)());

// ---- Panel details, for tests and benchmarks ---------------------------------

// The notice boxes: 370 x 200 grey pictures laid at (130, 220).
constexpr int32_t kNoticeWidth = 370, kNoticeHeight = 200, kNoticeX = 130, kNoticeY = 220;
const uint8_t* SS_MessageNotice();
const uint8_t* SS_StorageCardNotice();

// CopyFB: the notice boxes when due, then ScreenBuffer -> FrontBuffer.
void CopyFB();
// The push thread's conversion of the FrontBuffer into the panel image.
void SS_ConvertFrontBuffer(uint8_t* out, size_t outLength);

// The policy's state, for the request handlers (which call SS_RefreshChanged
// after a change) and for tests.
refresh::State& SS_RefreshState();
void SS_RefreshChanged();

// The clock of the refresh policy (milliseconds); tests may replace it.
extern long long (*g_refreshClock)();

// ---- Splash picture ------------------------------------------------------------

// Decodes the JPEG at `path` as grey and lays its top-left part, cut to the
// screen, centred into `screen` (width x height bytes, stride width). A
// missing file does nothing quietly; an unreadable one prints the system
// error for its path; an undecodable one prints the decoder's message. The
// screen is only written when the visible part decoded completely. True
// when drawn.
bool SS_DrawSplash(const char* path, uint8_t* screen, int32_t width, int32_t height);
