// Event routing: keys, pointer, focus and the broadcasts.
#include "window/routing.h"

#include <cstring>

#include "core/handlers.h"
#include "core/server.h"
#include "input/input.h"
#include "platform/einkroot.h"
#include "render/apollo.h"
#include "window/routing_state.h"
#include "window/ssregion.h"
#include "window/sswindow.h"

namespace {

// ---- Routing state kept here (the window tree keeps the window references
// that must follow destruction: focus, active, top, press, entered, grabs) ----

int32_t s_pointerX = 0, s_pointerY = 0;
uint32_t s_buttons = 0;
// The window that received the last MouseMove, by identifier: it is only
// compared, and an identifier cannot dangle when the window goes away.
bool s_hasMoveTarget = false;
uint32_t s_moveTarget = 0;

bool s_keyFilter = true;
bool s_homeKeyBlock = false;
bool s_homeKeyGate = false;

int32_t s_lastKey = -1;
long long s_lastReleaseMs = -1000000;

constexpr long long kReleaseRepeatMs = 600;

// ---- Window tree access ---------------------------------------------------------------

SSWindow* Root() { return g_rootWindow; }
SSWindow* TopChild(const SSWindow* w) { return w ? w->firstChild : nullptr; }
SSWindow* Below(const SSWindow* w) { return w->nextSibling; }
bool Mapped(const SSWindow* w) { return (w->flags & WIN_MAPPED) != 0; }
bool TopFlag(const SSWindow* w) { return (w->flags & WIN_TOPWINDOW) != 0; }
bool DesktopFlag(const SSWindow* w) { return (w->flags & WIN_DESKTOP) != 0; }

// The root has the logical screen size; before it exists (input devices open
// first at start-up) the screen description tells.
int32_t ScreenW() { return Root() ? Root()->d.width : g_screen ? SS_ScreenWidth() : 0; }
int32_t ScreenH() { return Root() ? Root()->d.height : g_screen ? SS_ScreenHeight() : 0; }

// ---- Helpers ------------------------------------------------------------------------------

// Pointer position relative to a window. Windows may lie anywhere a client
// put them, so the difference is taken as the 32-bit word the event carries
// rather than as an int that could overflow.
int32_t Relative(int32_t pointer, int32_t origin) { return int32_t(uint32_t(pointer) - uint32_t(origin)); }

void SendMouse(SSWindow* w, uint8_t type, uint32_t button) {
    if (!w || !w->owner) return;
    uint32_t n = proto::BuildMouseEvent(g_sendBuffer, type, w->d.id, Relative(s_pointerX, w->d.x),
                                        Relative(s_pointerY, w->d.y), button);
    SS_Send(w->owner, g_sendBuffer, n);
}

void SendWindowEvent(SSWindow* w, uint8_t type) {
    if (!w || !w->owner) return;
    uint32_t n = proto::BuildWindowEvent(g_sendBuffer, type, w->d.id);
    SS_Send(w->owner, g_sendBuffer, n);
}

void TopWindowBroadcast(uint32_t code, uint32_t code2, uint32_t modifier, const char* text, uint8_t released) {
    // Sending never changes the tree, so the walk is safe.
    for (SSWindow* w = TopChild(Root()); w; w = Below(w))
        if (TopFlag(w)) SS_SendKeyIn(w, text, text ? int(strlen(text)) : 0, code, code2, modifier, released);
}

bool Contains(const SSWindow* w, int32_t x, int32_t y) {
    if (x < w->d.x || y < w->d.y || int64_t(x) >= int64_t(w->d.x) + w->d.width ||
        int64_t(y) >= int64_t(w->d.y) + w->d.height)
        return false;
    return !w->shape || SS_PointInRegion(w->shape, x, y);
}

SSWindow* FirstMappedChildAt(const SSWindow* parent, int32_t x, int32_t y) {
    for (SSWindow* w = TopChild(parent); w; w = Below(w))
        if (Mapped(w) && Contains(w, x, y)) return w;
    return nullptr;
}

// SS_FindWindowsAt: the top-level window under the pointer, and the deepest
// mapped window below it (none when the pointer is over the top-level itself).
void FindWindowsAt(int32_t x, int32_t y, SSWindow** topLevel, SSWindow** deepest) {
    *topLevel = FirstMappedChildAt(Root(), x, y);
    *deepest = nullptr;
    for (SSWindow* w = *topLevel ? FirstMappedChildAt(*topLevel, x, y) : nullptr; w; w = FirstMappedChildAt(w, x, y))
        *deepest = w;
}

int32_t Clamp(int64_t v, int32_t limit) {
    if (v < 0) return 0;
    if (limit < 1) return 0;
    return v > limit - 1 ? limit - 1 : int32_t(v);
}

// Steps 1 and 3 to 8 of pointer routing, the position having been updated.
void PointerCommon(uint32_t buttons, bool moved) {
    buttons &= 7;
    SSWindow* root = Root();
    if (!root) return;

    // 1. The lowest changed button decides between press and release.
    uint32_t changed = buttons ^ s_buttons;
    int button = -1;
    for (int b = 0; b < 3; ++b)
        if (changed & (1u << b)) {
            button = b;
            break;
        }
    bool press = button >= 0 && (buttons & (1u << button));
    if (button >= 0) s_hasMoveTarget = false;

    // 3. Hit test.
    SSWindow *topLevel, *deepest;
    FindWindowsAt(s_pointerX, s_pointerY, &topLevel, &deepest);
    SSWindow* target = deepest ? deepest : topLevel ? topLevel : root;

    // 4. Grabs.
    if (button >= 0 && !g_pointerGrabs.empty()) {
        if (press)
            g_pointerGrabs.clear();
        else if (!SS_PointerGrabbed(target))
            return;
    }

    // 5. Activation.
    SSWindow* raise = nullptr;
    if (press && topLevel != g_activeTopLevel) {
        g_activeTopLevel = topLevel;
        SSWindow* app = topLevel;
        if (app && !TopFlag(app) && app->transientOwner) app = app->transientOwner;
        if (app && app != g_topWindow && !DesktopFlag(app)) {
            g_topWindow = app;
            raise = app;
        }
    }

    // 6. Motion.
    if (moved) {
        if (target != g_enteredWindow) {
            SendMouse(g_enteredWindow, proto::EV_MouseOut, 0);
            SendMouse(target, proto::EV_MouseIn, 0);
            g_enteredWindow = target;
        }
        if (!s_hasMoveTarget || s_moveTarget != target->d.id) {
            s_hasMoveTarget = true;
            s_moveTarget = target->d.id;
            SSWindow* to = deepest ? deepest : topLevel;
            if (g_pressWindow && g_pressWindow != to) SendMouse(g_pressWindow, proto::EV_MouseMove, 0);
            SendMouse(to, proto::EV_MouseMove, 0);
        }
    }

    // 7. The button event.
    if (button >= 0) {
        if (press) {
            if (g_focusWindow != deepest) {
                SendWindowEvent(g_focusWindow, proto::EV_LostFocus);
                SendWindowEvent(deepest, proto::EV_GetFocus);
                g_focusWindow = deepest;
            }
            SSWindow* to = g_focusWindow ? g_focusWindow : g_activeTopLevel ? g_activeTopLevel : root;
            SendMouse(to, proto::EV_MouseDown, uint32_t(button));
            g_pressWindow = to;
        } else if (g_pressWindow) {
            SendMouse(g_pressWindow, proto::EV_MouseUp, uint32_t(button));
            g_pressWindow = nullptr;
        }
    }

    // 8.
    s_buttons = buttons;
    if (raise) SS_RaiseWindow(raise);
}

SSWindow* WindowArg(const uint8_t* msg, uint32_t length) {
    proto::ArgReader args(msg, length);
    return SS_FindWindow(args.u32());
}

} // namespace

