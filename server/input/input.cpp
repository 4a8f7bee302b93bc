// The input event devices, the lock key and the host lock, key injection into
// the host system, and the key channel.
#include "input/input.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "core/server.h"
#include "platform/einkroot.h"
#include "platform/input.h"
#include "render/apollo.h"
#include "window/routing.h"

int g_eventFd[3] = {-1, -1, -1};

namespace {

int s_keypadFd = -1;
int s_fivewayFd = -1;
bool s_event2Present = false;
bool s_grabbed = false;
bool s_launched = false;

// Key state of the event-device reader.
struct KeyState {
    int32_t held = -1; // the key last pressed and not released, -1 none
    bool down = false;
    bool shift = false;      // code 42 is down
    bool repeatSeen = false; // the held key has auto-repeated
    bool lockUsed = false;   // the lock key's hold toggled the lock: its release is not a key
};
KeyState s_keys;

// A record may reach a FIFO stand-in in pieces; the device itself always
// delivers whole records.
struct Partial {
    uint8_t bytes[eink::kInputRecordSize];
    size_t count = 0;
};
Partial s_partial[3];

bool LargePanel() { return g_screen && g_screen->large; }

bool IsLockKey(uint32_t code) { return code == 32 || (code == 42 && LargePanel()); }

uint32_t RemapLargePanel(uint32_t code) {
    switch (code) {
    case 91: return 158;
    case 92: return 194;
    case 122: return 103;
    case 123: return 108;
    default: return code;
    }
}

void Deliver(uint32_t code, bool released) {
    char text[2] = {char(code & 0xFF), 0};
    SS_DeliverKey(code, code, s_keys.shift ? 1 : 0, text, 1, released ? 1 : 0);
}

void ToggleHostLock(int device) {
    if (!SS_HostLocked()) {
        SS_GrabInput(true);
        SS_SetHostLock(true);
        printf("lock old systemu0\n");
        if (!s_launched) {
            s_launched = true;
            printf("lock old systemu1\n");
            fflush(stdout);
            eink::LaunchMainClient();
        }
        printf("lock old systemu2\n");
        printf("lock old system2\n");
        fflush(stdout);
        // The panel still shows what the host system drew: redraw it all
        // once the main client has had a moment.
        if (device == 0) SS_RequestDelayedRefresh();
    } else {
        printf("unlock old systemu0\n");
        fflush(stdout);
        SS_SetHostLock(false);
        SS_GrabInput(false);
        if (LargePanel()) {
            SS_InjectHostKey(102, 0, false);
            SS_InjectHostKey(139, 0, false);
            SS_InjectHostKey(91, 0, false);
        } else {
            SS_InjectHostKey(139, 0, false);
            SS_InjectHostKey(158, 0, false);
        }
    }
}

} // namespace

bool SS_ClientLaunched() { return s_launched; }

void SS_OpenInputDevices() {
    // The sleep bookkeeping counts from start-up.
    g_sleepRequestMs = g_delayTimeMs = eink::NowMs();
    if (g_eventFd[0] < 0) {
        g_eventFd[0] = eink::OpenEventDevice(0);
        printf("kbdfd:%d\n", g_eventFd[0]);
        fflush(stdout);
    }
    if (g_eventFd[1] < 0) g_eventFd[1] = eink::OpenEventDevice(1);
    if (g_eventFd[2] < 0) {
        g_eventFd[2] = eink::OpenEventDevice(2);
        s_event2Present = g_eventFd[2] >= 0;
    }

    // The optional readers, by choice of whoever starts the server.
    const char* wanted = getenv("EINK_INPUT");
    if (wanted) {
        char list[128];
        snprintf(list, sizeof list, ",%s,", wanted);
        if (strstr(list, ",console,")) SS_OpenConsole();
        if (strstr(list, ",mouse,")) SS_OpenMouse();
        if (strstr(list, ",touch,")) SS_OpenTouch();
    }
}

void SS_OpenHostKeyFiles() {
    if (s_keypadFd < 0) s_keypadFd = eink::OpenKeypadFile();
    if (s_fivewayFd < 0) s_fivewayFd = eink::OpenFivewayFile();
}

void SS_CloseOptionalInput(); // readers.cpp

void SS_CloseInputDevices() {
    SS_CloseOptionalInput();
    if (s_grabbed) SS_GrabInput(false);
    for (int& fd : g_eventFd) {
        if (fd >= 0) close(fd);
        fd = -1;
    }
    for (Partial& p : s_partial)
        p.count = 0;
    for (int* fd : {&s_keypadFd, &s_fivewayFd}) {
        if (*fd >= 0) close(*fd);
        *fd = -1;
    }
}

