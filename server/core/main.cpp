// winserver: the display and window server of the e-ink reader.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <signal.h>
#include <sys/select.h>
#include <unistd.h>

#include "core/connection.h"
#include "core/server.h"
#include "input/input.h"
#include "platform/einkroot.h"
#include "render/apollo.h"
#include "render/fonts.h"
#include "render/primitives.h"
#include "window/sswindow.h"

namespace {

void IgnoreSignal(int) {}

// Only the flag is touched here: the clean-up runs on the main loop, where
// it is safe to do so.
void QuitSignal(int) { g_quit = 1; }

void InstallSignals() {
    struct sigaction sa {};
    sigemptyset(&sa.sa_mask);
    sa.sa_handler = IgnoreSignal;
    sigaction(SIGPIPE, &sa, nullptr);
    sa.sa_handler = QuitSignal;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    // Started programs are never waited for: let them not become zombies.
    sa.sa_handler = SIG_IGN;
    sa.sa_flags = SA_RESTART;
    sigaction(SIGCHLD, &sa, nullptr);
}

void Initialise(int argc, char** argv) {
    InstallSignals();
    g_rotateMode = SS_ParseRotation(argc, argv);
    if (!InitScreen()) {
        fprintf(stderr, "winserver: cannot use the frame buffer, giving up\n");
        exit(1);
    }
    SS_ReadSleepTime();
    if (!SS_CreateEndpoints()) {
        fprintf(stderr, "winserver: cannot create the local endpoint %s\n", eink::Path("/tmp/.commfile").c_str());
        exit(1);
    }
    InitFonts();
    SS_OpenInputDevices();
    SS_OpenHostKeyFiles();
    InitColors();
    InitRefreshState();
    SS_InitWindows();
}

void Watch(int fd, fd_set* set, int* maxFd) {
    if (fd < 0 || fd >= FD_SETSIZE) return;
    FD_SET(fd, set);
    if (fd > *maxFd) *maxFd = fd;
}

bool Ready(int fd, const fd_set* set) { return fd >= 0 && fd < FD_SETSIZE && FD_ISSET(fd, set); }

[[noreturn]] void MainLoop() {
    long long now = eink::NowMs();
    g_keyTimerMs = g_idleTimerMs = now;
    SS_ReadKeyTime();

    long long lastPollTick = -1;
    while (!g_quit) {
        // While connections hold complete requests, passes run from their
        // buffers without asking the kernel: a select per request would cost
        // more than most requests. The timers and the refresh check still
        // follow every pass; the descriptors come round again when the
        // coarse clock ticks (every few milliseconds; reading it costs next
        // to nothing), and as soon as no request is left.
        if (SS_ServiceBuffered(lastPollTick)) continue;
        lastPollTick = eink::CoarseNowMs();
        fd_set readSet, writeSet;
        FD_ZERO(&readSet);
        FD_ZERO(&writeSet);
        int maxFd = -1;
        for (int fd : {g_touchFd, g_mouseFd, g_consoleFd, g_eventFd[0], g_eventFd[1], g_eventFd[2], g_localFd,
                       g_networkFd, g_keyListenFd, g_keyFd})
            Watch(fd, &readSet, &maxFd);
        bool pending = false;
        maxFd = SS_FillClientSets(&readSet, &writeSet, maxFd, &pending);

        // A connection that already holds a complete request is served at
        // once; otherwise wait for input at most 0.3 s.
        timeval tv{0, pending ? 0 : 300000};
        int ready = select(maxFd + 1, &readSet, &writeSet, nullptr, &tv);
        SS_RunTimers(eink::NowMs());
        if (ready < 0) {
            if (errno != EINTR) perror("winserver: select");
            continue;
        }
        if (ready == 0 && !pending) {
            CheckScreenUpdate();
            continue;
        }

        if (Ready(g_mouseFd, &readSet)) SS_ReadMouse();
        if (Ready(g_consoleFd, &readSet)) SS_ReadConsole();
        if (Ready(g_touchFd, &readSet)) SS_ReadTouch();
        for (int i = 0; i < 3; ++i)
            if (Ready(g_eventFd[i], &readSet)) SS_ReadEventDevice(i);
        if (Ready(g_localFd, &readSet)) SS_AcceptClient(g_localFd);
        if (Ready(g_networkFd, &readSet)) SS_AcceptClient(g_networkFd);
        if (Ready(g_keyListenFd, &readSet)) SS_AcceptKeyChannel();
        if (Ready(g_keyFd, &readSet)) SS_ReadKeyChannel();

        SS_ServiceClients(&readSet, &writeSet);
        CheckScreenUpdate();
    }
    SS_ExitPath();
}

} // namespace

int main(int argc, char** argv) {
    // Diagnostics are read line by line by whoever started the server.
    setvbuf(stdout, nullptr, _IOLBF, 0);
    g_startTimeMs = eink::NowMs();
    Initialise(argc, argv);
    g_sleepTimeout = 20000;
    MainLoop();
}