// ---- Keys -------------------------------------------------------------------------------------

void SS_SendKeyIn(SSWindow* window, const char* text, int, uint32_t code, uint32_t code2, uint32_t modifier,
                  uint8_t released) {
    if (!window || !window->owner) return;
    uint32_t n = proto::BuildKeyIn(g_sendBuffer, window->d.id, code, code2, modifier, released, text);
    SS_Send(window->owner, g_sendBuffer, n);
}

void SS_DeliverKey(uint32_t code, uint32_t code2, uint32_t modifier, const char* text, int textLength,
                   uint8_t released) {
    SSWindow* to = SS_TopmostMappedChild();
    if (!to) to = g_focusWindow;
    SS_SendKeyIn(to, text, textLength, code, code2, modifier, released);
}

void SS_BroadcastTopWindowKey(uint32_t code, const char* text) { TopWindowBroadcast(code, code, 0, text, 1); }

SSWindow* SS_HomeShellWindow() {
    SSClient* home = SS_FindProgram("homeshell");
    if (!home) return nullptr;
    for (SSWindow* w = TopChild(Root()); w; w = Below(w))
        if (TopFlag(w) && w->owner == home) return w;
    return nullptr;
}

bool SS_KeyFilterOn() { return s_keyFilter; }
bool SS_HomeKeyBlocked() { return s_homeKeyBlock; }
bool SS_HomeKeyGateOn() { return s_homeKeyGate; }

