// egui_loop and the dispatch of server messages to toolkit windows.
#include "eventloop.h"

#include "gl_timeout.h"
#include "gl_window.h"

#include <poll.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

unsigned char bSetKeyIgnore = 0;
int ms_keyignore = 0;
struct timeval tv_keyignore = {0, 0};
unsigned char bKeyProxyToTopWindow = 0;

namespace {

// Event types and the fields each one needs (offsets from the message start).
enum : unsigned {
    kMouseDown = 2,
    kMouseUp = 3,
    kMouseMove = 4,
    kMouseIn = 5,
    kMouseOut = 6,
    kKeyIn = 9,
    kGetFocus = 13,
    kLostFocus = 14,
    kDraw = 16,
    kScreenSizeChange = 21,
    kCharsetChange = 23,
    kUserMessage = 122,
    kClose = 255,
};
constexpr unsigned kMouseLength = 20; // through the button word at 16
constexpr unsigned kKeyLength = 28;   // through the released word at 24
constexpr unsigned kKeyText = 40;
constexpr unsigned kScreenLength = 24;
constexpr unsigned kCharsetLength = 12;
constexpr unsigned kUserSender = 4, kUserWord1 = 68, kUserWord2 = 72, kUserType = 76, kUserDataLength = 80,
                   kUserData = 84;
constexpr unsigned kVerticalNotice = 170;

// The message as writable bytes (gReqBuffer or a saved copy owned by the caller).
unsigned char* Bytes(GS_GeneralEvent_st* ev) { return reinterpret_cast<unsigned char*>(ev); }

void NowTimeval(struct timeval* tv) {
    long s, us;
    GL_GetNowTime(&s, &us);
    tv->tv_sec = s;
    tv->tv_usec = us;
}

int DispatchKey(GL_Window* win, GS_GeneralEvent_st* ev, unsigned len) {
    if (len < kKeyLength) return 0;
    unsigned code = GL_EventWord(ev, 12);
    if (code != 122 && code != 123 && CheckKeyIgnoreTime() != 1) return -1;
    // The text is the n characters at 40; the length word at 8 counts the
    // header, the text and its terminator (41 + n). Never trust it beyond the
    // message actually received.
    unsigned total = GL_EventWord(ev, 8);
    if (total > len) total = len;
    char* text = nullptr;
    int textLength = 0;
    if (total >= kKeyText + 1) {
        text = reinterpret_cast<char*>(Bytes(ev)) + kKeyText;
        textLength = int(total - kKeyText - 1);
        text[textLength] = '\0';
    }
    GL_Window* target = bKeyProxyToTopWindow ? win->GetTopWindow() : win;
    target->KeyIn(text, textLength, code, GL_EventWord(ev, 16), GL_EventWord(ev, 20),
                  static_cast<unsigned char>(GL_EventWord(ev, 24)));
    return 0;
}

int DispatchUserMessage(GS_GeneralEvent_st* ev, unsigned len) {
    if (!__pMainW || len < kUserData) return 0;
    unsigned type = Bytes(ev)[kUserType];
    unsigned long dataLength = GL_EventWord(ev, kUserDataLength);
    if (dataLength > len - kUserData) dataLength = len - kUserData;
    char* data = reinterpret_cast<char*>(Bytes(ev)) + kUserData;
    if (type == kVerticalNotice) bVerticalScreen = (dataLength > 0 && Bytes(ev)[kUserData] == 1) ? 1 : 0;
    char sender[33];
    memcpy(sender, Bytes(ev) + kUserSender, 32);
    sender[32] = '\0';
    __pMainW->GotUserMessage(sender, GL_EventWord(ev, kUserWord1), GL_EventWord(ev, kUserWord2), type, data,
                             dataLength);
    return 0;
}

} // namespace