void SS_ReadEventDevice(int index) {
    if (index < 0 || index > 2 || g_eventFd[index] < 0) return;
    Partial& p = s_partial[index];
    ssize_t n = read(g_eventFd[index], p.bytes + p.count, sizeof p.bytes - p.count);
    if (n == 0) {
        // The writer of a stand-in went away; a real device never ends.
        g_eventFd[index] = eink::ReopenEventDeviceAfterEof(g_eventFd[index], index);
        p.count = 0;
        return;
    }
    if (n < 0) return;
    p.count += size_t(n);
    if (p.count < sizeof p.bytes) return;
    p.count = 0;
    eink::InputRecord r = eink::DecodeInputRecord(p.bytes);
    SS_EventRecord(index, r.type, r.code, r.value);
}

void SS_EventRecord(int device, uint16_t type, uint16_t rawCode, int32_t value) {
    if (type != eink::kEventTypeKey) return;
    // Only press, release and repeat exist; anything else is not a key.
    if (value != eink::kKeyPress && value != eink::kKeyRelease && value != eink::kKeyRepeat) return;

    // 1. Key state.
    if (value == eink::kKeyPress) {
        s_keys.down = true;
        s_keys.repeatSeen = false;
        s_keys.held = rawCode;
        if (rawCode == 42) s_keys.shift = true;
    } else if (value == eink::kKeyRelease) {
        s_keys.held = -1;
        s_keys.repeatSeen = false;
        s_keys.down = false;
        if (rawCode == 42) s_keys.shift = false;
    }
    const bool released = value == eink::kKeyRelease;

    // 2. The third device is not remapped and has no lock key.
    if (device == 2) {
        Deliver(rawCode, released);
        if (value == eink::kKeyRepeat) s_keys.repeatSeen = true;
        return;
    }

    // 3. The large panel's keypad reports other codes for the same keys.
    uint32_t code = LargePanel() ? RemapLargePanel(rawCode) : rawCode;

    // 4. The lock key: a short press reaches the client as its release, a
    // long press toggles the host lock and reaches nobody, its release
    // included (otherwise the client would take the lock key's release
    // for the power key).
    if (IsLockKey(code)) {
        if (value == eink::kKeyPress) s_keys.lockUsed = false;
        if (released && s_keys.lockUsed) {
            s_keys.lockUsed = false;
            return;
        }
        if (s_keys.held == int32_t(rawCode)) {
            if (value == eink::kKeyRepeat && !s_keys.repeatSeen) {
                s_keys.repeatSeen = true;
                s_keys.lockUsed = true;
                ToggleHostLock(device);
            }
            return;
        }
    }

    // 5. Delivery.
    Deliver(code, released);
    if (value == eink::kKeyRepeat) s_keys.repeatSeen = true;
}

void SS_GrabInput(bool on) {
    if (on == s_grabbed) return;
    for (int fd : g_eventFd)
        if (fd >= 0) eink::GrabEventDevice(fd, on);
    s_grabbed = on;
}

bool SS_InputGrabbed() { return s_grabbed; }

void SS_InjectHostKey(int code, int variant, bool fiveway) {
    char line[48];
    if (fiveway) {
        snprintf(line, sizeof line, "send %d\n", code);
        eink::WriteHostLine(s_fivewayFd, line);
        return;
    }
    static const char* const kVerbs[3] = {"send", "sendshift", "sendalt"};
    if (variant < 0 || variant > 2) return;
    snprintf(line, sizeof line, "%s %d\n", kVerbs[variant], code);
    eink::WriteHostLine(s_keypadFd, line);
}

void SS_InjectHostSequence() {
    SS_InjectHostKey(102, 0, false);
    SS_InjectHostKey(139, 0, false);
    SS_InjectHostKey(LargePanel() ? 91 : 158, 0, false);
}

void SS_ReleaseHost() {
    SS_GrabInput(false);
    SS_InjectHostSequence();
}

uint32_t SS_KeypadTranslate(uint32_t code) {
    switch (code) {
    case 1: return '4';
    case 2: return '3';
    case 3: return '2';
    case 4: return '1';
    case 5: return '0';
    case 7: return '9';
    case 8: return '8';
    case 9: return '7';
    case 10: return '6';
    case 11: return '5';
    case 65: return 'd';
    case 66: return 'c';
    case 67: return 'b';
    case 68: return 'a';
    case 69: return '`';
    case 71: return 'i';
    case 72: return 'h';
    case 73: return 'g';
    case 74: return 'f';
    case 75: return 'e';
    default: return code;
    }
}

void SS_KeyChannelByte(uint8_t byte) {
    switch (byte) {
    case 8: SS_PointerInput(0, -2, 0); return;
    case 9: SS_PointerInput(0, 0, -2); return;
    case 10: SS_PointerInput(0, 2, 0); return;
    case 11: SS_PointerInput(0, 0, 2); return;
    case 12: SS_PointerInput(1, 0, 0); return;
    case 13: SS_PointerInput(0, 0, 0); return;
    default: break;
    }
    uint32_t code = SS_KeypadTranslate(byte);
    char text[2] = {char(code & 0xFF), 0};
    SS_RouteKey(code, code, 0, text, 1, 0);
}