namespace {

bool NoticeLockedCode(uint32_t code) {
    switch (code) {
    case 14:
    case 15:
    case 16:
    case 17:
    case 19:
    case 20:
    case 21:
    case 22:
    case 23:
    case 25:
    case 26:
    case 29: return true;
    default: return code >= 48 && code <= 57;
    }
}

// Armed while the message notice is shown and for the key time after it was
// hidden; the first key later than that disarms it until the next hiding.
long long s_noticeDisarmedAt = 0; // the hiding time whose lock is over

bool NoticeLockArmed(long long now) {
    if (SS_MsgMode() != 0) return true;
    long long hidden = SS_MsgModeEndMs();
    if (hidden == 0 || hidden == s_noticeDisarmedAt) return false;
    if (now - hidden <= g_keyTime) return true;
    s_noticeDisarmedAt = hidden;
    return false;
}

bool BroadcastKey(uint32_t code) {
    switch (code) {
    case 28:
    case 32:
    case 33:
    case 34:
    case 35:
    case 36:
    case 37:
    case 38:
    case 39:
    case 102:
    case 103:
    case 107:
    case 113:
    case 114:
    case 115:
    case 116:
    case 117:
    case 118: return true;
    default: return false;
    }
}

} // namespace

void SS_RouteKey(uint32_t code, uint32_t code2, uint32_t modifier, const char* text, int textLength, uint8_t released) {
    // 1.
    if (code == 126) return;
    const long long now = eink::NowMs();

    // 2. The notice lock keeps keys from acting on a screen the user cannot see.
    if (NoticeLockArmed(now) && NoticeLockedCode(code)) return;

    // 3. User activity.
    g_keyTimerMs = now;
    g_idleTimerMs = now;
    g_delayTimeMs = now;

    // 4. The release repeat filter: some keypads report one release twice.
    if (released) {
        switch (code) {
        case 20:
        case 21:
        case 22:
        case 23:
        case 84:
        case 85:
        case 86:
        case 87:
        case 89:
        case 90:
            s_lastReleaseMs = now;
            s_lastKey = int32_t(code);
            break;
        default:
            if (s_keyFilter && int32_t(code) == s_lastKey && now - s_lastReleaseMs <= kReleaseRepeatMs) return;
            s_lastReleaseMs = now;
            s_lastKey = int32_t(code);
            if (code == 32) {
                g_sleepTimeout = 20000;
                g_shutdownPending = 1;
                g_sleepRequestMs = now;
            }
            break;
        }
    }

    // 5. The home-key gate.
    if (code == 30) s_homeKeyGate = true;
    if (code == 31) s_homeKeyGate = false;

    // 6. Home keys.
    if (code == 13) {
        SSWindow* top = TopChild(Root());
        if (s_homeKeyBlock || (top && top->d.width == 370 && top->d.height == 150)) return;
        if (!s_homeKeyGate) {
            SS_SendKeyIn(SS_HomeShellWindow(), text, textLength, code, code2, modifier, released);
            return;
        }
    }
    if (code == 77 && !s_homeKeyGate) {
        SS_SendKeyIn(SS_HomeShellWindow(), text, textLength, code, code2, modifier, released);
        return;
    }
    if (code == 106) {
        SS_SendKeyIn(SS_HomeShellWindow(), text, textLength, code, code2, modifier, released);
        return;
    }

    // 7. Broadcast keys act on release only.
    if (BroadcastKey(code)) {
        if (!released) return;
        if (code == 28) {
            SS_SendKeyIn(SS_HomeShellWindow(), text, textLength, code, code2, modifier, released);
            return;
        }
        if (code == 33) {
            g_shutdownPending = 1;
            g_sleepRequestMs = now;
        }
        if (code == 32 || code == 33) {
            if (g_clientCount == 1) SS_RequestSleep(); // suspends and does not return
            g_sleepRequestMs = now;
            TopWindowBroadcast(32, code2, modifier, text, released);
            return;
        }
        TopWindowBroadcast(code, code2, modifier, text, released);
        return;
    }

    // 8.
    if (code == 30 || code == 31) SS_SendKeyIn(SS_HomeShellWindow(), text, textLength, code, code2, modifier, released);

    // 9.
    SS_DeliverKey(code, code2, modifier, text, textLength, released);
}