long CalcTimeDiffMS(struct timeval* later, struct timeval* earlier, unsigned char* negative) {
    if (!later || !earlier) return 0;
    // Whole milliseconds first; a millisecond count above a second moves into
    // the seconds of its record (exactly 1000 stays).
    auto normalise = [](struct timeval* tv) {
        long ms = long(tv->tv_usec) / 1000;
        if (ms > 1000) {
            tv->tv_sec += ms / 1000;
            tv->tv_usec -= (ms / 1000) * 1000000;
            ms %= 1000;
        }
        return ms;
    };
    long laterMs = normalise(later);
    long earlierMs = normalise(earlier);
    if (later->tv_sec >= earlier->tv_sec && (laterMs >= earlierMs || later->tv_sec != earlier->tv_sec))
        return long(later->tv_sec - earlier->tv_sec) * 1000 + laterMs - earlierMs;
    if (negative) *negative = 1;
    return 0;
}

void SetKeyIgnoreTime(int ms) {
    if (ms == 0) {
        bSetKeyIgnore = 0;
        ms_keyignore = 0;
        return;
    }
    bSetKeyIgnore = 1;
    ms_keyignore = ms;
    NowTimeval(&tv_keyignore);
}

int CheckKeyIgnoreTime() {
    if (!bSetKeyIgnore || ms_keyignore == 0) return 1;
    struct timeval now, since = tv_keyignore;
    NowTimeval(&now);
    if (CalcTimeDiffMS(&now, &since, nullptr) < ms_keyignore) return 0;
    bSetKeyIgnore = 0;
    ms_keyignore = 0;
    return 1;
}

void SetKeyProxyToTopWindow(unsigned char on) { bKeyProxyToTopWindow = on; }

int CheckIgnoreEvent(GL_Window* window) {
    if (!__pMainW || __pMainW->transients.count < 1 || !__pMainW->transients.last) return 0;
    GL_Window* dialog = static_cast<GL_Window*>(__pMainW->transients.last->data);
    if (!dialog || !window) return 0;
    return window->GetTopWindow() != dialog ? 1 : 0;
}

int Handle_Event(GS_GeneralEvent_st* ev) {
    if (!ev) return -1;
    unsigned type = GL_EventType(ev);
    unsigned len = GL_EventLength(ev);
    if (type == kClose) {
        printf("Receive Close sig from server.\n");
        bQuitProgram = 1;
        return 0;
    }
    if (type == kUserMessage) return DispatchUserMessage(ev, len);
    if (len < 8) return 0;
    GL_Window* win = GL_FindWidgetByWindowId(GL_EventWord(ev, 4));
    if (!win) return 0;

    switch (type) {
    case kMouseDown:
    case kMouseUp:
    case kMouseMove:
    case kMouseIn:
    case kMouseOut: {
        if (len < kMouseLength) return 0;
        if (CheckIgnoreEvent(win)) return -1;
        int x = int(GL_EventWord(ev, 8)), y = int(GL_EventWord(ev, 12));
        unsigned char button = Bytes(ev)[16];
        switch (type) {
        case kMouseDown: win->MouseDown(x, y, button); break;
        case kMouseUp: win->MouseUp(x, y, button); break;
        case kMouseMove: win->MouseMove(x, y, button); break;
        case kMouseIn: win->MouseIn(x, y, button); break;
        default: win->MouseOut(x, y, button); break;
        }
        return 0;
    }
    case kKeyIn:
        if (CheckIgnoreEvent(win)) return -1;
        return DispatchKey(win, ev, len);
    case kGetFocus:
        if (CheckIgnoreEvent(win)) return -1;
        win->GetFocus();
        return 0;
    case kLostFocus:
        if (CheckIgnoreEvent(win)) return -1;
        win->LostFocus();
        return 0;
    case kDraw: win->Draw(nullptr); return 0;
    case kScreenSizeChange: {
        if (len < kScreenLength) return 0;
        // Unsigned, so that a hostile width of INT_MIN wraps instead of overflowing.
        int width = int(GL_EventWord(ev, 8) - (GL_EventWord(ev, 20) != 0 ? 1u : 0u));
        win->ScreenSizeChange(width, int(GL_EventWord(ev, 12)), static_cast<_ROATE_MODE>(GL_EventWord(ev, 16) & 3));
        return 0;
    }
    case kCharsetChange:
        if (len < kCharsetLength) return 0;
        win->CharsetChange(int(GL_EventWord(ev, 8)));
        return 0;
    default: return 0;
    }
}

