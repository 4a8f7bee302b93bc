// The optional readers: console keyboard (medium-raw), PS/2 mouse and touch
// screen. Start-up opens them only on request (EINK_INPUT, see input.h).
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <unistd.h>

#include "input/input.h"
#include "platform/einkroot.h"
#include "platform/input.h"
#include "render/apollo.h"
#include "window/routing.h"

int g_mouseFd = -1;
int g_consoleFd = -1;
int g_touchFd = -1;

namespace {

eink::ConsoleState s_console;

// A medium-raw code above 127 comes as 0 (or 0x80) and two bytes with bit 7
// set; such a sequence may be split between reads.
uint8_t s_consolePending[2];
int s_consolePendingCount = 0;

// Mouse bytes that did not make a whole packet yet.
uint8_t s_mouseRest[2];
int s_mouseRestCount = 0;

// Touch: bytes of an unfinished record, and the last position reported.
uint8_t s_touchRest[8];
int s_touchRestCount = 0;
uint16_t s_touchX = 0, s_touchY = 0;

constexpr int kCursorWidth = 11, kCursorHeight = 19;
int s_cursorX = 0, s_cursorY = 0;

// Mouse and touch screen both start with the pointer in the middle of the
// screen and the cursor centred on it.
void CentrePointer() {
    int32_t w = SS_ScreenWidth(), h = SS_ScreenHeight();
    SS_SetPointerPosition(w / 2, h / 2);
    s_cursorX = (w - kCursorWidth) / 2;
    s_cursorY = (h - kCursorHeight) / 2;
}

void RouteConsoleCode(uint32_t code, bool released) {
    uint32_t key = SS_KeypadTranslate(code);
    char text[2] = {char(key & 0xFF), 0};
    SS_RouteKey(key, key, 0, text, 1, released ? 1 : 0);
}

} // namespace

void SS_OpenConsole() {
    if (g_consoleFd >= 0) return;
    bool fatal = false;
    if (!eink::OpenConsole(&s_console, &fatal)) return;
    if (fatal) exit(1); // the keyboard cannot be read in raw mode
    g_consoleFd = s_console.fd;
    s_consolePendingCount = 0;
}

void SS_OpenMouse() {
    if (g_mouseFd >= 0) return;
    CentrePointer();
    g_mouseFd = eink::OpenMouse();
    s_mouseRestCount = 0;
}

void SS_OpenTouch() {
    if (g_touchFd >= 0) return;
    CentrePointer();
    g_touchFd = eink::OpenTouch(SS_ScreenWidth(), SS_ScreenHeight(), nullptr);
    s_touchRestCount = 0;
}

void SS_CloseOptionalInput() {
    if (g_consoleFd >= 0) {
        bool fatal = false;
        eink::CloseConsole(&s_console, &fatal);
        g_consoleFd = -1;
        if (fatal) exit(1);
    }
    for (int* fd : {&g_mouseFd, &g_touchFd}) {
        if (*fd >= 0) close(*fd);
        *fd = -1;
    }
}

// ---- Console keyboard -------------------------------------------------------------

void SS_ReadConsole() {
    if (g_consoleFd < 0) return;
    uint8_t buf[128];
    ssize_t n = read(g_consoleFd, buf, sizeof buf);
    if (n > 0) SS_ConsoleBytes(buf, int(n));
}

void SS_ConsoleBytes(const uint8_t* bytes, int count) {
    for (int i = 0; i < count; ++i) {
        uint8_t b = bytes[i];
        if (s_consolePendingCount == 0) {
            if ((b & 0x7F) == 0) {
                // Perhaps the start of a long code: wait for its two bytes.
                s_consolePending[s_consolePendingCount++] = b;
                continue;
            }
            RouteConsoleCode(b & 0x7F, b & 0x80);
            continue;
        }
        const bool released = s_consolePending[0] & 0x80;
        if (b & 0x80) {
            if (s_consolePendingCount == 1) {
                s_consolePending[s_consolePendingCount++] = b;
                continue;
            }
            s_consolePendingCount = 0;
            RouteConsoleCode(uint32_t(s_consolePending[1] & 0x7F) << 7 | (b & 0x7F), released);
            continue;
        }
        // Not a long code after all: the 0 was a key of its own, and what
        // followed it is read afresh.
        const int pending = s_consolePendingCount;
        const uint8_t second = s_consolePending[1];
        s_consolePendingCount = 0;
        RouteConsoleCode(0, released);
        if (pending == 2) RouteConsoleCode(second & 0x7F, true);
        --i;
    }
}