// ---- Pointer -----------------------------------------------------------------------------------

void SS_PointerInput(uint32_t buttons, int32_t dx, int32_t dy) {
    int64_t rx = dx, ry = dy;
    switch (g_rotateMode) {
    case 1: rx = -int64_t(dy), ry = dx; break;
    case 2: rx = -int64_t(dx), ry = -int64_t(dy); break;
    case 3: rx = dy, ry = -int64_t(dx); break;
    default: break;
    }
    int32_t x = Clamp(s_pointerX + rx, ScreenW()), y = Clamp(s_pointerY + ry, ScreenH());
    bool moved = x != s_pointerX || y != s_pointerY;
    s_pointerX = x;
    s_pointerY = y;
    PointerCommon(buttons, moved);
}

void SS_PointerInputAbs(uint32_t buttons, int32_t x, int32_t y, bool absolute) {
    const int64_t w = ScreenW(), h = ScreenH();
    int64_t rx = x, ry = y;
    switch (g_rotateMode) {
    case 1: rx = w - y + 1, ry = x; break;
    case 2: rx = w - x + 1, ry = h - y + 1; break;
    case 3: rx = y, ry = h - x + 1; break;
    default: break;
    }
    int32_t cx = Clamp(rx, int32_t(w)), cy = Clamp(ry, int32_t(h));
    int32_t nx = s_pointerX, ny = s_pointerY;
    if (cx != 0 || cy != 0) {
        if (absolute) {
            nx = cx;
            ny = cy;
        } else {
            nx = Clamp(int64_t(s_pointerX) + cx, int32_t(w));
            ny = Clamp(int64_t(s_pointerY) + cy, int32_t(h));
        }
    }
    bool moved = nx != s_pointerX || ny != s_pointerY;
    s_pointerX = nx;
    s_pointerY = ny;
    PointerCommon(buttons, moved);
}

int32_t SS_PointerX() { return s_pointerX; }
int32_t SS_PointerY() { return s_pointerY; }
uint32_t SS_PointerButtons() { return s_buttons; }

void SS_SetPointerPosition(int32_t x, int32_t y) {
    s_pointerX = Clamp(x, ScreenW());
    s_pointerY = Clamp(y, ScreenH());
}

// ---- Broadcasts ------------------------------------------------------------------------------

void SS_BroadcastScreenSizeChange(int32_t width, int32_t height) {
    if (SS_UpdateLocked()) return;
    for (SSWindow* w = TopChild(Root()); w; w = Below(w)) {
        if (!w->owner) continue;
        uint32_t n = proto::BuildScreenSizeChange(g_sendBuffer, w->d.id, width, height, uint32_t(g_rotateMode));
        SS_Send(w->owner, g_sendBuffer, n);
    }
}

void SS_BroadcastCharsetChange(uint32_t mode) {
    for (SSWindow* w = TopChild(Root()); w; w = Below(w)) {
        if (!Mapped(w) || !w->owner) continue;
        uint32_t n = proto::BuildCharsetChange(g_sendBuffer, w->d.id, mode);
        SS_Send(w->owner, g_sendBuffer, n);
    }
}

void SS_ResetRouting() {
    s_pointerX = s_pointerY = 0;
    s_buttons = 0;
    s_hasMoveTarget = false;
    s_moveTarget = 0;
    s_keyFilter = true;
    s_homeKeyBlock = false;
    s_homeKeyGate = false;
    s_lastKey = -1;
    s_lastReleaseMs = -1000000;
}

// ---- Requests -----------------------------------------------------------------------------------

void HandleAddPointerGrab(SSClient*, const uint8_t* msg, uint32_t length) { SS_AddPointerGrab(WindowArg(msg, length)); }

void HandleInsertPointerGrab(SSClient*, const uint8_t* msg, uint32_t length) {
    SS_InsertPointerGrab(WindowArg(msg, length));
}

void HandleRemovePointerGrab(SSClient*, const uint8_t* msg, uint32_t length) {
    SSWindow* w = WindowArg(msg, length);
    if (w) SS_RemovePointerGrab(w);
}

void HandleKeyFilter(SSClient*, const uint8_t* msg, uint32_t length) {
    proto::ArgReader args(msg, length);
    args.u32(); // the window is not used
    s_keyFilter = args.s32() == 1;
}

void HandleUpdatePop(SSClient*, const uint8_t* msg, uint32_t length) {
    proto::ArgReader args(msg, length);
    args.u32();
    s_homeKeyBlock = args.s32() == 1;
}