// ---- The loop -----------------------------------------------------------------------------

namespace {

// How long the loop may sleep: until the nearest running timer is due, not
// at all when one is overdue, and without limit when no timer runs (only a
// message, a descriptor or a signal can then give the loop work).
const timespec* SleepLimit(timespec* limit) {
    if (!pTimeItemList || !pTimeItemList->first) return nullptr;
    long s = 0, us = 0;
    GetTimeoutNearest(&s, &us); // 0 and 0 when overdue
    if (s > 24L * 3600) s = 24L * 3600;
    limit->tv_sec = s + us / 1000000;
    limit->tv_nsec = (us % 1000000) * 1000;
    return limit;
}

// The signals that can arrive while the loop sleeps. Those a fault raises are
// left alone: blocking them is meaningless.
const sigset_t& AsynchronousSignals() {
    static sigset_t set = [] {
        sigset_t s;
        sigfillset(&s);
        for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGSYS})
            sigdelset(&s, sig);
        return s;
    }();
    return set;
}

} // namespace

unsigned long iLoopSleeps = 0;

namespace {

// records[i] was polled as fds[first + i]. A callback may add or remove
// records (its own or others'), so each is checked before its call.
void RunDescriptorCallbacks(const std::vector<pollfd>& fds, size_t first, const std::vector<GL_FDCallback*>& records) {
    for (size_t i = 0; i < records.size() && pRFDList; ++i) {
        GL_FDCallback* record = records[i];
        short revents = fds[first + i].revents;
        if (!revents || !pRFDList->FindItemByData(record)) continue;
        if (revents & POLLNVAL) {
            // A descriptor that is not open can never become readable: drop
            // it instead of waking at once on every pass.
            pRFDList->RemoveItemByData(record);
            delete record;
            continue;
        }
        // Every readable record of the pass is called, even after one set
        // bQuitProgram: the loop checks it once the pass is over.
        record->object->ExecCallback(nullptr, "DataIn!", nullptr, nullptr, nullptr, nullptr, nullptr);
    }
}

} // namespace

void egui_loop() {
    std::vector<pollfd> fds;
    std::vector<GL_FDCallback*> records;
    while (!bQuitProgram) {
        fds.clear();
        records.clear();
        size_t firstRecord = 0;
        if (connFd > 0) {
            fds.push_back(pollfd{connFd, POLLIN, 0});
            firstRecord = 1;
        }
        if (pRFDList) {
            for (ZPCList* node = pRFDList->first; node; node = node->next) {
                auto* record = static_cast<GL_FDCallback*>(node->data);
                records.push_back(record);
                fds.push_back(pollfd{record->fd, POLLIN, 0});
            }
        }

        // Everything the last pass drew goes out before the loop sleeps.
        GL_Flush();
        // A handler that sets bQuitProgram must end the loop even when the
        // signal comes just before the sleep: signals are held from the last
        // look at the flag until ppoll lets them in atomically.
        timespec limit;
        const timespec* wait = SleepLimit(&limit);
        sigset_t open;
        sigprocmask(SIG_BLOCK, &AsynchronousSignals(), &open);
        if (bQuitProgram) {
            sigprocmask(SIG_SETMASK, &open, nullptr);
            break;
        }
        ++iLoopSleeps;
        int ready = ppoll(fds.data(), fds.size(), wait, &open);
        sigprocmask(SIG_SETMASK, &open, nullptr);
        if (ready < 0) continue;
        if (ready > 0) {
            if (firstRecord && fds[0].revents) {
                if (fds[0].revents & POLLNVAL) {
                    bQuitProgram = 1; // the connection was closed under us
                    break;
                }
                GS_GeneralEvent_st* ev = GotEvent();
                if (ev) Handle_Event(ev);
                if (bQuitProgram) break;
            }
            RunDescriptorCallbacks(fds, firstRecord, records);
        }
        TimeoutLoop();
    }
    printf("Program Prepare to Exit...\n");
    fflush(stdout);
    GL_SignalHandler(99);
    exit(0);
}