// ---- Mouse --------------------------------------------------------------------------

void SS_MousePacket(uint8_t b0, uint8_t b1, uint8_t b2) {
    // PS/2: left, right, middle in bits 0, 1, 2; sign bits 4 and 5; y grows upwards.
    uint32_t buttons = (b0 & 1) | ((b0 & 4) ? 2 : 0) | ((b0 & 2) ? 4 : 0);
    int32_t dx = int32_t(b1) - ((b0 & 0x10) ? 256 : 0);
    int32_t dy = ((b0 & 0x20) ? 256 : 0) - int32_t(b2);
    SS_PointerInput(buttons, dx, dy);
}

void SS_ReadMouse() {
    if (g_mouseFd < 0) return;
    uint8_t buf[2 + 600];
    int n = 0;
    for (int i = 0; i < s_mouseRestCount; ++i)
        buf[n++] = s_mouseRest[i];
    s_mouseRestCount = 0;
    bool gotAny = false;
    long long deadline = 0;
    for (;;) {
        ssize_t r = read(g_mouseFd, buf + n, sizeof buf - n);
        if (r > 0) {
            n += int(r);
            gotAny = true;
        } else if (r == 0 && !gotAny) {
            g_mouseFd = eink::ReopenMouseAfterEof(g_mouseFd);
            return;
        }
        if (n % 3 == 0 || n == int(sizeof buf) || r == 0) break;
        // Part of a packet: wait at most 100 ms in all for the rest.
        long long now = eink::NowMs();
        if (!deadline) deadline = now + 100;
        if (now >= deadline) break;
        pollfd p{g_mouseFd, POLLIN, 0};
        if (poll(&p, 1, int(deadline - now)) <= 0) break;
    }
    int whole = n - n % 3;
    for (int i = 0; i < whole; i += 3)
        SS_MousePacket(buf[i], buf[i + 1], buf[i + 2]);
    s_mouseRestCount = n - whole;
    for (int i = 0; i < s_mouseRestCount; ++i)
        s_mouseRest[i] = buf[whole + i];
}

// ---- Touch screen --------------------------------------------------------------------

void SS_TouchRecord(uint16_t pressure, uint16_t x, uint16_t y) {
    if (pressure) {
        s_touchX = x;
        s_touchY = y;
        SS_PointerInputAbs(1, x, y, true);
    } else {
        SS_PointerInputAbs(0, s_touchX, s_touchY, true);
    }
}

void SS_ReadTouch() {
    if (g_touchFd < 0) return;
    uint8_t buf[8 * 16];
    int n = 0;
    for (int i = 0; i < s_touchRestCount; ++i)
        buf[n++] = s_touchRest[i];
    ssize_t r = read(g_touchFd, buf + n, sizeof buf - n);
    if (r == 0) {
        g_touchFd = eink::ReopenTouchAfterEof(g_touchFd);
        s_touchRestCount = 0;
        return;
    }
    if (r < 0) return;
    n += int(r);
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        const uint8_t* p = buf + i;
        SS_TouchRecord(uint16_t(p[0] | p[1] << 8), uint16_t(p[2] | p[3] << 8), uint16_t(p[4] | p[5] << 8));
    }
    s_touchRestCount = n - i;
    for (int k = 0; k < s_touchRestCount; ++k)
        s_touchRest[k] = buf[i + k];
}
